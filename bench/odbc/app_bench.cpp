// The application's two actions on the Oracle stand-in through the "Ora" driver, beside the same work done
// by set-based statements on the same server (the physical limit):
//   import/app         "Importar" (BitBtn1Click): per order and part a sheet query, a delete and one array insert,
//                      every statement but the insert translated to Oracle SQL first
//   import/set_based   one DELETE and one INSERT ... SELECT
//   status/app         "Atualizar Situação" (BitBtn2Click): the status query and one UPDATE per withdrawn row
//   status/set_based   one UPDATE
// A generated company is loaded into the stand-in database ZR_BENCH_DB (default zembra_bench; create it with
// scripts/pg-standin.sh database zembra_bench). ZR_BENCH_ORDERS sets the number of orders (default 400),
// ZR_BENCH_PARTS the parts per order (default 2) and ZR_BENCH_MATERIALS the sheet materials per part
// (default 5); ZR_BENCH_WRITE_BEHIND=0 runs the application with every statement sent alone. ZR_BENCH_AUDIT=1
// gives PCPFTOF an audit trigger that writes every inserted or deleted row to a log table nothing reads.
// Each case runs once; the ratios app/set_based are printed at the end.
// Latency: ZR_BENCH_APP_SERVER names the host the application's connection uses instead of the data source's
// (a scripts/latency-proxy.py in front of the stand-in, on the stand-in's port); with ZR_BENCH_PROXY_STATS
// set to the proxy's stats file, "rt_per_unit" is the round trips per order and part (import) or per status
// row (status). "import/set_based_filled" times the set-based import on a PCPFTOF that already holds the
// company's rows.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/actions.h"
#include "app/components.h"
#include "app/settings.h"
#include "db/errors.h"
#include "proxy_stats.h"
#include "standin_company.h"
#include "timing_reporter.h"
#include "fixtures/environment.h"
#include "silent_ui.h"

namespace zr::bench {
namespace {

const fixtures::CompanyInfo kCompany{"01", "Confecções Zembra"};
const db::TDateTime kSince = 42736.0;                  // 01/01/2017, the generator's first start: every order
constexpr const char* kSinceLiteral = "'01/01/2017'";  // day first, as the translated statements write it

using fixtures::Env;

// Keeps the last message an action showed, for a failure's report.
class LastMessageUi : public SilentUi {
 public:
  void ShowMessage(const std::string& text, const std::string&) override { last = text; }
  std::string last;
};

// The company and a zr.ini that opens it as the window would.
struct Setup {
  std::unique_ptr<StandinCompany> company;
  std::string ini;

