#include "app/indices.h"

#include <algorithm>
#include <map>

#include "app/action_statements.h"
#include "app/company.h"
#include "app/error_text.h"
#include "common/ascii.h"
#include "common/driver_names.h"
#include "db/errors.h"
#include "db/plan.h"
#include "sqltranslate/pipeline.h"
#include "sqltranslate/text_query.h"

namespace zr::app {

namespace {

// The statements whose plans tell whether a lookup has its index.
enum class Instrucao { Situacao, Exclusao, Baixa, FichaTecnica };

// A lookup: its table, how the statement names it, and its key, a list of columns or (none) the expression
// that ties a movement to its order.
struct Busca {
  const char* Descricao;
  const char* Base;
  bool PeloApelido;    // the statement names the table by an alias equal to its base name
  const char* Sufixo;  // the index to create is IX_<table>_<suffix>
  std::vector<std::string> Colunas;
  Instrucao Em;
};

const std::vector<Busca>& Buscas() {
  static const std::vector<Busca> buscas = {
      {"movimentos de estoque pelo número da ordem (consulta de \"Atualizar Situação\")",
       "MAT_MOV",
       true,
       "DOC6",
       {},
       Instrucao::Situacao},
      {"linhas da ordem pelo número (exclusão de \"Importar\")",
       "PCPFTOF",
       false,
       "NUM",
       {"NUMERO"},
       Instrucao::Exclusao},
      {"linhas da ordem pelo número (marcação \"B\" de \"Atualizar Situação\")",
       "PCPFTOF",
       false,
       "NUM",
       {"NUMERO"},
       Instrucao::Baixa},
      {"ficha técnica pelo produto (\"Importar\")",
       "PCPFT2",
       true,
       "COD",
       {"CODIGO"},
       Instrucao::FichaTecnica},
      {"cores da ficha técnica pelo produto, material e linha (\"Importar\")",
       "PCPFT3",
       true,
       "CII",
       {"CODIGO", "INSUMO", "ID"},
       Instrucao::FichaTecnica},
      {"preço médio pelo material e cor (\"Importar\")",
       "MAT_ITEN",
       true,
       "CC",
       {"CODIGO", "COR"},
       Instrucao::FichaTecnica},
  };
  return buscas;
}

// Values that stand in the explained statements where the actions put an order's or a product's: any value
// gives the same plan. None is empty, which the Oracle translation would turn into IS NULL.
constexpr const char* kExemplo = "000000";

std::string Juntar(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : separator) + item;
  return out;
}

// Every occurrence of `what` (letter case aside) taken out of `text`.
std::string SemTexto(std::string text, const std::string& what) {
  for (size_t at; (at = common::UpperAscii(text).find(common::UpperAscii(what))) != std::string::npos;)
    text.erase(at, what.size());
  return text;
}

// One check: what it has read from the server is kept, so that the lookups sharing a statement or a table
// ask once.
class Verificacao {
 public:
  Verificacao(const TFormComponents& C, const std::string& Empresa)
      : C_(C), empresa_(Empresa), oracle_(C.ZRDatabase1->DriverName() == common::kDriverOracle) {}

  IndiceDaBusca Verifica(const Busca& b) {
    IndiceDaBusca r;
    r.Busca = b.Descricao;
    r.DaSituacao = b.Em == Instrucao::Situacao;
    r.Tabela = Nome(b.Base);
    r.Chave = b.Colunas.empty() ? ChaveDaExpressao() : Juntar(b.Colunas, ", ");
    const db::plan::StatementPlan& plano = Plano(b.Em);
    r.Plano = plano.Text;
    const std::vector<db::plan::IndexInfo>& indices = Indices(r.Tabela);

    // The indexes whose key starts with what the lookup compares.
    const std::string chave = db::plan::KeyText(b.Colunas.empty() ? r.Chave : b.Colunas.front());
    std::vector<const db::plan::IndexInfo*> servem;
    for (const db::plan::IndexInfo& i : indices) {
      if (!i.Key.empty() && db::plan::KeyText(i.Key.front()) == chave) servem.push_back(&i);
    }
    const auto ativo = std::find_if(servem.begin(), servem.end(), [](auto* i) { return i->Active; });
    if (plano.Known) {
      for (const std::string& lido : plano.IndexesOf(b.PeloApelido ? b.Base : r.Tabela)) {
        for (const db::plan::IndexInfo* i : servem) {
          if (i->Name == lido) {
            r.Estado = EstadoIndice::Usado;
            r.Indice = i->Name;
            return r;
          }
        }
      }
    } else if (ativo != servem.end()) {
      // A server whose plans cannot be read: an index with the key counts as used.
      r.Estado = EstadoIndice::Usado;
      r.Indice = (*ativo)->Name;
      return r;
    }
    if (ativo != servem.end()) {
      r.Estado = EstadoIndice::ForaDoPlano;
      r.Indice = (*ativo)->Name;
    } else if (!servem.empty()) {
      r.Estado = EstadoIndice::Inativo;
      r.Indice = servem.front()->Name;
      r.Comando = "ALTER INDEX " + r.Indice + (oracle_ ? " REBUILD" : " ACTIVE");
    } else {
      r.Estado = EstadoIndice::Falta;
      r.Indice = NomeLivre("IX_" + r.Tabela + "_" + b.Sufixo, indices);
      r.Comando = "CREATE INDEX " + r.Indice + " ON " + r.Tabela +
                  (b.Colunas.empty() && !oracle_ ? " COMPUTED BY (" : " (") + r.Chave + ")";
    }
    return r;
  }

