#include "date_field.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QSignalBlocker>
#include <QStringList>

#include "app/typed_date.h"

namespace zr::gui {

namespace {

// The minimum date stands for the empty field and shows as a blank.
const QDate kEmpty(100, 1, 1);
// The longest typed text: dd/mm/yyyy.
constexpr int kMaxTyped = 10;

bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Characters a date can be typed with; anything else is refused as it is typed.
bool IsTypedText(const QString& text) {
  if (text.size() > kMaxTyped) return false;
  for (QChar c : text) {
    if (!IsAsciiDigit(c) && c != u'/' && c != u'.' && c != u'-' && c != u' ') return false;
  }
  return true;
}

// How a typed text reads: the reading of the command line's dates, in the current year for a day and month.
struct TypedDate {
  enum Kind { Empty, Date, Invalid } kind = Invalid;
  QDate date;       // set for Date
  QString problem;  // for Invalid: what was not understood
};

TypedDate ReadTypedDate(const QString& text) {
  const app::TypedDate typed = app::ReadTypedDate(text.toStdString(), QDate::currentDate().year());
  if (typed.kind == app::TypedDate::Empty) return {TypedDate::Empty, {}, {}};
  if (typed.kind == app::TypedDate::Invalid)
    return {TypedDate::Invalid, {}, QString::fromStdString(typed.Problem)};
  return {TypedDate::Date, QDate(typed.Year, typed.Month, typed.Day), {}};
}

}  // namespace

TDateField::TDateField(QWidget* parent) : QDateEdit(parent) {
  // Day/month/year whatever the machine's locale: the format of Brazilian regional settings.
  setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
  setDisplayFormat("dd/MM/yyyy");
  setCalendarPopup(true);
  setMinimumDate(kEmpty);
  setSpecialValueText(" ");
}

namespace {

// A typed text as the field reads it: a date at or before the empty marker is no date.
TypedDate ReadField(const QString& text) {
  TypedDate typed = ReadTypedDate(text);
  if (typed.kind == TypedDate::Date && typed.date <= kEmpty) {
    return {TypedDate::Invalid, {}, QStringLiteral("a data é antiga demais")};
  }
  return typed;
}

}  // namespace

bool TDateField::IsEmpty() const { return Shown().isNull(); }

QDate TDateField::Shown() const {
  if (typing_) {
    const TypedDate typed = ReadField(lineEdit()->text());
    if (typed.kind == TypedDate::Empty) return {};
    if (typed.kind == TypedDate::Date) return typed.date;
    return before_ == kEmpty ? QDate() : before_;
  }
  return date() == kEmpty || !date().isValid() ? QDate() : date();
}

void TDateField::Clear() {
  typing_ = false;
  lineEdit()->blockSignals(false);
  setDate(kEmpty);
}

void TDateField::BeginTyping() {
  if (typing_) return;
  typing_ = true;
  before_ = date();
  lineEdit()->blockSignals(true);
}

void TDateField::EndTyping() {
  if (!typing_) return;
  const QString text = lineEdit()->text().trimmed();
  const TypedDate typed = ReadField(text);
  typing_ = false;
  lineEdit()->blockSignals(false);
  if (typed.kind == TypedDate::Empty) {
    setDate(kEmpty);
  } else if (typed.kind == TypedDate::Date) {
    setDate(typed.date);
  } else {
    QApplication::beep();
    setDate(before_);
  }
  // Setting the date it already holds leaves the text alone: show the date in the field's format.
  ShowHeldDate();
  // A text that turned back says why, until the next date is taken.
  QString note;
  if (typed.kind == TypedDate::Invalid) {
    const QString back = date() == kEmpty ? QStringLiteral("O campo voltou a ficar vazio.")
                                          : QStringLiteral("O campo voltou para %1.").arg(lineEdit()->text());
    note = QStringLiteral("Data não entendida: \"%1\": %2. %3").arg(text, typed.problem, back);
  }
  setToolTip(note);
  setStatusTip(note);
}

void TDateField::CancelTyping() {
  if (!typing_) return;
  typing_ = false;
  lineEdit()->blockSignals(false);
  setDate(before_);
  ShowHeldDate();
}

void TDateField::ShowHeldDate() {
  const QSignalBlocker quiet(lineEdit());
  lineEdit()->setText(date() == kEmpty ? specialValueText() : QDateEdit::textFromDateTime(dateTime()));
}

void TDateField::TypeKey(QKeyEvent* event) {
  QCoreApplication::sendEvent(lineEdit(), event);
  event->accept();
  const TypedDate typed = ReadField(lineEdit()->text());
  if (typed.kind == TypedDate::Date && typed.date != date()) {
    echoTyped_ = true;
    setDate(typed.date);
    echoTyped_ = false;
  }
}

void TDateField::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  const QString text = event->text();
  if (event->matches(QKeySequence::Paste)) {
    // A pasted date replaces the shown one, as a typed one does.
    if (!typing_) {
      BeginTyping();
      lineEdit()->selectAll();
    }
    TypeKey(event);
    return;
  }
  if (typing_ && (event->matches(QKeySequence::SelectAll) || event->matches(QKeySequence::Copy) ||
                  event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Undo) ||
                  event->matches(QKeySequence::Redo))) {
    TypeKey(event);
    return;
  }
  if (!command && !text.isEmpty() && text.at(0).isPrint()) {
    // Digits and separators start or go on typing; any other character is refused.
    if (!IsTypedText(text) || text.contains(u' ')) {
      event->accept();
      return;
    }
    if (!typing_) {
      // A date typed into the field replaces the one it shows, whatever part of it is selected: the field
      // selects a day, month or year by itself. Erasing first edits the shown date in place.
      BeginTyping();
      lineEdit()->selectAll();
    }
    TypeKey(event);
    return;
  }
  if (!command && (key == Qt::Key_Backspace || key == Qt::Key_Delete)) {
    BeginTyping();
    TypeKey(event);
    return;
  }
  if (typing_ && (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End)) {
    TypeKey(event);
    return;
  }
  if (typing_ && key == Qt::Key_Escape) {
    CancelTyping();
    event->accept();
    return;
  }
  EndTyping();
  QDateEdit::keyPressEvent(event);
}

