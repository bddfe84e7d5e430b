#pragma once
// What the window's tests share: the program's one QApplication on Qt's offscreen platform, and a fixture that
// records every message box and question instead of showing them, opens the window from a zr.ini and finds its controls.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <string>
#include <vector>

#include "gui/form1.h"

namespace zr::app::testing {

// The one application object of the program, on Qt's offscreen platform unless told otherwise.
QApplication& App();

// One message box the window showed.
struct Shown {
  gui::MessageKind Kind;
  std::string Caption;
  std::string Text;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Frees the window when it is still open and gives message boxes back to the default.
  void TearDown() override;

  // Creates and shows the window, which runs the start-up from `ini`.
  gui::TForm1* Open(const std::string& ini);
  template <class W>
  W* Child(const char* name) {
    W* w = form_->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  // Runs the deferred deletes: a window closed by an action is gone afterwards.
  static void DeletePending();

  std::vector<Shown> shown_;
  std::vector<Shown> asked_;  // the questions, each answered with No

  QPointer<gui::TForm1> form_;
};

}  // namespace zr::app::testing
