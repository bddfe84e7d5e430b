#include "program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <thread>

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

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

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

Started StartProgram(const std::string& program, const std::vector<std::string>& args, const std::string& dir,
                     const std::string& tag) {
  Started started;
  started.Out = dir + tag + ".out";
  started.Err = dir + tag + ".err";
  std::vector<std::string> words = {program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  // In a sanitized build the leak check stays off for the program, as in RunProgram.
  std::vector<std::string> env = {"LSAN_OPTIONS=detect_leaks=0"};
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::string_view(*e).substr(0, 13) != "LSAN_OPTIONS=") env.emplace_back(*e);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // The child: only async-signal-safe calls until exec.
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(started.Out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(started.Err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  started.Pid = pid;
  return started;
}

Outcome WaitProgram(Started& started, std::chrono::milliseconds limit) {
  Outcome o;
  if (started.Pid > 0) {
    int status = 0;
    pid_t done = 0;
    const bool ended = WaitUntil(
        [&] {
          done = waitpid(started.Pid, &status, WNOHANG);
          return done != 0;
        },
        limit);
    if (!ended) {
      kill(started.Pid, SIGKILL);
      waitpid(started.Pid, &status, 0);
    } else if (done == started.Pid && WIFEXITED(status)) {
      o.Exit = WEXITSTATUS(status);
    }
    started.Pid = -1;
  }
  o.Out = ReadFile(started.Out);
  o.Err = ReadFile(started.Err);
  return o;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace zr::app::testing