void TDateField::focusInEvent(QFocusEvent* event) {
  QDateEdit::focusInEvent(event);
  // Coming in from the keyboard selects the whole date, as an edit box does, so typing replaces it.
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason) {
    selectAll();
  }
}

void TDateField::focusOutEvent(QFocusEvent* event) {
  EndTyping();
  QDateEdit::focusOutEvent(event);
}

void TDateField::mousePressEvent(QMouseEvent* event) {
  // The calendar opens on the typed date, or on the current month when the field is empty.
  EndTyping();
  QDateEdit::mousePressEvent(event);
  if (IsEmpty() && calendarWidget()->isVisible()) {
    const QDate today = QDate::currentDate();
    calendarWidget()->setCurrentPage(today.year(), today.month());
  }
}

void TDateField::wheelEvent(QWheelEvent* event) {
  EndTyping();
  QDateEdit::wheelEvent(event);
}

bool TDateField::focusNextPrevChild(bool next) {
  EndTyping();
  return QWidget::focusNextPrevChild(next);
}

QValidator::State TDateField::validate(QString& input, int& pos) const {
  if (typing_) return IsTypedText(input) ? QValidator::Intermediate : QValidator::Invalid;
  return QDateEdit::validate(input, pos);
}

void TDateField::fixup(QString& input) const {
  if (!typing_) QDateEdit::fixup(input);
}

QString TDateField::textFromDateTime(const QDateTime& dateTime) const {
  if (echoTyped_) return lineEdit()->text();
  return QDateEdit::textFromDateTime(dateTime);
}

}  // namespace zr::gui
