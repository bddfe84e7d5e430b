// SELECT DISTINCT t.* FROM TABELA t  ->  SELECT DISTINCT t.ID, T.NOME  FROM TABELA t
#include "sqltranslate/expande_colunas.h"

#include <algorithm>

#include "sqltranslate/passes.h"
#include "text_ops.h"

namespace zr::sqlt {

void AliasMap::Add(std::string alias, TBaseAlias base) {
  longest_ = std::max(longest_, alias.size());
  first_.emplace(text::UpperAscii(alias), entries_.size());
  entries_.emplace_back(std::move(alias), std::move(base));
}

const TBaseAlias* AliasMap::Find(std::string_view alias) const {
  const auto it = first_.find(text::UpperAscii(alias));
  return it == first_.end() ? nullptr : &entries_[it->second].second;
}

namespace {

// "A word with no blank after it is read as empty, and the rest is then not shortened."
std::string TakeWord(std::string_view u, std::size_t& at) {
  const std::size_t blank = u.find(' ', at);
  if (blank == text::npos) return {};
  std::string word(u.substr(at, blank - at));
  at = blank + 1;
  return word;
}

}  // namespace

AliasMap MapeiaAliases(std::string_view input) {
  std::string joined(input);
  text::ReplaceAll(joined, "\r\n", "  ");
  const std::string u = text::UpperAscii(text::Trim(joined));
  AliasMap map;
  std::size_t at = 0;
  // Each keyword's next occurrence is searched again only once the reading has passed it, so a
  // text with many of one and few of the other is not read to its end once per table.
  std::size_t from = u.find(" FROM ");
  std::size_t join = u.find(" JOIN ");
  while (true) {
    if (from != text::npos && from < at) from = u.find(" FROM ", at);
    if (join != text::npos && join < at) join = u.find(" JOIN ", at);
    const std::size_t first = std::min(from, join);
    if (first == text::npos) break;
    at = first + 6;
    std::string table = TakeWord(u, at);
    std::string alias = TakeWord(u, at);
    map.Add(std::move(alias), TBaseAlias{std::move(table)});
  }
  return map;
}

std::string UltimaPalavra(std::string_view s) {
  const std::size_t last = s.find_last_of(" ,");
  return std::string(last == text::npos ? s : s.substr(last + 1));
}

std::vector<std::string> DictionaryStatement(std::string_view table) {
  return {
      "SELECT T.COLUMN_NAME AS NmCampo FROM USER_TAB_COLUMNS t",
      "WHERE t.TABLE_NAME = " + text::QuotedStr(table),
      "AND Ltrim(Rtrim(T.DATA_TYPE)) NOT IN ('BLOB', 'CLOB')",
      "ORDER BY T.COLUMN_ID",
  };
}

std::string ListaColunas(QueryAccess& query, std::string_view table, std::string_view alias) {
  const std::vector<std::string> names =
      query.ReadDictionaryColumns(DictionaryStatement(table), std::string(table));
  std::string list;
  for (std::size_t n = 0; n < names.size(); ++n) {
    if (n > 0) list.append(alias);
    list += '.';
    list.append(text::Trim(names[n]));
    list += (n + 1 == names.size()) ? " " : ", ";
  }
  return list;
}

bool ColunasDoAlias(QueryAccess& query, const AliasMap& map, std::string_view alias, std::string& columns) {
  const TBaseAlias* base = map.Find(alias);
  if (base == nullptr || base->NmBase.empty()) return false;
  columns = ListaColunas(query, base->NmBase, alias);
  return true;
}

namespace {

// The statement as rewritten so far, with the start of its last word kept up to date: the word
// ends a statement prefix at its last blank or comma, a CR LF pair counting as two blanks.
class WordTracker {
 public:
  void Append(std::string_view piece) {
    for (char c : piece) {
      out_ += c;
      const std::size_t i = out_.size() - 1;
      if (c == ' ' || c == ',') {
        wordStart_ = i + 1;
      } else if (c == '\n' && i > 0 && out_[i - 1] == '\r') {
        wordStart_ = i + 1;
      }
    }
  }
  // The word before the next character (a "." of ".*"): a CR right before it is not a pair.
  std::string_view LastWord() const { return std::string_view(out_).substr(wordStart_); }
  std::string& Text() { return out_; }

 private:
  std::string out_;
  std::size_t wordStart_ = 0;
};

}  // namespace

std::string ExpandeColunas(std::string_view input, QueryAccess& query) {
  if (!text::ContainsCI(input, "DISTINCT") && !text::ContainsCI(input, "GROUP BY")) return std::string(input);
  std::string r;
  if (input.find(".*") == text::npos) {
    r = std::string(input);
  } else {
    const AliasMap map = MapeiaAliases(input);
    // Each ".*" is visited once, left to right; a column list put in its place is not searched
    // again. A ".*" whose word holds ")" or whose alias has no table stays as written.
    WordTracker out;
    std::size_t copied = 0;
    std::size_t p = input.find(".*");
    while (p != text::npos) {
      out.Append(input.substr(copied, p - copied));
      // A word longer than every alias is none of them (and may be a long run without a blank).
      const std::string_view word = out.LastWord();
      const bool mayBeAlias = word.size() <= map.LongestAlias() && word.find(')') == std::string_view::npos;
      std::string columns;
      if (mayBeAlias && ColunasDoAlias(query, map, text::UpperAscii(word), columns)) {
        out.Append(columns);
      } else {
        out.Append(".*");
      }
      copied = p + 2;
      p = input.find(".*", copied);
    }
    out.Append(input.substr(copied));
    r = std::move(out.Text());
  }
  text::ReplaceAll(r, "@@@@@@@@", "DISTINCT");
  return r;
}

}  // namespace zr::sqlt
