#include "gui/platform.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace zr::gui {

QStringList TahomaFontFiles() {
#ifdef _WIN32
  return {};
#else
  return {"/usr/share/wine/fonts/tahoma.ttf"};
#endif
}

QStringList QtTranslationFolders() {
  const QString besideProgram = QCoreApplication::applicationDirPath() + "/translations";
#ifdef _WIN32
  return {besideProgram};
#else
  return {QLibraryInfo::path(QLibraryInfo::TranslationsPath), besideProgram};
#endif
}

}  // namespace zr::gui
