// zembra-cli: the window's two actions for scheduled runs, without a window.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/actions.h"
#include "app/company.h"
#include "app/components.h"
#include "app/drivers.h"
#include "app/settings.h"
#include "app/startup.h"
#include "arguments.h"
#include "command_line.h"
#include "interrupt.h"
#include "terminal_ui.h"

namespace {

using namespace zr;
using namespace zr::app;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

std::string Lines(std::string text) {
  for (char& ch : text) {
    if (ch == '\r') ch = '\n';
  }
  return text;
}

std::string JoinCodes(const std::vector<std::string>& items) {
  std::string codes;
  for (const std::string& item : items) {
    if (!codes.empty()) codes += ", ";
    codes += "\"" + CompanyCode(item) + "\"";
  }
  return codes.empty() ? "nenhuma" : codes;
}

std::string Summary(cli::Command acao, const ActionResult& r, double seconds) {
  char text[320];
  const char* undone = r.Ok ? "" : " (tudo desfeito)";
  if (acao == cli::Command::Importar) {
    std::snprintf(text, sizeof text,
                  "importar: %d de %d ordens e partes processadas, %lld linhas excluídas, %lld gravadas, %.2f s%s",
                  r.Processadas, r.OrdensPartes, static_cast<long long>(r.Excluidas),
                  static_cast<long long>(r.Gravadas), seconds, undone);
  } else {
    std::snprintf(text, sizeof text, "situacao: %d linhas lidas, %lld marcadas \"B\", %.2f s%s", r.Processadas,
                  static_cast<long long>(r.Baixadas), seconds, undone);
  }
  return text;
}

int Run(const cli::Options& o) {
  RegisterDrivers();
  db::TComponent owner;
  const TFormComponents c = CreateFormComponents(owner);

  try {
    ConectaBanco(*c.ZRDatabase1, o.Ini.empty() ? DefaultSettingsPath() : o.Ini);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n%s\n", kMsgFalhaConexao, Lines(e.what()).c_str());
    return kExitFailed;
  }

  std::vector<std::string> items;
  try {
    CarregaEmpresas(*c.QryAux, [&](const std::string& item) { items.push_back(item); });
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zembra-cli: erro ao ler as empresas:\n%s\n", Lines(e.what()).c_str());
    return kExitFailed;
  }
  ActionInput input;
  bool found = false;
  for (const std::string& item : items) {
    if (CompanyCode(item) == o.Empresa) {
      input.Empresa = item;
      found = true;
      break;
    }
  }
  if (!found) {
    std::fprintf(stderr, "zembra-cli: empresa desconhecida \"%s\"; empresas existentes: %s.\n", o.Empresa.c_str(),
                 JoinCodes(items).c_str());
    return kExitUsage;
  }
  input.Desde = o.Desde;
  input.Pendente = o.Pendente;

  cli::TerminalUi ui(stderr, stdout, o.Acao == cli::Command::Situacao);
  const auto start = std::chrono::steady_clock::now();
  const ActionResult result =
      o.Acao == cli::Command::Importar ? BitBtn1Click(c, input, ui) : BitBtn2Click(c, input, ui);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s\n", Summary(o.Acao, result, seconds).c_str());
  return result.Ok ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  cli::EndOnInterrupt();
  cli::Options options;
  try {
    options = cli::ParseArguments(cli::CommandLineArguments(argc, argv));
  } catch (const cli::UsageError& e) {
    std::fprintf(stderr, "zembra-cli: %s\nUse zembra-cli --help para ver as opções.\n", e.what());
    return kExitUsage;
  }
  if (options.Acao == cli::Command::Ajuda) {
    std::fputs(cli::HelpText().c_str(), stdout);
    return kExitOk;
  }
  return Run(options);
}
