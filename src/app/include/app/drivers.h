#pragma once
// The database drivers the program can reach: Firebird always, Oracle when it was built in.

namespace zr::app {

// Registers the Firebird driver ("FB") and, when built, the Oracle driver ("Ora"). Safe to call again.
void RegisterDrivers();

}  // namespace zr::app
