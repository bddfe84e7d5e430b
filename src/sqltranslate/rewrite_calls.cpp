// MARKER(args)  ->  the marker's new text, every call in turn over the whole statement, in time
// that grows with the statement and not with its square
#include <cstdint>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "converte_datas_steps.h"
#include "sqltranslate/sql_lines.h"
#include "tail_hash.h"
#include "text_ops.h"

namespace zr::sqlt::datas {

namespace {

using text::Hashing;
using text::Key;
using text::KeyHash;

// The statement as pieces that each end at a ")" (the last one may end without). A call's text
// holds one ")", its last character, so every occurrence of a call is the tail of one piece,
// starting at an occurrence of the marker (letter case ignored). A replacement changes the tail
// of one piece: its new text is cut at its own ")" characters, and what follows the last one
// joins the next piece.
class Pieces {
 public:
  Pieces(std::string_view s, std::string_view marker) : marker_(marker) {
    std::size_t start = 0;
    int previous = -1;
    while (start < s.size()) {
      std::size_t end = s.find(')', start);
      end = end == text::npos ? s.size() : end + 1;
      const int id = NewPiece(std::string(s.substr(start, end - start)), previous);
      if (previous < 0) first_ = id;
      previous = id;
      start = end;
    }
    for (std::size_t id = 0; id < pieces_.size(); ++id) IndexFrom(static_cast<int>(id), 0);
  }

  // Replaces every tail equal to `call` (letter case ignored) by `replacement`, as one
  // replacement over the whole statement from left to right would.
  void ReplaceAll(std::string_view call, std::string_view replacement) {
    const auto found = index_.find(Key{hashing_.Of(call), call.size()});
    if (found == index_.end()) return;
    pending_.clear();
    for (const auto& [id, at] : found->second) pending_.emplace(id, at);
    // Occurrences do not overlap, so the order in which they are replaced does not matter.
    while (!pending_.empty()) {
      const auto [id, at] = *pending_.begin();
      pending_.erase(pending_.begin());
      if (!text::EqualsCI(std::string_view(pieces_[id].text).substr(at), call)) continue;
      ReplaceTail(id, at, replacement);
    }
  }

  std::string Text() const {
    std::string out;
    for (int id = first_; id >= 0; id = pieces_[id].next) out += pieces_[id].text;
    return out;
  }

 private:
  struct Piece {
    std::string text;
    int next = -1;
    std::map<std::size_t, Key> markers;  // offset of each marker occurrence -> its tail's key
  };

  int NewPiece(std::string text, int after) {
    const int id = static_cast<int>(pieces_.size());
    pieces_.push_back(Piece{std::move(text), -1, {}});
    if (after >= 0) {
      pieces_[id].next = pieces_[after].next;
      pieces_[after].next = id;
    }
    return id;
  }

  void Unindex(int id, std::size_t from) {
    Piece& p = pieces_[id];
    for (auto it = p.markers.lower_bound(from); it != p.markers.end(); it = p.markers.erase(it)) {
      auto slot = index_.find(it->second);
      slot->second.erase({id, it->first});
      if (slot->second.empty()) index_.erase(slot);
    }
  }

  // Indexes every marker occurrence that starts at or after `from`, with its tail's key.
  void IndexFrom(int id, std::size_t from) {
    Piece& p = pieces_[id];
    std::vector<std::size_t> found;
    for (std::size_t at = text::FindCI(p.text, marker_, from); at != text::npos;
         at = text::FindCI(p.text, marker_, at + 1)) {
      found.push_back(at);
    }
    if (found.empty()) return;
    std::uint64_t h = 0;
    std::size_t k = found.size();
    for (std::size_t i = p.text.size(); i-- > found.front();) {
      h += static_cast<unsigned char>(text::Upper(p.text[i])) * hashing_.Pow(p.text.size() - 1 - i);
      if (i == found[k - 1]) {
        const Key key{h, p.text.size() - i};
        p.markers[i] = key;
        index_[key].insert({id, i});
        if (--k == 0) break;
      }
    }
  }

  // The tail of piece `id` from `at` became a text of hash `hash` and length `length`: the keys
  // of the markers before `at` follow.
  void RetailKeys(int id, std::size_t at, Key oldTail, Key newTail) {
    Piece& p = pieces_[id];
    for (auto it = p.markers.begin(); it != p.markers.end() && it->first < at; ++it) {
      auto slot = index_.find(it->second);
      slot->second.erase({id, it->first});
      if (slot->second.empty()) index_.erase(slot);
      const std::uint64_t head = (it->second.hash - oldTail.hash) * hashing_.InversePow(oldTail.length);
      it->second = Key{head * hashing_.Pow(newTail.length) + newTail.hash,
                       it->second.length - oldTail.length + newTail.length};
      index_[it->second].insert({id, it->first});
    }
  }

