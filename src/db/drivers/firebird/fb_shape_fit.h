#pragma once
// Whether the prepared request of a literal shape (fb_literal_shape.h) can stand in for a statement of that
// shape: its markers must take the statement's literals exactly as the text would (the same comparisons, the
// same stored values), and a SELECT must also read through the same result columns.

#include <string>
#include <vector>

#include "fb_api.h"
#include "fb_literal_shape.h"
#include "fb_predicate_literals.h"
#include "fb_prepared.h"

namespace zr::db::firebird {

// Ordered from best to worst, so that the fit of several statements is the worst of theirs. TooShort: the
// markers would carry other literals of the shape, not these (the request stays worth keeping); Never: no
// statement of the shape can run on this request.
enum class MarkerFit { Fits, TooShort, Never };

// A shape's request serves an INSERT, UPDATE or DELETE when it is plain DML without results and each marker
// is text long enough for its literal: then the value is compared, stored or matched exactly as the literal
// would have been. A marker of another type would convert the literal by other rules (a date, a number), and
// a shorter one would refuse it.
MarkerFit MarkersTakeLiterals(const PreparedRequest& shape, const std::vector<std::string>& values);

// The markers' part of that check, for statements of any kind: one text marker per value, long enough for
// it; a marker whose value is a pattern (`uses`, when given) must be variable-length, since blanks padding a
// fixed-length one would become part of the pattern.
MarkerFit TextMarkersTake(Firebird::IMessageMetadata* input, const std::vector<std::string>& values,
                          const std::vector<LiteralUse>* uses = nullptr);

// A shape's request serves a SELECT when it is a plain SELECT (not FOR UPDATE / WITH LOCK) whose markers
// take the literals as TextMarkersTake tells, a pattern's marker being variable-length.
MarkerFit SelectMarkersTakeLiterals(const PreparedRequest& shape, const LiteralShape& literals);

// True when both describe the same result columns: in number, and each with the same type, nullability,
// sub-type, scale, length, character set, field, relation, owner and alias.
bool SameColumns(Firebird::IMessageMetadata* a, Firebird::IMessageMetadata* b);

}  // namespace zr::db::firebird
