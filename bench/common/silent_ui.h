#pragma once
// An action's surroundings that show nothing: the benches time the actions, not a window.

#include <string>

#include "app/action_ui.h"

namespace zr::bench {

class SilentUi : public app::ActionUi {
 public:
  void SetBusy(bool) override {}
  void SetProgressMax(int) override {}
  void SetProgress(int) override {}
  void ProcessMessages() override {}
  void ShowMessage(const std::string&, const std::string&) override {}
  void CloseWindow() override {}
};

}  // namespace zr::bench
