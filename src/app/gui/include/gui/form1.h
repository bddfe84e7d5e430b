#pragma once
// The program's one window, Form1: the company list, the date, the pending-orders check box and the two
// action buttons over the progress bar. It owns the data-access components and holds the settings path.

#include <QWidget>
#include <functional>
#include <string>

#include "app/action_ui.h"
#include "app/actions.h"
#include "app/components.h"
#include "db/component.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace zr::gui {

class TDateField;

// How a message reaches the user.
enum class MessageKind {
  Information,  // an action's message box: information icon, one OK button
  Standard,     // the standard message dialog: one OK button
  Error,        // the application's default error report: error icon
};

// Every message box of the window passes through this hook; the default shows a modal box. Tests replace it
// to record the messages instead of blocking.
using MessageHook =
    std::function<void(MessageKind kind, const std::string& caption, const std::string& text)>;
void SetMessageHook(MessageHook hook);
// Every yes-or-no question of the window passes through this hook; the default shows a modal box with the
// buttons Yes and No, No the default. Tests replace it to answer without blocking.
using QuestionHook = std::function<bool(const std::string& caption, const std::string& text)>;
void SetQuestionHook(QuestionHook hook);
// Asks through the hook (or the default modal box); true for Yes.
bool AskQuestion(QWidget* parent, const std::string& caption, const std::string& text);
// Shows a message through the hook, or, when none is set, as a modal box with one OK button.
void ShowMessageBox(QWidget* parent, MessageKind kind, const std::string& caption, const std::string& text);

class TForm1 : public QWidget, private app::ActionUi {
  Q_OBJECT

 public:
  // Creates the window and its components and runs the start-up (FormCreate): reads `settingsPath`,
  // connects and fills the company list. The window frees itself when closed.
  explicit TForm1(std::string settingsPath, QWidget* parent = nullptr);
  ~TForm1() override;

  const app::TFormComponents& Components() const { return c_; }
  // The date field as the actions read it: the zero date when empty.
  double DataInicial() const;

 private slots:
  void BitBtn1Click();
  void BitBtn2Click();

 private:
  void CreateControls();
  void FormCreate();
  app::ActionInput Input() const;
  void resizeEvent(QResizeEvent* event) override;
  // A close request while an action runs asks whether to interrupt it. Yes ends the program at once, as an
  // interrupted zembra-cli ends, so nothing of the action is committed; No lets the action go on.
  void closeEvent(QCloseEvent* event) override;
  // Escape during an action is a close request.
  void keyPressEvent(QKeyEvent* event) override;

  // app::ActionUi
  void SetBusy(bool Busy) override;
  void SetProgressMax(int Max) override;
  void SetProgress(int Position) override;
  void ProcessMessages() override;
  void ShowMessage(const std::string& Text, const std::string& Caption) override;
  void CloseWindow() override;

  std::string settingsPath_;
  std::string title_;
  db::TComponent owner_;
  app::TFormComponents c_;
  bool cursorSet_ = false;
  bool busy_ = false;
  bool asking_ = false;  // the question whether to interrupt the action is open

  QProgressBar* PbPCPFTOF = nullptr;
  QFrame* Panel1 = nullptr;
  QComboBox* CbEmp = nullptr;
  QLabel* Label68 = nullptr;
  TDateField* EdtOFEmi = nullptr;
  QCheckBox* CbOFPend = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
};

}  // namespace zr::gui
