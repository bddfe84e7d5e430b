#pragma once
// The operating system's errors in Portuguese, for the messages of the programs.

#include <string>

namespace zr::host {

// The Portuguese wording of a system error number (errno); for a number without one, the system's own text.
std::string SystemErrorText(int error);

}  // namespace zr::host
