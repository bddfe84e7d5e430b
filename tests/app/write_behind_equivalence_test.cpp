// Write-behind changes nothing the user can see: both actions, run on random companies with faults injected
// at random orders, end with the same PCPFTOF, the same outcome (the command line's exit code) and the same
// messages whether the connection sends each statement alone or queues them. Also where the server does more
// than a statement's text says: triggers, referential actions and views that make one order's rows change
// what the next order's technical sheet reads.
//
// Registered for two targets: embedded Firebird beside the Oracle stand-in, and the Firebird server.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/actions.h"
#include "app/settings.h"
#include "app_test_support.h"
#include "data/database.h"
#include "data/query.h"
#include "fixtures/generator.h"
#include "standin_pair.h"

namespace zr::app::testing {
namespace {

enum class Target { Firebird, Standin };
enum class Action { Import, Status };
enum class Fault {
  None,
  TriggerRefusesARow,  // a trigger on PCPFTOF refuses the rows of one order
  LockHeldByAnother,   // another connection holds rows of one order for a while, then lets go
  AttachmentCut,       // the application's attachment is cut while it handles an order
};

// What the company's database does behind the import's statements.
enum class Site {
  Plain,
  PriceTrigger,    // a trigger on PCPFTOF raises the price in MAT_ITEN of every material written
  AuditTrigger,    // a trigger on PCPFTOF writes each change to a log table that nothing reads
  Cascade,         // deleting an order's rows deletes MAT_ITEN's rows through a foreign key ON DELETE CASCADE
  ViewOverOrders,  // MAT_ITEN is a view whose price counts the open PCPFTOF rows of the material
  DynamicTrigger,  // the price trigger, its UPDATE built at run time
};

struct Case {
  const char* name;
  Target target;
  Action action;
  Fault fault;
  uint32_t seed;
  Site site = Site::Plain;
};

// What the user sees of one run.
struct Outcome {
  bool Ok = false;  // exit code 0, else 1
  std::vector<std::string> Messages;
  std::vector<std::vector<std::string>> Pcpftof;
  size_t MostQueued = 0;  // the most statements waiting in the queue after an order or status row
};

std::string Q(const std::string& text) { return "'" + text + "'"; }

// One company on one server, made afresh for each run.
class Company {
 public:
  Company(Target target, const std::string& name) : target_(target) {
    const std::vector<fixtures::CompanyInfo> companies = {{"01", "Confecção Zembra"}};
    fb_ = TestDatabase::Create(name, companies);
    if (target == Target::Standin) ora_ = std::make_unique<StandinDatabase>(fb_->Dir + "ora/", companies);
  }

  // The stand-in's database outlives the company: what a site added to its tables goes with it.
  ~Company() {
    if (!ora_) return;
    for (const char* sql : {"DROP VIEW IF EXISTS mat_iten01", "DROP TABLE IF EXISTS mat_base01",
                            "DROP TABLE IF EXISTS zr_auditoria",
                            "ALTER TABLE mat_iten01 DROP CONSTRAINT IF EXISTS fk_mat_iten01_chave"}) {
      try {
        ora_->Exec(sql);
      } catch (const std::exception&) {
        // Not there, or not of that kind: nothing to take away.
      }
    }
  }
  Company(const Company&) = delete;
  Company& operator=(const Company&) = delete;

  const std::string& Ini() const { return ora_ ? ora_->Ini : fb_->Ini; }
  void Exec(const std::string& sql) { ora_ ? ora_->Exec(sql) : fb_->Exec(sql); }
  std::vector<std::vector<std::string>> Select(const std::string& sql) {
    return ora_ ? ora_->Select(sql) : fb_->Select(sql);
  }
  void Load(const std::vector<fixtures::TableRows>& data) {
    ora_ ? ora_->LoadCompany("01", data) : fb_->Session().LoadCompany("01", data);
  }

