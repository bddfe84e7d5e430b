#include "random_statements.h"

#include <array>
#include <string_view>
#include <vector>

#include "converte_datas_steps.h"
#include "sqltranslate/passes.h"
#include "sqltranslate/pipeline.h"
#include "sqltranslate/sql_lines.h"
#include "sqltranslate/text_query.h"
#include "text_ops.h"
#include "udf_rewrites.h"

namespace zr::sqlt::testing {

namespace {

constexpr std::array<std::string_view, 84> kFragments = {
    "SELECT ",
    "DISTINCT ",
    "GROUP BY ",
    " FROM ",
    " JOIN ",
    "TABELA ",
    "t",
    "T ",
    ".*",
    "A",
    "x",
    "1",
    "2",
    " ",
    "  ",
    ",",
    "(",
    ")",
    "'",
    "''",
    "= ''",
    "=''",
    "<> ''",
    "<>''",
    ">",
    "<",
    "=",
    "WHERE ",
    "UPDATE ",
    " SET ",
    "DELETE ",
    "SUBSTRING(",
    "substring",
    " FOR ",
    " for ",
    "POSITION(",
    "position(",
    "POSITION (",
    " IN ",
    " AS ",
    "AS",
    "as(",
    " NUMERIC",
    " DATE",
    "'01/02/2024'",
    "'02/01/2024'",
    "01/02/2024",
    "'12/31/1999 23:59:59'",
    "'1 /2 /  24'",
    "/",
    ":",
    "@/@",
    "UDF_DAYSPAN(",
    "udf_daysbetween(",
    "UDF_WEEKDAY(",
    "DIFERENCAENTREDATAS(",
    "ZR_BLOB(",
    "dbms_lob.substr(",
    "UDF_HOUR(",
    "UDF_MINUTE(",
    "UDF_DAYNAME(",
    "UDF_NVL(",
    "UDF_MINUTESBETWEEN(",
    "udf_len",
    "COALESCE",
    "current_time",
    "stamp",
    "DESCENDING",
    "@@@@@@@@",
    "\r\n",
    "\r",
    "\n",
    "\t",
    "\xC3\xA9",
    // pieces that meet across a rewrite: dates run together, a marker cut in two
    "'01/05/2024'",
    "'11/11/2005'",
    "11/11/20",
    "/05/2024",
    "20",
    "ZR_B",
    "LOB(",
    "ZR_BLOB(ZR_B)",
    // a value that begins with a quote
    "'''X'",
    "= '''",
};

// A dictionary answering every table with two columns, one of them a CLOB.
void AttachDictionary(TextQuery& query) {
  query.SetDictionary([](const std::vector<std::string>&, const std::string& table) {
    return std::vector<std::string>{"ID_" + table.substr(0, 3), " NOME "};
  });
}

// --- each rewrite done one occurrence at a time, apart from the library's formulation ---------

std::string SubstringOneByOne(std::string r) {
  std::size_t passedOver = 0;  // calls that cannot be cut stay; the search skips them
  while (true) {
    std::size_t p = text::npos;
    for (std::size_t k = 0, from = 0; k <= passedOver; ++k) {
      p = text::FindCI(r, "SUBSTRING", from);
      if (p == text::npos) break;
      from = p + 1;
    }
    if (p == text::npos) return r;
    const std::string rest1 = r.substr(p + 9);
    const std::size_t f = text::FindCI(rest1, " FROM ");
    const std::string rest2 = f == text::npos ? "" : rest1.substr(f + 6);
    const std::size_t g = text::FindCI(rest2, " FOR ");
    if (f == text::npos || g == text::npos) {
      ++passedOver;
      continue;
    }
    const std::string rest3 = rest2.substr(g + 5);
    std::size_t e = 0;
    for (long depth = 1; e < rest3.size(); ++e) {
      if (rest3[e] == '(') ++depth;
      if (rest3[e] == ')' && --depth == 0) break;
    }
    if (e == rest3.size()) {
      ++passedOver;
      continue;
    }
    const std::size_t d = p + 9 + f + 6 + g + 5 + e;  // index of the closing parenthesis
    r = r.substr(0, p) + "SUBSTR" + rest1.substr(0, f) + "," + rest2.substr(0, g) + "," +
        rest3.substr(0, e + 1) + r.substr(d + 1);
  }
}

// The first occurrence of `pattern` whose second quote is not directly followed by a third
// (that one opens a value beginning with a quote and is passed over).
std::size_t FindComparison(const std::string& s, std::string_view pattern) {
  for (std::size_t c = s.find(pattern); c != text::npos; c = s.find(pattern, c + 1)) {
    if (c + pattern.size() >= s.size() || s[c + pattern.size()] != '\'') return c;
  }
  return text::npos;
}

std::string TrataVazioOneByOne(std::string s) {
  for (std::string_view pattern : {std::string_view("<> ''"), std::string_view("<>''")}) {
    for (std::size_t c = FindComparison(s, pattern); c != text::npos; c = FindComparison(s, pattern)) {
      s.replace(c, pattern.size(), " IS NOT NULL ");
    }
  }
  if (s.find("''") == text::npos) return s;
  const bool changesData = (text::ContainsCI(s, "UPDATE") && text::ContainsCI(s, "SET")) ||
                           (text::ContainsCI(s, "DELETE") && text::ContainsCI(s, "FROM"));
  std::string head;
  std::string work = s;
  const std::size_t where = text::FindCI(s, "WHERE");
  if (changesData && where != text::npos) {
    head = s.substr(0, where);
    work = s.substr(where);
  }
  while (true) {
    std::size_t c = FindComparison(work, "= ''");
    std::size_t length = 4;
    if (c == text::npos) {
      c = FindComparison(work, "=''");
      length = 3;
    }
    if (c == text::npos) break;
    if (c > 0 && (work[c - 1] == '<' || work[c - 1] == '>')) {
      work.replace(c - 1, length + 1, " IS NOT NULL ");
    } else {
      work.replace(c, length, " IS NULL ");
    }
  }
  return head + work;
}

std::string CastOneByOne(const std::string& input) {
  std::string r = input;
  std::size_t shift = 0;
  for (std::size_t p0 = text::FindCI(input, "AS"); p0 != text::npos; p0 = text::FindCI(input, "AS", p0 + 2)) {
    const std::size_t p = p0 - shift;
    if (p == 0 || p + 2 == r.size()) break;
    std::size_t k = p;
    while (k > 0 && (r[k - 1] == ' ' || r[k - 1] == '\r' || r[k - 1] == '\n')) --k;
    if (k == 0 || r[k - 1] != ')') continue;
    const char next = r[p + 2];
    if (next != ' ' && next != '\r' && next != '\n' && next != '(') continue;
    std::string after = r.substr(p + 2);
    text::ReplaceAll(after, "\r\n", " ");
    const std::string head = text::UpperAscii(text::Trim(after)).substr(0, 7);
    if (head == "DECIMAL" || head == "INTEGER" || head == "VARCHAR" || head == "NUMERIC" ||
        head.substr(0, 4) == "DATE" || head.substr(0, 4) == "TIME") {
      continue;
    }
    r.erase(p, 2);
    shift += 2;
  }
  return r;
}

std::string Compare(const char* what, const std::string& got, const std::string& oneByOne) {
  return got == oneByOne ? std::string()
                         : std::string(what) + ": got [" + got + "] one by one [" + oneByOne + "]";
}

}  // namespace

std::string RandomStatement(std::mt19937& rng, std::size_t fragments) {
  std::uniform_int_distribution<std::size_t> pick(0, kFragments.size() - 1);
  std::string s;
  for (std::size_t i = 0; i < fragments; ++i) s += kFragments[pick(rng)];
  return s;
}

const char* MalformedName(Malformed shape) {
  switch (shape) {
    case Malformed::UnclosedSubstring:
      return "UnclosedSubstring";
    case Malformed::NestedSubstring:
      return "NestedSubstring";
    case Malformed::PositionIn:
      return "PositionIn";
    case Malformed::NestedBlob:
      return "NestedBlob";
    case Malformed::UnclosedBlob:
      return "UnclosedBlob";
    case Malformed::RandomMix:
      return "RandomMix";
  }
  return "";
}

std::string MalformedStatement(Malformed shape, std::size_t bytes, unsigned seed) {
  std::string s;
  s.reserve(bytes + 64);
  if (shape == Malformed::NestedSubstring) {
    constexpr std::string_view kOpen = "SUBSTRING(X FROM 1 FOR ";
    const std::size_t depth = bytes / (kOpen.size() + 1) + 1;
    for (std::size_t i = 0; i < depth; ++i) s += kOpen;
    s += '2';
    s.append(depth, ')');
    return s;
  }
  std::mt19937 rng(seed);
  for (std::size_t i = 0; s.size() < bytes; ++i) {
    switch (shape) {
      case Malformed::UnclosedSubstring:
        s += "SUBSTRING(X FROM 1 FOR 2 ";
        break;
      case Malformed::NestedSubstring:
        break;  // built above
      case Malformed::PositionIn:
        s += "POSITION('a' IN X) ";
        break;
      case Malformed::NestedBlob:
        s += "dbms_lob.substr(dbms_lob.substr(X";
        s += std::to_string(i % 1000);
        s += ") ";
        break;
      case Malformed::UnclosedBlob:
        s += "dbms_lob.substr(";
        break;
      case Malformed::RandomMix:
        s += RandomStatement(rng, 64);
        break;
    }
  }
  return s;
}

std::string CheckStatement(const std::string& text) {
  std::string failure;
  const auto check = [&failure](std::string result) {
    if (failure.empty()) failure = std::move(result);
  };
  check(Compare("ConverteSubstring", ConverteSubstring(text), SubstringOneByOne(text)));
  check(Compare("TrataVazioOracle", TrataVazioOracle(text), TrataVazioOneByOne(text)));
  check(Compare("ConverteCast", ConverteCast(text), CastOneByOne(text)));
  const std::string positionOneByOne = udf::PositionToInstrOneByOne(text);
  check(Compare("POSITION", udf::PositionToInstr(text), positionOneByOne));
  check(Compare("POSITION by pieces", udf::PositionToInstrByPieces(text), positionOneByOne));
  const std::string stable = RoundTrip(text);
  for (datas::Dialect d : {datas::Dialect::Oracle, datas::Dialect::PostgreSql}) {
    const std::string oneByOne = datas::DateLiteralsOneByOne(stable, d);
    check(Compare("date literals", datas::DateLiterals(stable, d), oneByOne));
    check(Compare("date literals by pieces", datas::DateLiteralsByPieces(stable, d), oneByOne));
  }
  check(Compare("date literals, unsettled text", datas::DateLiterals(text, datas::Dialect::Oracle),
                datas::DateLiteralsOneByOne(text, datas::Dialect::Oracle)));
  for (const datas::CallRewrite* r :
       {&datas::kDateDifference, &datas::kWeekday, &datas::kBlobOracle, &datas::kBlobOther}) {
    const std::string oneByOne = datas::RewriteCallsOneByOne(stable, *r);
    check(Compare(r->marker.data(), datas::RewriteCalls(stable, *r), oneByOne));
    check(Compare(r->marker.data(), datas::RewriteCallsByPieces(stable, *r), oneByOne));
  }
  // Passes without a second formulation: they must end and keep their contract's shape.
  (void)ConverteToChar(text, "UDF_HOUR", 1 + text.size() / 2, "HH24");
  (void)PosFechaParentese(text);
  (void)udf::MinutesBetween(text);
  (void)udf::Nvl(text);
  for (const char* driver : {"Ora", "FB", "PG"}) {
    TextQuery query{std::string(driver)};
    AttachDictionary(query);
    (void)ExpandeColunas(text, query);
    query.SetSqlText(text);
    TranslationCache cache;
    ConverteSQL(query, cache);
    const std::string once = query.SqlText();
    if (!IsRoundTripStable(once)) check(std::string("pipeline output not settled for ") + driver);
    ConverteSQL(query, cache);
    if (query.SqlText() != once) check(std::string("a second run changed the translation for ") + driver);
  }
  return failure;
}

}  // namespace zr::sqlt::testing
