#include "report_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/system_error.h"
#include "host/utf8_path.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zr::app::cli {

namespace {

namespace fs = std::filesystem;
using host::PathFromUtf8;

// The program's output (1) or errors (2) when `path` leads to the same file, pipe or terminal; else -1.
int OwnDescriptor(const std::string& path) {
#ifndef _WIN32
  struct stat target {};
  if (stat(path.c_str(), &target) != 0) return -1;
  for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat own {};
    if (fstat(fd, &own) == 0 && own.st_dev == target.st_dev && own.st_ino == target.st_ino) return fd;
  }
#else
  (void)path;
#endif
  return -1;
}

// Writes `text` into `path`, truncating it; the error number on failure, 0 on success.
int WriteFile(const fs::path& path, const std::string& text) {
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return errno != 0 ? errno : EIO;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  const int error = out.good() ? 0 : (errno != 0 ? errno : EIO);
  out.close();
  if (error == 0 && out.fail()) return errno != 0 ? errno : EIO;
  return error;
}

#ifndef _WIN32
// Writes `text` to an open descriptor after what the program already printed there.
int WriteDescriptor(int fd, const std::string& text) {
  std::fflush(fd == STDOUT_FILENO ? stdout : stderr);
  const char* data = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t written = write(fd, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? errno : EIO;
    data += written;
    left -= static_cast<size_t>(written);
  }
  return 0;
}
#endif

}  // namespace

std::string ReportFile::Create() {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(PathFromUtf8(path_), error);
  // Only a regular file, or nothing, may be replaced by the rename.
  direct_ = fs::exists(status) && !fs::is_regular_file(status);
  if (direct_) {
    descriptor_ = OwnDescriptor(path_);
#ifndef _WIN32
    // Opening a pipe to check it would wait for its reader; the right to write is enough here.
    if (descriptor_ < 0 && access(path_.c_str(), W_OK) != 0 && errno != ENOENT)
      return host::SystemErrorText(errno);
#endif
    return {};
  }
  const int failed = WriteFile(PathFromUtf8(path_ + ".parcial"), {});
  if (failed != 0) return host::SystemErrorText(failed);
  created_ = true;
  return {};
}

std::string ReportFile::Write(const std::string& text) {
  if (direct_) {
#ifndef _WIN32
    if (descriptor_ >= 0) {
      const int failed = WriteDescriptor(descriptor_, text);
      return failed != 0 ? host::SystemErrorText(failed) : std::string();
    }
#endif
    const int failed = WriteFile(PathFromUtf8(path_), text);
    return failed != 0 ? host::SystemErrorText(failed) : std::string();
  }
  int failed = WriteFile(PathFromUtf8(path_ + ".parcial"), text);
  if (failed == 0) {
    std::error_code renamed;
    fs::rename(PathFromUtf8(path_ + ".parcial"), PathFromUtf8(path_), renamed);
    if (!renamed) {
      created_ = false;
      return {};
    }
    failed = renamed.value();
  }
  const std::string why = host::SystemErrorText(failed);
  return Discard() ? why + "; o arquivo parcial foi removido" : why;
}

bool ReportFile::Discard() {
  if (!created_) return false;
  created_ = false;
  std::error_code ignored;
  return fs::remove(PathFromUtf8(path_ + ".parcial"), ignored);
}

}  // namespace zr::app::cli