  // A trigger that refuses every row of order `numero` that is written (inserted, or updated to "B").
  void RefuseOrder(const std::string& numero) {
    if (ora_) {
      Exec("CREATE OR REPLACE FUNCTION zr_recusa() RETURNS trigger AS $$ BEGIN IF NEW.numero = " + Q(numero) +
           " THEN RAISE EXCEPTION 'linha recusada para o pedido %', NEW.numero; END IF; RETURN NEW; END $$ "
           "LANGUAGE plpgsql");
      Exec(
          "CREATE TRIGGER tr_recusa BEFORE INSERT OR UPDATE ON pcpftof01 FOR EACH ROW EXECUTE FUNCTION zr_recusa()");
    } else {
      Exec("CREATE EXCEPTION E_RECUSA 'linha recusada'");
      Exec("CREATE TRIGGER TR_RECUSA FOR PCPFTOF01 BEFORE INSERT OR UPDATE AS BEGIN IF (NEW.NUMERO = " +
           Q(numero) + ") THEN EXCEPTION E_RECUSA; END");
    }
  }

  // Makes the database do `site` behind the import. `first` is an order and part the import replaces rows of
  // before any other order's technical sheet is read again.
  void Install(Site site, const OrdemTratada& first) {
    const bool pg = ora_ != nullptr;
    const std::string raise =
        "UPDATE MAT_ITEN01 SET PRECO_MED = PRECO_MED + 1 WHERE CODIGO = NEW.INSUMO AND COR = NEW.COR_I";
    switch (site) {
      case Site::Plain:
        return;
      case Site::PriceTrigger:
        if (pg) {
          PgTrigger("zr_preco", "AFTER INSERT", raise + "; RETURN NULL;");
        } else {
          Exec("CREATE TRIGGER TR_PRECO FOR PCPFTOF01 AFTER INSERT AS BEGIN " + raise + "; END");
        }
        return;
      case Site::DynamicTrigger:
        if (pg) {
          PgTrigger(
              "zr_preco", "AFTER INSERT",
              "EXECUTE 'UPDATE MAT_ITEN01 SET PRECO_MED = PRECO_MED + 1 WHERE CODIGO = $1 AND COR = $2' "
              "USING NEW.INSUMO, NEW.COR_I; RETURN NULL;");
        } else {
          Exec(
              "CREATE TRIGGER TR_PRECO FOR PCPFTOF01 AFTER INSERT AS BEGIN EXECUTE STATEMENT ('UPDATE MAT_ITEN01 "
              "SET PRECO_MED = PRECO_MED + 1 WHERE CODIGO = ? AND COR = ?') (NEW.INSUMO, NEW.COR_I); END");
        }
        return;
      case Site::AuditTrigger:
        Exec("CREATE TABLE ZR_AUDITORIA (NUMERO VARCHAR(10), INSUMO VARCHAR(20), QUANDO TIMESTAMP)");
        if (pg) {
          PgTrigger("zr_auditoria", "AFTER INSERT OR DELETE",
                    "INSERT INTO ZR_AUDITORIA VALUES (COALESCE(NEW.NUMERO, OLD.NUMERO), COALESCE(NEW.INSUMO, "
                    "OLD.INSUMO), now()); RETURN NULL;");
        } else {
          Exec(
              "CREATE TRIGGER TR_AUDITORIA FOR PCPFTOF01 AFTER INSERT OR DELETE AS BEGIN INSERT INTO "
              "ZR_AUDITORIA VALUES (COALESCE(NEW.NUMERO, OLD.NUMERO), COALESCE(NEW.INSUMO, OLD.INSUMO), "
              "CURRENT_TIMESTAMP); END");
        }
        return;
      case Site::Cascade: {
        // One row of the first order handled holds the key every MAT_ITEN row refers to.
        Exec("ALTER TABLE PCPFTOF01 ADD CHAVE INTEGER");
        Exec("ALTER TABLE PCPFTOF01 ADD CONSTRAINT UQ_PCPFTOF01_CHAVE UNIQUE (CHAVE)");
        Exec("ALTER TABLE MAT_ITEN01 ADD CHAVE INTEGER");
        Exec(
            "ALTER TABLE MAT_ITEN01 ADD CONSTRAINT FK_MAT_ITEN01_CHAVE FOREIGN KEY (CHAVE) REFERENCES "
            "PCPFTOF01 (CHAVE) ON DELETE CASCADE");
        const std::string row = "NUMERO = " + Q(first.Numero) + " AND PARTE = " + Q(first.Parte);
        Exec(pg ? "UPDATE PCPFTOF01 SET CHAVE = 1 WHERE ctid = (SELECT ctid FROM PCPFTOF01 WHERE " + row +
                      " LIMIT 1)"
                : "UPDATE PCPFTOF01 SET CHAVE = 1 WHERE " + row + " ROWS 1");
        Exec("UPDATE MAT_ITEN01 SET CHAVE = 1");
        return;
      }
      case Site::ViewOverOrders:
        Exec("CREATE TABLE MAT_BASE01 (CODIGO VARCHAR(20), COR VARCHAR(10), PRECO_MED NUMERIC(15,4))");
        Exec("INSERT INTO MAT_BASE01 SELECT CODIGO, COR, PRECO_MED FROM MAT_ITEN01");
        Exec("DROP TABLE MAT_ITEN01");
        Exec(
            "CREATE VIEW MAT_ITEN01 (CODIGO, COR, PRECO_MED) AS SELECT B.CODIGO, B.COR, B.PRECO_MED + (SELECT "
            "COUNT(*) FROM PCPFTOF01 P WHERE P.INSUMO = B.CODIGO AND P.SITUACAO = 'A') FROM MAT_BASE01 B");
        // Every row is open again only once the import writes it anew.
        Exec("UPDATE PCPFTOF01 SET SITUACAO = 'B'");
        return;
    }
  }

