#pragma once
// A date field in the Brazilian short format with a calendar pop-up that can also be left empty.

#include <QDateEdit>

namespace zr::gui {

class TDateField : public QDateEdit {
  Q_OBJECT

 public:
  explicit TDateField(QWidget* parent = nullptr);

  // True when the field shows no date.
  bool IsEmpty() const;
  void Clear();

 protected:
  // Delete or backspace over the whole text empties the field.
  void keyPressEvent(QKeyEvent* event) override;
  // Tab leaves the field instead of stepping through day, month and year.
  bool focusNextPrevChild(bool next) override;
};

}  // namespace zr::gui