 private:
  std::string Nome(const std::string& base) {
    auto found = nomes_.find(base);
    if (found == nomes_.end()) found = nomes_.emplace(base, BuscaArquivo(*C_.QryAux, empresa_, base)).first;
    return found->second;
  }

  // A statement's text as the connection sends it: through the same translation as every query's.
  std::string Traduz(const std::vector<std::string>& lines) const {
    sqlt::TextQuery query(C_.ZRDatabase1->DriverName());
    query.SetSqlText(Juntar(lines, "\r\n") + "\r\n");
    sqlt::TranslationCache cache;
    sqlt::ConverteSQL(query, cache);
    return query.SqlText();
  }

  // The expression that ties a movement to its order as the translated status query holds it (on Oracle,
  // SUBSTR(NUM_DOCTO,1,6)), without the alias: an index helps only when it is on that very expression.
  std::string ChaveDaExpressao() const {
    return std::string(common::TrimBlanks(SemTexto(Traduz({kExpressaoDocumento}), "MAT_MOV.")));
  }

  const db::plan::StatementPlan& Plano(Instrucao em) {
    auto found = planos_.find(em);
    if (found != planos_.end()) return found->second;
    std::vector<std::string> lines;
    switch (em) {
      case Instrucao::Situacao:
        lines = LinhasConsultaSituacao(Nome("MAT_MOV"), Nome("PCPFTOF"), 0.0);
        break;
      case Instrucao::Exclusao:
        lines = LinhasExclusaoOrdem(Nome("PCPFTOF"), kExemplo, kExemplo);
        break;
      case Instrucao::Baixa:
        lines = LinhasBaixa(Nome("PCPFTOF"), kExemplo, kExemplo, kExemplo);
        break;
      case Instrucao::FichaTecnica:
        lines = LinhasFichaTecnica(Nome("PCPFT2"), Nome("PCPFT3"), Nome("MAT_ITEN"), kExemplo, kExemplo);
        break;
    }
    return planos_.emplace(em, C_.ZRDatabase1->Explain(Traduz(lines))).first->second;
  }

  const std::vector<db::plan::IndexInfo>& Indices(const std::string& tabela) {
    auto found = indices_.find(tabela);
    if (found == indices_.end()) found = indices_.emplace(tabela, C_.ZRDatabase1->Indexes(tabela)).first;
    return found->second;
  }

  // `nome`, or, when the table has an index of that name already (on another key), the first of nome_2,
  // nome_3... that it has not.
  static std::string NomeLivre(const std::string& nome, const std::vector<db::plan::IndexInfo>& indices) {
    const auto tomado = [&](const std::string& n) {
      return std::any_of(indices.begin(), indices.end(),
                         [&](const db::plan::IndexInfo& i) { return i.Name == common::UpperAscii(n); });
    };
    std::string livre = nome;
    for (int n = 2; tomado(livre); ++n) livre = nome + "_" + std::to_string(n);
    return livre;
  }

  const TFormComponents& C_;
  std::string empresa_;
  bool oracle_;
  std::map<std::string, std::string> nomes_;
  std::map<Instrucao, db::plan::StatementPlan> planos_;
  std::map<std::string, std::vector<db::plan::IndexInfo>> indices_;
};

}  // namespace

std::vector<IndiceDaBusca> VerificaIndices(const TFormComponents& C, const std::string& Empresa) {
  Verificacao verificacao(C, Empresa);
  std::vector<IndiceDaBusca> result;
  for (const Busca& b : Buscas()) result.push_back(verificacao.Verifica(b));
  return result;
}

IndiceDaBusca VerificaIndiceSituacao(const TFormComponents& C, const std::string& Empresa) {
  return Verificacao(C, Empresa).Verifica(Buscas().front());
}

void CriaIndice(const TFormComponents& C, const IndiceDaBusca& Busca) {
  // The check read in the transaction that is open now: it ends here, having written nothing, so that the
  // index is all its transaction holds.
  C.ZRTransaction1->CommitRetaining();
  data::TZRQuery query;
  query.SetDatabase(C.ZRDatabase1);
  query.SetTempoLimite(false);
  query.SQL().Add(Busca.Comando);
  try {
    query.ExecSQL();
    C.ZRTransaction1->CommitRetaining();  // Firebird builds the index here
  } catch (const db::EDatabaseError& e) {
    try {
      C.ZRTransaction1->RollbackRetaining();
    } catch (...) {
    }
    if (e.Kind() != db::TDatabaseErrorKind::NoPermission) throw;
    const std::string usuario = C.ZRDatabase1->User();
    throw db::EDatabaseError(
        (usuario.empty() ? std::string("O usuário do banco") : "O usuário \"" + usuario + "\"") +
            " não tem permissão para criar o índice " + Busca.Indice + " em " + Busca.Tabela +
            "; nada foi criado. Peça ao administrador do banco (DBA) que o crie com:\n" +
            ComandoParaDba(Busca.Comando) + "\n(" + DescreveErro(e) + ")",
        db::TDatabaseErrorKind::NoPermission);
  }
}

}  // namespace zr::app
