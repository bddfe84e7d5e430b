// The window's keyboard and message boxes on Qt's offscreen platform, driven with real key and mouse events and
// without a database: the date field typed the way people type dates, its calendar drop-down, Enter and Return
// on the buttons, and where message boxes open.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include "app_test_support.h"
#include "db/datetime.h"
#include "gui/qt_translations.h"
#include "window_test_support.h"

namespace zr::app::testing {
namespace {

using gui::MessageKind;

// One step of typing into the field: a key, a text typed character by character, or a click into the text.
struct Step {
  Qt::Key key = Qt::Key_unknown;
  Qt::KeyboardModifiers modifiers;
  const char* text = nullptr;
  bool click = false;
  int times = 1;
};
Step K(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { return {key, modifiers}; }
Step T(const char* text) { return {Qt::Key_unknown, Qt::NoModifier, text}; }
Step Repeat(Qt::Key key, int times) { return {key, Qt::NoModifier, nullptr, false, times}; }
const Step kClickIntoTheText{Qt::Key_unknown, Qt::NoModifier, nullptr, true};

class WindowKeysTest : public WindowTest {
 protected:
  // The window without a connection (its settings file is missing): the start-up message is dropped and the
  // window made active, so that focus moves as on a desktop.
  void OpenActive() {
    Open(FreshDir(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "absent/zr.ini");
    ASSERT_EQ(shown_.size(), 1u);
    shown_.clear();
    QApplication::setActiveWindow(form_);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
  }
  QDateEdit* Date() { return Child<QDateEdit>("EdtOFEmi"); }
  // Reaches the date field from the company list with Tab, as a user does.
  void TabIntoDate() {
    Child<QWidget>("CbEmp")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Date());
  }
  void Type(const std::vector<Step>& steps) {
    for (const Step& s : steps) {
      if (s.click) {
        auto* text = Date()->findChild<QLineEdit*>();
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(text->width() / 3, text->height() / 2));
      } else if (s.text != nullptr) {
        QTest::keyClicks(Date(), s.text);
      } else if (s.key == Qt::Key_Tab || s.key == Qt::Key_Backtab) {
        QTest::keyClick(QApplication::focusWidget(), s.key);
      } else {
        for (int i = 0; i < s.times; ++i) QTest::keyClick(Date(), s.key, s.modifiers);
      }
    }
  }
  // Types `steps` after Tab brought the focus into the field showing 01/01/2000.
  void TypeFromTheFirstOf2000(const std::vector<Step>& steps) {
    Date()->setDate(QDate(2000, 1, 1));
    TabIntoDate();
    Type(steps);
  }
  // The field's text as shown; the empty field shows a blank.
  std::string Text() { return Date()->text().trimmed().toStdString(); }
  static double Day(int year, int month, int day) {
    return db::EncodeDateTime(db::TDateParts{year, month, day});
  }
};

TEST_F(WindowKeysTest, ADateTypedTheWayPeopleTypeItIsTheDateTheActionsRead) {
  struct Case {
    const char* name;
    std::vector<Step> keys;  // typed after Tab brought the focus into the field showing 01/01/2000
    std::string shown;       // the text once the field is left; empty for the empty field
    double read;             // what the actions read, before and after leaving
  };
  const Case cases[] = {
      {"digits into an emptied field", {K(Qt::Key_Delete), T("15062017")}, "15/06/2017", Day(2017, 6, 15)},
      {"digits into a field emptied with the mouse and Ctrl+A",
       {kClickIntoTheText, K(Qt::Key_A, Qt::ControlModifier), K(Qt::Key_Delete), T("15062017")},
       "15/06/2017",
       Day(2017, 6, 15)},
      {"digits into a field emptied with Backspace",
       {kClickIntoTheText, K(Qt::Key_End), Repeat(Qt::Key_Backspace, 10), T("15062017")},
       "15/06/2017",
       Day(2017, 6, 15)},
      {"slashes into an emptied field",
       {K(Qt::Key_Backspace), T("15/06/2017")},
       "15/06/2017",
       Day(2017, 6, 15)},
      {"digits over the old date", {T("15062017")}, "15/06/2017", Day(2017, 6, 15)},
      {"slashes over the old date", {T("01/06/2017")}, "01/06/2017", Day(2017, 6, 1)},
      {"Ctrl+A over a date being typed, and another one",
       {T("3112"), K(Qt::Key_A, Qt::ControlModifier), T("15062017")},
       "15/06/2017",
       Day(2017, 6, 15)},
      {"one-digit day and month", {T("1/6/2017")}, "01/06/2017", Day(2017, 6, 1)},
      {"a day and month are of the current year",
       {T("15/6")},
       "15/06/" + std::to_string(QDate::currentDate().year()),
       Day(QDate::currentDate().year(), 6, 15)},
      {"a two-digit year below 50 is of this century", {T("15/06/17")}, "15/06/2017", Day(2017, 6, 15)},
      {"a two-digit year from 50 is of the last century", {T("150699")}, "15/06/1999", Day(1999, 6, 15)},
      {"other characters are refused as they are typed", {T("15.06-2017x")}, "15/06/2017", Day(2017, 6, 15)},
      {"dots between day, month and year", {T("1.6.2017")}, "01/06/2017", Day(2017, 6, 1)},
      {"dashes between day, month and year", {T("1-6-2017")}, "01/06/2017", Day(2017, 6, 1)},
      {"dots with a two-digit year", {T("15.06.17")}, "15/06/2017", Day(2017, 6, 15)},
      {"erasing the year and typing another",
       {K(Qt::Key_End), K(Qt::Key_Backspace), K(Qt::Key_Backspace), T("17")},
       "01/01/2017",
       Day(2017, 1, 1)},
      {"an emptied field is the zero date", {K(Qt::Key_Delete)}, "", 0.0},
      {"a day the month does not have gives back the old date",
       {T("31/06/2017")},
       "01/01/2000",
       Day(2000, 1, 1)},
      {"an unfinished date gives back the old date", {T("15/06/")}, "01/01/2000", Day(2000, 1, 1)},
      {"a date too long is cut as it is typed", {T("15/06/20171")}, "15/06/2017", Day(2017, 6, 15)},
      {"an unfinished date typed after erasing gives back the old date",
       {K(Qt::Key_Delete), T("1506")},
       "01/01/2000",
       Day(2000, 1, 1)},
      {"an unfinished date typed into the empty field leaves it empty",
       {K(Qt::Key_Delete), K(Qt::Key_Tab), K(Qt::Key_Backtab), T("1506")},
       "",
       0.0},
  };
  OpenActive();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TypeFromTheFirstOf2000(c.keys);
    EXPECT_EQ(form_->DataInicial(), c.read) << "while the field has the focus";
    QTest::keyClick(Date(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>("CbOFPend")) << "Tab leaves the field";
    EXPECT_EQ(Text(), c.shown);
    EXPECT_EQ(form_->DataInicial(), c.read) << "after leaving the field";
    if (c.read != 0.0) {
      EXPECT_EQ(db::EncodeDateTime(
                    db::TDateParts{Date()->date().year(), Date()->date().month(), Date()->date().day()}),
                c.read);
    }
  }
}

TEST_F(WindowKeysTest, ATextThatTurnsBackSaysWhatWasNotUnderstood) {
  struct Case {
    const char* name;
    std::vector<Step> keys;
    std::string note;  // the field's tool tip and status text once it is left
  };
  const Case cases[] = {
      {"a day the month does not have",
       {T("31.06.2017")},
       "Data não entendida: \"31.06.2017\": junho de 2017 não tem dia 31. O campo voltou para 01/01/2000."},
      {"an unfinished date",
       {T("1506")},
       "Data não entendida: \"1506\": sem separadores, a data tem 8 dígitos (DDMMAAAA) ou 6 (DDMMAA), não 4. O "
       "campo voltou para 01/01/2000."},
      {"a date that is taken clears the note", {T("1-6-2017")}, ""},
      {"an unfinished date into the empty field",
       {K(Qt::Key_Delete), K(Qt::Key_Tab), K(Qt::Key_Backtab), T("15/13")},
       "Data não entendida: \"15/13\": não existe o mês 13. O campo voltou a ficar vazio."},
  };
  OpenActive();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TypeFromTheFirstOf2000(c.keys);
    QTest::keyClick(Date(), Qt::Key_Tab);
    EXPECT_EQ(Date()->toolTip().toStdString(), c.note);
    EXPECT_EQ(Date()->statusTip().toStdString(), c.note);
  }
  EXPECT_EQ(shown_.size(), 0u) << "no message box: the field itself says it";
}

TEST_F(WindowKeysTest, ReturnTakesTheTypedDateAndEscapeGivesBackTheOldOne) {
  OpenActive();
  TabIntoDate();
  QTest::keyClicks(Date(), "15062017");
  QTest::keyClick(Date(), Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), Date());
  EXPECT_EQ(Text(), "15/06/2017");
  EXPECT_EQ(Date()->date(), QDate(2017, 6, 15));

