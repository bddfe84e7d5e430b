#pragma once
// How Firebird will run a statement: the plan of the prepared request (IStatement::getPlan), read into the
// tables it reaches and the indexes it reads them through; and a table's indexes from RDB$INDICES and
// RDB$INDEX_SEGMENTS.

#include <string>
#include <string_view>
#include <vector>

#include "db/plan.h"
#include "fb_session.h"

namespace zr::db::driver {
class Connection;
}

namespace zr::db::firebird {

// A plan as Firebird writes it, one "PLAN ..." per query context:
//   PLAN (MAT_MOV INDEX (IX_MAT_MOV01_DOC6, IX_MAT_MOV01_CC))
//   PLAN SORT (JOIN (PCPFT2 INDEX (PK_PCPFT201), PCPFT3 INDEX (IX_PCPFT301_CII), MAT_ITEN NATURAL))
//   PLAN (OF1 ORDER PK_OF101 INDEX (IX_OF101_DTINI))
// Each table's name is the last word before NATURAL, INDEX or ORDER (its alias when the statement gave one).
plan::StatementPlan FirebirdPlan(std::string_view text);

// Prepares `sql` in the session's open transaction (or a transaction of its own, rolled back after) and
// reads its plan; the request is freed. The server's refusal comes out as EDatabaseError.
plan::StatementPlan ExplainOn(Session& session, const std::string& sql);

// The indexes of `table` (as a statement names it) from the catalog, inactive ones marked, each expression
// index with its RDB$EXPRESSION_SOURCE as its one key item.
std::vector<plan::IndexInfo> IndexesOf(driver::Connection& connection, const std::string& table);

}  // namespace zr::db::firebird
