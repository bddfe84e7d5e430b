#include "program_run.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zr::app::testing {

std::string ShellQuoted(const std::string& arg) {
  std::string out = "'";
  for (char ch : arg) out += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return out + "'";
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

Outcome RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& dir) {
  // In a sanitized build the leak check stays off for the program: its tracer fails at exit on the embedded
  // engine's threads. Memory errors are still caught.
  std::string command = "LSAN_OPTIONS=detect_leaks=0 " + ShellQuoted(program);
  for (const std::string& a : args) command += " " + ShellQuoted(a);
  command += " </dev/null >" + ShellQuoted(dir + "out.txt") + " 2>" + ShellQuoted(dir + "err.txt");
  const int status = std::system(command.c_str());
  Outcome o;
  o.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  o.Out = ReadFile(dir + "out.txt");
  o.Err = ReadFile(dir + "err.txt");
  return o;
}

}  // namespace zr::app::testing