  QTest::keyClicks(Date(), "3112");
  QTest::keyClick(Date(), Qt::Key_Escape);
  EXPECT_EQ(Text(), "15/06/2017");
  EXPECT_EQ(form_->DataInicial(), Day(2017, 6, 15));
  QTest::keyClick(Date(), Qt::Key_Tab);
  EXPECT_EQ(Text(), "15/06/2017");
  EXPECT_EQ(shown_.size(), 0u);
}

TEST_F(WindowKeysTest, APastedDateReplacesTheShownOne) {
  OpenActive();
  QApplication::clipboard()->setText("15/06/2017");
  Child<QWidget>("CbEmp")->setFocus();
  QTest::mouseClick(Date()->findChild<QLineEdit*>(), Qt::LeftButton);
  QTest::keyClick(Date(), Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(Date(), Qt::Key_Tab);
  EXPECT_EQ(Text(), "15/06/2017");
  EXPECT_EQ(form_->DataInicial(), Day(2017, 6, 15));
}

TEST_F(WindowKeysTest, TheCalendarDropDownOpensOnTheTypedDateAndPicksADay) {
  OpenActive();
  TabIntoDate();
  QTest::keyClicks(Date(), "15/06/2017");
  // The drop-down button is at the right end of the field.
  QTest::mouseClick(Date(), Qt::LeftButton, {}, QPoint(Date()->width() - 4, Date()->height() / 2));
  QCalendarWidget* calendar = Date()->calendarWidget();
  ASSERT_TRUE(calendar->isVisible());
  EXPECT_EQ(calendar->selectedDate(), QDate(2017, 6, 15));
  auto* days = calendar->findChild<QAbstractItemView*>();
  ASSERT_NE(days, nullptr);
  QTest::keyClick(days, Qt::Key_Down);  // a week later
  QTest::keyClick(days, Qt::Key_Return);
  EXPECT_FALSE(calendar->isVisible());
  EXPECT_EQ(Text(), "22/06/2017");
  EXPECT_EQ(form_->DataInicial(), Day(2017, 6, 22));
}

TEST_F(WindowKeysTest, TheCalendarOfAnEmptiedFieldOpensOnTheCurrentMonth) {
  OpenActive();
  TabIntoDate();
  QTest::keyClick(Date(), Qt::Key_Delete);
  QTest::mouseClick(Date(), Qt::LeftButton, {}, QPoint(Date()->width() - 4, Date()->height() / 2));
  QCalendarWidget* calendar = Date()->calendarWidget();
  ASSERT_TRUE(calendar->isVisible());
  EXPECT_EQ(Text(), "");
  const QDate today = QDate::currentDate();
  EXPECT_EQ(calendar->yearShown(), today.year());
  EXPECT_EQ(calendar->monthShown(), today.month());
  QTest::keyClick(calendar->findChild<QAbstractItemView*>(), Qt::Key_Escape);
  EXPECT_FALSE(calendar->isVisible());
  EXPECT_EQ(form_->DataInicial(), 0.0);
}

// The week's first column is the locale's first day: Sunday in Brazil, whatever the machine's locale.
TEST_F(WindowKeysTest, TheCalendarStartsTheWeekOnTheLocalesFirstDay) {
  OpenActive();
  ASSERT_EQ(QLocale(QLocale::Portuguese, QLocale::Brazil).firstDayOfWeek(), Qt::Sunday);
  TabIntoDate();
  QTest::mouseClick(Date(), Qt::LeftButton, {}, QPoint(Date()->width() - 4, Date()->height() / 2));
  QCalendarWidget* calendar = Date()->calendarWidget();
  ASSERT_TRUE(calendar->isVisible());
  EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Sunday);
  QTest::keyClick(calendar->findChild<QAbstractItemView*>(), Qt::Key_Escape);
}

