#pragma once
// A SELECT run as the request of its literal shape (fb_literal_shape.h) must read exactly what its own text
// would: the same rows, through the same result columns. The rows follow from the markers taking the
// literals exactly; the columns are checked against those of a statement of the shape that ran as written.

#include <string>
#include <vector>

#include "fb_api.h"
#include "fb_literal_shape.h"
#include "fb_shape_cache.h"

namespace zr::db::firebird {

// A shape's request serves a SELECT when it is a plain SELECT (not FOR UPDATE / WITH LOCK) whose markers
// take the literals as MarkersTakeLiterals tells for DML, a pattern's marker being variable-length.
MarkerFit SelectMarkersTakeLiterals(const PreparedRequest& shape, const LiteralShape& literals);

// True when both describe the same result columns: in number, and each with the same type, nullability,
// sub-type, scale, length, character set, field, relation, owner and alias.
bool SameColumns(Firebird::IMessageMetadata* a, Firebird::IMessageMetadata* b);

}  // namespace zr::db::firebird
