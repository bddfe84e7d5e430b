#include "app/settings.h"

#include "host/host.h"

namespace zr::app {

std::string DefaultSettingsPath() { return host::ExecutableDir() + kSettingsFileName; }

std::string LeIni(const std::string& Section, const std::string& Key, const std::string& FileName) {
  return host::ReadIniString(FileName, Section, Key, "");
}

std::string HostPart(const std::string& Servidor) {
  const size_t colon = Servidor.find(':');
  return colon == std::string::npos ? std::string() : Servidor.substr(0, colon);
}

namespace {

std::string UpperAscii(std::string text) {
  for (char& ch : text) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return text;
}

}  // namespace

void ConectaBanco(data::TZRDatabase& Database, const std::string& SettingsPath) {
  const std::string servidor = LeIni("banco", "Servidor", SettingsPath);
  const std::string base = LeIni("banco", "base", SettingsPath);
  const std::string usuario = LeIni("banco", "usuario", SettingsPath);
  const std::string senha = LeIni("banco", "senha", SettingsPath);
  const std::string banco = LeIni("banco", "banco", SettingsPath);

  Database.SetDatabase(base);
  Database.SetHostName(HostPart(servidor));
  Database.SetUser(usuario);
  Database.SetPassword(senha);
  Database.SetDriverName("FB");
  if (UpperAscii(banco) == "ORACLE") {
    Database.SetDriverName("Ora");
    Database.SetPort(1521);
  }
  // Optional: statements that change rows go to the server together (write-behind) unless switched off.
  const std::string agrupada = UpperAscii(LeIni("banco", "GravacaoAgrupada", SettingsPath));
  Database.SetWriteBehind(!(agrupada == "0" || agrupada == "N" || agrupada == "NAO" || agrupada == "NO" ||
                            agrupada == "FALSE" || agrupada == "OFF"));
  Database.SetConnected(true);
}

}  // namespace zr::app
