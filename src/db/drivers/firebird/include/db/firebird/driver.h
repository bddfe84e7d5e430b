#pragma once
// The Firebird driver "FB" (src/db/drivers/firebird), over the Firebird 3 client's object interface.
//
// Entries it reads from the connection's parameter list:
//   Database         a file path or alias; required
//   Server, Port     the server; without Server the embedded engine opens the file inside this process
//   User_name, Password
//   ConnectTimeout   seconds a server may take to answer the attachment (default 30)
//   CancelGrace      milliseconds a cancelled call may take to end before the attachment is closed (10000)
//   ProbeAfter       milliseconds a call without a time-out waits before the server is probed (30000)
//   CharsetLegado    the code page a database whose default character set is NONE holds its text in
//                    (default WIN1252)
//   Batches          1 or 0: write-behind batches (default 1 with a server, 0 embedded)
//   ShapedBatches    1 or 0: a batch of one literal shape runs as its shaped block (default 1)
//   LiteralBatches   1 or 0: any other batch runs as one literal block (default 1; 0 leaves such a batch to
//                    the framework, which runs its statements one by one)
//   LiteralShapes    1 or 0: INSERT, UPDATE and DELETE run as their literal shapes (default 1)
//   SelectShapes     1 or 0: SELECTs run as their literal shapes (default 1)
// and, when a database is created, PageSize, ForcedWrites (True or False) and DefaultCharSet (default UTF8).
// The switches are for tests and benches that measure what each mechanism buys.
//
// Text: a database whose default character set is a real one is attached in UTF8 and the server converts
// its text; a legacy database (NONE) is attached in the code page CharsetLegado names, and the driver
// converts at its boundary (fb_text.h, fb_code_pages.h). Every call that can wait on the server runs under the
// attachment's watchdog (fb_watchdog.h): a call with a time-out is cancelled when it runs out, and a server
// that stops answering loses its attachment instead of hanging the program.
//
// The paths a statement can take, in the order it meets them:
//   1. Write-behind. The framework (src/db/write_queue.cpp) holds back plain INSERT, UPDATE and DELETE run in
//      an open transaction and sends them together through batches (fb_batch.cpp), when the connection has
//      batches: a full batch waits with the next ones until something reads, and a cursor over a written table
//      then reads a thousand rows ahead (src/db/query.cpp), so the client works on them while the server
//      prepares the next ones. A batch that fails is run again statement by statement, down the paths below.
//      a. Shaped batch (fb_shaped_batch.cpp): eight or more parameterless statements of one literal shape
//         run through an EXECUTE BLOCK prepared once per transaction, their literals as its inputs.
//      b. Literal batch (fb_literal_batch.cpp): any other batch, its values written into one EXECUTE BLOCK
//         that the server prepares and runs in one round trip.
//   2. Prepared as a statement (fb_statement.cpp), in one of three ways:
//      a. Literal shape: in an open transaction, an INSERT, UPDATE or DELETE with its values inline runs as
//         the one prepared request of its shape, the text with "?" for its literals, which it binds as
//         parameters (fb_literal_shape.cpp finds the shape; fb_shapes.cpp lends the request and keeps it for
//         the next statement of the shape; fb_shape_fit.cpp checks that the markers take the literals
//         exactly as the text would).
//      b. SELECT shape: in an open transaction, a SELECT whose literals a condition compares
//         (fb_predicate_literals.cpp), once a statement of its shape ran as written and the shape's request
//         reads through the same result columns (the same files).
//      c. As written (fb_session.cpp prepares): everything else, and whatever a shape cannot carry exactly.
//   3. Executed (fb_statement.cpp):
//      a. Array block: a parameter array of plain DML whose inputs PSQL can declare runs as EXECUTE BLOCKs of
//         as many elements as the engine's limits on one request allow, several of them inside a savepoint.
//      b. One element at a time: everything else, several elements inside a savepoint; a statement that
//         returns rows opens its cursor. Values go in through fb_input.cpp and rows come out through
//         fb_columns.cpp.
// The three kinds of block (1a, 1b, 3a) are written by one writer (fb_execute_block.cpp), which checks every
// limit the engine sets on one request (text, contexts, inputs, the request's memory) as each statement is
// taken; what does not fit goes into the next block, never lost and never run twice.
// Errors become EDatabaseError with their kind in one place (fb_error.cpp); the application words them.

#include <string>

#include "common/driver_names.h"
#include "db/string_list.h"

namespace zr::db::firebird {

// Registers the driver under `driverName`; calling it again registers it again, replacing whatever that
// name held. Another name than "FB" lets a test put a wrapper under "FB" that hands its connects on to the
// real driver.
void RegisterDriver(const std::string& driverName = std::string(common::kDriverFirebird));

// Creates the database the entries name, with the entries DefaultCharSet (UTF8 when absent), PageSize (when
// given) and ForcedWrites ("False": page writes left to the system's cache, for scratch
// databases). EDatabaseError with the client's message on failure (the file exists, no access...).
void CreateDatabase(const TStringList& params);

// Drops the database the entries name. EDatabaseError when it cannot be opened or is in use.
void DropDatabase(const TStringList& params);

}  // namespace zr::db::firebird
