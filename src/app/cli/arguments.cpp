#include "arguments.h"

#include <set>

#include "app/typed_date.h"

namespace zr::app::cli {

namespace {

const std::string& ValueOf(const std::vector<std::string>& args, size_t& i) {
  if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0)
    throw UsageError("falta o valor de " + args[i] + ".");
  return args[++i];
}

}  // namespace

db::TDateTime ParseDate(const std::string& text) {
  const TypedDate typed = ReadTypedDate(text, db::DecodeDateTime(db::Now()).Year);
  // Like the window's emptied date field: the zero date, every order.
  if (typed.kind == TypedDate::Empty) return 0.0;
  if (typed.kind == TypedDate::Invalid) {
    throw UsageError("data inválida \"" + text + "\": " + typed.Problem +
                     ". Use DD/MM/AAAA, por exemplo 31/01/2018.");
  }
  db::TDateParts parts;
  parts.Day = typed.Day;
  parts.Month = typed.Month;
  parts.Year = typed.Year;
  return db::EncodeDateTime(parts);
}

Options ParseArguments(const std::vector<std::string>& args) {
  Options o;
  bool haveEmpresa = false, haveDesde = false;
  std::set<std::string> seen;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") return Options{};
    // An option given twice is refused rather than letting the last one win unnoticed.
    if (a.rfind("--", 0) == 0 && !seen.insert(a).second) {
      throw UsageError("a opção " + a + " foi dada mais de uma vez.");
    }
    if (a.rfind("--", 0) != 0) {
      // The action, before or after the options: the one word that is not an option or an option's value.
      if (o.Acao != Command::Ajuda) throw UsageError("argumento desconhecido \"" + a + "\".");
      if (a == "importar") {
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
      o.Pendente = true;
    } else if (a == "--ini") {
      o.Ini = ValueOf(args, i);
      if (o.Ini.empty()) throw UsageError("--ini pede o caminho de um arquivo.");
    } else if (a == "--simular") {
      o.Simular = true;
    } else if (a == "--relatorio") {
      o.Relatorio = ValueOf(args, i);
      if (o.Relatorio.empty()) throw UsageError("--relatorio pede o caminho de um arquivo.");
    } else if (a == "--json") {
      o.Json = true;
    } else if (a == "--log-sql") {
      o.LogSql = true;
      // The folder is optional: a following word that is not an option is taken as the folder.
      if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
        o.PastaLogSql = args[++i];
        if (o.PastaLogSql.empty()) throw UsageError("--log-sql pede uma pasta, ou nada.");
      }
    } else {
      throw UsageError("argumento desconhecido \"" + a + "\".");
    }
  }
  if (o.Acao == Command::Ajuda) throw UsageError("falta a ação: importar ou situacao.");
  if (o.Pendente && o.Acao != Command::Importar) throw UsageError("--pendente vale só para importar.");
  if (!haveEmpresa) throw UsageError("falta --empresa CODIGO.");
  if (!haveDesde) throw UsageError("falta --desde DD/MM/AAAA.");
  return o;
}

std::string HelpText() {
  return "Uso:\n"
         "  zembra-cli importar --empresa CODIGO --desde DD/MM/AAAA [--pendente] [OPÇÕES]\n"
         "  zembra-cli situacao --empresa CODIGO --desde DD/MM/AAAA [OPÇÕES]\n"
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
         "  --desde DATA      a data inicial, como no campo de data da janela: DD/MM/AAAA (31/01/2018), com\n"
         "                    \"/\", \".\" ou \"-\" (31.01.2018, 1-6-2018), ano de dois dígitos (31/01/18), só\n"
         "                    dígitos (31012018, 310118) ou dia e mês do ano corrente (31/01); vazia\n"
         "                    (--desde \"\") vale a data zero, 30/12/1899, como o campo deixado em branco.\n"
         "  --pendente        importar só ordens com algum item de quantidade maior que zero (\"OF Pendente\").\n"
         "  --ini ARQUIVO     o arquivo de configuração; sem esta opção, zr.ini ao lado do executável.\n"
         "  --simular         roda a ação inteira, com o mesmo progresso e o mesmo resumo, e desfaz tudo no fim:\n"
         "                    nada é gravado. Sai com 0 se a ação teria dado certo, 1 (com a mensagem) se não.\n"
         "                    Em importar, o resumo diz também quantas marcas \"B\" voltariam a \"A\".\n"
         "  --relatorio ARQ   grava em ARQ um relatório CSV (UTF-8, separador \";\", com cabeçalho) do que mudou,\n"
         "                    só depois da confirmação (ou de desfazer, com --simular). importar: uma linha por\n"
         "                    ordem e parte (numero;parte;produto;excluidas;gravadas); situacao: uma linha por\n"
         "                    UPDATE que marcou linhas (numero;insumo;cor;marcadas). Se algo falhar, ARQ não fica.\n"
         "                    Um link, pipe ou dispositivo (/dev/stdout) é gravado onde aponta, nunca substituído.\n"
         "  --json            no fim, um objeto JSON na saída padrão (ação, empresa, data, contagens, segundos,\n"
         "                    resultado - ok, erro ou interrompido - e, na falha, a mensagem); nada mais vai para a\n"
         "                    saída padrão.\n"
         "  --log-sql [PASTA] grava cada comando SQL enviado ao banco no log SQL do dia: em PASTA, ou em Logs ao\n"
         "                    lado do executável.\n"
         "  --help            mostra este texto.\n"
         "\n"
         "Cada opção vale uma vez só; as opções podem vir antes ou depois da ação. Cada ação roda numa só\n"
         "transação: confirmada no fim, desfeita inteira em caso de erro ou interrupção (Ctrl+C, SIGTERM).\n"
         "O progresso vai para a saída de erros: no terminal, uma linha redesenhada; num arquivo (cron), uma\n"
         "linha a cada décimo das ordens e partes. A mensagem final e a linha de resumo com as contagens e o\n"
         "tempo vão para a saída padrão, os erros para a saída de erros. Nada é perguntado.\n"
         "\n"
         "Código de saída: 0 ação concluída (ou simulada sem erro); 1 falha de conexão ou ação desfeita por erro;\n"
         "2 argumentos inválidos ou empresa desconhecida; 3 ação concluída, mas o relatório não pôde ser gravado.\n";
}

}  // namespace zr::app::cli
