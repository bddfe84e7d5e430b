#pragma once
// The steps of ConverteDatas as functions of the statement text. Each step that rewrites every
// occurrence of a piece it found has two forms: the one the pass uses, which makes one pass over
// the text when it can show that this gives the same text, and the one-by-one form (a replacement
// over the whole statement per piece found, in the order the pieces are found), which the first
// falls back to otherwise.

#include <optional>
#include <string>
#include <string_view>

namespace zr::sqlt::datas {

enum class Dialect { Firebird, Oracle, PostgreSql, Other };

// "FB", "Ora" and "PG" compared exactly; no driver name counts as another driver.
Dialect DialectOf(const std::optional<std::string>& driverName);

// The whole pass; the result is the text as the query's SQL lines give it back.
std::string ConverteDatasTexto(std::string text, Dialect dialect);

// Month-first date literals, rewritten for Oracle or PostgreSQL.
std::string DateLiterals(std::string text, Dialect dialect);
std::string DateLiteralsOneByOne(std::string text, Dialect dialect);
// The one-by-one form on the runs of text between quotes, each read again only when it holds
// a text equal to the content being replaced.
std::string DateLiteralsByPieces(std::string text, Dialect dialect);

// The calls of a marker function (the date difference, the weekday, the BLOB marker), each cut
// from the marker up to its first ")".
struct CallRewrite {
  std::string_view marker;  // searched for in exact case
  bool commaToMinus;        // "," becomes "-" in the argument text
  bool wrapLiterals;        // quoted literals of the argument become CAST('...' AS DATE)
  std::string_view prefix;  // new text: prefix + argument text + suffix
  std::string_view suffix;
};
inline constexpr CallRewrite kDateDifference{"DIFERENCAENTREDATAS", true, true, "CAST(", " AS INTEGER)"};
inline constexpr CallRewrite kWeekday{"UDF_WEEKDAY", false, true, "CAST(TO_CHAR(", ", 'D') AS INTEGER)-1"};
inline constexpr CallRewrite kBlobOracle{"ZR_BLOB", false, false, "dbms_lob.substr(", ") "};
inline constexpr CallRewrite kBlobOther{"ZR_BLOB", false, false, "", ""};

std::string RewriteCalls(std::string text, const CallRewrite& rewrite);
std::string RewriteCallsOneByOne(std::string text, const CallRewrite& rewrite);
// The one-by-one form on the statement cut into pieces at its ")" characters, with the pieces'
// tails indexed by hash: time that grows with the text, where the plain form reads the whole
// statement once per call.
std::string RewriteCallsByPieces(std::string text, const CallRewrite& rewrite);

// The new text of one call: its argument text (the call without the marker and parentheses)
// between the rewrite's prefix and suffix.
std::string NewCallText(std::string_view call, const CallRewrite& rewrite);

}  // namespace zr::sqlt::datas
