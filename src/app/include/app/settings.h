#pragma once
// The settings file "zr.ini" and how its values open the connection.

#include <string>

#include "data/database.h"

namespace zr::app {

inline constexpr const char* kSettingsFileName = "zr.ini";

// The settings file next to the running executable.
std::string DefaultSettingsPath();

// Key of Section in the settings file at `FileName`, with the empty text as default; the file is opened for
// this one read and released afterwards.
std::string LeIni(const std::string& Section, const std::string& Key, const std::string& FileName);

// The host part of a "Servidor" value: the text before its first colon; empty without a colon.
std::string HostPart(const std::string& Servidor);

// Reads section "banco" of the settings file (Servidor, base, usuario, senha, banco, in this order), sets
// the connection's properties from them (driver "FB", or "Ora" with port 1521 for "ORACLE" in any letter
// case) and connects. A failure to connect passes to the caller. The optional key "GravacaoAgrupada" set to
// 0, N, NAO, NO, FALSE or OFF (any letter case) switches the connection's write-behind off.
void ConectaBanco(data::TZRDatabase& Database, const std::string& SettingsPath);

}  // namespace zr::app
