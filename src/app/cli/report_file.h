#pragma once
// The file named by --relatorio.

#include <string>

namespace zr::app::cli {

// The report file named by --relatorio. A FILE that does not exist or is a regular file is written into
// "FILE.parcial" beside it, created (empty) before the action so that a folder that cannot be written is
// refused before anything runs, filled only after the action ended as it should, and then renamed to FILE.
// On any failure the partial file is removed and FILE is not touched: no report describes work that did not
// happen, and no file of the user's is lost. Anything else - a symbolic link, a device, a pipe, a descriptor
// path such as /dev/stdout - is never replaced: it is opened and written where it points, and a path that
// names the program's own output or errors is written through that descriptor, after what it printed.
class ReportFile {
 public:
  explicit ReportFile(std::string path) : path_(std::move(path)) {}
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  ~ReportFile() { Discard(); }

  bool Wanted() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  // The partial file while it exists, else empty.
  std::string PartialPath() const { return created_ && !direct_ ? path_ + ".parcial" : std::string(); }

  // Checks that the report can be written (creating the empty partial file); the reason on failure, empty on
  // success.
  std::string Create();

  // Writes the whole report and puts it in place; the reason on failure (the partial file is then gone).
  std::string Write(const std::string& text);

  // Removes the partial file; true when there was one to remove.
  bool Discard();

 private:
  std::string path_;
  bool direct_ = false;   // written where the path points, no partial file
  int descriptor_ = -1;   // a path naming the program's own output (1) or errors (2): written through it
  bool created_ = false;  // the partial file exists
};

}  // namespace zr::app::cli