  static Setup& Get() {
    static Setup setup = [] {
      Setup s;
      const std::string connection = "DSN=zrstandin;Database=" + Env("ZR_BENCH_DB", "zembra_bench");
      fixtures::CompanySize size;
      size.Orders = std::stoi(Env("ZR_BENCH_ORDERS", "400"));
      size.PartsPerOrder = std::stoi(Env("ZR_BENCH_PARTS", "2"));
      size.MaterialsPerPart = std::stoi(Env("ZR_BENCH_MATERIALS", "5"));
      s.company = std::make_unique<StandinCompany>(connection, kCompany, size);
      if (Env("ZR_BENCH_AUDIT", "0") == "1") {
        s.company->Exec("DROP TABLE IF EXISTS zr_auditoria");
        s.company->Exec("CREATE TABLE zr_auditoria (numero varchar(10), insumo varchar(20), quando timestamp)");
        s.company->Exec(
            "CREATE OR REPLACE FUNCTION zr_auditoria() RETURNS trigger AS $$ BEGIN INSERT INTO zr_auditoria "
            "VALUES (COALESCE(NEW.numero, OLD.numero), COALESCE(NEW.insumo, OLD.insumo), now()); RETURN NULL; "
            "END $$ LANGUAGE plpgsql");
        s.company->Exec("CREATE TRIGGER tr_auditoria AFTER INSERT OR DELETE ON " + s.company->Table("PCPFTOF") +
                        " FOR EACH ROW EXECUTE FUNCTION zr_auditoria()");
      }
      s.ini = (std::filesystem::temp_directory_path() / "zr-odbc-app-bench.ini").string();
      std::string appConnection = connection;
      if (const std::string host = Env("ZR_BENCH_APP_SERVER", ""); !host.empty()) {
        appConnection += ";Servername=" + host;
      }
      std::ofstream(s.ini) << "[banco]\nServidor=\nbase=" << appConnection
                           << "\nusuario=\nsenha=\nbanco=ORACLE\n";
      return s;
    }();
    return setup;
  }
};

std::string T(const std::string& base) { return Setup::Get().company->Table(base); }

// What "Importar" lists: every order and part from the date on.
std::string OrderList() {
  return "SELECT DISTINCT OF_I.NUMERO, FACCAO.PARTE, OF1.CODIGO FROM " + T("OF1") + " OF1 LEFT JOIN " +
         T("OF_ITEN") + " OF_I ON (OF1.NUMERO = OF_I.NUMERO) INNER JOIN " + T("FACCAO") +
         " FACCAO ON (OF1.NUMERO = FACCAO.NUMERO) WHERE OF1.DT_INICIO >= " + kSinceLiteral;
}

// The sheet rows of every listed order and part, as "Importar" writes them.
std::string SheetRows() {
  return "SELECT L.NUMERO, PCPFT2.TIPO, PCPFT2.INSUMO, PCPFT2.SETOR, PCPFT2.APLICACAO, PCPFT2.PARTE, PCPFT2.FAIXA,"
         " PCPFT2.CONSUMO, PCPFT3.COR, PCPFT3.COR_I, PCPFT2.ID, COALESCE(MAX(MAT_ITEN.PRECO_MED), 0) AS CUSTO"
         " FROM (" +
         OrderList() + ") L INNER JOIN " + T("PCPFT2") +
         " PCPFT2 ON (PCPFT2.CODIGO = L.CODIGO AND"
         " (TRIM(COALESCE(L.PARTE, '')) = '' OR PCPFT2.PARTE = L.PARTE))"
         " INNER JOIN " +
         T("PCPFT3") +
         " PCPFT3 ON (PCPFT2.CODIGO = PCPFT3.CODIGO AND PCPFT2.INSUMO = PCPFT3.INSUMO"
         " AND PCPFT2.ID = PCPFT3.ID) LEFT JOIN " +
         T("MAT_ITEN") +
         " MAT_ITEN ON (PCPFT2.INSUMO = MAT_ITEN.CODIGO"
         " AND PCPFT3.COR_I = MAT_ITEN.COR AND PCPFT2.PRECO = 'S')"
         " GROUP BY L.NUMERO, L.PARTE, PCPFT2.TIPO, PCPFT2.INSUMO, PCPFT2.SETOR, PCPFT2.APLICACAO, PCPFT2.PARTE,"
         " PCPFT2.FAIXA, PCPFT2.CONSUMO, PCPFT3.COR, PCPFT3.COR_I, PCPFT2.ID";
}

void ImportSetBased(StandinCompany& c) {
  c.Exec("DELETE FROM " + T("PCPFTOF") + " P USING (" + OrderList() +
         ") L WHERE P.NUMERO = L.NUMERO AND"
         " (TRIM(COALESCE(L.PARTE, '')) = '' OR P.PARTE = L.PARTE)");
  c.Exec("INSERT INTO " + T("PCPFTOF") +
         " (NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR,"
         " COR_I, ID, CUSTO, SITUACAO, DATA) SELECT S.*, 'A', LOCALTIMESTAMP(0) FROM (" +
         SheetRows() + ") S");
}

void StatusSetBased(StandinCompany& c) {
  c.Exec(
      "UPDATE " + T("PCPFTOF") + " P SET SITUACAO = 'B' WHERE P.SITUACAO = 'A' AND EXISTS (SELECT 1 FROM " +
      T("PCPFTOF") +
      " Q WHERE Q.NUMERO = P.NUMERO AND Q.INSUMO = P.INSUMO AND Q.COR_I = P.COR_I AND"
      " Q.DATA >= " +
      kSinceLiteral + " AND (SELECT SUM(M.QTDE) FROM " + T("MAT_MOV") +
      " M WHERE"
      " SUBSTR(M.NUM_DOCTO, 1, 6) = Q.NUMERO AND M.CODIGO = Q.INSUMO AND M.COR = Q.COR_I AND M.OPERACAO = 'S'"
      " AND M.TP_MOV = 'BC') > 0)");
}

// Runs one action of the window's components, opened from the zr.ini.
app::ActionResult RunAction(bool import) {
  db::TComponent owner;
  const app::TFormComponents components = app::CreateFormComponents(owner);
  app::ConectaBanco(*components.ZRDatabase1, Setup::Get().ini);
  components.ZRDatabase1->SetWriteBehind(Env("ZR_BENCH_WRITE_BEHIND", "1") != "0");
  app::ActionInput input{kCompany.Code + " | " + kCompany.Name, kSince, false};
  LastMessageUi ui;
  app::ActionResult result =
      import ? app::BitBtn1Click(components, input, ui) : app::BitBtn2Click(components, input, ui);
  if (!result.Ok) throw db::EDatabaseError(result.Message);
  return result;
}

void Bench(benchmark::State& state, bool import, bool app, bool filled) {
  try {
    StandinCompany& c = *Setup::Get().company;
    const std::string pcpftof = T("PCPFTOF");
    const ProxyStats proxy;
    double units = 0;
    for (auto _ : state) {
      state.PauseTiming();
      c.Exec("DELETE FROM " + pcpftof);
      if (!import || filled) ImportSetBased(c);
      // Statistics of the table as the timed statement finds it: with those of an empty PCPFTOF the
      // planner may pick a nested loop over thousands of rows for the set-based UPDATE.
      c.Exec("ANALYZE " + pcpftof);
      if (app) proxy.Reset();
      state.ResumeTiming();
      if (app) {
        const app::ActionResult result = RunAction(import);
        units = import ? result.OrdensPartes : result.Processadas;
      } else {
        import ? ImportSetBased(c) : StatusSetBased(c);
      }
    }
    state.counters["rows"] = static_cast<double>(c.Count("SELECT COUNT(*) FROM " + pcpftof));
    state.counters["B"] =
        static_cast<double>(c.Count("SELECT COUNT(*) FROM " + pcpftof + " WHERE SITUACAO = 'B'"));
    if (app && proxy.Enabled() && units > 0) {
      proxy.Settle();
      state.counters["rt_per_unit"] = static_cast<double>(proxy.RoundTrips()) / units;
      state.counters["round_trips"] = static_cast<double>(proxy.RoundTrips());
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

void PrintRatio(const TimingReporter& reporter, const std::string& action) {
  const double app = reporter.Seconds(action + "/app"), set = reporter.Seconds(action + "/set_based");
  if (app > 0 && set > 0) {
    std::printf("%-7s app %.3f s  set-based %.3f s  app/set-based = %.2f (target <= 2)\n", action.c_str(),
                app, set, app / set);
  }
}

}  // namespace
}  // namespace zr::bench

int main(int argc, char** argv) {
  using namespace zr::bench;
  for (const bool import : {true, false}) {
    for (const int variant : {0, 1, 2}) {
      const bool app = variant == 0, filled = variant == 2;
      if (filled && !import) continue;
      const std::string name = std::string(import ? "import" : "status") + (app      ? "/app"
                                                                            : filled ? "/set_based_filled"
                                                                                     : "/set_based");
      benchmark::RegisterBenchmark(
          name.c_str(), [import, app, filled](benchmark::State& s) { Bench(s, import, app, filled); })
          ->Iterations(1)
          ->UseRealTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  TimingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  PrintRatio(reporter, "import");
  PrintRatio(reporter, "status");
  benchmark::Shutdown();
  return 0;
}
