#pragma once
// Qt's own texts (the standard buttons of message boxes, the calendar, the context menus of text fields) in the
// user's language.

#include <QLocale>

namespace zr::gui {

// Loads Qt's translations for `locale` (the system's, in the program) from Qt's translations folder, or from
// the folder "translations" beside the executable, and installs them in the application, replacing those
// installed by an earlier call. False when there are none for that language: Qt's texts then stay in English.
// Call after the QApplication exists.
bool InstallQtTranslations(const QLocale& locale);

}  // namespace zr::gui
