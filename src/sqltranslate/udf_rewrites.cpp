// UDF_MINUTESBETWEEN(a, b)  ->  (extract(MINUTE FROM a -  b ));  UDF_NVL(x)  ->  NVL(x,0);
// POSITION(a IN b)  ->  INSTR(b,a)
#include "udf_rewrites.h"

#include <set>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "sqltranslate/passes.h"
#include "tail_hash.h"
#include "text_ops.h"

namespace zr::sqlt::udf {

namespace {

constexpr std::string_view kPosition = "POSITION(";

// The argument list right after the name at `at`: its "(" must follow the name directly and be
// closed. Sets `close` to the index of the closing ")".
bool CallAt(std::string_view s, std::size_t at, std::size_t nameLength, std::size_t& close) {
  const std::size_t open = at + nameLength;
  if (open >= s.size() || s[open] != '(') return false;
  const std::size_t c = PosFechaParentese(s.substr(open));
  if (c == 1) return false;
  close = open + c - 1;
  return true;
}

// The pieces of POSITION(a, b) or POSITION(a IN b) at `at` up to the first ")"; false when there
// is no ")" or neither a comma nor " IN " before it.
bool PositionCall(std::string_view s, std::size_t at, std::string_view& a, std::string_view& b,
                  std::size_t& close) {
  const std::size_t p = at + kPosition.size();
  const std::size_t e = s.find(')', p);
  if (e == text::npos) return false;
  // Both searches stop at the call's end: what lies beyond it never decides anything.
  const std::string_view call = s.substr(0, e);
  const std::size_t comma = call.find(',', p);
  if (comma != text::npos) {
    a = s.substr(p, comma - p);
    b = s.substr(comma + 1, e - comma - 1);
  } else {
    const std::size_t in = text::FindCI(call, " IN ", p);
    if (in == text::npos) return false;
    a = s.substr(p, in - p);
    b = s.substr(in + 4, e - in - 4);
  }
  close = e;
  return true;
}

std::string Instr(std::string_view a, std::string_view b) {
  std::string out;
  out.reserve(a.size() + b.size() + 8);
  out += "INSTR(";
  out += b;
  out += ',';
  out += a;
  out += ')';
  return out;
}

}  // namespace

std::string MinutesBetween(std::string_view s) {
  constexpr std::string_view kName = "UDF_MINUTESBETWEEN";
  const std::size_t at = text::FindCI(s, kName);
  std::size_t close = 0;
  if (at == text::npos || !CallAt(s, at, kName.size(), close)) return std::string(s);
  // The closing parenthesis as found from the first argument on (so a first argument that
  // begins with "(" ends the call early), and the first comma; a call without a comma before its
  // end stays as written.
  const std::size_t argStart = at + kName.size() + 1;
  const std::string_view rest = s.substr(argStart);
  const std::size_t c = PosFechaParentese(rest);
  const std::size_t k = rest.find(',');
  if (c == 1 || k == text::npos || k + 1 >= c) return std::string(s);
  std::string out(s.substr(0, at));
  out += "(extract(MINUTE FROM ";
  out += rest.substr(0, k);
  out += " - ";
  out += rest.substr(k + 1, c - 1 - (k + 1));
  out += " ))";
  out += rest.substr(c);
  return out;
}

std::string Nvl(std::string_view s) {
  constexpr std::string_view kName = "UDF_NVL";
  const std::size_t at = text::FindCI(s, kName);
  std::size_t close = 0;
  if (at == text::npos || !CallAt(s, at, kName.size(), close)) return std::string(s);
  const std::size_t argStart = at + kName.size() + 1;
  std::string out(s.substr(0, at));
  out += "NVL(";
  out += s.substr(argStart, close - argStart);
  out += ",0)";
  out += s.substr(close + 1);
  return out;
}

// Each round replaces the first occurrence, letters compared without regard to case, of the call
// at the first upper-case "POSITION(" not passed over; a call that cannot be cut is passed over.
std::string PositionToInstrOneByOne(std::string s) {
  std::size_t from = 0;
  while (true) {
    const std::size_t at = s.find(kPosition, from);
    if (at == text::npos) break;
    std::string_view a, b;
    std::size_t close = 0;
    if (!PositionCall(s, at, a, b, close)) {
      from = at + kPosition.size();
      continue;
    }
    const std::string oldCall = s.substr(at, close + 1 - at);
    const std::string newCall = Instr(a, b);
    const std::size_t first = text::FindCI(s, oldCall);
    s.replace(first, oldCall.size(), newCall);
    if (first < from) from = first;
  }
  return s;
}

namespace {

// The statement cut after each ")". A POSITION call ends at the first ")" after its name, so the
// call, and every text equal to it, is the tail of one piece from a "position(" (letter case
// ignored) on; its INSTR form holds one ")" as well, its last character, so replacing a tail
// never moves a piece boundary.
class PositionPieces {
 public:
  explicit PositionPieces(std::string_view s) {
    for (std::size_t start = 0; start < s.size();) {
      std::size_t end = s.find(')', start);
      end = end == text::npos ? s.size() : end + 1;
      pieces_.push_back(Piece{std::string(s.substr(start, end - start)), {}});
      start = end;
    }
    for (std::size_t id = 0; id < pieces_.size(); ++id) Index(id);
  }

