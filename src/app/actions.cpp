#include "app/actions.h"

#include <exception>

#include "app/action_statements.h"
#include "app/company.h"
#include "app/connection_refusal.h"
#include "app/error_text.h"
#include "app/settings.h"
#include "app/sql_text.h"
#include "db/connection.h"
#include "db/errors.h"
#include "db/query.h"

namespace zr::app {

namespace {

void Lines(data::TZRQuery& query, const std::vector<std::string>& lines) {
  query.Close();
  query.SQL().Clear();
  for (const std::string& line : lines) query.SQL().Add(line);
}

std::string ErrorMessage(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return DescreveErro(e);
  } catch (...) {
    return "Erro desconhecido.";
  }
}

// The query that takes the company's lock: a framework query on the action's connection and transaction, with
// a short wait. Its statement is the driver's own locking form of a SELECT, sent as the driver gives it: it
// is no statement of the application for the translator to rewrite.
class TQryTrava : public db::TFDQuery {
 public:
  explicit TQryTrava(data::TZRDatabase* Database) {
    ResourceOptions().CmdExecTimeout = kEsperaTravaEmpresa;
    SetConnection(Database);
  }

  // Locks the rows of `select` (one table's rows) until the transaction ends; true when there was one.
  bool Trava(std::initializer_list<std::string> select) {
    Close();
    SQL().Clear();
    for (const std::string& line : select) SQL().Add(line);
    if (!Connection()->Connected()) Connection()->Open();  // the driver gives the statement's form
    SQL().SetText(Connection()->LockingSelect(SQL().Text()));
    Open();
    FetchAll();  // a row is locked once fetched
    const bool found = !IsEmpty();
    Close();
    return found;
  }
};

// True for the ways a server reports a row that another transaction holds: the wait ran out (the statement's
// time-out), the holder committed meanwhile (Firebird's update conflict), or a lock that could not be had.
bool EhConflitoDeTrava(const db::EDatabaseError& e) {
  return e.Kind() == db::TDatabaseErrorKind::LockConflict || e.Kind() == db::TDatabaseErrorKind::NoAnswer;
}

// Locks the company for this action until its commit or rollback. Every action of the company locks the same
// row first, as an update would but changing nothing and firing no trigger, so a second action stops here: it
// waits for the row at most kEsperaTravaEmpresa and then fails with kMsgOutraAcao before it reads or writes
// anything. The row is the company's PCPFTOF entry of ARQLOCAL (the table both actions write), else its
// EMPRESA row; a company listed in neither runs without a lock.
void TravaEmpresa(const TFormComponents& C, const std::string& Empresa) {
  const std::string code = CompanyCode(Empresa);
  TQryTrava trava(C.ZRDatabase1);
  try {
    if (trava.Trava({"SELECT ARQUIVO FROM ARQLOCAL", "WHERE ARQUIVO = " + QuotedStr("PCPFTOF" + code)}))
      return;
    trava.Trava({"SELECT EMP_PAT FROM EMPRESA", "WHERE EMP_PAT = " + QuotedStr(code)});
  } catch (const db::EDatabaseError& e) {
    if (EhConflitoDeTrava(e)) throw db::EDatabaseError(kMsgOutraAcao);
    throw;
  }
}

// The common frame of both actions: busy while the company is locked and `body` runs, one transaction
// committed at the end (rolled back instead when only simulating), every failure rolled back and shown, the
// window closed after success.
template <class Body>
ActionResult RunAction(const TFormComponents& C, const ActionInput& Input, ActionUi& Ui, Body body) {
  ActionResult result;
  Ui.SetBusy(true);
  try {
    // Without a connection (the start-up could not open one) the action tries once more with the values read
    // at start-up, as its first statement would, and fails the way the start-up did.
    if (!C.ZRDatabase1->Connected()) AbreConexao(*C.ZRDatabase1, Input.ArquivoConfiguracao);
    TravaEmpresa(C, Input.Empresa);
    if (Input.Simular && Input.AntesDaSimulacao) Input.AntesDaSimulacao();
    body(result);
    Ui.SetBusy(false);
    if (Input.Simular) {
      // What still waits in the write-behind queue is sent first: a statement that would fail at the commit
      // must fail the simulation too.
      C.ZRDatabase1->FlushWrites();
      if (Input.AntesDeDesfazer) Input.AntesDeDesfazer();
      C.ZRTransaction1->RollbackRetaining();
    } else {
      C.ZRTransaction1->CommitRetaining();
    }
    result.Ok = true;
    result.Message = kMsgConcluida;
    Ui.ShowMessage(result.Message, kWindowCaption);
    Ui.CloseWindow();
  } catch (...) {
    const std::string message = ErrorMessage(std::current_exception());
    Ui.SetBusy(false);
    if (!result.Ok) {
      // A rollback that fails too (the server is gone) leaves nothing committed either: the server drops
      // the work of a lost attachment. The user still learns the first error.
      try {
        C.ZRTransaction1->RollbackRetaining();
      } catch (...) {
      }
    }
    result.Ok = false;
    result.Message = std::string(kMsgErro) + "\r" + message;
    // A refused connection gets the same Portuguese line as in the start-up's connection message.
    if (const std::string advice = ConnectionRefusalAdvice(message); !advice.empty()) {
      result.Message += "\r" + advice;
    }
    Ui.ShowMessage(result.Message, kWindowCaption);
  }
  return result;
}

// The technical sheet of one order and part: materials and colours with their highest priced cost.
void AbreFichaTecnica(data::TZRQuery& QryCons, const std::string& NmPCPFT2, const std::string& NmPCPFT3,
                      const std::string& NmMAT_ITEN, const std::string& Codigo, const std::string& Parte) {
  Lines(QryCons, LinhasFichaTecnica(NmPCPFT2, NmPCPFT3, NmMAT_ITEN, Codigo, Parte));
  QryCons.Open();
  QryCons.FetchAll();
}

// Replaces the PCPFTOF rows of one order and part by the rows of the open technical sheet.
void GravaOrdem(const TFormComponents& C, const std::string& NmPCPFTOF, const std::string& Numero,
                const std::string& Parte, ActionResult& result, OrdemTratada& tratada) {
  data::TZRQuery& QryCons = *C.QryCons;
  data::TZRQuery& QryInsert = *C.QryInsert;
  data::TZRQuery& QryAux = *C.QryAux;

  Lines(QryInsert,
        {"INSERT INTO " + NmPCPFTOF,
         "(NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, ID, CUSTO, "
         "SITUACAO, DATA)",
         "VALUES",
         "(:NUMERO, :TIPO, :INSUMO, :SETOR, :APLICACAO, :PARTE, :FAIXA, :CONSUMO, :COR, :COR_I, :ID, "
         ":CUSTO, :SITUACAO, :DATA)"});
  QryInsert.Params().SetArraySize(QryCons.RecordCount());

  Lines(QryAux, LinhasExclusaoOrdem(NmPCPFTOF, Numero, Parte));
  QryAux.ExecSQL();
  tratada.Excluidas = QryAux.RowsAffected();
  result.Excluidas += tratada.Excluidas;

  db::TFDParams& p = QryInsert.Params();
  int i = 0;
  for (QryCons.First(); !QryCons.Eof(); QryCons.Next()) {
    p.ParamByName("NUMERO").AsStrings[i] = Numero;
    p.ParamByName("TIPO").AsStrings[i] = QryCons.FieldByName("TIPO").AsString();
    p.ParamByName("INSUMO").AsStrings[i] = QryCons.FieldByName("INSUMO").AsString();
    p.ParamByName("SETOR").AsStrings[i] = QryCons.FieldByName("SETOR").AsString();
    p.ParamByName("APLICACAO").AsStrings[i] = QryCons.FieldByName("APLICACAO").AsString();
    p.ParamByName("PARTE").AsStrings[i] = QryCons.FieldByName("PARTE").AsString();
    p.ParamByName("FAIXA").AsStrings[i] = QryCons.FieldByName("FAIXA").AsString();
    p.ParamByName("CONSUMO").AsFloats[i] = QryCons.FieldByName("CONSUMO").AsFloat();
    p.ParamByName("COR").AsStrings[i] = QryCons.FieldByName("COR").AsString();
    p.ParamByName("COR_I").AsStrings[i] = QryCons.FieldByName("COR_I").AsString();
    p.ParamByName("ID").AsIntegers[i] = QryCons.FieldByName("ID").AsInteger();
    p.ParamByName("CUSTO").AsFloats[i] = QryCons.FieldByName("CUSTO").AsFloat();
    p.ParamByName("SITUACAO").AsStrings[i] = "A";
    p.ParamByName("DATA").AsDates[i] = db::Now();
    ++i;
  }
  QryInsert.Execute(i, 0);
  tratada.Gravadas = i;
  result.Gravadas += i;
}

}  // namespace

