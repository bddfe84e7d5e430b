// A = ''  ->  A IS NULL ;  A <> ''  ->  A IS NOT NULL  (UPDATE/DELETE: only from WHERE on)
#include "sqltranslate/passes.h"
#include "text_ops.h"

namespace zr::sqlt {

namespace {

constexpr std::string_view kIsNull = " IS NULL ";
constexpr std::string_view kIsNotNull = " IS NOT NULL ";

// Rewrites every `pattern` ("= ''" or "=''") from left to right. The character before the
// equals sign is read from the text as rewritten so far; "<" or ">" goes with the pattern.
// No rewrite inserts an equals sign or a quote, so one left-to-right pass finds what a search
// restarted from the beginning after each rewrite would find.
std::string RewriteComparisons(std::string_view work, std::string_view pattern) {
  std::size_t c = work.find(pattern);
  if (c == text::npos) return std::string(work);
  std::string out;
  out.reserve(work.size() + 16);
  std::size_t copied = 0;
  while (c != text::npos) {
    out.append(work.substr(copied, c - copied));
    if (!out.empty() && (out.back() == '<' || out.back() == '>')) {
      out.pop_back();
      out += kIsNotNull;
    } else {
      out += kIsNull;
    }
    copied = c + pattern.size();
    c = work.find(pattern, copied);
  }
  out.append(work.substr(copied));
  return out;
}

}  // namespace

std::string TrataVazioOracle(std::string_view input) {
  std::string s(input);
  text::ReplaceAll(s, "<> ''", kIsNotNull);
  text::ReplaceAll(s, "<>''", kIsNotNull);
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
