#pragma once
// A date field in the Brazilian short format with a calendar pop-up that can also be left empty.
//
// The user types a date as free text, the way it is usually typed: 15062017, 15/06/2017, 1/6/2017, 15/06/17,
// 1.6.2017, 1-6-2017, or 15/6 for a day of the current year (the command line reads its dates the same way).
// The text is read when the field is left, on Enter or Return, and before the calendar opens: a date shows in
// the field's format from then on, an emptied field stays empty (the zero date for the actions), and a text
// that is no date gives back the date the field held before typing began, the field's tool tip and status
// text then saying what was not understood.

#include <QDate>
#include <QDateEdit>
#include <QValidator>

namespace zr::gui {

class TDateField : public QDateEdit {
  Q_OBJECT

 public:
  explicit TDateField(QWidget* parent = nullptr);

  // True when the field shows no date.
  bool IsEmpty() const;
  // The date the field shows, as the actions read it; a null date when the field is empty. While the user
  // types, this is the typed date, or the date held before typing began when the text is no date yet.
  QDate Shown() const;
  void Clear();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  // Tab leaves the field instead of stepping through day, month and year.
  bool focusNextPrevChild(bool next) override;
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;
  QString textFromDateTime(const QDateTime& dateTime) const override;

 private:
  // Typing hands the text to the line edit alone: the section logic of the date edit never sees it.
  void BeginTyping();
  // Reads the typed text into the field's date (see the class comment).
  void EndTyping();
  // Gives back the date held before typing began.
  void CancelTyping();
  // Shows the date the field holds in its format, or the blank of the empty field.
  void ShowHeldDate();
  // Sends a key to the line edit and takes a complete typed date at once, so date() follows the typing.
  void TypeKey(QKeyEvent* event);

  bool typing_ = false;
  bool echoTyped_ = false;  // while the typed date is taken, the field keeps showing the typed text
  QDate before_;            // the date before typing began; the empty marker for an empty field
};

}  // namespace zr::gui
