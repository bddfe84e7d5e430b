#include "gui/qt_translations.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTranslator>

#include "gui/platform.h"

namespace zr::gui {

bool InstallQtTranslations(const QLocale& locale) {
  static QPointer<QTranslator> installed;
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  // Qt Base's catalogue holds every text of Qt's own that the window shows (the buttons of its message boxes,
  // the calendar). Not the "qt" catalogue that gathers every module's: it loads only when all of them are
  // there, and the Windows folder carries Qt Base's alone.
  auto* translator = new QTranslator(QCoreApplication::instance());
  for (const QString& folder : QtTranslationFolders()) {
    if (translator->load(locale, "qtbase", "_", folder) && QCoreApplication::installTranslator(translator)) {
      installed = translator;
      return true;
    }
  }
  delete translator;
  return false;
}

}  // namespace zr::gui
