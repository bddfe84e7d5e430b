#pragma once
// What an action needs of its surroundings: the busy state, progress, pending messages, message boxes and
// closing. The window implements it with widgets, the command line with a terminal, tests with recorders.

#include <string>

namespace zr::app {

class ActionUi {
 public:
  virtual ~ActionUi() = default;
  // True: wait cursor and the panel with every control disabled; false: ready again.
  virtual void SetBusy(bool Busy) = 0;
  virtual void SetProgressMax(int Max) = 0;
  virtual void SetProgress(int Position) = 0;
  // Lets pending window messages run (repaint, moving the window).
  virtual void ProcessMessages() = 0;
  // An information message box with one OK button; returns once it is dismissed.
  virtual void ShowMessage(const std::string& Text, const std::string& Caption) = 0;
  // Closes the window after a successful action, which ends the program.
  virtual void CloseWindow() = 0;
};

}  // namespace zr::app
