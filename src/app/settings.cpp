#include "app/settings.h"

#include <filesystem>
#include <fstream>

#include "app/error_text.h"
#include "common/ascii.h"
#include "common/driver_names.h"
#include "db/errors.h"
#include "host/host.h"
#include "host/utf8_path.h"

namespace zr::app {

std::string DefaultSettingsPath() { return host::ExecutableDir() + kSettingsFileName; }

std::string SettingsFileProblem(const std::string& SettingsPath) {
  namespace fs = std::filesystem;
  // The path is UTF-8: on Windows a plain string would be read in the ANSI code page, and a folder named
  // with accents would make the file look missing.
  const fs::path path = host::PathFromUtf8(SettingsPath);
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return "Arquivo de configuração não encontrado: " + SettingsPath;
  if (fs::is_directory(status)) return "Arquivo de configuração é uma pasta: " + SettingsPath;
  if (!fs::is_regular_file(status)) return "Arquivo de configuração não é um arquivo comum: " + SettingsPath;
  if (!std::ifstream(path, std::ios::binary)) {
    return "Arquivo de configuração sem permissão de leitura: " + SettingsPath;
  }
  return {};
}

std::string SettingsFileNote(const std::string& SettingsPath) {
  const std::string problem = SettingsFileProblem(SettingsPath);
  return problem.empty() ? "Arquivo de configuração lido: " + SettingsPath : problem;
}

std::string LeIni(const std::string& Section, const std::string& Key, const std::string& FileName) {
  return host::ReadIniString(FileName, Section, Key, "");
}

std::string HostPart(const std::string& Servidor) {
  const size_t colon = Servidor.find(':');
  return colon == std::string::npos ? std::string() : Servidor.substr(0, colon);
}

void ConectaBanco(data::TZRDatabase& Database, const std::string& SettingsPath) {
  // Reading a pipe or a device would wait for a writer that never comes; a folder holds no settings. The
  // refusal is the line that names the file and says what it is.
  std::error_code error;
  const auto status = std::filesystem::status(host::PathFromUtf8(SettingsPath), error);
  if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    throw db::EDatabaseError(SettingsFileProblem(SettingsPath));
  }
  const std::string servidor = LeIni("banco", "Servidor", SettingsPath);
  const std::string base = LeIni("banco", "base", SettingsPath);
  const std::string usuario = LeIni("banco", "usuario", SettingsPath);
  const std::string senha = LeIni("banco", "senha", SettingsPath);
  const std::string banco = LeIni("banco", "banco", SettingsPath);
  const std::string charsetLegado = LeIni("banco", "CharsetLegado", SettingsPath);
  // The clients fail on such values with messages of their own ("Clumplet buffer size limit reached") that
  // do not say which setting is wrong.
  for (const auto& [key, value] : {std::pair<const char*, const std::string&>{"Servidor", servidor},
                                   {"base", base},
                                   {"usuario", usuario},
                                   {"senha", senha},
                                   {"banco", banco},
                                   {"CharsetLegado", charsetLegado}}) {
    if (value.size() > kMaxSettingLength) {
      throw db::EDatabaseError("O valor de \"" + std::string(key) + "\" na seção [banco] de " +
                               kSettingsFileName + " é longo demais: " + std::to_string(value.size()) +
                               " bytes, o máximo é " + std::to_string(kMaxSettingLength) + ".");
    }
  }

  Database.SetDatabase(base);
  Database.SetHostName(HostPart(servidor));
  Database.SetUser(usuario);
  Database.SetPassword(senha);
  // Optional: the code page of a legacy Firebird database (default character set NONE); WIN1252 without it.
  Database.SetCharsetLegado(charsetLegado);
  Database.SetDriverName(std::string(common::kDriverFirebird));
  if (common::UpperAscii(banco) == "ORACLE") {
    Database.SetDriverName(std::string(common::kDriverOracle));
    Database.SetPort(1521);
  }
  // Optional: statements that change rows go to the server together (write-behind) unless switched off.
  const std::string agrupada = common::UpperAscii(LeIni("banco", "GravacaoAgrupada", SettingsPath));
  Database.SetWriteBehind(!(agrupada == "0" || agrupada == "N" || agrupada == "NAO" || agrupada == "NO" ||
                            agrupada == "FALSE" || agrupada == "OFF"));
  AbreConexao(Database, SettingsPath);
}

void AbreConexao(data::TZRDatabase& Database, const std::string& SettingsPath) {
  try {
    Database.SetConnected(true);
  } catch (const db::EDatabaseError& e) {
    // A settings file that could not be read gave every key the empty value, so the connection's own
    // complaint ("no database to open") only repeats that: the file is what the user must put right.
    const std::string problem = SettingsPath.empty() ? std::string() : SettingsFileProblem(SettingsPath);
    if (problem.empty()) throw db::EDatabaseError(DescreveErro(e), e);  // the refusal in the user's words
    throw db::EDatabaseError(problem, e.Kind());
  }
}

}  // namespace zr::app
