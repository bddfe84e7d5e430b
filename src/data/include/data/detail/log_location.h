#pragma once
// Where the SQL log's "Logs/" folder lies: next to the executable. Tests point it at a folder of their own
// so that parallel runs do not share files, and may fix the log's clock; the product never calls the setters.

#include <ctime>
#include <optional>
#include <string>

namespace zr::data::detail {

// The folder that holds "Logs/" (ending with a path separator): the executable's folder unless a test has
// set another.
std::string LogBaseDir();

// Test hook: the folder used instead of the executable's (with a trailing separator); nullopt restores it.
void SetLogBaseDirForTesting(std::optional<std::string> dir);

// Test hook: the local date and time that names the file and stamps the line instead of the clock's;
// nullopt restores the clock.
void SetLogClockForTesting(std::optional<std::tm> now);

}  // namespace zr::data::detail
