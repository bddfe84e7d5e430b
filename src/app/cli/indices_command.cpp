#include "indices_command.h"

#include <cstdio>
#include <exception>
#include <set>

#include "app/error_text.h"
#include "common/driver_names.h"
#include "run_report.h"

namespace zr::app::cli {

namespace {

const char* Estado(EstadoIndice estado) {
  switch (estado) {
    case EstadoIndice::Usado:
      return "em uso";
    case EstadoIndice::ForaDoPlano:
      return "fora do plano";
    case EstadoIndice::Inativo:
      return "inativo";
    case EstadoIndice::Falta:
      return "falta";
  }
  return "";
}

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

// The distinct commands of the lookups that need a DBA, in the order of the lookups: two lookups served by
// one index ask for it once.
std::vector<const IndiceDaBusca*> AFazer(const std::vector<IndiceDaBusca>& buscas) {
  std::vector<const IndiceDaBusca*> fazer;
  std::set<std::string> vistos;
  for (const IndiceDaBusca& b : buscas) {
    if (PrecisaDeIndice(b) && vistos.insert(b.Comando).second) fazer.push_back(&b);
  }
  return fazer;
}

}  // namespace

std::string ComandoIndices(const std::string& empresa, bool criar) {
  return "zembra-cli indices --empresa " + empresa + (criar ? " --criar" : "");
}

std::string ListaIndices(const std::vector<IndiceDaBusca>& buscas, const std::string& empresa,
                         const std::string& driverName) {
  std::string text = "Índices das buscas que as ações repetem a cada ordem e a cada linha, empresa " +
                     empresa + " (" + (driverName == common::kDriverFirebird ? "Firebird" : "Oracle") +
                     "):\n";
  for (const IndiceDaBusca& b : buscas) {
    text += "  " + Padded(Estado(b.Estado), 14) + Padded(b.Tabela, 12) + " " + Padded(b.Indice, 22) + " " +
            b.Busca + "\n";
    if (PrecisaDeIndice(b)) text += "  " + std::string(14, ' ') + ComandoParaDba(b.Comando) + "\n";
  }
  const size_t faltam = AFazer(buscas).size();
  if (faltam == 0) return text + "Nenhum índice falta.\n";
  return text +
         (faltam == 1 ? std::string("Falta 1 índice") : "Faltam " + std::to_string(faltam) + " índices") +
         ". Para " + (faltam == 1 ? "criá-lo: " : "criá-los: ") + ComandoIndices(empresa, true) +
         " (ou peça ao administrador do banco que rode " + (faltam == 1 ? "o comando" : "os comandos") +
         " acima).\n";
}

std::string AvisoIndice(const IndiceDaBusca& busca, const std::string& empresa) {
  const std::string falta =
      busca.Estado == EstadoIndice::Inativo
          ? "o índice " + busca.Indice + " de " + busca.Tabela + " pelo número da ordem (" + busca.Chave +
                ") está inativo"
          : "não há índice em " + busca.Tabela + " pelo número da ordem (" + busca.Chave + ")";
  return "zembra-cli: aviso: " + falta +
         ", e a consulta de \"Atualizar Situação\" lê todos os movimentos do material e da cor para cada linha de "
         "PCPFTOF: numa empresa grande ela leva muitos minutos. Veja \"" +
         ComandoIndices(empresa, false) + "\"; \"" + ComandoIndices(empresa, true) + "\" cria o índice.";
}

int ExecutaIndices(const TFormComponents& c, const std::string& item, const std::string& empresa,
                   bool criar) {
  const std::string driver = c.ZRDatabase1->DriverName();
  std::vector<IndiceDaBusca> buscas;
  // Reads the plans and the indexes, and lists them; false (the failure told) when the server would not tell.
  const auto verifica = [&] {
    try {
      buscas = VerificaIndices(c, item);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "zembra-cli: erro ao ler o plano ou os índices do servidor:\n%s\n",
                   TerminalText(DescreveErro(e)).c_str());
      return false;
    }
    std::printf("%s", ListaIndices(buscas, empresa, driver).c_str());
    return true;
  };
  if (!verifica()) return 1;
  const std::vector<const IndiceDaBusca*> fazer = AFazer(buscas);
  if (fazer.empty()) return 0;
  if (!criar) return kExitFaltamIndices;

  for (const IndiceDaBusca* b : fazer) {
    std::printf("\nCriando %s em %s:\n  %s\n", b->Indice.c_str(), b->Tabela.c_str(),
                ComandoParaDba(b->Comando).c_str());
    std::fflush(stdout);
    try {
      CriaIndice(c, *b);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "zembra-cli: o índice %s não foi criado.\n%s\n", b->Indice.c_str(),
                   TerminalText(DescreveErro(e)).c_str());
      return 1;
    }
    std::printf("Índice %s criado.\n", b->Indice.c_str());
    std::fflush(stdout);
  }
  std::printf("\nComo o servidor vai executar as consultas agora:\n");
  if (!verifica()) return 1;
  return AFazer(buscas).empty() ? 0 : kExitFaltamIndices;
}

}  // namespace zr::app::cli
