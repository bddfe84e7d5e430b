// The kind of a Firebird failure, read from the codes of its status vector wherever they stand.

#include <gtest/gtest.h>

#include <vector>

#include "fb_error.h"

namespace zr::db::firebird {
namespace {

TEST(FbErrorKind, TheCodesOfTheStatusVectorTellTheKind) {
  static const char kName[] = "T";
  struct Case {
    const char* name;
    std::vector<intptr_t> errors;  // without the closing isc_arg_end
    TDatabaseErrorKind kind;
  };
  const Case cases[] = {
      {"an attachment another one ended", {isc_arg_gds, isc_att_shutdown}, TDatabaseErrorKind::LinkLost},
      {"a broken network read, after the general code",
       {isc_arg_gds, isc_network_error, isc_arg_gds, isc_net_read_err},
       TDatabaseErrorKind::LinkLost},
      {"a database shut down",
       {isc_arg_gds, isc_shutdown, isc_arg_string, reinterpret_cast<intptr_t>(kName)},
       TDatabaseErrorKind::LinkLost},
      {"an update conflict behind a deadlock",
       {isc_arg_gds, isc_deadlock, isc_arg_gds, isc_update_conflict, isc_arg_gds, isc_concurrent_transaction,
        isc_arg_number, 42},
       TDatabaseErrorKind::LockConflict},
      {"a lost connection", {isc_arg_gds, isc_conn_lost}, TDatabaseErrorKind::LinkLost},
      {"a database connection lost", {isc_arg_gds, isc_lost_db_connection}, TDatabaseErrorKind::LinkLost},
      {"a broken network write", {isc_arg_gds, isc_net_write_err}, TDatabaseErrorKind::LinkLost},
      {"an attachment handle no longer valid",
       {isc_arg_gds, isc_bad_db_handle},
       TDatabaseErrorKind::LinkLost},
      {"a lock time-out", {isc_arg_gds, isc_lock_timeout}, TDatabaseErrorKind::LockConflict},
      {"an update conflict alone", {isc_arg_gds, isc_update_conflict}, TDatabaseErrorKind::LockConflict},
      {"a concurrent transaction",
       {isc_arg_gds, isc_concurrent_transaction, isc_arg_number, 42},
       TDatabaseErrorKind::LockConflict},
      {"a request cancelled by the user, not for a time-out of the driver's",
       {isc_arg_gds, isc_cancelled},
       TDatabaseErrorKind::StatementFailed},
      {"a code after a counted string is still read",
       {isc_arg_gds, isc_random, isc_arg_cstring, 1, reinterpret_cast<intptr_t>(kName), isc_arg_gds,
        isc_lock_conflict},
       TDatabaseErrorKind::LockConflict},
      {"a metadata update refused for want of the right to alter the table",
       {isc_arg_gds, isc_no_meta_update, isc_arg_gds, isc_dsql_create_index_failed, isc_arg_string,
        reinterpret_cast<intptr_t>(kName), isc_arg_gds, isc_no_priv, isc_arg_string,
        reinterpret_cast<intptr_t>(kName)},
       TDatabaseErrorKind::NoPermission},
      {"a duplicate key",
       {isc_arg_gds, isc_unique_key_violation, isc_arg_string, reinterpret_cast<intptr_t>(kName)},
       TDatabaseErrorKind::StatementFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<intptr_t> errors = c.errors;
    errors.push_back(isc_arg_end);
    Status status;
    status.get()->setErrors(errors.data());
    EXPECT_EQ(KindOf(status.get()), c.kind);
  }
}

}  // namespace
}  // namespace zr::db::firebird