ActionResult BitBtn1Click(const TFormComponents& C, const ActionInput& Input, ActionUi& Ui) {
  return RunAction(C, Input, Ui, [&](ActionResult& result) {
    data::TZRQuery& QryAux = *C.QryAux;
    data::TZRQuery& QryBusca = *C.QryBusca;
    data::TZRQuery& QryCons = *C.QryCons;

    const std::string nmPCPFT2 = BuscaArquivo(QryAux, Input.Empresa, "PCPFT2");
    const std::string nmPCPFT3 = BuscaArquivo(QryAux, Input.Empresa, "PCPFT3");
    const std::string nmMAT_ITEN = BuscaArquivo(QryAux, Input.Empresa, "MAT_ITEN");
    const std::string nmPCPFTOF = BuscaArquivo(QryAux, Input.Empresa, "PCPFTOF");

    QryBusca.Close();
    QryBusca.SQL().Clear();
    QryBusca.SQL().Add("SELECT DISTINCT OF_I.NUMERO, FACCAO.PARTE, OF1.CODIGO");
    QryBusca.SQL().Add("FROM " + BuscaArquivo(QryAux, Input.Empresa, "OF1") + " OF1");
    QryBusca.SQL().Add("LEFT JOIN " + BuscaArquivo(QryAux, Input.Empresa, "OF_ITEN") +
                       " OF_I ON (OF1.NUMERO = OF_I.NUMERO)");
    QryBusca.SQL().Add("INNER JOIN " + BuscaArquivo(QryAux, Input.Empresa, "FACCAO") +
                       " FACCAO ON (OF1.NUMERO = FACCAO.NUMERO)");
    QryBusca.SQL().Add("WHERE OF1.DT_INICIO >= " + DateLiteral(Input.Desde));
    if (Input.Pendente) QryBusca.SQL().Add("AND OF_I.QTDE > 0");

    QryBusca.Open();
    QryBusca.FetchAll();
    result.OrdensPartes = QryBusca.RecordCount();
    Ui.SetProgressMax(QryBusca.RecordCount());
    QryBusca.First();

    while (!QryBusca.Eof()) {
      const std::string numero = QryBusca.FieldByName("Numero").AsString();
      const std::string parte = QryBusca.FieldByName("Parte").AsString();
      const std::string codigo = QryBusca.FieldByName("Codigo").AsString();

      OrdemTratada tratada{numero, parte, codigo, 0, 0};
      AbreFichaTecnica(QryCons, nmPCPFT2, nmPCPFT3, nmMAT_ITEN, codigo, parte);
      if (!QryCons.IsEmpty()) GravaOrdem(C, nmPCPFTOF, numero, parte, result, tratada);
      if (Input.Relatorio) result.Ordens.push_back(std::move(tratada));

      ++result.Processadas;
      Ui.SetProgress(QryBusca.RecNo());
      Ui.ProcessMessages();
      QryBusca.Next();
    }
  });
}