  void ReplaceTail(int id, std::size_t at, std::string_view replacement) {
    const std::string_view tail = std::string_view(pieces_[id].text).substr(at);
    const auto marker = pieces_[id].markers.find(at);
    const Key oldTail =
        marker != pieces_[id].markers.end() ? marker->second : Key{hashing_.Of(tail), tail.size()};
    // A marker may start up to its length - 1 characters before the change and run into it.
    const std::size_t rescan = at >= marker_.size() - 1 ? at - (marker_.size() - 1) : 0;
    Unindex(id, rescan);
    const std::size_t close = replacement.find(')');
    pieces_[id].text.resize(at);
    if (close != text::npos) {
      pieces_[id].text.append(replacement.substr(0, close + 1));
      // The rest of the replacement: whole pieces up to its last ")", then a head for the next.
      int last = id;
      std::size_t start = close + 1;
      for (std::size_t end = replacement.find(')', start); end != text::npos;
           end = replacement.find(')', start)) {
        last = NewPiece(std::string(replacement.substr(start, end + 1 - start)), last);
        IndexFrom(last, 0);
        start = end + 1;
      }
      if (start < replacement.size()) PrependTo(last, replacement.substr(start));
    } else {
      pieces_[id].text.append(replacement);
      JoinNext(id);
    }
    const Piece& p = pieces_[id];
    RetailKeys(id, rescan, oldTail,
               Key{hashing_.Of(std::string_view(p.text).substr(at)), p.text.size() - at});
    IndexFrom(id, rescan);
  }

  // `head` goes in front of the piece after `id` (or becomes the last piece).
  void PrependTo(int id, std::string_view head) {
    const int next = pieces_[id].next;
    if (next < 0) {
      IndexFrom(NewPiece(std::string(head), id), 0);
      return;
    }
    Unindex(next, 0);
    pieces_[next].text.insert(0, head);
    IndexFrom(next, 0);
    MovePending(next, next, head.size());
  }

  // The piece after `id` is appended to it (`id` no longer ends at a ")").
  void JoinNext(int id) {
    const int next = pieces_[id].next;
    if (next < 0) return;
    Unindex(next, 0);
    const std::size_t shift = pieces_[id].text.size();
    pieces_[id].text.append(pieces_[next].text);
    pieces_[next].text.clear();
    pieces_[next].text.shrink_to_fit();
    pieces_[id].next = pieces_[next].next;
    MovePending(next, id, shift);
  }

  // A replacement still to make in piece `from` now stands `shift` characters later in `to`.
  void MovePending(int from, int to, std::size_t shift) {
    const auto it = pending_.find(from);
    if (it == pending_.end()) return;
    const std::size_t at = it->second + shift;
    pending_.erase(it);
    pending_[to] = at;
  }

  std::string_view marker_;
  Hashing hashing_;
  std::vector<Piece> pieces_;
  int first_ = -1;
  std::unordered_map<Key, std::set<std::pair<int, std::size_t>>, KeyHash> index_;
  std::map<int, std::size_t> pending_;  // piece -> offset of the current call's occurrence in it
};

}  // namespace

std::string RewriteCallsByPieces(std::string s, const CallRewrite& rewrite) {
  if (s.find(rewrite.marker) == text::npos) return s;
  if (!IsRoundTripStable(s)) return RewriteCallsOneByOne(std::move(s), rewrite);
  // The calls are cut from the statement as it was; each is replaced over the statement as it
  // has become. On a settled text no replacement unsettles it (a call neither starts nor ends
  // inside a line break, and its new text holds only the line breaks of its own text).
  Pieces pieces(s, rewrite.marker);
  std::size_t pos = 0;
  while (true) {
    const std::size_t at = s.find(rewrite.marker, pos);
    if (at == text::npos) break;
    const std::size_t close = s.find(')', at);
    if (close == text::npos) break;
    const std::string_view call = std::string_view(s).substr(at, close + 1 - at);
    pieces.ReplaceAll(call, NewCallText(call, rewrite));
    pos = close + 1;
  }
  return pieces.Text();
}

}  // namespace zr::sqlt::datas
