#pragma once
// What the window does differently on Windows and on Linux, where Qt does not cover the difference itself.

#include <QStringList>

namespace zr::gui {

// Font files the program loads for itself before it picks the window's font, as long as the system has no
// Tahoma: none on Windows, which has Tahoma; on Linux, Wine's metric-compatible Tahoma (Debian package
// fonts-wine).
QStringList TahomaFontFiles();

// The folders Qt's own translations are looked for in, in order: on Windows the translations/ folder beside
// the program, which its folder carries; on Linux Qt's installed translations first.
QStringList QtTranslationFolders();

}  // namespace zr::gui
