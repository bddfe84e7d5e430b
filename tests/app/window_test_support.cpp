#include "window_test_support.h"

#include <QCoreApplication>
#include <QEvent>

namespace zr::app::testing {

QApplication& App() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "app_gui_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

void WindowTest::SetUp() {
  App();
  gui::SetMessageHook([this](gui::MessageKind kind, const std::string& caption, const std::string& text) {
    shown_.push_back({kind, caption, text});
  });
  // Yes would end the test program: a question answered Yes is tested in a program of its own.
  gui::SetQuestionHook([this](const std::string& caption, const std::string& text) {
    asked_.push_back({gui::MessageKind::Standard, caption, text});
    return false;
  });
}

void WindowTest::TearDown() {
  delete form_.data();
  gui::SetMessageHook(nullptr);
  gui::SetQuestionHook(nullptr);
}

gui::TForm1* WindowTest::Open(const std::string& ini) {
  form_ = new gui::TForm1(ini);
  form_->show();
  return form_.data();
}

void WindowTest::DeletePending() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace zr::app::testing
