// "Atualizar Situação" of a company shaped like a clothing plant, with and without the index of the movements
// by order number, beside the status query evaluated inside the engine alone:
//   <target>/<index>/app     BitBtn2Click: the status query fetched row by row and one UPDATE per withdrawn row
//   <target>/<index>/engine  SELECT COUNT(*), SUM(QTDE_BAI) over the status query: the engine computes every
//                            status row and sends back one
//   <target>/com_indice/check  VerificaIndiceSituacao, the check zembra-cli makes once before an action
// <target> is "embedded" or "server" (127.0.0.1:3050; a copy of the embedded database), <index> "sem_indice"
// (as the generated company comes) or "com_indice" (after CREATE INDEX ... COMPUTED BY the document number).
// The company: fixtures::ClothingPlant(ZR_BENCH_STATUS_ORDERS), default 20,000 orders with their whole movement
// history in MAT_MOV; PCPFTOF holds the rows of the last ZR_BENCH_STATUS_RECENT orders (default 2,000), as a
// daily import of recent orders leaves it. Without the index each status row walks every movement of its
// material and colour, so the status update's time grows with the history, not with the recent orders: with
// all 20,000 orders in PCPFTOF one run without the index takes about 7 minutes here.
// Repetitions: ZR_BENCH_REPS (default 3) with the index, ZR_BENCH_SLOW_REPS (default 1) without it; with more
// than one repetition the aggregates (median among them) are printed. Run the cases in order: "criar_indice"
// between the halves creates the index on both databases.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/action_statements.h"
#include "app/actions.h"
#include "app/components.h"
#include "app/drivers.h"
#include "app/indices.h"
#include "app/settings.h"
#include "fixtures/environment.h"
#include "fixtures/firebird_db.h"
#include "fixtures/generator.h"
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
      fixtures::WriteZrIni(server.ini, server.fb);
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

void App(benchmark::State& state, const std::string& target) {
  const Target& t = Targets().at(target);
  for (auto _ : state) {
    db::TComponent owner;
    const app::TFormComponents c = app::CreateFormComponents(owner);
    app::ConectaBanco(*c.ZRDatabase1, t.ini);
    SilentUi ui;
    app::ActionResult r;
    state.SetIterationTime(SecondsOf([&] {
      r = app::BitBtn2Click(c, app::ActionInput{kItem, 0.0, false}, ui);
    }));
    if (!r.Ok) state.SkipWithError(r.Message.c_str());
    state.counters["rows"] = r.Processadas;
  }
}

void Engine(benchmark::State& state, const std::string& target) {
  const Target& t = Targets().at(target);
  std::string text;
  for (const std::string& line : app::LinhasConsultaSituacao("MAT_MOV01", "PCPFTOF01", 0.0))
    text += line + "\n";
  for (auto _ : state) {
    fixtures::FbSession session(t.fb);
    std::string rows;
    state.SetIterationTime(
        SecondsOf([&] { rows = session.Scalar("SELECT COUNT(*) FROM (" + text + ") S"); }));
    state.counters["rows"] = std::stod(rows);
  }
}

void Check(benchmark::State& state, const std::string& target) {
  const Target& t = Targets().at(target);
  for (auto _ : state) {
    db::TComponent owner;
    const app::TFormComponents c = app::CreateFormComponents(owner);
    app::ConectaBanco(*c.ZRDatabase1, t.ini);
    app::IndiceDaBusca b;
    state.SetIterationTime(SecondsOf([&] { b = app::VerificaIndiceSituacao(c, kItem); }));
    if (app::PrecisaDeIndice(b)) state.SkipWithError("the check finds the index missing");
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
