// Firebird-dialect statement  ->  the same statement for the connection's dialect (Oracle or not)
#include "sqltranslate/pipeline.h"

#include "common/driver_names.h"
#include "converte_datas_steps.h"
#include "sqltranslate/passes.h"
#include "sqltranslate/replacement_table.h"
#include "sqltranslate/sql_lines.h"
#include "text_ops.h"
#include "udf_rewrites.h"

namespace zr::sqlt {

namespace {

// Each step writes its result to the SQL lines and the next reads it back; only the lines'
// round trip can make the two differ, so the steps share one text kept round-trip stable.
// Once stable, a text stays stable under every step that cuts, moves or inserts pieces free of
// line breaks without parting a CR from its LF: all steps but the first write-back and the
// column lists of ExpandeColunas, whose names come from the dictionary. Those two settle it.
void Settle(std::string& s) {
  if (!IsRoundTripStable(s)) s = RoundTrip(s);
}

template <std::size_t N>
void ApplyEach(std::string& s, const std::array<Replacement, N>& table) {
  for (const Replacement& r : table) text::ReplaceAllCI(s, r.from, r.to, r.unlessFollowedBy);
}

bool Contains(const std::optional<std::string>& driverName, std::string_view part) {
  return driverName && driverName->find(part) != std::string::npos;
}

bool IsOracle(const QueryAccess& query) {
  return Contains(query.DatabaseDriverName(), common::kDriverOracle) ||
         Contains(query.ConnectionDriverName(), common::kDriverOracle);
}

void OracleUdfSteps(std::string& s) {
  ApplyEach(s, kOracleUdfFirst);
  s = udf::MinutesBetween(s);
  s = udf::Nvl(s);
  for (const ToCharCall& call : kToCharCalls) {
    const std::size_t at = text::FindCI(s, call.name);
    if (at == text::npos) continue;
    s = ConverteToChar(s, call.name, at + 1, call.format);
  }
  ApplyEach(s, kOracleUdfLast);
}

void OracleSteps(std::string& s, std::string& completed, QueryAccess& query) {
  s = TrataVazioOracle(s);
  ApplyEach(s, kOracleFunctions);
  s = ConverteSubstring(s);
  if (text::ContainsCI(s, "UDF_")) OracleUdfSteps(s);
  if (text::ContainsCI(s, "SELECT")) {
    s = ConverteCast(s);
    completed = s;
    s = ExpandeColunas(s, query);
    Settle(s);
  }
  if (text::ContainsCI(s, "POSITION(") || text::ContainsCI(s, "POSITION (")) {
    ApplyEach(s, kOraclePosition);
    s = udf::PositionToInstr(std::move(s));
  }
}

}  // namespace

void ConverteSQL(QueryAccess& query, TranslationCache& cache) {
  const std::string source = query.SqlText();
  // A text equal to the last translation is that translation run again (a query executed twice
  // without new SQL): translating it once more would, for one, swap a day-first date back.
  if (text::EqualsCI(source, cache.FSQLOriginal) || text::EqualsCI(source, cache.FSQLAnterior)) {
    query.SetSqlText(cache.FSQLAnterior);
    query.LogStatement(query.SqlText());
    return;
  }
  cache.FSQLOriginal = source;
  std::string s = source;
  std::string completed;  // the text of the last completed step, for the lines on an error
  try {
    ApplyEach(s, kEveryServer);
    Settle(s);
    if (text::ContainsCI(s, "UDF_")) ApplyEach(s, kUdfBuiltins);
    completed = s;
    if (IsOracle(query)) {
      OracleSteps(s, completed, query);
      completed = s;
    }
    s = datas::ConverteDatasTexto(std::move(s), datas::DialectOf(query.DatabaseDriverName()));
  } catch (...) {
    // The cache no longer describes a finished translation: the next run starts afresh.
    cache = TranslationCache{};
    try {
      query.SetSqlText(completed);
    } catch (...) {  // the pass's error is the one to report
    }
    throw;
  }
  query.SetSqlText(s);
  cache.FSQLAnterior = s;
  query.LogStatement(s);
}

}  // namespace zr::sqlt
