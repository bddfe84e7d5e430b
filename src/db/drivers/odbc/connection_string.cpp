#include "connection_string.h"

namespace zr::db::odbc {
namespace {

std::string Quoted(const std::string& value) {
  const bool needsBraces = value.find_first_of(";{}") != std::string::npos ||
                           (!value.empty() && (value.front() == ' ' || value.back() == ' '));
  if (!needsBraces) return value;
  std::string out = "{";
  for (char c : value) {
    out += c;
    if (c == '}') out += '}';  // a closing brace inside braces is doubled
  }
  return out + "}";
}

void Append(std::string& text, const char* key, const std::string& value) {
  if (!text.empty() && text.back() != ';') text += ';';
  text += key;
  text += '=';
  text += Quoted(value);
}

}  // namespace

std::string BuildConnectionString(const TStringList& params) {
  const std::string database = params.Values("Database");
  const std::string server = params.Values("Server");
  std::string text;
  if (database.find('=') != std::string::npos) {
    text = database;
  } else if (!server.empty()) {
    const std::string driver = params.Values("ODBCDriver");
    text = "DRIVER={" + (driver.empty() ? std::string("Oracle") : driver) + "}";
    const std::string port = params.Values("Port");
    Append(text, "DBQ", server + (port.empty() ? "" : ":" + port) + "/" + database);
  } else {
    Append(text, "DSN", database);
  }
  const std::string user = params.Values("User_name");
  const std::string password = params.Values("Password");
  if (!user.empty()) Append(text, "UID", user);
  if (!password.empty()) Append(text, "PWD", password);
  return text;
}

}  // namespace zr::db::odbc
