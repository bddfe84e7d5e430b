#include "date_field.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

namespace zr::gui {

namespace {
// The minimum date stands for the empty field and shows as a blank.
const QDate kEmpty(100, 1, 1);
}  // namespace

TDateField::TDateField(QWidget* parent) : QDateEdit(parent) {
  // Day/month/year whatever the machine's locale: the format of Brazilian regional settings.
  setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
  setDisplayFormat("dd/MM/yyyy");
  setCalendarPopup(true);
  setMinimumDate(kEmpty);
  setSpecialValueText(" ");
}

bool TDateField::IsEmpty() const { return date() == kEmpty || !date().isValid(); }

void TDateField::Clear() { setDate(kEmpty); }

void TDateField::keyPressEvent(QKeyEvent* event) {
  const bool erase = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
  if (erase && (lineEdit()->selectedText() == lineEdit()->text() || IsEmpty())) {
    Clear();
    event->accept();
    return;
  }
  QDateEdit::keyPressEvent(event);
}

bool TDateField::focusNextPrevChild(bool next) { return QWidget::focusNextPrevChild(next); }

}  // namespace zr::gui