  // The id of the application's attachment (Firebird) or server process (the stand-in).
  std::string AttachmentOf(data::TZRQuery& query) {
    query.Close();
    query.SQL().Clear();
    query.SQL().Add(ora_ ? "SELECT pg_backend_pid() AS ID FROM dual"
                         : "SELECT CURRENT_CONNECTION AS ID FROM RDB$DATABASE");
    query.Open();
    const std::string id = query.FieldByName("ID").AsString();
    query.Close();
    return id;
  }

  // Cuts that attachment off, as when the server goes away.
  void Cut(const std::string& id) {
    if (ora_) {
      ora_->Select("SELECT pg_terminate_backend(" + id + ")");
    } else {
      fb_->Exec("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = " + id);
    }
  }

 private:
  // A row trigger on PCPFTOF01 of the stand-in running the PL/pgSQL `body`.
  void PgTrigger(const std::string& name, const std::string& when, const std::string& body) {
    Exec("CREATE OR REPLACE FUNCTION " + name + "() RETURNS trigger AS $$ BEGIN " + body +
         " END $$ LANGUAGE plpgsql");
    Exec("CREATE TRIGGER tr_" + name + " " + when + " ON pcpftof01 FOR EACH ROW EXECUTE FUNCTION " + name +
         "()");
  }

  Target target_;
  std::unique_ptr<TestDatabase> fb_;
  std::unique_ptr<StandinDatabase> ora_;
};

// A second connection, opened from the same zr.ini, that keeps the rows of one order locked in its open
// transaction until Release.
class LockHolder {
 public:
  LockHolder(const std::string& ini, const std::string& numero) {
    db_.TxOptions().AutoStop = false;
    ConectaBanco(db_, ini);
    db_.SetWriteBehind(false);
    data::TZRQuery q;
    q.SetDatabase(&db_);
    q.SQL().Add("UPDATE PCPFTOF01 SET SITUACAO = SITUACAO WHERE NUMERO = " + Q(numero));
    q.ExecSQL();
  }
  void Release() { db_.SetConnected(false); }  // rolls back

