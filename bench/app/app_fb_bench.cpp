// "Importar" and "Atualizar Situação" on Firebird, beside the same PCPFTOF contents produced by set-based
// statements on the server (the physical limit):
//   <target>/import/app        BitBtn1Click: per order and part a sheet query, a delete and one array insert
//   <target>/import/set_based  one DELETE and one INSERT ... SELECT
//   <target>/status/app        BitBtn2Click: the status query and one UPDATE per withdrawn row
//   <target>/status/set_based  one UPDATE
// <target> is "embedded" (the engine inside this process) or "server" (127.0.0.1:3050 over loopback).
// The company: ZR_BENCH_ORDERS orders (default 2000) x 2 parts x 25 materials, 100,000 PCPFTOF rows, with
// withdrawals for half of the materials. Each case runs once; "peak_MB" is the peak resident memory of the
// process during the timed run (the embedded engine's page cache included), "growth_MB" that peak less the
// resident memory at the start of the run; the ratios app/set_based are printed at the end.
// "import/set_based_filled" times the set-based import on a PCPFTOF that already holds the company's rows.
// <target>/catalogue/...: a company shaped like a real catalogue, where each order and part's sheet query
// is a text of its own: 150 products with 2 to 9 sheet rows each, spread over 3 parts, and orders of 1 to 3
// parts (ZR_BENCH_CATALOGUE_ORDERS orders, default 3000 on the server, 25000 embedded). Its reference is
// "import/in_engine": the same work order and part by order and part in one EXECUTE BLOCK. "sheet_texts"
// counts the different sheet queries the import sends.
// Latency: ZR_BENCH_APP_SERVER names the host the application's zr.ini uses for the server case (a
// scripts/latency-proxy.py in front of 127.0.0.1:3050); with ZR_BENCH_PROXY_STATS set to the proxy's stats
// file, "rt_per_unit" is the round trips per order and part (import) or per status row (status).
// ZR_BENCH_MATERIALS sets the sheet materials per part (default 25) and ZR_BENCH_PARTS the parts per order
// (default 2), for the shape of many small order parts. ZR_BENCH_WRITE_BEHIND=0 runs the application with
// every statement sent alone. ZR_BENCH_AUDIT=1 gives PCPFTOF an audit trigger that writes every inserted or
// deleted row to a log table nothing reads (the round trips count the catalog reads write-behind makes).
// <target>/catalogue/<action>/app/no_<mechanism>: either action on the catalogue company with one of the
// driver's mechanisms switched off by its connection entry (literal shapes, SELECT shapes, shaped batches,
// literal batches); the tables printed at the end set each beside the run with all of them on and the
// reference.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "app/actions.h"
#include "app/components.h"
#include "app/drivers.h"
#include "app/settings.h"
#include "db/connection.h"
#include "db/driver.h"
#include "db/errors.h"
#include "fixtures/firebird_db.h"
#include "fixtures/set_based_sql.h"
#include "timing_reporter.h"
#include "fixtures/environment.h"
#include "proxy_stats.h"
#include "driver_entry.h"
#include "silent_ui.h"

namespace zr::bench {
namespace {

namespace fs = std::filesystem;

const fixtures::CompanyInfo kCompany{"01", "Confecções Zembra"};
const db::TDateTime kSince = 42736.0;                  // 01/01/2017, the generator's first start: every order
constexpr const char* kSinceLiteral = "'01/01/2017'";  // month first, as the application writes it

using fixtures::Env;

// Resident memory (Linux): the peak is reset before a run and read after it.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
double StatusMB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == field) {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
    status.ignore(4096, '\n');
  }
  return 0;
}

// One generated company in a database of the target, and a zr.ini that opens it as the window would.
struct Target {
  fixtures::FbTarget fb;
  std::string ini;
  std::unique_ptr<fixtures::FbSession> session;
  // The same database straight through the driver, for the in-engine reference: the block's variables are
  // not the framework's named parameters.
  std::unique_ptr<db::driver::Connection> engine;

  static Target& Get(bool server, bool catalogue) {
    static std::map<std::pair<bool, bool>, std::unique_ptr<Target>> targets;
    auto& t = targets[{server, catalogue}];
    if (!t) t = Create(server, catalogue);
    return *t;
  }