// With Qt's Brazilian Portuguese translations installed, as the program does on a system in that language,
// the standard buttons and the text fields' context menus are in Portuguese.
TEST_F(WindowKeysTest, QtsOwnTextsFollowTheLanguageOfTheSystem) {
  ASSERT_TRUE(gui::InstallQtTranslations(QLocale(QLocale::Portuguese, QLocale::Brazil)));
  OpenActive();
  gui::SetQuestionHook(nullptr);
  QString yes, no;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box == nullptr || !box->isVisible()) continue;
      yes = box->button(QMessageBox::Yes)->text();
      no = box->button(QMessageBox::No)->text();
      box->button(QMessageBox::No)->click();
      poll.stop();
      return;
    }
  });
  poll.start(10);
  EXPECT_FALSE(gui::AskQuestion(form_, "Zembra", "Interromper a ação em andamento? Nada será gravado."));
  EXPECT_EQ(yes.toStdString(), "&Sim");
  EXPECT_EQ(no.toStdString(), "&Não");
  std::unique_ptr<QMenu> menu(Date()->findChild<QLineEdit*>()->createStandardContextMenu());
  std::vector<std::string> actions;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) actions.push_back(action->text().toStdString());
  }
  ASSERT_FALSE(actions.empty());
  EXPECT_EQ(actions.front().rfind("&Desfazer", 0), 0u) << actions.front();
  // Back to Qt's own English for the other tests of this program: no translations for the C locale.
  EXPECT_FALSE(gui::InstallQtTranslations(QLocale::c()));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes").toStdString(), "&Yes");
}

