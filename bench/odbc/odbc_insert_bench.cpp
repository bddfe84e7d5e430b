// 100,000 PCPFTOF rows into the Oracle stand-in (PostgreSQL 15 + orafce through psqlODBC) on 127.0.0.1,
// through the "Ora" driver:
//   arrays25    Execute with parameter arrays of 25 elements (a typical technical sheet), one SQLExecute each
//   row_by_row  one prepared INSERT executed per row
//   server_side one INSERT ... SELECT making the same rows on the server: the physical limit
// Each case runs once on a fresh table, in one transaction; afterwards the ratios arrays25/server_side and
// row_by_row/arrays25 and the process's peak memory are printed. The data source is ZR_ODBC_DSN (default
// zrstandin).

#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "db/connection.h"
#include "db/errors.h"
#include "db/odbc/driver.h"
#include "db/query.h"
#include "pcpftof_rows.h"
#include "timing_reporter.h"

namespace zr::bench {
namespace {

constexpr int kRows = 100000;
constexpr int kArraySize = 25;

const std::string& TableName() {
  static const std::string name = "zb_pcpftof_" + std::to_string(getpid());
  return name;
}

std::unique_ptr<db::TFDConnection> Connect() {
  const char* dsn = std::getenv("ZR_ODBC_DSN");
  db::odbc::RegisterDriver();
  auto connection = std::make_unique<db::TFDConnection>();
  connection->SetDriverName("Ora");
  connection->Params().Add(std::string("Database=") + (dsn != nullptr && *dsn != '\0' ? dsn : "zrstandin"));
  connection->Open();
  return connection;
}

void Run(db::TFDConnection& connection, const std::string& sql) {
  db::TFDQuery query;
  query.SetConnection(&connection);
  query.SQL().Add(sql);
  query.ExecSQL();
}

int64_t RowCount(db::TFDConnection& connection) {
  db::TFDQuery query;
  query.SetConnection(&connection);
  query.SQL().Add("SELECT COUNT(*) AS N FROM " + TableName());
  query.Open();
  return query.FieldByName("N").AsLargeInt();
}

void InsertWithArrays(db::TFDConnection& connection) {
  bench::InsertWithArrays(connection, TableName(), kRows, kArraySize);
}

void InsertRowByRow(db::TFDConnection& connection) { bench::InsertRowByRow(connection, TableName(), kRows); }

void InsertServerSide(db::TFDConnection& connection) {
  InTransaction(connection, [&](db::TFDQuery& query) {
    query.SQL().Add(
        "INSERT INTO " + TableName() +
        " (NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, DATA)"
        " SELECT LPAD((N / 25 + 1)::text, 6, '0'), 'M', 'INS' || MOD(N, 500), 'CORTE', 'Aplicação ' || MOD(N, 40),"
        " 'P' || MOD(N / 25, 2), 'F1', MOD(N, 1000) / 8.0000, 'C' || MOD(N, 12), 'CI' || MOD(N, 7), N + 1,"
        " MOD(N, 2000) * 0.0125, 'A', DATE '2020-01-01' + MOD(N, 365)"
        " FROM generate_series(0, " +
        std::to_string(kRows - 1) + ") AS N");
    query.ExecSQL();
  });
}

using Load = void (*)(db::TFDConnection&);

void RunLoad(benchmark::State& state, Load load) {
  try {
    auto connection = Connect();
    Run(*connection, "DROP TABLE IF EXISTS " + TableName());
    Run(*connection, "CREATE TABLE " + TableName() + " (" + kPcpftofColumns + ")");
    for (auto _ : state) load(*connection);
    const int64_t stored = RowCount(*connection);
    Run(*connection, "DROP TABLE " + TableName());
    if (stored != kRows) {
      state.SkipWithError(("stored " + std::to_string(stored) + " rows instead of 100000").c_str());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
  } catch (const db::EDatabaseError& e) {
    state.SkipWithError(e.what());
  }
}

void PrintRatios(const TimingReporter& reporter) {
  const double a = reporter.Seconds("insert_100k/standin/arrays25");
  const double b = reporter.Seconds("insert_100k/standin/row_by_row");
  const double c = reporter.Seconds("insert_100k/standin/server_side");
  if (a > 0 && b > 0 && c > 0) {
    std::printf("standin  a=%.3f s  b=%.3f s  c=%.3f s   a/c = %.2f (target <= 2)   b/a = %.2f\n", a, b, c,
                a / c, b / a);
  }
}

}  // namespace
}  // namespace zr::bench

int main(int argc, char** argv) {
  using namespace zr::bench;
  const std::pair<const char*, Load> loads[] = {
      {"arrays25", InsertWithArrays}, {"row_by_row", InsertRowByRow}, {"server_side", InsertServerSide}};
  for (const auto& [name, load] : loads) {
    const std::string title = std::string("insert_100k/standin/") + name;
    benchmark::RegisterBenchmark(title.c_str(),
                                 [load = load](benchmark::State& state) { RunLoad(state, load); })
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  TimingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  PrintRatios(reporter);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory: %ld MB\n", usage.ru_maxrss / 1024);
  benchmark::Shutdown();
  return 0;
}
