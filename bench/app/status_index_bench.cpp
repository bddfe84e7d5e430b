// "Atualizar Situação" of a company shaped like a clothing plant, with and without the index of the movements
// by order number, beside the status query evaluated inside the engine alone:
//   <target>/<index>/app     BitBtn2Click: the status query fetched row by row and one UPDATE per withdrawn row
//   <target>/<index>/engine  the same work inside the engine: one EXECUTE BLOCK that runs the status query and,
//                            for every row with QTDE_BAI > 0, the action's UPDATE (same WHERE), then commits;
//                            it sends back the count of status rows and of rows marked
//   <target>/com_indice/check  VerificaIndiceSituacao, the check zembra-cli makes once before an action
//   <target>/com_indice/app_vs_engine  the program and the engine in turns (ZR_BENCH_PAIRS pairs, default 9):
//                            the medians of each and their ratio
//   <target>/com_indice/check_share  what the check adds to an action that needs no advice: pairs of runs, one
//                            the action alone, one the check and then the action on the same connection, as
//                            zembra-cli makes them, taken in turns (ZR_BENCH_PAIRS pairs, default 9) so that
//                            a drift of the machine falls on both; the counters are the medians of each and
//                            the share the check adds, in per cent
// <target> is "embedded" or "server" (127.0.0.1:3050; a copy of the embedded database), <index> "sem_indice"
// (as the generated company comes) or "com_indice" (after CREATE INDEX ... COMPUTED BY the document number).
// The company: fixtures::ClothingPlant(ZR_BENCH_STATUS_ORDERS), default 20,000 orders with their whole movement
// history in MAT_MOV; PCPFTOF holds the rows of the last ZR_BENCH_STATUS_RECENT orders (default 2,000), as a
// daily import of recent orders leaves it. Without the index each status row walks every movement of its
// material and colour, so the status update's time grows with the history, not with the recent orders: with
// all 20,000 orders in PCPFTOF one run without the index takes about 7 minutes here.
// Every app and engine run starts from the imported state: its marks are undone (SITUACAO back to "A") and the
// old versions of PCPFTOF's rows collected before the clock starts, so each run marks the same rows.
// Driver: ZR_BENCH_APP_ENTRY adds one entry ("Name=Value", see db/firebird/driver.h) to the application's
// connections in the app, check and check_share cases, e.g. "Batches=1" for write-behind on embedded.
// Latency: ZR_BENCH_APP_SERVER names the host the application's zr.ini uses in the server case (a
// scripts/latency-proxy.py in front of 127.0.0.1:3050; the engine reference connects directly); with
// ZR_BENCH_PROXY_STATS set to the proxy's stats file, the server's app and check runs report their
// "round_trips".
// Repetitions: ZR_BENCH_REPS (default 3) with the index, ZR_BENCH_SLOW_REPS (default 1) without it; with more
// than one repetition the aggregates (median among them) are printed. Run the cases in order: "criar_indice"
// between the halves creates the index on both databases.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/action_statements.h"
#include "app/actions.h"
#include "app/components.h"
#include "app/drivers.h"
#include "app/indices.h"
#include "app/settings.h"
#include "fixtures/environment.h"
#include "fixtures/firebird_db.h"
#include "fixtures/generator.h"
#include "driver_entry.h"
#include "proxy_stats.h"
#include "silent_ui.h"

