#pragma once
// A prepared request as the driver keeps it: the server's handle with what it describes of the request (its
// kind and its input and output messages), and an EXECUTE BLOCK prepared once to run many times.

#include "fb_api.h"
#include "fb_input.h"

namespace zr::db::firebird {

// The request keeps its input message, whose layout is built once for the types its values travel in: a
// literal shape's request is run by one statement after another, each with its own values of the same types.
struct PreparedRequest {
  Ref<Firebird::IStatement> Statement;
  Ref<Firebird::IMessageMetadata> Input;
  Ref<Firebird::IMessageMetadata> Output;
  unsigned Type = 0;  // isc_info_sql_stmt_*
  InputMessage Message;
};

// An EXECUTE BLOCK prepared once to run many times.
using PreparedBlock = PreparedRequest;

// Frees a prepared request's server handle; a failure (a broken link) only drops the reference.
inline void FreeStatement(Ref<Firebird::IStatement>& statement) noexcept {
  Dispose(statement, [](Firebird::IStatement* s, Firebird::ThrowStatusWrapper* status) { s->free(status); });
}

}  // namespace zr::db::firebird