TEST_F(WindowKeysTest, EnterOrReturnOnAFocusedButtonPressesIt) {
  struct Case {
    const char* button;
    Qt::Key key;
  };
  const Case cases[] = {{"BitBtn1", Qt::Key_Return}, {"BitBtn2", Qt::Key_Enter}};
  OpenActive();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    shown_.clear();
    auto* button = Child<QPushButton>(c.button);
    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    QTest::keyClick(button, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    // Without a connection the action reports its error: the button ran it.
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].Text.rfind("Erro na importação.\r", 0), 0u) << shown_[0].Text;
  }
}

// A message box as it opened on the screen.
struct OpenedBox {
  std::string Text;
  QRect Box;
  QRect Window;  // the window Form1 at that moment
};

// While it lives, watches for the modal message boxes the window opens (no hook replaces them here), notes
// where each one opened and closes it with its OK button.
class BoxCloser {
 public:
  explicit BoxCloser(std::vector<OpenedBox>& opened) : opened_(opened) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { CloseOpenBox(); });
    timer_.start(10);
  }

 private:
  void CloseOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    QWidget* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == "Form1") window = w;
    }
    opened_.push_back(
        {box->text().toStdString(), box->frameGeometry(), window ? window->frameGeometry() : QRect()});
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  }

  std::vector<OpenedBox>& opened_;
  QTimer timer_;
};

TEST_F(WindowKeysTest, MessageBoxesOpenCentredOnTheWindow) {
  gui::SetMessageHook(nullptr);
  std::vector<OpenedBox> opened;
  BoxCloser closer(opened);
  // The start-up message, before the window is first shown.
  Open(FreshDir("MessageBoxesOpenCentredOnTheWindow") + "absent/zr.ini");
  // An action's message with a long text, over the window moved away from where it opened.
  form_->move(form_->pos() + QPoint(37, 23));
  QApplication::setActiveWindow(form_);
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
  Child<QPushButton>("BitBtn1")->setFocus();
  QTest::keyClick(Child<QPushButton>("BitBtn1"), Qt::Key_Return);

  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].Text.rfind("Falha na conexão com o banco.\n", 0), 0u) << opened[0].Text;
  EXPECT_EQ(opened[1].Text.rfind("Erro na importação.\n", 0), 0u) << opened[1].Text;
  for (const OpenedBox& o : opened) {
    SCOPED_TRACE(o.Text);
    EXPECT_LE(std::abs(o.Box.center().x() - o.Window.center().x()), 1)
        << "box " << o.Box.x() << " window " << o.Window.x();
    EXPECT_LE(std::abs(o.Box.center().y() - o.Window.center().y()), 1)
        << "box " << o.Box.y() << " window " << o.Window.y();
  }
  EXPECT_EQ(shown_.size(), 0u);
}

}  // namespace
}  // namespace zr::app::testing
