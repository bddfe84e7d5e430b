#pragma once
// Start-up of the program: the application title and the connection message.

#include <string>

namespace zr::app {

inline constexpr const char* kMsgFalhaConexao = "Falha na conexão com o banco.";

// The application title from the executable's path: its file name up to the first full stop, the first
// letter in upper case and every further letter in lower case ("zembra" gives "Zembra").
std::string ApplicationTitle(const std::string& ExecutablePath);

}  // namespace zr::app
