#pragma once
// A fresh embedded Firebird database per test, in a folder of its own, dropped at the end: the embedded
// target's context (support/target_context.h) seen as the components' tests need it.

#include <filesystem>
#include <string>

#include "data/database.h"
#include "support/target_context.h"

namespace zr::data::testing {

class ScratchDatabase {
 public:
  ScratchDatabase();
  ~ScratchDatabase();
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;

  // The test's own folder (with a trailing separator) and the database file in it.
  std::string Folder() const { return std::filesystem::path(path_).parent_path().string() + "/"; }
  const std::string& Path() const noexcept { return path_; }

  // Prepares `db` for this database under `driverName` (the real "FB", or a test driver that forwards to
  // it) without connecting it.
  void Configure(TZRDatabase& db, const std::string& driverName = "FB") const;

  // Runs statements in a connection of the framework's own (autocommit) and closes it.
  void Run(std::initializer_list<const char*> statements) const;

 private:
  std::unique_ptr<testsupport::TargetDatabase> db_;
  std::string path_;
};

}  // namespace zr::data::testing
