// zembra-cli: the window's two actions for scheduled runs, without a window.
//
// Streams: progress and every error go to stderr; the action's message and the summary line go to stdout, or,
// with --json, to stderr, leaving stdout to the one JSON object written at the end.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/actions.h"
#include "app/company.h"
#include "app/components.h"
#include "app/connection_refusal.h"
#include "app/drivers.h"
#include "app/error_text.h"
#include "app/indices.h"
#include "app/settings.h"
#include "app/sql_text.h"
#include "app/startup.h"
#include "arguments.h"
#include "command_line.h"
#include "indices_command.h"
#include "interrupt.h"
#include "data/database.h"
#include "data/sql_log.h"
#include "host/utf8_path.h"
#include "report_file.h"
#include "run_report.h"
#include "terminal_ui.h"

namespace {

using namespace zr;
using namespace zr::app;
namespace fs = std::filesystem;
using host::PathFromUtf8;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitReportFailed = 3;

std::string JoinCodes(const std::vector<std::string>& items) {
  std::string codes;
  for (const std::string& item : items) {
    if (!codes.empty()) codes += ", ";
    codes += "\"" + CompanyCode(item) + "\"";
  }
  return codes.empty() ? "nenhuma" : codes;
}

// PCPFTOF rows of the company marked "B", read in the action's transaction.
int64_t ContaMarcasB(const TFormComponents& C, const std::string& Empresa) {
  data::TZRQuery& QryAux = *C.QryAux;
  const std::string nmPCPFTOF = BuscaArquivo(QryAux, Empresa, "PCPFTOF");
  QryAux.Close();
  QryAux.SQL().Clear();
  QryAux.SQL().Add("SELECT COUNT(*) AS MARCAS FROM " + nmPCPFTOF + " WHERE SITUACAO = " + QuotedStr("B"));
  QryAux.Open();
  return static_cast<int64_t>(QryAux.FieldByName("MARCAS").AsFloat());
}

std::string Summary(const cli::Options& o, const ActionResult& r, double seconds, int64_t marcasDesfeitas) {
  char text[400];
  const char* outcome =
      r.Ok ? (o.Simular ? " (simulação: nada foi gravado, tudo desfeito)" : "")
           : (o.Simular ? " (tudo desfeito; simulação: nada foi gravado)" : " (tudo desfeito)");
  if (o.Acao == cli::Command::Importar) {
    char marcas[96] = "";
    if (marcasDesfeitas >= 0) {
      std::snprintf(marcas, sizeof marcas, ", %lld marcas \"B\" voltariam a \"A\"",
                    static_cast<long long>(marcasDesfeitas));
    }
    std::snprintf(
        text, sizeof text,
        "importar: %d de %d ordens e partes processadas, %lld linhas excluídas, %lld gravadas%s, %.2f s%s",
        r.Processadas, r.OrdensPartes, static_cast<long long>(r.Excluidas),
        static_cast<long long>(r.Gravadas), marcas, seconds, outcome);
  } else {
    std::snprintf(text, sizeof text, "situacao: %d linhas lidas, %lld marcadas \"B\", %.2f s%s",
                  r.Processadas, static_cast<long long>(r.Baixadas), seconds, outcome);
  }
  return text;
}

// A connection opened from the settings file, with the company of --empresa found in the company list.
struct Conexao {
  int Exit = kExitOk;
  std::string Message;  // on failure, what to print
  std::string Item;     // the company's item text, "EMP_PAT | EMP_NOME"
};

Conexao Conecta(const TFormComponents& c, const cli::Options& o, const std::string& settings) {
  try {
    ConectaBanco(*c.ZRDatabase1, settings);
  } catch (const std::exception& e) {
    // The error's own message, what a common refusal means, and the settings file read, unless the message
    // already is the line that names it (a file missing or unreadable).
    const std::string message = DescreveErro(e);
    std::string text = std::string(kMsgFalhaConexao) + "\n" + cli::TerminalText(message);
    for (const std::string& line : {ConnectionRefusalAdvice(message), SettingsFileNote(settings)}) {
      if (!line.empty() && line != message) text += "\n" + line;
    }
    return {kExitFailed, text, {}};
  }
  if (o.LogSql) {
    data::DefinePastaLog(o.PastaLogSql);
    c.ZRDatabase1->SetGravaLog(true);
  }

  std::vector<std::string> items;
  try {
    CarregaEmpresas(*c.QryAux, [&](const std::string& item) { items.push_back(item); });
  } catch (const std::exception& e) {
    return {kExitFailed, "zembra-cli: erro ao ler as empresas:\n" + cli::TerminalText(DescreveErro(e)), {}};
  }
  for (const std::string& item : items) {
    if (CompanyCode(item) == o.Empresa) return {kExitOk, {}, item};
  }
  return {kExitUsage,
          "zembra-cli: empresa desconhecida \"" + o.Empresa + "\"; empresas existentes: " + JoinCodes(items) +
              ".",
          {}};
}

// The status query's lookup when the server's plan shows it without its index; none when it has one, or when
// the plan or the catalog cannot be read (the action then meets the same server as it would have). What the
// check read ends with it: nothing was written, and a failed read leaves no transaction in error.
std::optional<IndiceDaBusca> IndiceAusente(const TFormComponents& c, const std::string& item) {
  std::optional<IndiceDaBusca> falta;
  try {
    IndiceDaBusca busca = VerificaIndiceSituacao(c, item);
    if (PrecisaDeIndice(busca)) falta = std::move(busca);
  } catch (const std::exception&) {
  }
  try {
    c.ZRTransaction1->RollbackRetaining();
  } catch (const std::exception&) {
  }
  return falta;
}

// "zembra-cli indices".
int RunIndices(const cli::Options& o) {
  RegisterDrivers();
  db::TComponent owner;
  const TFormComponents c = CreateFormComponents(owner);
  const Conexao conexao = Conecta(c, o, o.Ini.empty() ? DefaultSettingsPath() : o.Ini);
  if (conexao.Exit != kExitOk) {
    std::fprintf(stderr, "%s\n", conexao.Message.c_str());
    return conexao.Exit;
  }
  return cli::ExecutaIndices(c, conexao.Item, o.Empresa, o.Criar);
}

class CliRun {
 public:
  explicit CliRun(const cli::Options& o) : o_(o), report_(o.Relatorio) {
    cli::SetInterruptHandler([this](const std::string& signalName) { return Interrupted(signalName); });
  }
  ~CliRun() { cli::SetInterruptHandler(nullptr); }