 private:
  data::TZRDatabase db_;
};

const char* kEmpresa01 = "01 | Confecção Zembra";
const db::TDateTime kSince = 42736.0;  // 01/01/2017: every generated order

Outcome RunCase(const Case& c, bool writeBehind) {
  std::mt19937 random(c.seed);
  const std::string name = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                           "_" + std::to_string(c.seed) + (writeBehind ? "_on" : "_off");
  Company company(c.target, name);
  fixtures::CompanySize size;
  size.Orders = 4 + static_cast<int>(random() % 14);
  size.PartsPerOrder = 1 + static_cast<int>(random() % 3);
  size.MaterialsPerPart = 1 + static_cast<int>(random() % 6);
  size.Products = 2 + static_cast<int>(random() % 5);
  size.Seed = c.seed;
  company.Load(fixtures::GenerateCompany(size));

  // A filled PCPFTOF first, statement by statement: the import then replaces rows, the update marks them.
  OrdemTratada first;
  {
    AppComponents setup(company.Ini());
    setup.C.ZRDatabase1->SetWriteBehind(false);
    RecordingUi ui;
    ActionInput input{kEmpresa01, kSince, false};
    input.Relatorio = true;
    const ActionResult result = BitBtn1Click(setup.C, input, ui);
    if (!result.Ok) ADD_FAILURE() << "the first import failed: " << ui.Messages.back().Text;
    for (const OrdemTratada& ordem : result.Ordens) {
      if (ordem.Gravadas > 0 && !ordem.Numero.empty() && !ordem.Parte.empty()) {
        first = ordem;
        break;
      }
    }
  }
  company.Install(c.site, first);
  const auto orders = company.Select("SELECT DISTINCT NUMERO FROM PCPFTOF01 ORDER BY NUMERO");
  const std::string numero = orders.empty() ? "000001" : orders[random() % orders.size()][0];
  const int cutAt =
      1 + static_cast<int>(random() % static_cast<uint32_t>(std::max<size_t>(orders.size(), 1)));

  std::unique_ptr<LockHolder> holder;
  if (c.fault == Fault::TriggerRefusesARow) company.RefuseOrder(numero);
  if (c.fault == Fault::LockHeldByAnother) holder = std::make_unique<LockHolder>(company.Ini(), numero);

  Outcome outcome;
  {
    AppComponents app(company.Ini());
    app.C.ZRDatabase1->SetWriteBehind(writeBehind);
    RecordingUi ui;
    const std::string id = c.fault == Fault::AttachmentCut ? company.AttachmentOf(*app.C.QryGrava) : "";
    ui.OnProcess = [&, id](int processed) {
      outcome.MostQueued = std::max(outcome.MostQueued, app.C.ZRDatabase1->PendingWrites());
      if (!id.empty() && processed == cutAt) company.Cut(id);
    };
    // The other connection lets go while the action waits for it (bounded: about a second).
    std::thread release;
    if (holder) {
      release = std::thread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        holder->Release();
      });
    }
    const ActionInput input{kEmpresa01, kSince, false};
    const ActionResult result =
        c.action == Action::Import ? BitBtn1Click(app.C, input, ui) : BitBtn2Click(app.C, input, ui);
    if (release.joinable()) release.join();
    outcome.Ok = result.Ok;
    for (const RecordingUi::Message& m : ui.Messages) outcome.Messages.push_back(m.Caption + ": " + m.Text);
  }
  outcome.Pcpftof = company.Select(kPcpftofSql);
  return outcome;
}