  static fixtures::CompanySize Size(bool server, bool catalogue) {
    fixtures::CompanySize size;
    size.PendingShare = 1.0;
    size.WithdrawnShare = 0.5;
    size.Seed = 11;
    if (catalogue) {
      size.Orders = std::stoi(Env("ZR_BENCH_CATALOGUE_ORDERS", server ? "3000" : "25000"));
      size.Products = 150;
      size.PartsPerOrder = 3;
      size.MinPartsPerOrder = 1;
      size.MinSheetRows = 2;
      size.MaxSheetRows = 9;
      return size;
    }
    size.Orders = std::stoi(Env("ZR_BENCH_ORDERS", "2000"));
    size.PartsPerOrder = std::stoi(Env("ZR_BENCH_PARTS", "2"));
    size.MaterialsPerPart = std::stoi(Env("ZR_BENCH_MATERIALS", "25"));
    size.Products = 20;
    return size;
  }

  static std::unique_ptr<Target> Create(bool server, bool catalogue) {
    app::RegisterDrivers();
    auto t = std::make_unique<Target>();
    const fs::path dir = server ? fs::path(Env("ZR_FB_SERVER_DIR", "/tmp/zr-fbserver")) / "zr-app-bench"
                                : fs::temp_directory_path() / "zr-app-bench";
    fs::create_directories(dir);
    fs::permissions(dir, fs::perms::all, fs::perm_options::replace);
    const std::string name = std::string(server ? "server" : "embedded") + (catalogue ? "-catalogue" : "");
    t->fb.Database = (dir / (name + ".fdb")).string();
    if (server) {
      t->fb.Server = "127.0.0.1";
      t->fb.Password = Env("ZR_FB_PASSWORD", "masterkey");
    }
    t->ini = (dir / (name + ".ini")).string();
    fixtures::FbTarget app = t->fb;
    if (server) app.Server = Env("ZR_BENCH_APP_SERVER", "127.0.0.1");
    fixtures::WriteZrIni(t->ini, app);

    fixtures::CreateFbDatabase(t->fb, true);
    t->session = std::make_unique<fixtures::FbSession>(t->fb);
    t->session->CreateSharedTables();
    t->session->AddCompany(kCompany);
    t->session->LoadCompany(kCompany.Code, fixtures::GenerateCompany(Size(server, catalogue)));
    if (Env("ZR_BENCH_AUDIT", "0") == "1") {
      t->session->Exec("CREATE TABLE ZR_AUDITORIA (NUMERO VARCHAR(10), INSUMO VARCHAR(20), QUANDO TIMESTAMP)");
      t->session->Exec("CREATE TRIGGER TR_AUDITORIA FOR PCPFTOF" + kCompany.Code +
                       " AFTER INSERT OR DELETE AS BEGIN INSERT INTO ZR_AUDITORIA VALUES (COALESCE(NEW.NUMERO, "
                       "OLD.NUMERO), COALESCE(NEW.INSUMO, OLD.INSUMO), CURRENT_TIMESTAMP); END");
    }
    const db::TFDConnection& connection = t->session->Connection();
    t->engine = db::driver::Connect(connection.DriverName(), connection.Params());
    return t;
  }

  void Exec(const std::string& sql) { session->Exec(sql); }
  long Count(const std::string& sql) { return std::stol(session->Scalar(sql)); }
};

std::string T(const std::string& base) { return base + kCompany.Code; }

// The delete asks, per PCPFTOF row, whether its order and part is listed, through the indexes on the order
// number: a DELETE ... WHERE EXISTS (SELECT ... FROM (order list) L ...) would compute the whole order list
// again for every PCPFTOF row. An order listed without items has no number and matches no row either way.
void ImportSetBased(Target& t) {
  t.Exec("DELETE FROM " + T("PCPFTOF") + " P WHERE EXISTS (SELECT 1 FROM " + T("OF1") + " OF1 INNER JOIN " +
         T("OF_ITEN") + " OF_I ON (OF1.NUMERO = OF_I.NUMERO) INNER JOIN " + T("FACCAO") +
         " FACCAO ON (OF1.NUMERO = FACCAO.NUMERO) WHERE OF1.NUMERO = P.NUMERO AND OF1.DT_INICIO >= " +
         kSinceLiteral + " AND (TRIM(COALESCE(FACCAO.PARTE, '')) = '' OR P.PARTE = FACCAO.PARTE))");
  t.Exec(
      "INSERT INTO " + T("PCPFTOF") +
      " (NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, DATA) "
      "SELECT S.*, 'A', CURRENT_DATE FROM (" +
      fixtures::SheetRowsSql(kCompany.Code, kSinceLiteral) + ") S");
}

void ImportInEngine(Target& t) {
  const std::unique_ptr<db::driver::Statement> block = t.engine->CreateStatement();
  block->Prepare(fixtures::InEngineImportSql(kCompany.Code, kSinceLiteral));
  block->Execute({}, 1, 0);
}