namespace zr::bench {
namespace {

namespace fs = std::filesystem;
using fixtures::Env;

const fixtures::CompanyInfo kCompany{"01", "Confecções Zembra", false};
const std::string kItem = "01 | Confecções Zembra";
const db::TDateTime kFirstStart = 42736.0;  // 01/01/2017, the generator's first order

struct Target {
  fixtures::FbTarget fb;
  std::string ini;
};

int Orders() { return std::stoi(Env("ZR_BENCH_STATUS_ORDERS", "20000")); }
int Recent() { return std::stoi(Env("ZR_BENCH_STATUS_RECENT", "2000")); }
// The import's date: the last Recent() orders. The status update then reads every PCPFTOF row (from the zero
// date), all of them those orders' rows.
db::TDateTime Since() { return kFirstStart + (Orders() - Recent()); }

// The embedded database, made once and imported for the recent orders; the server's is a copy of it.
std::map<std::string, Target>& Targets() {
  static std::map<std::string, Target> targets = [] {
    app::RegisterDrivers();
    std::map<std::string, Target> made;
    const fs::path local = fs::temp_directory_path() / "zr-status-index-bench";
    fs::create_directories(local);
    Target embedded;
    embedded.fb.Database = (local / "empresa.fdb").string();
    embedded.ini = (local / "zr.ini").string();
    fixtures::WriteZrIni(embedded.ini, embedded.fb);
    std::fprintf(stderr, "status_index_bench: building a clothing plant of %d orders...\n", Orders());
    fixtures::CreateFbDatabase(embedded.fb, true);
    {
      fixtures::FbSession session(embedded.fb);
      session.CreateSharedTables();
      session.AddCompany(kCompany);
      session.LoadCompany(kCompany.Code, fixtures::GenerateCompany(fixtures::ClothingPlant(Orders(), 11)));
    }
    {
      db::TComponent owner;
      const app::TFormComponents c = app::CreateFormComponents(owner);
      app::ConectaBanco(*c.ZRDatabase1, embedded.ini);
      SilentUi ui;
      const app::ActionResult r = app::BitBtn1Click(c, app::ActionInput{kItem, Since(), false}, ui);
      std::fprintf(stderr, "status_index_bench: imported %d orders and parts, %lld PCPFTOF rows (%s)\n",
                   r.OrdensPartes, static_cast<long long>(r.Gravadas.Value()), r.Message.c_str());
    }
    made["embedded"] = embedded;
    if (Env("ZR_FB_SERVER", "1") != "0") {
      const fs::path dir = fs::path(fixtures::FbServerSettings().Dir) / "zr-status-index-bench";
      fs::create_directories(dir);
      fs::permissions(dir, fs::perms::all, fs::perm_options::replace);
      Target server;
      server.fb.Database = (dir / "empresa.fdb").string();
      server.fb.Server = "127.0.0.1";
      server.fb.Password = fixtures::FbServerSettings().Password;
      fs::copy_file(embedded.fb.Database, server.fb.Database, fs::copy_options::overwrite_existing);
      fs::permissions(server.fb.Database, fs::perms::all, fs::perm_options::replace);
      server.ini = (dir / "zr.ini").string();
      fixtures::FbTarget app = server.fb;
      app.Server = Env("ZR_BENCH_APP_SERVER", "127.0.0.1");
      fixtures::WriteZrIni(server.ini, app);
      made["server"] = server;
    }
    return made;
  }();
  return targets;
}

double SecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Puts PCPFTOF back as the import left it (every row open) and reads it once, so the rows' old versions are
// collected here rather than by the run that follows.
void Reopen(const Target& t) {
  fixtures::FbSession session(t.fb);
  session.Exec("UPDATE PCPFTOF01 SET SITUACAO = 'A' WHERE SITUACAO <> 'A'");
  session.Scalar("SELECT COUNT(*) FROM PCPFTOF01");
}

// The window's components connected as zr.ini says, through the driver with ZR_BENCH_APP_ENTRY's entry (added
// for each connection: the fixtures' sessions register the plain driver under "FB" again).
struct AppComponents {
  explicit AppComponents(const Target& t) : c(app::CreateFormComponents(owner)) {
    AddDriverEntry(Env("ZR_BENCH_APP_ENTRY", ""));
    app::ConectaBanco(*c.ZRDatabase1, t.ini);
  }
  db::TComponent owner;
  const app::TFormComponents c;
};

// The proxy that counts the server case's round trips, when it is set up; nullptr otherwise.
const ProxyStats* Counting(const std::string& target, const ProxyStats& proxy) {
  return target == "server" && proxy.Enabled() ? &proxy : nullptr;
}

struct AppTimes {
  double Seconds = 0;
  double RoundTrips = 0;  // through `counted`, when given
};

// One run of the action from the imported state, after the check when `checked` (and then its read ended,
// as zembra-cli ends it), on a connection of its own.
AppTimes AppRun(const Target& t, bool checked, benchmark::State& state, const ProxyStats* counted = nullptr) {
  Reopen(t);
  const AppComponents app(t);
  const app::TFormComponents& c = app.c;
  SilentUi ui;
  app::ActionResult result;
  if (counted != nullptr) counted->Reset();
  AppTimes times;
  times.Seconds = SecondsOf([&] {
    if (checked) {
      if (app::PrecisaDeIndice(app::VerificaIndiceSituacao(c, kItem))) {
        state.SkipWithError("the check finds the index missing");
      }
      c.ZRTransaction1->RollbackRetaining();
    }
    result = app::BitBtn2Click(c, app::ActionInput{kItem, 0.0, false}, ui);
  });
  if (counted != nullptr) {
    counted->Settle();
    times.RoundTrips = static_cast<double>(counted->RoundTrips());
  }
  if (!result.Ok) state.SkipWithError(result.Message.c_str());
  state.counters["rows"] = result.Processadas;
  state.counters["marked"] = static_cast<double>(result.Baixadas);
  return times;
}

void App(benchmark::State& state, const std::string& target) {
  const Target& t = Targets().at(target);
  const ProxyStats proxy;
  const ProxyStats* counted = Counting(target, proxy);
  for (auto _ : state) {
    const AppTimes run = AppRun(t, false, state, counted);
    state.SetIterationTime(run.Seconds);
    if (counted != nullptr) state.counters["round_trips"] = run.RoundTrips;
  }
}

// The action's work as one block run by the engine: the status query as the action sends it, and for each
// row with QTDE_BAI > 0 the action's UPDATE with the row's values, in one transaction committed at the end.
std::string EngineBlock() {
  std::string status;
  for (const std::string& line : app::LinhasConsultaSituacao("MAT_MOV01", "PCPFTOF01", 0.0))
    status += line + "\n";
  return "EXECUTE BLOCK RETURNS (LINHAS INTEGER, MARCADAS INTEGER) AS\n"
         "BEGIN\n"
         "  LINHAS = 0;\n"
         "  MARCADAS = 0;\n"
         "  FOR " + status + "  AS CURSOR S DO\n"
         "  BEGIN\n"
         "    LINHAS = LINHAS + 1;\n"
         "    IF (S.QTDE_BAI > 0) THEN\n"
         "    BEGIN\n"
         "      UPDATE PCPFTOF01 SET SITUACAO = 'B'\n"
         "      WHERE NUMERO = S.NUMERO AND INSUMO = S.INSUMO AND COR_I = S.COR_I AND SITUACAO = 'A';\n"
         "      MARCADAS = MARCADAS + ROW_COUNT;\n"
         "    END\n"
         "  END\n"
         "  SUSPEND;\n"
         "END";
}

// One run of the engine's block from the imported state; its seconds.
double EngineRun(const Target& t, benchmark::State& state) {
  static const std::string block = EngineBlock();
  Reopen(t);
  fixtures::FbSession session(t.fb);
  std::vector<std::vector<std::string>> counts;
  const double seconds = SecondsOf([&] { counts = session.Select(block); });
  state.counters["rows"] = std::stod(counts.at(0).at(0));
  state.counters["marked"] = std::stod(counts.at(0).at(1));
  return seconds;
}

void Engine(benchmark::State& state, const std::string& target) {
  const Target& t = Targets().at(target);
  for (auto _ : state) state.SetIterationTime(EngineRun(t, state));
}

void Check(benchmark::State& state, const std::string& target) {
  const Target& t = Targets().at(target);
  const ProxyStats proxy;
  const ProxyStats* counted = Counting(target, proxy);
  for (auto _ : state) {
    const AppComponents app(t);
    app::IndiceDaBusca b;
    if (counted != nullptr) counted->Reset();
    state.SetIterationTime(SecondsOf([&] { b = app::VerificaIndiceSituacao(app.c, kItem); }));
    if (counted != nullptr) {
      counted->Settle();
      state.counters["round_trips"] = static_cast<double>(counted->RoundTrips());
    }
    if (app::PrecisaDeIndice(b)) state.SkipWithError("the check finds the index missing");
  }
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The medians of ZR_BENCH_PAIRS runs of `a` and of `b` taken in turns, so that a drift of the machine falls on
// both; which of a pair goes first alternates, so neither always meets the warmer cache.
std::pair<double, double> PairedMedians(const std::function<double()>& a, const std::function<double()>& b) {
  const int pairs = std::stoi(Env("ZR_BENCH_PAIRS", "9"));
  std::vector<double> as;
  std::vector<double> bs;
  for (int i = 0; i < pairs; ++i) {
    if (i % 2 == 0) {
      as.push_back(a());
      bs.push_back(b());
    } else {
      bs.push_back(b());
      as.push_back(a());
    }
  }
  return {Median(as), Median(bs)};
}

// The program beside the engine, in turns.
void AppVsEngine(benchmark::State& state, const std::string& target) {
  const Target& t = Targets().at(target);
  for (auto _ : state) {
    const auto [program, engine] =
        PairedMedians([&] { return AppRun(t, false, state).Seconds; }, [&] { return EngineRun(t, state); });
    state.SetIterationTime(program);
    state.counters["program_ms"] = program * 1000;
    state.counters["engine_ms"] = engine * 1000;
    state.counters["ratio"] = program / engine;
  }
}

// What the check adds to an action that needs no advice, in turns; through the proxy, also the round trips of
// each (the last run's).
void CheckShare(benchmark::State& state, const std::string& target) {
  const Target& t = Targets().at(target);
  const ProxyStats proxy;
  const ProxyStats* counted = Counting(target, proxy);
  for (auto _ : state) {
    AppTimes alone;
    AppTimes checked;
    const auto [aloneSeconds, checkedSeconds] = PairedMedians(
        [&] { return (alone = AppRun(t, false, state, counted)).Seconds; },
        [&] { return (checked = AppRun(t, true, state, counted)).Seconds; });
    if (counted != nullptr) {
      state.counters["action_round_trips"] = alone.RoundTrips;
      state.counters["check_action_round_trips"] = checked.RoundTrips;
    }
    state.SetIterationTime(checkedSeconds);
    state.counters["action_ms"] = aloneSeconds * 1000;
    state.counters["check_action_ms"] = checkedSeconds * 1000;
    state.counters["adds_pct"] = (checkedSeconds - aloneSeconds) / aloneSeconds * 100;
  }
}

// Creates the index on both targets' databases (each its own file), between the two halves of the run.
void CreateIndex(benchmark::State& state) {
  for (auto _ : state) {
    for (auto& [name, t] : Targets()) {
      fixtures::FbSession session(t.fb);
      session.Exec(
          "CREATE INDEX IX_MAT_MOV01_DOC6 ON MAT_MOV01 COMPUTED BY (SUBSTRING(NUM_DOCTO FROM 1 FOR 6))");
    }
    state.SetIterationTime(0);
  }
}

void Register() {
  const int reps = std::stoi(Env("ZR_BENCH_REPS", "3"));
  const int slowReps = std::stoi(Env("ZR_BENCH_SLOW_REPS", "1"));
  std::vector<std::string> targets = {"embedded"};
  if (Env("ZR_FB_SERVER", "1") != "0") targets.push_back("server");
  const auto add = [](const std::string& name, int n, auto fn) {
    benchmark::RegisterBenchmark(name.c_str(), fn)
        ->Iterations(1)
        ->Repetitions(n)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->ReportAggregatesOnly(n > 1);
  };
  for (const std::string& t : targets) {
    add(t + "/sem_indice/app", slowReps, [t](benchmark::State& s) { App(s, t); });
    add(t + "/sem_indice/engine", slowReps, [t](benchmark::State& s) { Engine(s, t); });
  }
  add("criar_indice", 1, CreateIndex);
  for (const std::string& t : targets) {
    add(t + "/com_indice/app", reps, [t](benchmark::State& s) { App(s, t); });
    add(t + "/com_indice/engine", reps, [t](benchmark::State& s) { Engine(s, t); });
    add(t + "/com_indice/check", reps, [t](benchmark::State& s) { Check(s, t); });
    add(t + "/com_indice/app_vs_engine", 1, [t](benchmark::State& s) { AppVsEngine(s, t); });
    add(t + "/com_indice/check_share", 1, [t](benchmark::State& s) { CheckShare(s, t); });
  }
}

}  // namespace
}  // namespace zr::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zr::bench::Register();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
