// Write-behind changes nothing the user can see: both actions, run on random companies with faults injected
// at random orders, end with the same PCPFTOF, the same outcome (the command line's exit code) and the same
// messages whether the connection sends each statement alone or queues them.
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

struct Case {
  const char* name;
  Target target;
  Action action;
  Fault fault;
  uint32_t seed;
};

// What the user sees of one run.
struct Outcome {
  bool Ok = false;  // exit code 0, else 1
  std::vector<std::string> Messages;
  std::vector<std::vector<std::string>> Pcpftof;

  bool operator==(const Outcome&) const = default;
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
  {
    AppComponents setup(company.Ini());
    setup.C.ZRDatabase1->SetWriteBehind(false);
    RecordingUi ui;
    if (!BitBtn1Click(setup.C, ActionInput{kEmpresa01, kSince, false}, ui).Ok) {
      ADD_FAILURE() << "the first import failed: " << ui.Messages.back().Text;
    }
  }
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
    if (c.fault == Fault::AttachmentCut) {
      const std::string id = company.AttachmentOf(*app.C.QryGrava);
      ui.OnProcess = [&, id](int processed) {
        if (processed == cutAt) company.Cut(id);
      };
    }
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
    if (c.fault == Fault::TriggerRefusesARow && c.action == Action::Import && !alone.Messages.empty()) {
      EXPECT_NE(alone.Messages.back().find("recusada"), std::string::npos) << alone.Messages.back();
    }
  }
}

}  // namespace
}  // namespace zr::app::testing