// The different sheet queries of an import: one text per product and part listed.
long SheetTexts(Target& t) {
  return t.Count("SELECT COUNT(*) FROM (SELECT DISTINCT L.CODIGO, L.PARTE FROM (" +
                 fixtures::OrderListSql(kCompany.Code, kSinceLiteral) + ") L)");
}

void StatusSetBased(Target& t) {
  t.Exec("UPDATE " + T("PCPFTOF") +
         " P SET SITUACAO = 'B' WHERE P.SITUACAO = 'A' AND EXISTS (SELECT 1 FROM " + T("PCPFTOF") +
         " Q WHERE Q.NUMERO = P.NUMERO AND Q.INSUMO = P.INSUMO AND Q.COR_I = P.COR_I AND "
         "Q.DATA >= " +
         kSinceLiteral + " AND (SELECT SUM(M.QTDE) FROM " + T("MAT_MOV") +
         " M WHERE "
         "SUBSTRING(M.NUM_DOCTO FROM 1 FOR 6) = Q.NUMERO AND M.CODIGO = Q.INSUMO AND M.COR = Q.COR_I AND "
         "M.OPERACAO = 'S' AND M.TP_MOV = 'BC') > 0)");
}

// The driver's mechanisms that a connection entry switches off, for the catalogue import's cases.
struct Mechanism {
  const char* Suffix;  // of the case's name
  const char* Label;   // in the table
  const char* Entry;   // added to the application's connection
};
constexpr Mechanism kMechanisms[] = {
    {"", "all on", nullptr},
    {"/no_literal_shapes", "no literal shapes", "LiteralShapes=0"},
    {"/no_select_shapes", "no SELECT shapes", "SelectShapes=0"},
    {"/no_shaped_batches", "no shaped batches", "ShapedBatches=0"},
    {"/no_literal_batches", "no literal batches", "LiteralBatches=0"},
};

// Runs one action with the window's components, opened from the target's zr.ini.
app::ActionResult RunAction(const Target& t, bool import, const char* entry = nullptr) {
  AddDriverEntry(entry == nullptr ? std::string() : entry);
  db::TComponent owner;
  const app::TFormComponents components = app::CreateFormComponents(owner);
  app::ConectaBanco(*components.ZRDatabase1, t.ini);
  components.ZRDatabase1->SetWriteBehind(Env("ZR_BENCH_WRITE_BEHIND", "1") != "0");
  SilentUi ui;
  const app::ActionInput input{kCompany.Code + " | " + kCompany.Name, kSince, false};
  const app::ActionResult result =
      import ? app::BitBtn1Click(components, input, ui) : app::BitBtn2Click(components, input, ui);
  if (!result.Ok) throw db::EDatabaseError(result.Message);
  return result;
}

// How the work is done: by the application, by set-based statements, by them on a filled PCPFTOF, or order
// and part by order and part inside the engine.
enum class Way { App, SetBased, SetBasedFilled, InEngine };