  int Run() {
    const int exit = Steps();
    const cli::InterruptLock held;
    finished_ = true;
    if (o_.Json) {
      PrintJson(result_ ? &*result_ : nullptr, seconds_ >= 0 ? seconds_ : Seconds(start_), exit, message_,
                marcasDesfeitas_, false);
    }
    return exit;
  }

 private:
  // Everything but the JSON object: the exit code, with message_ set on failure.
  int Steps() {
    const std::string settings = o_.Ini.empty() ? DefaultSettingsPath() : o_.Ini;
    if (report_.Wanted()) {
      std::error_code error;
      if (fs::equivalent(PathFromUtf8(report_.Path()), PathFromUtf8(settings), error)) {
        return Fail(kExitUsage,
                    "zembra-cli: o relatório não pode ser o arquivo de configuração \"" + settings + "\".",
                    false);
      }
      if (const std::string why = report_.Create(); !why.empty()) {
        return Fail(kExitUsage,
                    "zembra-cli: o relatório \"" + report_.Path() + "\" não pode ser criado: " + why + ".",
                    false);
      }
      const cli::InterruptLock held;
      partial_ = report_.PartialPath();
    }
    if (o_.LogSql && !o_.PastaLogSql.empty()) {
      std::error_code error;
      fs::create_directories(PathFromUtf8(o_.PastaLogSql), error);
      if (!fs::is_directory(PathFromUtf8(o_.PastaLogSql), error)) {
        return Fail(kExitUsage,
                    "zembra-cli: a pasta do log SQL \"" + o_.PastaLogSql + "\" não pode ser criada.");
      }
    }

    RegisterDrivers();
    db::TComponent owner;
    const TFormComponents c = CreateFormComponents(owner);
    ActionInput input;
    if (const Conexao conexao = Conecta(c, o_, settings); conexao.Exit != kExitOk) {
      return Fail(conexao.Exit, conexao.Message);
    } else {
      input.Empresa = conexao.Item;
    }
    // The status query's plan, read once before the action (never per row): without the index of the movements
    // by order number, the person who reads the run's errors learns what to do before waiting for it.
    aviso_ = IndiceAusente(c, input.Empresa);
    if (aviso_) {
      std::fprintf(stderr, "%s\n", cli::AvisoIndice(*aviso_, o_.Empresa).c_str());
      std::fflush(stderr);
    }
    input.Desde = o_.Desde;
    input.Pendente = o_.Pendente;
    input.Simular = o_.Simular;
    input.Relatorio = !o_.Relatorio.empty();
    input.ArquivoConfiguracao = settings;
    // A simulated import also tells how many "B" marks it would turn back into "A": the "B" rows it would
    // delete, counted before and after it in its own transaction (two statements, not one per row).
    // A count that fails (a company without PCPFTOF, which an import of no order never touches) leaves the
    // number unknown rather than failing a simulation whose action would succeed.
    int64_t marcasAntes = -1, marcasDepois = -1;
    const auto conta = [&c, &input](int64_t& marcas) {
      try {
        marcas = ContaMarcasB(c, input.Empresa);
      } catch (const std::exception&) {
        marcas = -1;
      }
    };
    if (o_.Simular && o_.Acao == cli::Command::Importar) {
      input.AntesDaSimulacao = [&] { conta(marcasAntes); };
      input.AntesDeDesfazer = [&] { conta(marcasDepois); };
    }

    cli::TerminalUi ui(stderr, o_.Acao == cli::Command::Situacao);
    const auto actionStart = std::chrono::steady_clock::now();
    const ActionResult& r = result_.emplace(o_.Acao == cli::Command::Importar ? BitBtn1Click(c, input, ui)
                                                                              : BitBtn2Click(c, input, ui));
    seconds_ = Seconds(actionStart);
    if (r.Ok && marcasAntes >= 0 && marcasDepois >= 0) marcasDesfeitas_ = marcasAntes - marcasDepois;
    const std::string summary = Summary(o_, r, seconds_, marcasDesfeitas_);
    {
      // From here on the action's outcome is settled: an interrupt no longer undoes anything.
      const cli::InterruptLock held;
      settled_.emplace();
      settled_->Ok = r.Ok;
      settled_->OrdensPartes = r.OrdensPartes;
      settled_->Processadas = r.Processadas;
      settled_->Excluidas = r.Excluidas.Value();
      settled_->Gravadas = r.Gravadas.Value();
      settled_->Baixadas = r.Baixadas.Value();
    }
    if (!r.Ok) {
      const int exit = Fail(kExitFailed, cli::TerminalText(r.Message));
      std::fprintf(Out(), "%s\n", summary.c_str());
      return exit;
    }
    std::fprintf(Out(), "%s\n%s\n", cli::TerminalText(r.Message).c_str(), summary.c_str());
    std::fflush(Out());
    if (report_.Wanted()) {
      const std::string why = report_.Write(cli::CsvReport(o_.Acao, r));
      {
        const cli::InterruptLock held;
        partial_.clear();
        reportWritten_ = why.empty();
      }
      if (!why.empty()) {
        return Fail(kExitReportFailed, ReportNotWritten(why), false);
      }
    }
    return kExitOk;
  }

