#include "gui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace zr::gui {

bool InstallQtTranslations(const QLocale& locale) {
  static QPointer<QTranslator> installed;
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  // "qt" gathers the catalogues of Qt's modules ("qtbase" among them).
  auto* translator = new QTranslator(QCoreApplication::instance());
  for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                QCoreApplication::applicationDirPath() + "/translations"}) {
    if (translator->load(locale, "qt", "_", folder) && QCoreApplication::installTranslator(translator)) {
      installed = translator;
      return true;
    }
  }
  delete translator;
  return false;
}

}  // namespace zr::gui