  std::size_t Count() const { return pieces_.size(); }
  const std::string& TextOf(std::size_t id) const { return pieces_[id].text; }

  // The first tail in the statement equal to `call` (case ignored): its piece and offset.
  bool FirstEqualTo(std::string_view call, std::size_t& id, std::size_t& at) const {
    const auto found = index_.find(text::Key{hashing_.Of(call), call.size()});
    if (found == index_.end()) return false;
    for (const auto& [piece, offset] : found->second) {
      if (text::EqualsCI(std::string_view(pieces_[piece].text).substr(offset), call)) {
        id = piece;
        at = offset;
        return true;
      }
    }
    return false;
  }

  void ReplaceTail(std::size_t id, std::size_t at, std::string_view replacement) {
    Unindex(id);
    pieces_[id].text.resize(at);
    pieces_[id].text.append(replacement);
    Index(id);
  }

  std::string Text() const {
    std::string out;
    for (const Piece& p : pieces_) out += p.text;
    return out;
  }

 private:
  struct Piece {
    std::string text;
    std::vector<std::pair<std::size_t, text::Key>> tails;  // "position(" offsets and their tails' keys
  };

  void Unindex(std::size_t id) {
    for (const auto& [offset, key] : pieces_[id].tails) {
      auto slot = index_.find(key);
      slot->second.erase({id, offset});
      if (slot->second.empty()) index_.erase(slot);
    }
    pieces_[id].tails.clear();
  }

  void Index(std::size_t id) {
    Piece& p = pieces_[id];
    std::vector<std::size_t> found;
    for (std::size_t at = text::FindCI(p.text, kPosition); at != text::npos;
         at = text::FindCI(p.text, kPosition, at + 1)) {
      found.push_back(at);
    }
    std::uint64_t h = 0;
    for (std::size_t i = p.text.size(), k = found.size(); k > 0 && i-- > found.front();) {
      h += static_cast<unsigned char>(text::Upper(p.text[i])) * hashing_.Pow(p.text.size() - 1 - i);
      if (i == found[k - 1]) {
        const text::Key key{h, p.text.size() - i};
        p.tails.emplace_back(i, key);
        index_[key].insert({id, i});
        --k;
      }
    }
  }

  std::vector<Piece> pieces_;
  mutable text::Hashing hashing_;
  // Ordered by piece, then offset: the first entry is the first tail of the statement.
  std::unordered_map<text::Key, std::set<std::pair<std::size_t, std::size_t>>, text::KeyHash> index_;
};

}  // namespace

// The rounds of PositionToInstrOneByOne, each made within the piece it changes. A round that
// replaces a text equal to the call in an earlier piece leaves the call itself where it stands;
// the search goes on in that earlier piece, and then at the call again: the pieces between are
// as they were when the search last passed them.
std::string PositionToInstrByPieces(std::string s) {
  PositionPieces pieces(s);
  std::vector<std::pair<std::size_t, std::size_t>> resume;  // calls left behind, the last first
  std::size_t id = 0, from = 0;
  while (id < pieces.Count()) {
    const std::string& piece = pieces.TextOf(id);
    const std::size_t at = piece.find(kPosition, from);
    if (at == text::npos) {
      if (!resume.empty()) {
        std::tie(id, from) = resume.back();
        resume.pop_back();
      } else {
        ++id;
        from = 0;
      }
      continue;
    }
    std::string_view a, b;
    std::size_t close = 0;
    if (!PositionCall(piece, at, a, b, close)) {
      from = at + kPosition.size();
      continue;
    }
    const std::string newCall = Instr(a, b);
    std::size_t firstId = id, first = at;
    pieces.FirstEqualTo(std::string_view(piece).substr(at, close + 1 - at), firstId, first);
    if (firstId != id) resume.emplace_back(id, at);
    pieces.ReplaceTail(firstId, first, newCall);
    id = firstId;
    from = first;
  }
  return pieces.Text();
}

// When every "position(" of the text is written in upper case, the first occurrence of a call
// is the call itself, nothing before it changes any more, and a rewritten call (shorter than the
// call) is written in place over the call's tail; the search goes on from its start, where a
// "POSITION(" of its arguments may now stand.
std::string PositionToInstr(std::string s) {
  for (std::size_t at = text::FindCI(s, kPosition); at != text::npos;
       at = text::FindCI(s, kPosition, at + 1)) {
    if (s.compare(at, kPosition.size(), kPosition) != 0) return PositionToInstrByPieces(std::move(s));
  }
  std::string out;
  std::size_t flushed = 0;
  std::size_t from = 0;
  while (true) {
    const std::size_t at = s.find(kPosition, from);
    if (at == text::npos) break;
    std::string_view a, b;
    std::size_t close = 0;
    if (!PositionCall(s, at, a, b, close)) {
      from = at + kPosition.size();
      continue;
    }
    const std::string newCall = Instr(a, b);
    out.append(s, flushed, at - flushed);
    const std::size_t newStart = close + 1 - newCall.size();
    s.replace(newStart, newCall.size(), newCall);
    flushed = newStart;
    from = newStart;
  }
  if (flushed == 0) return s;
  out.append(s, flushed, std::string::npos);
  return out;
}

}  // namespace zr::sqlt::udf
