#pragma once
// Progress and messages of an action on a terminal.

#include <cstdio>
#include <string>

#include "app/action_ui.h"

namespace zr::app::cli {

// Progress goes to `progress`: redrawn in place on one line when it is a terminal; else (a log file under cron)
// one line per tenth of the import's orders and parts, and one per thousand status rows. The action's final
// message only ends the progress line here: the caller prints it from the action's result, on the stream
// that suits it.
class TerminalUi : public ActionUi {
 public:
  TerminalUi(std::FILE* progress, bool statusRows);

  void SetBusy(bool Busy) override;
  void SetProgressMax(int Max) override;
  void SetProgress(int Position) override;
  void ProcessMessages() override;
  void ShowMessage(const std::string& Text, const std::string& Caption) override;
  void CloseWindow() override {}

 private:
  void EndProgressLine();

  std::FILE* progress_;
  bool statusRows_;
  bool terminal_;
  bool lineOpen_ = false;
  int max_ = 0;
  int rows_ = 0;
  int tenthsWritten_ = 0;  // tenths of the import already told, when progress is not a terminal
};

}  // namespace zr::app::cli
