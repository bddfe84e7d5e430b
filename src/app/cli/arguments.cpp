#include "arguments.h"

#include <cctype>

namespace zr::app::cli {

namespace {

bool AllDigits(const std::string& text) {
  for (unsigned char ch : text) {
    if (!std::isdigit(ch)) return false;
  }
  return !text.empty();
}

const std::string& ValueOf(const std::vector<std::string>& args, size_t& i) {
  if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) throw UsageError("falta o valor de " + args[i] + ".");
  return args[++i];
}

}  // namespace

db::TDateTime ParseDate(const std::string& text) {
  if (text.empty()) return 0.0;  // like the window's emptied date field: the zero date, every order
  const std::string bad = "data inválida \"" + text + "\": use DD/MM/AAAA, por exemplo 31/01/2018.";
  if (text.size() != 10 || text[2] != '/' || text[5] != '/') throw UsageError(bad);
  const std::string dd = text.substr(0, 2), mm = text.substr(3, 2), yyyy = text.substr(6, 4);
  if (!AllDigits(dd) || !AllDigits(mm) || !AllDigits(yyyy)) throw UsageError(bad);
  db::TDateParts parts;
  parts.Day = std::stoi(dd);
  parts.Month = std::stoi(mm);
  parts.Year = std::stoi(yyyy);
  if (parts.Year < 1 || parts.Month < 1 || parts.Month > 12 || parts.Day < 1) throw UsageError(bad);
  try {
    const db::TDateTime value = db::EncodeDateTime(parts);
    const db::TDateParts back = db::DecodeDateTime(value);
    if (back.Day == parts.Day && back.Month == parts.Month && back.Year == parts.Year) return value;
  } catch (const std::exception&) {
    // a day the month does not have
  }
  throw UsageError(bad);
}

Options ParseArguments(const std::vector<std::string>& args) {
  Options o;
  if (args.empty()) throw UsageError("falta a ação: importar ou situacao.");
  bool haveEmpresa = false, haveDesde = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") return Options{};
    if (i == 0) {
      if (a.rfind("--", 0) == 0) {
        throw UsageError("falta a ação: importar ou situacao.");
      } else if (a == "importar") {
        o.Acao = Command::Importar;
      } else if (a == "situacao") {
        o.Acao = Command::Situacao;
      } else {
        throw UsageError("ação desconhecida \"" + a + "\": use importar ou situacao.");
      }
    } else if (a == "--empresa") {
      o.Empresa = ValueOf(args, i);
      haveEmpresa = true;
    } else if (a == "--desde") {
      o.Desde = ParseDate(ValueOf(args, i));
      haveDesde = true;
    } else if (a == "--pendente") {
      if (o.Acao != Command::Importar) throw UsageError("--pendente vale só para importar.");
      o.Pendente = true;
    } else if (a == "--ini") {
      o.Ini = ValueOf(args, i);
      if (o.Ini.empty()) throw UsageError("--ini pede o caminho de um arquivo.");
    } else {
      throw UsageError("argumento desconhecido \"" + a + "\".");
    }
  }
  if (!haveEmpresa) throw UsageError("falta --empresa CODIGO.");
  if (!haveDesde) throw UsageError("falta --desde DD/MM/AAAA.");
  return o;
}

std::string HelpText() {
  return
      "Uso:\n"
      "  zembra-cli importar --empresa CODIGO --desde DD/MM/AAAA [--pendente] [--ini ARQUIVO]\n"
      "  zembra-cli situacao --empresa CODIGO --desde DD/MM/AAAA [--ini ARQUIVO]\n"
      "  zembra-cli --help\n"
      "\n"
      "Ações (as mesmas dos botões da janela):\n"
      "  importar   para cada ordem de produção (OF) iniciada em ou depois da data e cada parte da ordem,\n"
      "             substitui as linhas de PCPFTOF pelas da ficha técnica, marcadas \"A\" (\"Importar\").\n"
      "  situacao   marca \"B\" as linhas \"A\" de PCPFTOF com DATA em ou depois da data cujo material já\n"
      "             saiu do estoque para a ordem (\"Atualizar Situação\").\n"
      "\n"
      "Opções:\n"
      "  --empresa CODIGO  a empresa cujo EMP_PAT é CODIGO (um código desconhecido é erro, com a lista\n"
      "                    dos códigos existentes).\n"
      "  --desde DATA      a data inicial, DD/MM/AAAA (31/01/2018); vazia (--desde \"\") vale a data zero,\n"
      "                    30/12/1899, como o campo de data deixado em branco na janela.\n"
      "  --pendente        importar só ordens com algum item de quantidade maior que zero (\"OF Pendente\").\n"
      "  --ini ARQUIVO     o arquivo de configuração; sem esta opção, zr.ini ao lado do executável.\n"
      "  --help            mostra este texto.\n"
      "\n"
      "Cada ação roda numa só transação: confirmada no fim, desfeita inteira em caso de erro. O progresso\n"
      "aparece no terminal; no fim vêm a mensagem da ação e uma linha de resumo com as contagens e o tempo.\n"
      "Nada é perguntado.\n"
      "\n"
      "Código de saída: 0 ação concluída; 1 falha de conexão ou ação desfeita por erro; 2 argumentos\n"
      "inválidos ou empresa desconhecida.\n";
}

}  // namespace zr::app::cli
