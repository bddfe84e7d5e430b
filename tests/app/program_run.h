#pragma once
// Running a program as a scheduler runs it (no input, output and errors to files) and reading what it wrote.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
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

// A program started in the background, its output and errors going to TAG.out and TAG.err in its folder.
struct Started {
  pid_t Pid = -1;
  std::string Out;
  std::string Err;
};

// Starts `program` with `args` and no input. The caller waits for it with WaitProgram.
Started StartProgram(const std::string& program, const std::vector<std::string>& args, const std::string& dir,
                     const std::string& tag);

// Waits at most `limit` for the program to end; one that is still running then is killed and gives the exit
// code -1. Exit is also -1 when a signal ended it.
Outcome WaitProgram(Started& started, std::chrono::milliseconds limit);

// Polls `condition` every 50 ms for at most `limit`; its last answer.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

}  // namespace zr::app::testing
