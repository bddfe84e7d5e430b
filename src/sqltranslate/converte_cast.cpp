// MAX(X) AS Y  ->  MAX(X)  Y   (CAST((X) AS NUMERIC(15,2)) keeps its AS)
#include "sqltranslate/passes.h"
#include "text_ops.h"

namespace zr::sqlt {

namespace {

bool IsBlankOrBreak(char c) { return c == ' ' || c == '\r' || c == '\n'; }

// The text after the two letters, trimmed, starts with a type word: then AS belongs to a CAST.
bool StartsWithTypeWord(std::string_view after) {
  const std::string_view t = text::TrimLeft(after);
  const std::string head = text::UpperAscii(t.substr(0, 7));
  if (head == "DECIMAL" || head == "INTEGER" || head == "VARCHAR" || head == "NUMERIC") return true;
  const std::string_view four = std::string_view(head).substr(0, 4);
  return four == "DATE" || four == "TIME";
}

}  // namespace

// Occurrences are those of the input, visited once each from left to right; the text before
// an occurrence is read as already rewritten (out), the text after it as given.
std::string ConverteCast(std::string_view input) {
  std::string out;
  out.reserve(input.size());
  std::size_t copied = 0;
  std::size_t lastSolid = text::npos;  // last character of out that is not a blank or a break
  std::size_t p = text::FindCI(input, "AS");
  while (p != text::npos) {
    if (p == 0 || p + 2 == input.size()) break;
    const std::string_view chunk = input.substr(copied, p - copied);
    for (std::size_t k = chunk.size(); k > 0; --k) {
      if (!IsBlankOrBreak(chunk[k - 1])) {
        lastSolid = out.size() + k - 1;
        break;
      }
    }
    out.append(chunk);
    copied = p;
    const bool afterParen = lastSolid != text::npos && out[lastSolid] == ')';
    const char next = input[p + 2];
    const bool separated = IsBlankOrBreak(next) || next == '(';
    if (afterParen && separated && !StartsWithTypeWord(input.substr(p + 2))) {
      copied = p + 2;  // the two letters go
    }
    p = text::FindCI(input, "AS", p + 2);
  }
  out.append(input.substr(copied));
  return out;
}

}  // namespace zr::sqlt