ActionResult BitBtn2Click(const TFormComponents& C, const ActionInput& Input, ActionUi& Ui) {
  return RunAction(C, Input, Ui, [&](ActionResult& result) {
    data::TZRQuery& QryAux = *C.QryAux;
    data::TZRQuery& QryCons = *C.QryCons;
    data::TZRQuery& QryInsert = *C.QryInsert;

    const std::string nmPCPFTOF = BuscaArquivo(QryAux, Input.Empresa, "PCPFTOF");

    // MAT_MOV, then PCPFTOF again, are looked up as the status query's lines that name them are built.
    const std::string nmMAT_MOV = BuscaArquivo(QryAux, Input.Empresa, "MAT_MOV");
    Lines(QryCons, LinhasConsultaSituacao(nmMAT_MOV, BuscaArquivo(QryAux, Input.Empresa, "PCPFTOF"), Input.Desde));
    QryCons.Open();
    QryCons.First();

    while (!QryCons.Eof()) {
      if (QryCons.FieldByName("QTDE_BAI").AsFloat() > 0) {
        BaixaFeita baixa{QryCons.FieldByName("Numero").AsString(), QryCons.FieldByName("Insumo").AsString(),
                         QryCons.FieldByName("Cor_I").AsString(), 0};
        Lines(QryInsert, LinhasBaixa(nmPCPFTOF, baixa.Numero, baixa.Insumo, baixa.CorI));
        QryInsert.ExecSQL();
        baixa.Marcadas = QryInsert.RowsAffected();
        result.Baixadas += baixa.Marcadas;
        if (Input.Relatorio) result.Baixas.push_back(std::move(baixa));
      }
      ++result.Processadas;
      Ui.ProcessMessages();
      QryCons.Next();
    }
  });
}

}  // namespace zr::app
