// zembra: the desktop window. It reads zr.ini next to the executable, connects and shows Form1; closing the
// window ends the program.

#include <QApplication>

#include "app/drivers.h"
#include "app/settings.h"
#include "app/startup.h"
#include "gui/form1.h"
#include "gui/qt_translations.h"
#include "host/host.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(
      QString::fromStdString(zr::app::ApplicationTitle(zr::host::ExecutablePath())));
  QApplication::setQuitOnLastWindowClosed(true);
  zr::gui::InstallQtTranslations(QLocale::system());
  zr::app::RegisterDrivers();
  auto* Form1 = new zr::gui::TForm1(zr::app::DefaultSettingsPath());
  Form1->show();
  return QApplication::exec();
}
