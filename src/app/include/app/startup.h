#pragma once
// Start-up of the program: the application title and the connection message.

#include <string>

namespace zr::app {

inline constexpr const char* kMsgFalhaConexao = "Falha na conexão com o banco.";

// The application title from the executable's path: its file name up to the first full stop, the first
// character as it is and every further letter in lower case ("ZEMBRA.EXE" gives "Zembra", "zembra" stays
// "zembra").
std::string ApplicationTitle(const std::string& ExecutablePath);

}  // namespace zr::app
