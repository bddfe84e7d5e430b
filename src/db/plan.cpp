#include "db/plan.h"

#include <algorithm>
#include <cctype>

#include "common/ascii.h"

namespace zr::db::plan {

namespace {

enum class TokenKind { Word, Literal, Punctuation };

struct Token {
  TokenKind Kind;
  std::string Text;
};

bool IsWordChar(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  return std::isalnum(c) != 0 || ch == '_' || ch == '$' || ch == '#' || ch == '.' || c >= 0x80;
}

// Words that continue a PostgreSQL type name after its first word ("character varying", "double precision").
bool ContinuesTypeName(const std::string& word) {
  return word == "VARYING" || word == "PRECISION" || word == "WITHOUT" || word == "WITH" || word == "TIME" ||
         word == "ZONE";
}

std::vector<Token> Tokens(std::string_view text) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < text.size()) {
    const char ch = text[i];
    if (std::isspace(static_cast<unsigned char>(ch)) != 0) {
      ++i;
    } else if (ch == '\'') {
      size_t end = i + 1;
      while (end < text.size()) {
        if (text[end] == '\'' && (end + 1 >= text.size() || text[end + 1] != '\'')) break;
        end += text[end] == '\'' ? 2 : 1;
      }
      tokens.push_back({TokenKind::Literal, std::string(text.substr(i, end + 1 - i))});
      i = end + 1;
    } else if (ch == '"') {
      const size_t end = text.find('"', i + 1);
      const size_t stop = end == std::string_view::npos ? text.size() : end;
      tokens.push_back({TokenKind::Word, std::string(text.substr(i + 1, stop - i - 1))});
      i = stop + 1;
    } else if (IsWordChar(ch)) {
      size_t end = i;
      while (end < text.size() && IsWordChar(text[end])) ++end;
      tokens.push_back({TokenKind::Word, common::UpperAscii(text.substr(i, end - i))});
      i = end;
    } else if (ch == ':' && i + 1 < text.size() && text[i + 1] == ':') {
      tokens.push_back({TokenKind::Punctuation, "::"});
      i += 2;
    } else {
      tokens.push_back({TokenKind::Punctuation, std::string(1, ch)});
      ++i;
    }
  }
  return tokens;
}

// Drops every "::type" cast, with a type name of several words and a size in parentheses.
std::vector<Token> WithoutCasts(const std::vector<Token>& tokens) {
  std::vector<Token> out;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].Text != "::") {
      out.push_back(tokens[i]);
      continue;
    }
    size_t next = i + 2;  // past "::" and the type's first word
    while (next < tokens.size() && tokens[next].Kind == TokenKind::Word &&
           ContinuesTypeName(tokens[next].Text))
      ++next;
    if (next < tokens.size() && tokens[next].Text == "(") {
      while (next < tokens.size() && tokens[next].Text != ")") ++next;
      ++next;
    }
    i = next - 1;
  }
  return out;
}

bool IsOperand(const Token& token) { return token.Kind != TokenKind::Punctuation; }

// Parentheses around one lone name or value ("(num_docto)") say nothing; nor do those around the whole.
void DropNeedlessParentheses(std::vector<Token>& tokens) {
  for (size_t i = 0; i + 2 < tokens.size();) {
    const bool call = i > 0 && tokens[i - 1].Kind == TokenKind::Word;
    if (tokens[i].Text == "(" && IsOperand(tokens[i + 1]) && tokens[i + 2].Text == ")" && !call) {
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i + 2));
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i));
      i = i > 0 ? i - 1 : 0;
    } else {
      ++i;
    }
  }
  while (tokens.size() >= 2 && tokens.front().Text == "(" && tokens.back().Text == ")") {
    // Only when the first parenthesis closes at the very end.
    int depth = 0;
    size_t closes = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
      if (tokens[i].Text == "(") ++depth;
      if (tokens[i].Text == ")" && --depth == 0) {
        closes = i;
        break;
      }
    }
    if (closes != tokens.size() - 1) break;
    tokens.erase(tokens.end() - 1);
    tokens.erase(tokens.begin());
  }
}

}  // namespace

std::vector<std::string> StatementPlan::IndexesOf(std::string_view name) const {
  std::vector<std::string> indexes;
  const std::string wanted = common::UpperAscii(name);
  for (const TableAccess& access : Accesses) {
    if (access.Name != wanted) continue;
    indexes.insert(indexes.end(), access.Indexes.begin(), access.Indexes.end());
  }
  return indexes;
}

void StatementPlan::Reads(const std::string& name, const std::string& index) {
  const std::string upper = common::UpperAscii(name);
  auto found = std::find_if(Accesses.rbegin(), Accesses.rend(),
                            [&](const TableAccess& access) { return access.Name == upper; });
  if (found == Accesses.rend()) {
    Accesses.push_back({upper, {}});
    found = Accesses.rbegin();
  }
  if (!index.empty()) found->Indexes.push_back(common::UpperAscii(index));
}

std::vector<IndexInfo> GroupIndexKeys(const std::vector<IndexKeyRow>& rows) {
  std::vector<IndexInfo> indexes;
  for (const IndexKeyRow& row : rows) {
    const std::string name = common::UpperAscii(row.Index);
    if (indexes.empty() || indexes.back().Name != name) indexes.push_back({name, {}, row.Active});
    if (!row.Item.empty()) indexes.back().Key.push_back(row.Item);
  }
  return indexes;
}

std::string KeyText(std::string_view item) {
  std::vector<Token> tokens = WithoutCasts(Tokens(item));
  DropNeedlessParentheses(tokens);
  std::string out;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (i > 0 && IsOperand(tokens[i - 1]) && IsOperand(tokens[i])) out += ' ';
    out += tokens[i].Text;
  }
  return out;
}

}  // namespace zr::db::plan
