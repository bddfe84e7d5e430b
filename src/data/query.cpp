// TZRCustomQuery and TZRQuery: every statement of the system runs through them. They translate and log each
// statement before the framework sends it, put a time-out on statements that return no rows, and turn a
// time-out into a readable deadlock message.

#include "data/query.h"

#include <exception>

#include "common/ascii.h"
#include "common/driver_names.h"
#include "data/fields.h"
#include "db/errors.h"
#include "query_access_adapter.h"

namespace zr::data {

namespace {

// The connection named "IBDatabase" of the application's component "Tabela", when there is one.
TZRDatabase* ApplicationTabelaDatabase() {
  db::TComponent* tabela = db::Application().FindComponent("Tabela");
  if (tabela == nullptr) return nullptr;
  return dynamic_cast<TZRDatabase*>(tabela->FindComponent("IBDatabase"));
}

// The application's words for a failure (DefineRedacaoDeErros); empty: the failure's own message.
db::TErrorWording& Redacao() {
  static db::TErrorWording redacao;
  return redacao;
}

}  // namespace

void DefineRedacaoDeErros(db::TErrorWording Redige) { Redacao() = std::move(Redige); }

// TZRCustomQuery ---------------------------------------------------------------------------------------------

TZRCustomQuery::TZRCustomQuery(db::TComponent* AOwner) : db::TFDQuery(AOwner) {
  // The application builds SQL text line by line: it reaches the server as written.
  ResourceOptions().EscapeExpand = false;
  ResourceOptions().MacroCreate = false;
  ResourceOptions().MacroExpand = false;
  UpdateOptions().CheckReadOnly = false;
  FAutoTransacao = true;
  FTempoLimite = true;
  FBloqueiaDelete = true;
  FTimeOutOpen = false;
}

TZRCustomQuery::~TZRCustomQuery() {
  if (Active()) {
    try {
      Close();
    } catch (...) {
      // A destructor must not throw; the framework's destructor releases the cursor anyway.
    }
  }
}

void TZRCustomQuery::SetDatabase(TZRDatabase* Value) {
  FDatabase = Value;
  if (Value != nullptr) {
    SetConnection(Value);
    SetTransaction(nullptr);
    SetUpdateTransaction(nullptr);
  }
}

void TZRCustomQuery::SetActive(bool Value) {
  if (FDatabase == nullptr) {
    if (Connection() != nullptr) {
      // A connection of another class than TZRDatabase gives no Database.
      if (auto* database = dynamic_cast<TZRDatabase*>(Connection())) SetDatabase(database);
    } else if (TZRDatabase* database = ApplicationTabelaDatabase()) {
      SetDatabase(database);
    }
  }
  db::TFDQuery::SetActive(Value);
}

// TZRQuery ---------------------------------------------------------------------------------------------------

TZRQuery::TZRQuery(db::TComponent* AOwner) : TZRCustomQuery(AOwner) {}

TZRQuery::~TZRQuery() = default;

bool TZRQuery::EhConsulta(std::string_view Text) {
  const std::string head = common::UpperAscii(Text.substr(0, 6));
  return head != "UPDATE" && head != "INSERT" && head != "DELETE";
}

void TZRQuery::Open() {
  if (!TimeOutOpen()) ResourceOptions().CmdExecTimeout = db::kNoTimeout;
  SetTransaction(nullptr);
  SetUpdateTransaction(nullptr);
  if (EhConsulta(SQL().Text())) {
    db::TFDQuery::Open();
  } else {
    ExecSQL();
  }
}

void TZRQuery::ExecSQL() {
  ConverteSQL();  // its errors (the dictionary look-up, the log) leave unchanged; nothing is executed
  // A statement that waited out its time-out was most likely blocked by another transaction's lock. The same
  // wording serves a failure that comes to light later, when the statement waited in the write-behind queue.
  // The driver tells a time-out by the error's kind; an error of another origin whose message says "Timeout
  // expired" is worded the same way, as the framework's time-out error always was.
  const auto wording = [text = SQL().Text()](const db::EDatabaseError& failure) -> std::string {
    const bool timedOut = failure.Kind() == db::TDatabaseErrorKind::NoAnswer ||
                          common::UpperAscii(failure.what()).find("TIMEOUT EXPIRED") != std::string::npos;
    if (timedOut) return "ERRO PROVÁVEL DE DEADLOCK :\r\r" + text;
    return Redacao() ? Redacao()(failure) : std::string(failure.what());
  };
  try {
    if (!TempoLimite()) {
      ResourceOptions().CmdExecTimeout = db::kNoTimeout;
    } else if (Database()->DriverName() == common::kDriverFirebird) {
      ResourceOptions().CmdExecTimeout = FTempoLimiteFB;
    } else {
      ResourceOptions().CmdExecTimeout = FTempoLimiteOutros;
    }
    SetErrorWording(wording);
    db::TFDQuery::ExecSQL();
  } catch (const db::EQueuedStatementError&) {
    throw;  // an earlier statement's failure, worded by its own query
  } catch (const db::EDatabaseError& e) {
    throw db::EDatabaseError(wording(e), e);
  } catch (const std::exception& e) {
    throw db::EDatabaseError(wording(db::EDatabaseError(e.what())));
  }
}

void TZRQuery::ConverteSQL() {
  // Without a Database there is no driver name to translate for; without a Connection (never set, or its
  // connection was freed, which also leaves Database pointing at nothing) nothing can be sent.
  if (Database() == nullptr || Connection() == nullptr) {
    throw db::EDatabaseError(
        "Consulta sem conexão: defina Database ou Connection, ou abra ou feche a consulta antes de executá-la.");
  }
  detail::QueryAccessAdapter access(*this);
  sqlt::ConverteSQL(access, FCache);
}

void TZRQuery::OpenCursor(bool InfoQuery) {
  ConverteSQL();
  FbCarregado = true;
  db::TFDQuery::OpenCursor(InfoQuery);
}

void TZRQuery::DoBeforeDelete() {
  // A refused deletion ends the caller's operation without a message. Neither the framework's own step nor
  // its event runs, whatever BloqueiaDelete holds.
  if (BloqueiaDelete()) throw db::EAbort();
}

const db::TFieldClass* TZRQuery::GetFieldClass(db::TFieldType Type) const {
  switch (Type) {
    case db::ftCurrency:
      return db::FieldClassOf<TZRFloatField>();
    case db::ftMemo:
    case db::ftFmtMemo:
    case db::ftOraClob:
      return db::FieldClassOf<TZRBlobField>();
    default:
      return db::DefaultFieldClass(Type);
  }
}

}  // namespace zr::data
