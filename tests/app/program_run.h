#pragma once
// Running a program as a scheduler runs it (no input, output and errors to files) and reading what it wrote.

#include <filesystem>
#include <string>
#include <vector>

namespace zr::app::testing {

struct Outcome {
  int Exit = -1;
  std::string Out;
  std::string Err;
};

// `arg` as one word of a POSIX shell command.
std::string ShellQuoted(const std::string& arg);

// The whole content of a file (empty when it cannot be read).
std::string ReadFile(const std::filesystem::path& path);

bool Contains(const std::string& text, const std::string& part);

// Runs `program` with `args`, its output and errors going to out.txt and err.txt in `dir` (which ends with a
// slash): the exit code (-1 when it did not exit) and both texts.
Outcome RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& dir);

}  // namespace zr::app::testing
