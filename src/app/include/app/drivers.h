#pragma once
// The database drivers the program can reach: Firebird and Oracle, each when it was built in.

namespace zr::app {

// Registers the Firebird driver ("FB") and the Oracle driver ("Ora") that were built. Safe to call again.
void RegisterDrivers();

}  // namespace zr::app
