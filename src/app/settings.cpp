#include "app/settings.h"

#include "common/ascii.h"
#include "common/driver_names.h"
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
  Database.SetDriverName(std::string(common::kDriverFirebird));
  if (common::UpperAscii(banco) == "ORACLE") {
    Database.SetDriverName(std::string(common::kDriverOracle));
    Database.SetPort(1521);
  }
  Database.SetConnected(true);
}

}  // namespace zr::app
