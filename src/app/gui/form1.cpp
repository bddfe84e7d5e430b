#include "gui/form1.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStyleOptionProgressBar>
#include <algorithm>

#include "app/actions.h"
#include "app/company.h"
#include "app/connection_refusal.h"
#include "app/drivers.h"
#include "app/end_run.h"
#include "app/error_text.h"
#include "app/settings.h"
#include "app/startup.h"
#include "date_field.h"
#include "gui/platform.h"
#include "db/errors.h"
#include "host/host.h"

namespace zr::gui {

namespace {

MessageHook& Hook() {
  static MessageHook hook;
  return hook;
}

QuestionHook& Question() {
  static QuestionHook hook;
  return hook;
}

constexpr const char* kMsgInterromper = "Interromper a ação em andamento? Nada será gravado.";

constexpr int kClientWidth = 624;
constexpr int kClientHeight = 157;
constexpr int kProgressHeight = 16;

// Tahoma 8 point (11 pixels). Where the system has no Tahoma, a Tahoma of the program's own is loaded where
// there is one; failing that, a sans-serif font of the same size.
QFont WindowFont() {
  if (!QFontDatabase::families().contains("Tahoma")) {
    for (const QString& file : TahomaFontFiles()) QFontDatabase::addApplicationFont(file);
  }
  const QStringList families = QFontDatabase::families();
  QFont font;
  for (const char* family : {"Tahoma", "DejaVu Sans", "Liberation Sans"}) {
    if (families.contains(family)) {
      font.setFamily(family);
      break;
    }
  }
  font.setPixelSize(11);
  return font;
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A message box that opens centred on its window. The box sizes itself to its text only as it is shown, after
// Qt placed it, so it is placed again once its size is final.
class TCentredMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    if (QWidget* window = parentWidget() ? parentWidget()->window() : nullptr) {
      QRect placed(QPoint(0, 0), size());
      placed.moveCenter(window->geometry().center());
      setGeometry(placed);
    }
  }
};

// The progress bar of the window. Qt shows a range of 0 to 0 as an animated busy bar; here a maximum of 0 means
// nothing to do, which shows as an empty bar.
class TProgressBar : public QProgressBar {
 public:
  using QProgressBar::QProgressBar;

 protected:
  void initStyleOption(QStyleOptionProgressBar* option) const override {
    QProgressBar::initStyleOption(option);
    if (option->minimum == 0 && option->maximum == 0) {
      option->maximum = 1;
      option->progress = 0;
    }
  }
};

template <class W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(name);
  widget->setGeometry(left, top, width, height);
  return widget;
}

}  // namespace

void SetMessageHook(MessageHook hook) { Hook() = std::move(hook); }

void SetQuestionHook(QuestionHook hook) { Question() = std::move(hook); }

bool AskQuestion(QWidget* parent, const std::string& caption, const std::string& text) {
  if (Question()) return Question()(caption, text);
  TCentredMessageBox box(QMessageBox::Question, Q(caption), Q(text), QMessageBox::Yes | QMessageBox::No,
                         parent);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void ShowMessageBox(QWidget* parent, MessageKind kind, const std::string& caption, const std::string& text) {
  if (Hook()) {
    Hook()(kind, caption, text);
    return;
  }
  // A CR LF pair (the lines of a statement in the deadlock message) is one line end, as is a lone CR.
  QString shown = Q(text);
  shown.replace("\r\n", "\n");
  shown.replace('\r', '\n');
  const QMessageBox::Icon icon = kind == MessageKind::Information ? QMessageBox::Information
                                 : kind == MessageKind::Error     ? QMessageBox::Critical
                                                                  : QMessageBox::NoIcon;
  TCentredMessageBox box(icon, Q(caption), shown, QMessageBox::Ok, parent);
  box.exec();
}

TForm1::TForm1(std::string settingsPath, QWidget* parent)
    : QWidget(parent),
      settingsPath_(std::move(settingsPath)),
      title_(app::ApplicationTitle(host::ExecutablePath())),
      c_(app::CreateFormComponents(owner_)) {
  setObjectName("Form1");
  setAttribute(Qt::WA_DeleteOnClose);
  app::RegisterDrivers();
  CreateControls();
  FormCreate();
}

TForm1::~TForm1() {
  if (cursorSet_) QApplication::restoreOverrideCursor();
}

void TForm1::CreateControls() {
  setWindowTitle(app::kWindowCaption);
  setFont(WindowFont());
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);
  resize(kClientWidth, kClientHeight);
  // The window opens in the middle of the screen, where the start-up messages are centred too.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect placed = rect();
    placed.moveCenter(screen->availableGeometry().center());
    move(placed.topLeft());
  }

  PbPCPFTOF = Place(new TProgressBar(this), "PbPCPFTOF", 0, kClientHeight - kProgressHeight, kClientWidth,
                    kProgressHeight);
  PbPCPFTOF->setMinimum(0);
  PbPCPFTOF->setMaximum(100);
  PbPCPFTOF->setValue(0);
  PbPCPFTOF->setTextVisible(false);

  Panel1 = Place(new QFrame(this), "Panel1", 0, 0, kClientWidth, kClientHeight - kProgressHeight);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);

  CbEmp = Place(new QComboBox(Panel1), "CbEmp", 7, 10, 408, 21);
  CbEmp->setEditable(false);
  Label68 = Place(new QLabel("A partir de", Panel1), "Label68", 8, 38, 51, 13);
  EdtOFEmi = Place(new TDateField(Panel1), "EdtOFEmi", 62, 34, 87, 21);
  EdtOFEmi->setDate(QDate(2000, 1, 1));
  // Qt's calendar starts its weeks on the first day of the program's default locale; the field's locale
  // (Brazilian, Sunday first) names the days, so it sets the first day too.
  EdtOFEmi->calendarWidget()->setFirstDayOfWeek(EdtOFEmi->locale().firstDayOfWeek());
  CbOFPend = Place(new QCheckBox("OF Pendente", Panel1), "CbOFPend", 157, 37, 85, 17);
  CbOFPend->setChecked(true);
  BitBtn1 = Place(new QPushButton("Importar", Panel1), "BitBtn1", 8, 58, 94, 30);
  BitBtn2 = Place(new QPushButton("Atualizar Situação", Panel1), "BitBtn2", 105, 58, 94, 30);
  // Enter or Return presses the focused button, as on Windows.
  BitBtn1->setAutoDefault(true);
  BitBtn2->setAutoDefault(true);

  PbPCPFTOF->setFocusPolicy(Qt::NoFocus);
  setTabOrder(BitBtn1, CbEmp);
  setTabOrder(CbEmp, EdtOFEmi);
  setTabOrder(EdtOFEmi, CbOFPend);
  setTabOrder(CbOFPend, BitBtn2);
  BitBtn1->setFocus();

  connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  // The progress bar stays docked to the bottom edge, the panel fills the rest.
  const int w = event->size().width(), h = event->size().height();
  PbPCPFTOF->setGeometry(0, h - kProgressHeight, w, kProgressHeight);
  Panel1->setGeometry(0, 0, w, h - kProgressHeight);
  QWidget::resizeEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!busy_) {
    QWidget::closeEvent(event);
    return;
  }
  // The action waits inside its pending messages while the question is open. A second request meanwhile
  // (another Alt+F4) is the same question.
  event->ignore();
  if (asking_) return;
  asking_ = true;
  const bool interrupt = AskQuestion(this, title_, kMsgInterromper);
  asking_ = false;
  if (interrupt) app::EndRunNow({});
}