  // Reports a failure on stderr (and in the JSON object). A report asked for is not written; `sayReport` adds
  // a line saying so.
  int Fail(int exit, const std::string& message, bool sayReport = true) {
    message_ = message;
    report_.Discard();
    if (sayReport && report_.Wanted()) message_ += "\nRelatório não gravado: \"" + report_.Path() + "\".";
    std::fprintf(stderr, "%s\n", message_.c_str());
    std::fflush(stderr);
    return exit;
  }

  // What an interrupt leaves (called on the interrupt thread, under the interrupt lock): no partial report,
  // its line on stderr and, with --json, the object with "resultado":"interrompido"; the exit code, or
  // nothing once the outcome is settled and only told here.
  std::optional<int> Interrupted(const std::string& signalName) {
    if (finished_) return std::nullopt;
    const bool reportPending = report_.Wanted() && !reportWritten_;
    if (settled_ && (!settled_->Ok || !reportPending)) return std::nullopt;
    if (!partial_.empty()) {
      std::error_code ignored;
      fs::remove(PathFromUtf8(partial_), ignored);
    }
    int exit = kExitFailed;
    std::string message = cli::InterruptLine(signalName);
    if (settled_) {
      // The action was committed (or its simulation ended); only the report is missing.
      exit = kExitReportFailed;
      message = ReportNotWritten("interrompido (" + signalName + ")");
      std::fprintf(stderr, "\n%s", message.c_str());
    } else if (report_.Wanted()) {
      message += "\nRelatório não gravado: \"" + report_.Path() + "\".";
    }
    if (o_.Json) {
      PrintJson(settled_ ? &*settled_ : nullptr, settled_ ? seconds_ : Seconds(start_), exit, message,
                settled_ ? marcasDesfeitas_ : -1, true);
    }
    return exit;
  }

