#pragma once
// The program's arguments as UTF-8 texts, like every other text of the program.

#include <string>
#include <vector>

namespace zr::app::cli {

// The arguments after the program's name. On Windows they are read from the wide command line (the narrow
// argv holds them in the ANSI code page, which cannot spell every path), and the console is switched to
// UTF-8 output so that the messages show their accents.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace zr::app::cli
