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
      } else if (a == "indices") {
        o.Acao = Command::Indices;
      } else {
        throw UsageError("ação desconhecida \"" + a + "\": use importar, situacao ou indices.");
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
    } else if (a == "--criar") {
      o.Criar = true;
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
  if (o.Acao == Command::Ajuda) throw UsageError("falta a ação: importar, situacao ou indices.");
  if (o.Pendente && o.Acao != Command::Importar) throw UsageError("--pendente vale só para importar.");
  if (o.Criar && o.Acao != Command::Indices) throw UsageError("--criar vale só para indices.");
  if (!haveEmpresa) throw UsageError("falta --empresa CODIGO.");
  if (o.Acao == Command::Indices) {
    // The indexes belong to the company, not to a run: no date, no simulation, no report of changed rows.
    for (const char* option : {"--desde", "--simular", "--relatorio", "--json"}) {
      if (seen.count(option) > 0) throw UsageError(std::string(option) + " não vale para indices.");
    }
    return o;
  }
  if (!haveDesde) throw UsageError("falta --desde DD/MM/AAAA.");
  return o;
}

std::string HelpText() {
  return "Uso:\n"
         "  zembra-cli importar --empresa CODIGO --desde DD/MM/AAAA [--pendente] [OPÇÕES]\n"
         "  zembra-cli situacao --empresa CODIGO --desde DD/MM/AAAA [OPÇÕES]\n"
         "  zembra-cli indices --empresa CODIGO [--criar] [--ini ARQUIVO] [--log-sql [PASTA]]\n"
         "  zembra-cli --help\n"
         "\n"
         "Ações (as mesmas dos botões da janela):\n"
         "  importar   para cada ordem de produção (OF) iniciada em ou depois da data e cada parte da ordem,\n"
         "             substitui as linhas de PCPFTOF pelas da ficha técnica, marcadas \"A\" (\"Importar\").\n"
         "  situacao   marca \"B\" as linhas \"A\" de PCPFTOF com DATA em ou depois da data cujo material já\n"
         "             saiu do estoque para a ordem (\"Atualizar Situação\").\n"
         "  indices    lista os índices de que as duas ações precisam numa empresa grande (as buscas que elas\n"
         "             repetem a cada ordem e a cada linha): os que existem, os que faltam e o comando que cria\n"
         "             cada um, como o servidor diz que vai executar cada consulta. Sem --criar nada muda.\n"
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
         "  --criar           (indices) cria os índices que faltam, cada um na sua transação, com uma\n"
         "                    mensagem por índice; pede que o usuário do zr.ini possa criar índices nas tabelas.\n"
         "  --help            mostra este texto.\n"
         "\n"
         "Cada opção vale uma vez só; as opções podem vir antes ou depois da ação. Cada ação roda numa só\n"
         "transação: confirmada no fim, desfeita inteira em caso de erro ou interrupção (Ctrl+C, SIGTERM).\n"
         "O progresso vai para a saída de erros: no terminal, uma linha redesenhada; num arquivo (cron), uma\n"
         "linha a cada décimo das ordens e partes. A mensagem final e a linha de resumo com as contagens e o\n"
         "tempo vão para a saída padrão, os erros para a saída de erros. Nada é perguntado.\n"
         "\n"
         "Código de saída: 0 ação concluída (ou simulada sem erro); 1 falha de conexão ou ação desfeita por erro;\n"
         "2 argumentos inválidos ou empresa desconhecida; 3 ação concluída, mas o relatório não pôde ser gravado.\n"
         "indices: 0 nenhum índice falta (com --criar: todos criados); 1 falha de conexão, de leitura do plano ou\n"
         "ao criar um índice (os criados antes dele ficam; dele nada fica); 2 argumentos inválidos ou empresa\n"
         "desconhecida; 4 faltam índices (sem --criar).\n"
         "\n"
         "Antes de importar e situacao, o plano do servidor para a consulta de situação é conferido uma vez: sem o\n"
         "índice dos movimentos pelo número da ordem, uma linha de aviso vai para a saída de erros (e o mesmo\n"
         "conselho para o JSON, em \"aviso_indice\"), e a ação roda assim mesmo.\n";
}

}  // namespace zr::app::cli