TEST(WriteBehindEquivalence, BothActionsEndTheSameWithTheQueueOnAndOff) {
  const Case cases[] = {
      {"an import on Firebird", Target::Firebird, Action::Import, Fault::None, 11},
      {"a status update on Firebird", Target::Firebird, Action::Status, Fault::None, 12},
      {"an import on Firebird whose trigger refuses one order", Target::Firebird, Action::Import,
       Fault::TriggerRefusesARow, 13},
      {"a status update on Firebird whose trigger refuses one order", Target::Firebird, Action::Status,
       Fault::TriggerRefusesARow, 14},
      {"an import on Firebird waiting for another connection's lock", Target::Firebird, Action::Import,
       Fault::LockHeldByAnother, 15},
      {"a status update on Firebird waiting for another connection's lock", Target::Firebird, Action::Status,
       Fault::LockHeldByAnother, 16},
      {"an import on Firebird whose attachment is cut", Target::Firebird, Action::Import,
       Fault::AttachmentCut, 17},
      {"a status update on Firebird whose attachment is cut", Target::Firebird, Action::Status,
       Fault::AttachmentCut, 18},
      {"an import on the stand-in", Target::Standin, Action::Import, Fault::None, 21},
      {"a status update on the stand-in", Target::Standin, Action::Status, Fault::None, 22},
      {"an import on the stand-in whose trigger refuses one order", Target::Standin, Action::Import,
       Fault::TriggerRefusesARow, 23},
      {"a status update on the stand-in whose trigger refuses one order", Target::Standin, Action::Status,
       Fault::TriggerRefusesARow, 24},
      {"an import on the stand-in waiting for another connection's lock", Target::Standin, Action::Import,
       Fault::LockHeldByAnother, 25},
      {"a status update on the stand-in waiting for another connection's lock", Target::Standin,
       Action::Status, Fault::LockHeldByAnother, 26},
      {"an import on the stand-in whose connection is cut", Target::Standin, Action::Import,
       Fault::AttachmentCut, 27},
      {"a status update on the stand-in whose connection is cut", Target::Standin, Action::Status,
       Fault::AttachmentCut, 28},
      {"an import on Firebird whose trigger raises the prices the next orders read", Target::Firebird,
       Action::Import, Fault::None, 31, Site::PriceTrigger},
      {"an import on Firebird whose audit trigger writes a log nothing reads", Target::Firebird,
       Action::Import, Fault::None, 32, Site::AuditTrigger},
      {"an import on Firebird whose deletes cascade to the prices", Target::Firebird, Action::Import,
       Fault::None, 33, Site::Cascade},
      {"an import on Firebird reading prices through a view over PCPFTOF", Target::Firebird, Action::Import,
       Fault::None, 34, Site::ViewOverOrders},
      {"an import on Firebird whose trigger raises the prices with dynamic SQL", Target::Firebird,
       Action::Import, Fault::None, 35, Site::DynamicTrigger},
      {"an import on the stand-in whose trigger raises the prices the next orders read", Target::Standin,
       Action::Import, Fault::None, 41, Site::PriceTrigger},
      {"an import on the stand-in whose audit trigger writes a log nothing reads", Target::Standin,
       Action::Import, Fault::None, 42, Site::AuditTrigger},
      {"an import on the stand-in whose deletes cascade to the prices", Target::Standin, Action::Import,
       Fault::None, 43, Site::Cascade},
      {"an import on the stand-in reading prices through a view over PCPFTOF", Target::Standin,
       Action::Import, Fault::None, 44, Site::ViewOverOrders},
      {"an import on the stand-in whose trigger raises the prices with dynamic SQL", Target::Standin,
       Action::Import, Fault::None, 45, Site::DynamicTrigger},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The server build runs the Firebird cases only; the embedded build runs the stand-in beside them. The
    // server ends another attachment on its own schedule: cut there only when asked (as the import tests do).
    if (UseServer() && c.target == Target::Standin) continue;
    if (c.target == Target::Standin && StandinDisabled()) continue;
    if (UseServer() && c.fault == Fault::AttachmentCut &&
        std::getenv("ZR_TEST_CUT_SERVER_ATTACHMENT") == nullptr) {
      continue;
    }
    const Outcome alone = RunCase(c, false);
    const Outcome queued = RunCase(c, true);
    EXPECT_EQ(queued.Ok, alone.Ok);
    if (c.target == Target::Standin && c.fault == Fault::AttachmentCut) {
      // psqlODBC words a lost connection by the request that meets it first: the server's "terminating
      // connection" for a statement, "The connection is down" when its own time-out request went first. The
      // outcome and the heading are the same.
      ASSERT_EQ(queued.Messages.size(), alone.Messages.size());
      for (size_t i = 0; i < alone.Messages.size(); ++i) {
        EXPECT_EQ(queued.Messages[i].substr(0, queued.Messages[i].find('\r')),
                  alone.Messages[i].substr(0, alone.Messages[i].find('\r')));
      }
    } else {
      EXPECT_EQ(queued.Messages, alone.Messages);
    }
    EXPECT_EQ(queued.Pcpftof, alone.Pcpftof);
    // Where the server sends batches, statements of several orders wait together: a technical sheet that
    // reads nothing they change does not send them (the stand-in's own '' to NULL triggers and an audit
    // trigger included).
    const bool batches = UseServer() || c.target == Target::Standin;
    if (batches && c.fault == Fault::None && c.action == Action::Import &&
        (c.site == Site::Plain || c.site == Site::AuditTrigger)) {
      EXPECT_GT(queued.MostQueued, 2u);
    }
    if (c.fault == Fault::TriggerRefusesARow && c.action == Action::Import && !alone.Messages.empty()) {
      EXPECT_NE(alone.Messages.back().find("recusada"), std::string::npos) << alone.Messages.back();
    }
  }
}

}  // namespace
}  // namespace zr::app::testing
