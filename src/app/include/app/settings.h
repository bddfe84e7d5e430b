#pragma once
// The settings file "zr.ini" and how its values open the connection.

#include <string>

#include "data/database.h"

namespace zr::app {

inline constexpr const char* kSettingsFileName = "zr.ini";

// The settings file next to the running executable.
std::string DefaultSettingsPath();

// The longest value a key of the settings file may have (bytes): far above any real host, path, user name or
// password, and below what the database clients can carry in their connection parameters.
inline constexpr size_t kMaxSettingLength = 32767;

// One line that names the settings file at `SettingsPath` when it cannot be read, and why: "Arquivo de
// configuração não encontrado: PATH", or a folder, not a regular file, or unreadable. Empty when the file can
// be read. Looks at the file without reading from it.
std::string SettingsFileProblem(const std::string& SettingsPath);

// One line that names the settings file read at `SettingsPath` and what was wrong with it, for the detail of a
// failed connection: "Arquivo de configuração lido: PATH", or not found, a folder, not a regular file, or
// unreadable. Looks at the file without reading from it.
std::string SettingsFileNote(const std::string& SettingsPath);

// Key of Section in the settings file at `FileName`, with the empty text as default; the file is opened for
// this one read and released afterwards.
std::string LeIni(const std::string& Section, const std::string& Key, const std::string& FileName);

// The host part of a "Servidor" value: the text before its first colon; empty without a colon.
std::string HostPart(const std::string& Servidor);

// Reads section "banco" of the settings file (Servidor, base, usuario, senha, banco, in this order), sets
// the connection's properties from them (driver "FB", or "Ora" with port 1521 for "ORACLE" in any letter
// case) and connects with AbreConexao. SettingsPath naming something other than a regular file (a folder, a
// pipe, a device) is refused before it is read, with EDatabaseError carrying SettingsFileProblem's line; a
// missing file reads as empty values. A value longer than kMaxSettingLength is refused before connecting,
// naming its key.
// The optional key "GravacaoAgrupada" set to 0, N, NAO, NO, FALSE or OFF (any letter case) switches the
// connection's write-behind off. The optional key "CharsetLegado" names the code page in which a Firebird
// database whose default character set is NONE holds its text (WIN1252 without it).
void ConectaBanco(data::TZRDatabase& Database, const std::string& SettingsPath);

// Opens `Database`, whose properties were set from the settings file at `SettingsPath`: the last step of
// ConectaBanco, and the first of an action whose window could not connect at start-up. A failure passes to
// the caller with the connection's own message, except when the settings file is missing or cannot be read
// (or is not a regular file): every key then read as empty, and the EDatabaseError carries
// SettingsFileProblem's line instead of the connection's complaint about the empty values. An empty
// SettingsPath names no file: the failure passes as it is.
void AbreConexao(data::TZRDatabase& Database, const std::string& SettingsPath);

}  // namespace zr::app
