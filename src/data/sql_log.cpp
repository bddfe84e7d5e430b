// GravaLogSQL: appends one statement to the day's log file of the machine. The file is opened and closed
// for every entry; nothing stays open between entries and nothing is buffered across them.

#include "data/sql_log.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>

#include "data/detail/log_location.h"
#include "host/host.h"
#include "host/system_error.h"
#include "host/utf8_path.h"
#include "log_line.h"

namespace zr::data {

namespace fs = std::filesystem;
using host::PathFromUtf8;
using host::PathToUtf8;

namespace detail {

namespace {
std::optional<std::string> baseDirForTesting;
std::optional<std::tm> clockForTesting;
std::string chosenFolder;  // empty: "Logs/" under the base folder
}  // namespace

std::string LogBaseDir() { return baseDirForTesting ? *baseDirForTesting : host::ExecutableDir(); }

void SetLogBaseDirForTesting(std::optional<std::string> dir) { baseDirForTesting = std::move(dir); }

void SetLogClockForTesting(std::optional<std::tm> now) { clockForTesting = now; }

}  // namespace detail

void DefinePastaLog(const std::string& Pasta) { detail::chosenFolder = Pasta; }

namespace {

std::tm LocalNow() {
  if (detail::clockForTesting) return *detail::clockForTesting;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local;
}


// "Logs/" under the base folder, created with its missing levels; the base folder itself when it cannot be
// created (no right to create it, or a file named "Logs" in the way).
fs::path LogFolder() {
  std::error_code ignored;
  if (!detail::chosenFolder.empty()) {
    const fs::path chosen = PathFromUtf8(detail::chosenFolder);
    fs::create_directories(chosen, ignored);  // when it cannot be, opening the file reports it
    return chosen;
  }
  const fs::path base = PathFromUtf8(detail::LogBaseDir());
  const fs::path logs = base / "Logs";
  fs::create_directories(logs, ignored);
  return fs::is_directory(logs, ignored) ? logs : base;
}

[[noreturn]] void RaiseInOutError(const std::string& what, const fs::path& file, int error) {
  throw EInOutError("Erro de E/S ao " + what + " o log SQL \"" + PathToUtf8(file) +
                    "\": " + host::SystemErrorText(error));
}

}  // namespace

void GravaLogSQL(const std::string& NmMaquina, const std::string& NrIP, const std::string& NmUsuario,
                 const std::string& SQL) {
  // One reading of the clock for the file's date and the line's time stamp, so both name the same day.
  const std::tm now = LocalNow();
  const fs::path file = LogFolder() / PathFromUtf8(detail::LogFileName(NmMaquina, now));
  const std::string line = detail::LogLine(NrIP, NmUsuario, now, SQL);

  errno = 0;
  std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out | std::ios::app);
  if (!out.is_open()) RaiseInOutError("abrir", file, errno != 0 ? errno : EIO);

  // An entry cut short by an earlier failed write (disk full, a killed process) has no line end; the new
  // entry then starts on a line of its own instead of being joined onto it.
  char last = '\n';
  if (out.seekg(0, std::ios::end) && out.tellg() > 0 && out.seekg(-1, std::ios::end)) out.get(last);
  out.clear();
  if (last != '\n') out.write("\r\n", 2);
  out.write(line.data(), static_cast<std::streamsize>(line.size()));
  out.flush();
  const bool written = out.good();
  const int writeError = errno;
  out.close();  // the file is closed before any error leaves
  if (!written) RaiseInOutError("gravar", file, writeError != 0 ? writeError : EIO);
  if (out.fail()) RaiseInOutError("fechar", file, errno != 0 ? errno : EIO);
}

}  // namespace zr::data
