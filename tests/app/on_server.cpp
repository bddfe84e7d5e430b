// Linked into the server builds of the database tests: they run against the Firebird server.

#include <cstdlib>

namespace {
const bool kOnServer = setenv("ZR_TEST_TARGET", "server", 1) == 0;
}  // namespace
