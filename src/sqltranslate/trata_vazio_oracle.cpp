// A = ''  ->  A IS NULL ;  A <> ''  ->  A IS NOT NULL  (UPDATE/DELETE: only from WHERE on);
// A = '''X  (a value that begins with a quote) stays
#include "sqltranslate/passes.h"
#include "text_ops.h"

namespace zr::sqlt {

namespace {

constexpr std::string_view kIsNull = " IS NULL ";
constexpr std::string_view kIsNotNull = " IS NOT NULL ";

// A pattern whose second quote is directly followed by a third compares with no empty string:
// it opens a literal whose value begins with a quote (INSUMO = '''BOTAO'), and stays as written.
bool OpensQuotedValue(std::string_view s, std::size_t at, std::string_view pattern) {
  const std::size_t after = at + pattern.size();
  return after < s.size() && s[after] == '\'';
}

// Every `pattern` ("<> ''" or "<>''") that is a comparison becomes " IS NOT NULL ".
void RewriteNotEmpty(std::string& s, std::string_view pattern) {
  std::size_t c = s.find(pattern);
  if (c == text::npos) return;
  std::string out;
  out.reserve(s.size() + 16);
  std::size_t copied = 0;
  for (; c != text::npos; c = s.find(pattern, c + pattern.size())) {
    if (OpensQuotedValue(s, c, pattern)) continue;
    out.append(s, copied, c - copied);
    out += kIsNotNull;
    copied = c + pattern.size();
  }
  out.append(s, copied, std::string::npos);
  s = std::move(out);
}

// Rewrites every `pattern` ("= ''" or "=''") that is a comparison, from left to right. The
// character before the equals sign is read from the text as rewritten so far; "<" or ">" goes
// with the pattern. No rewrite inserts an equals sign or a quote, nor changes the character
// that follows a pattern left as written, so one left-to-right pass finds what a search
// restarted from the beginning after each rewrite would find.
std::string RewriteComparisons(std::string_view work, std::string_view pattern) {
  std::size_t c = work.find(pattern);
  if (c == text::npos) return std::string(work);
  std::string out;
  out.reserve(work.size() + 16);
  std::size_t copied = 0;
  for (; c != text::npos; c = work.find(pattern, c + pattern.size())) {
    if (OpensQuotedValue(work, c, pattern)) continue;
    out.append(work.substr(copied, c - copied));
    if (!out.empty() && (out.back() == '<' || out.back() == '>')) {
      out.pop_back();
      out += kIsNotNull;
    } else {
      out += kIsNull;
    }
    copied = c + pattern.size();
  }
  out.append(work.substr(copied));
  return out;
}

}  // namespace

std::string TrataVazioOracle(std::string_view input) {
  std::string s(input);
  RewriteNotEmpty(s, "<> ''");
  RewriteNotEmpty(s, "<>''");
  if (s.find("''") == text::npos) return s;

  const bool changesData = (text::ContainsCI(s, "UPDATE") && text::ContainsCI(s, "SET")) ||
                           (text::ContainsCI(s, "DELETE") && text::ContainsCI(s, "FROM"));
  std::size_t split = 0;
  if (changesData) {
    const std::size_t where = text::FindCI(s, "WHERE");
    if (where != text::npos) split = where;
  }
  const std::string_view head = std::string_view(s).substr(0, split);
  std::string work = RewriteComparisons(std::string_view(s).substr(split), "= ''");
  work = RewriteComparisons(work, "=''");
  std::string out;
  out.reserve(head.size() + work.size());
  out.append(head);
  out += work;
  return out;
}

}  // namespace zr::sqlt
