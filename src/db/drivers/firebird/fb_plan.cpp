#include "fb_plan.h"

#include "common/ascii.h"
#include "db/catalog.h"
#include "db/driver.h"
#include "db/options.h"

namespace zr::db::firebird {

namespace {

std::string Fold(std::string_view name) { return common::UpperAscii(name); }

}  // namespace

plan::StatementPlan FirebirdPlan(std::string_view text) {
  plan::StatementPlan result;
  result.Known = true;
  result.Text = std::string(common::TrimBlanks(text));
  // The plan's words, each parenthesis and comma a word of its own.
  const std::vector<std::string> tokens = common::Words(text, "(),");
  // Reads "(NAME, NAME...)" from `at` (the opening parenthesis); returns the position after it.
  const auto indexList = [&](size_t at, const std::string& table) {
    if (at >= tokens.size() || tokens[at] != "(") return at;
    for (++at; at < tokens.size() && tokens[at] != ")"; ++at) {
      if (tokens[at] != ",") result.Reads(table, tokens[at]);
    }
    return at + 1;
  };
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    const std::string& table = tokens[i];
    const std::string next = common::UpperAscii(tokens[i + 1]);
    if (table == "(" || table == ")" || table == ",") continue;
    if (next == "NATURAL") {
      result.Reads(table);
    } else if (next == "INDEX") {
      result.Reads(table);
      i = indexList(i + 2, table) - 1;
    } else if (next == "ORDER" && i + 2 < tokens.size()) {
      result.Reads(table, tokens[i + 2]);
      size_t after = i + 3;
      if (after < tokens.size() && common::UpperAscii(tokens[after]) == "INDEX")
        after = indexList(after + 1, table);
      i = after - 1;
    }
  }
  return result;
}

plan::StatementPlan ExplainOn(Session& session, const std::string& sql) {
  const MessagesIn messages(session.Text());
  Ref<Firebird::ITransaction> own;
  Firebird::ITransaction* tra = session.Transaction();
  if (tra == nullptr) {
    own.reset(session.StartOwnTransaction());
    tra = own.get();
  }
  PreparedRequest request = session.Prepare(tra, sql, kNoTimeout, true);
  std::string text;
  try {
    session.Watched(kNoTimeout, [&](Firebird::ThrowStatusWrapper* status) {
      const char* plan = request.Statement->getPlan(status, false);
      if (plan != nullptr) text = plan;
    });
  } catch (...) {
    FreeStatement(request.Statement);
    session.Release(own,
                    [](Firebird::ITransaction* t, Firebird::ThrowStatusWrapper* st) { t->rollback(st); });
    throw;
  }
  FreeStatement(request.Statement);
  session.Release(own, [](Firebird::ITransaction* t, Firebird::ThrowStatusWrapper* st) { t->rollback(st); });
  return FirebirdPlan(text);
}

std::vector<plan::IndexInfo> IndexesOf(driver::Connection& connection, const std::string& table) {
  const auto rows = catalog::QueryRows(
      connection,
      "SELECT TRIM(I.RDB$INDEX_NAME), COALESCE(I.RDB$INDEX_INACTIVE, 0), I.RDB$EXPRESSION_SOURCE, "
      "TRIM(S.RDB$FIELD_NAME) FROM RDB$INDICES I LEFT JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = "
      "I.RDB$INDEX_NAME WHERE I.RDB$RELATION_NAME = " +
          common::QuotedStr(catalog::Spelling(table, Fold)) + " ORDER BY 1, S.RDB$FIELD_POSITION");
  std::vector<plan::IndexKeyRow> keys;
  for (const auto& row : rows) {
    plan::IndexKeyRow key;
    key.Index = ValueAsString(row.at(0));
    key.Active = ValueAsString(row.at(1)) == "0";
    key.Item = IsNullValue(row.at(2)) ? ValueAsString(row.at(3)) : ValueAsString(row.at(2));
    keys.push_back(std::move(key));
  }
  return plan::GroupIndexKeys(keys);
}

}  // namespace zr::db::firebird