  // The one JSON object of --json on stdout: the run's outcome, with the action's counts once it returned.
  void PrintJson(const ActionResult* result, double seconds, int exit, const std::string& message,
                 int64_t marcasDesfeitas, bool interrompido) const {
    const cli::RunSummary summary{o_.Acao,
                                  o_.Empresa,
                                  o_.Desde,
                                  o_.Simular,
                                  result,
                                  seconds,
                                  exit,
                                  message,
                                  marcasDesfeitas,
                                  interrompido,
                                  aviso_ ? &*aviso_ : nullptr};
    std::printf("%s\n", cli::JsonSummary(summary).c_str());
    std::fflush(stdout);
  }

  // The failure of a report asked for, after the action was committed or its simulation ended.
  std::string ReportNotWritten(const std::string& why) const {
    return std::string(o_.Simular ? "A simulação terminou" : "A ação foi concluída") +
           ", mas o relatório \"" + report_.Path() + "\" não pôde ser gravado: " + why + ".";
  }

  std::FILE* Out() const { return o_.Json ? stderr : stdout; }
  static double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
  }

  const cli::Options& o_;
  cli::ReportFile report_;
  std::optional<ActionResult> result_;
  std::string message_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  double seconds_ = -1;  // the action's time, once it ran; the JSON object gives the time until failure else
  int64_t marcasDesfeitas_ = -1;  // a simulated import's "B" marks that would go back to "A"; -1: not known
  std::optional<IndiceDaBusca> aviso_;  // the status query's lookup without its index, when warned of
  // Read by an interrupt; changed under the interrupt lock.
  std::string partial_;                  // the partial report file while it exists
  std::optional<ActionResult> settled_;  // the action's outcome and counts, once it returned
  bool reportWritten_ = false;           // the report is in place
  bool finished_ = false;                // the outcome is being told; an interrupt changes nothing
};

}  // namespace

int main(int argc, char** argv) {
  cli::EndOnInterrupt();
  cli::Options options;
  try {
    options = cli::ParseArguments(cli::CommandLineArguments(argc, argv));
  } catch (const cli::UsageError& e) {
    std::fprintf(stderr, "zembra-cli: %s\nUse zembra-cli --help para ver as opções.\n", e.what());
    // A script that asked for the JSON object still gets one.
    if (std::find(argv + 1, argv + argc, std::string("--json")) != argv + argc) {
      std::printf("%s\n", cli::JsonUsageError(std::string("zembra-cli: ") + e.what()).c_str());
    }
    return kExitUsage;
  }
  if (options.Acao == cli::Command::Ajuda) {
    std::fputs(cli::HelpText().c_str(), stdout);
    return kExitOk;
  }
  if (options.Acao == cli::Command::Indices) return RunIndices(options);
  return CliRun(options).Run();
}