void Bench(benchmark::State& state, bool server, bool catalogue, bool import, Way way,
           const char* entry = nullptr) {
  const bool app = way == Way::App, filled = way == Way::SetBasedFilled;
  try {
    Target& t = Target::Get(server, catalogue);
    const std::string pcpftof = T("PCPFTOF");
    const ProxyStats proxy;
    double peak = 0, base = 0, units = 0;
    for (auto _ : state) {
      state.PauseTiming();
      t.Exec("DELETE FROM " + pcpftof);
      if (!import || filled) ImportSetBased(t);
      if (app && server) proxy.Reset();
      ResetPeakMemory();
      base = StatusMB("VmRSS:");
      state.ResumeTiming();
      if (app) {
        const app::ActionResult result = RunAction(t, import, entry);
        units = import ? result.OrdensPartes : result.Processadas;
      } else if (way == Way::InEngine) {
        ImportInEngine(t);
      } else {
        import ? ImportSetBased(t) : StatusSetBased(t);
      }
      state.PauseTiming();
      peak = StatusMB("VmHWM:");
      state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(t.Count("SELECT COUNT(*) FROM " + pcpftof));
    state.counters["B"] =
        static_cast<double>(t.Count("SELECT COUNT(*) FROM " + pcpftof + " WHERE SITUACAO = 'B'"));
    state.counters["peak_MB"] = peak;
    state.counters["growth_MB"] = peak - base;
    if (catalogue && import) state.counters["sheet_texts"] = static_cast<double>(SheetTexts(t));
    if (app) state.counters["units"] = units;
    if (app && server && proxy.Enabled() && units > 0) {
      proxy.Settle();
      state.counters["rt_per_unit"] = static_cast<double>(proxy.RoundTrips()) / units;
      state.counters["round_trips"] = static_cast<double>(proxy.RoundTrips());
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

// The timed part of each run is the action alone: the set-up runs with the timer paused.
void PrintRatio(const TimingReporter& reporter, const std::string& target, const std::string& action,
                const std::string& reference = "set_based") {
  const double app = reporter.Seconds(target + "/" + action + "/app");
  const double set = reporter.Seconds(target + "/" + action + "/" + reference);
  if (app > 0 && set > 0) {
    std::printf("%-18s %-7s app %.3f s  %s %.3f s  app/%s = %.2f (target <= 2)\n", target.c_str(),
                action.c_str(), app, reference.c_str(), set, reference.c_str(), app / set);
  }
}

// What each mechanism buys on the catalogue shape: each switched off in turn beside all on, embedded and on
// the server, as times, ratios to the reference (the in-engine import, the set-based status update) and round
// trips per order and part or per status row.
void PrintMechanisms(const TimingReporter& reporter, const std::string& action,
                     const std::string& reference) {
  const auto name = [&](const char* target, const std::string& tail) {
    return std::string(target) + "/catalogue/" + action + "/" + tail;
  };
  const auto ratio = [](double app, double engine) { return app > 0 && engine > 0 ? app / engine : 0.0; };
  const double embeddedReference = reporter.Seconds(name("embedded", reference));
  const double serverReference = reporter.Seconds(name("server", reference));
  std::printf("\ncatalogue %-27s %12s %10s %12s %10s %10s\n", action.c_str(), "embedded s",
              ("/" + reference).c_str(), "server s", ("/" + reference).c_str(), "rt/unit");
  for (const Mechanism& m : kMechanisms) {
    const std::string tail = std::string("app") + m.Suffix;
    const double embedded = reporter.Seconds(name("embedded", tail)),
                 server = reporter.Seconds(name("server", tail));
    if (embedded == 0 && server == 0) continue;
    std::printf("%-37s %12.3f %10.2f %12.3f %10.2f %10.3f\n", m.Label, embedded,
                ratio(embedded, embeddedReference), server, ratio(server, serverReference),
                reporter.Counter(name("server", tail), "rt_per_unit"));
  }
}

}  // namespace
}  // namespace zr::bench

int main(int argc, char** argv) {
  using namespace zr::bench;
  const std::pair<Way, const char*> ways[] = {{Way::App, "/app"},
                                              {Way::SetBased, "/set_based"},
                                              {Way::SetBasedFilled, "/set_based_filled"},
                                              {Way::InEngine, "/in_engine"}};
  for (const bool server : {false, true}) {
    for (const bool catalogue : {false, true}) {
      for (const bool import : {true, false}) {
        for (const auto& [way, suffix] : ways) {
          if (!import && (way == Way::SetBasedFilled || way == Way::InEngine)) continue;
          if (import &&
              (catalogue ? way == Way::SetBased || way == Way::SetBasedFilled : way == Way::InEngine)) {
            continue;
          }
          const std::string name = std::string(server ? "server" : "embedded") +
                                   (catalogue ? "/catalogue" : "") + (import ? "/import" : "/status") +
                                   suffix;
          benchmark::RegisterBenchmark(
              name.c_str(), [=, way = way](benchmark::State& s) { Bench(s, server, catalogue, import, way); })
              ->Iterations(1)
              ->UseRealTime()
              ->Unit(benchmark::kMillisecond);
          if (!catalogue || way != Way::App) continue;
          for (const Mechanism& off : kMechanisms) {
            if (off.Entry == nullptr) continue;
            benchmark::RegisterBenchmark(
                (name + off.Suffix).c_str(),
                [=](benchmark::State& s) { Bench(s, server, catalogue, import, way, off.Entry); })
                ->Iterations(1)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
          }
        }
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  TimingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  for (const char* target : {"embedded", "server"}) {
    PrintRatio(reporter, target, "import");
    PrintRatio(reporter, target, "status");
    PrintRatio(reporter, std::string(target) + "/catalogue", "import", "in_engine");
    PrintRatio(reporter, std::string(target) + "/catalogue", "status");
  }
  PrintMechanisms(reporter, "import", "in_engine");
  PrintMechanisms(reporter, "status", "set_based");
  benchmark::Shutdown();
  return 0;
}