void TForm1::keyPressEvent(QKeyEvent* event) {
  if (busy_ && event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TForm1::FormCreate() {
  try {
    app::ConectaBanco(*c_.ZRDatabase1, settingsPath_);
  } catch (const db::EAbort&) {
    return;
  } catch (const std::exception& e) {
    // The error's own message (the settings file, when it could not be read, or the connection's refusal),
    // then what a common refusal means.
    const std::string message = app::DescreveErro(e);
    std::string text = std::string(app::kMsgFalhaConexao) + "\r" + message;
    if (const std::string advice = app::ConnectionRefusalAdvice(message); !advice.empty()) {
      text += "\r" + advice;
    }
    ShowMessageBox(this, MessageKind::Standard, title_, text);
    return;  // the rest of the start-up is abandoned silently
  }
  try {
    CbEmp->clear();
    app::CarregaEmpresas(*c_.QryAux, [this](const std::string& item) { CbEmp->addItem(Q(item)); });
    CbEmp->setCurrentIndex(0);
  } catch (const db::EAbort&) {
    CbEmp->setCurrentIndex(-1);
  } catch (const std::exception& e) {
    // The list keeps the items read so far, none of them chosen (the list chooses its first item by itself).
    CbEmp->setCurrentIndex(-1);
    ShowMessageBox(this, MessageKind::Error, title_, app::DescreveErro(e));
  }
}

double TForm1::DataInicial() const {
  const QDate d = EdtOFEmi->Shown();
  if (d.isNull()) return 0.0;
  return db::EncodeDateTime(db::TDateParts{d.year(), d.month(), d.day()});
}

app::ActionInput TForm1::Input() const {
  app::ActionInput input{CbEmp->currentText().toStdString(), DataInicial(), CbOFPend->isChecked()};
  input.ArquivoConfiguracao = settingsPath_;
  return input;
}

void TForm1::BitBtn1Click() { app::BitBtn1Click(c_, Input(), *this); }

void TForm1::BitBtn2Click() { app::BitBtn2Click(c_, Input(), *this); }

void TForm1::SetBusy(bool Busy) {
  busy_ = Busy;
  if (Busy && !cursorSet_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursorSet_ = true;
  } else if (!Busy && cursorSet_) {
    QApplication::restoreOverrideCursor();
    cursorSet_ = false;
  }
  Panel1->setEnabled(!Busy);
}

void TForm1::SetProgressMax(int Max) {
  // A new maximum keeps the position, cut to the new range, as the platform's bar does; Qt's would empty it.
  const int position = PbPCPFTOF->value();
  PbPCPFTOF->setMaximum(Max);
  PbPCPFTOF->setValue(std::clamp(position, 0, std::max(Max, 0)));
}

void TForm1::SetProgress(int Position) { PbPCPFTOF->setValue(Position); }

void TForm1::ProcessMessages() { QCoreApplication::processEvents(); }

void TForm1::ShowMessage(const std::string& Text, const std::string& Caption) {
  ShowMessageBox(this, MessageKind::Information, Caption, Text);
}

void TForm1::CloseWindow() { close(); }

}  // namespace zr::gui
