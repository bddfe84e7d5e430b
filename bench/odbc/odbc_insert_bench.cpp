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

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "db/connection.h"
#include "db/errors.h"
#include "db/odbc/driver.h"
#include "db/query.h"
#include "db/transaction.h"
#include "timing_reporter.h"

namespace zr::bench {
namespace {

constexpr int kRows = 100000;
constexpr int kArraySize = 25;
constexpr double kFirstDay = 43831.0;  // 01/01/2020

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

std::string InsertSql() {
  return "INSERT INTO " + TableName() +
         " (NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, DATA)"
         " VALUES (:NUMERO, :TIPO, :INSUMO, :SETOR, :APLICACAO, :PARTE, :FAIXA, :CONSUMO, :COR, :COR_I, :ID,"
         " :CUSTO, :SITUACAO, :DATA)";
}

// Row n of the load into element `e`; server_side computes the same values on the server.
void SetRow(db::TFDParams& p, int e, int n) {
  char numero[16];
  std::snprintf(numero, sizeof numero, "%06d", n / 25 + 1);
  p.ParamByName("NUMERO").AsStrings[e] = numero;
  p.ParamByName("TIPO").AsStrings[e] = "M";
  p.ParamByName("INSUMO").AsStrings[e] = "INS" + std::to_string(n % 500);
  p.ParamByName("SETOR").AsStrings[e] = "CORTE";
  p.ParamByName("APLICACAO").AsStrings[e] = "Aplicação " + std::to_string(n % 40);
  p.ParamByName("PARTE").AsStrings[e] = "P" + std::to_string(n / 25 % 2);
  p.ParamByName("FAIXA").AsStrings[e] = "F1";
  p.ParamByName("CONSUMO").AsFloats[e] = (n % 1000) / 8.0;
  p.ParamByName("COR").AsStrings[e] = "C" + std::to_string(n % 12);
  p.ParamByName("COR_I").AsStrings[e] = "CI" + std::to_string(n % 7);
  p.ParamByName("ID").AsIntegers[e] = n + 1;
  p.ParamByName("CUSTO").AsFloats[e] = (n % 2000) * 0.0125;
  p.ParamByName("SITUACAO").AsStrings[e] = "A";
  p.ParamByName("DATA").AsDates[e] = kFirstDay + n % 365;
}

// Runs `work` on a query of `connection` in one transaction, committed at the end.
void InTransaction(db::TFDConnection& connection, const std::function<void(db::TFDQuery&)>& work) {
  db::TFDTransaction transaction;
  transaction.SetConnection(&connection);
  transaction.Options().SetAutoCommit(false);
  db::TFDQuery query;
  query.SetConnection(&connection);
  query.SetTransaction(&transaction);
  transaction.StartTransaction();
  work(query);
  transaction.Commit();
}

void InsertWithArrays(db::TFDConnection& connection) {
  InTransaction(connection, [&](db::TFDQuery& query) {
    query.SQL().Add(InsertSql());
    query.Params().SetArraySize(kArraySize);
    for (int done = 0; done < kRows; done += kArraySize) {
      const int elements = std::min(kArraySize, kRows - done);
      for (int e = 0; e < elements; ++e) SetRow(query.Params(), e, done + e);
      query.Execute(elements, 0);
    }
  });
}

void InsertRowByRow(db::TFDConnection& connection) {
  InTransaction(connection, [&](db::TFDQuery& query) {
    query.SQL().Add(InsertSql());
    for (int n = 0; n < kRows; ++n) {
      SetRow(query.Params(), 0, n);
      query.Execute(1, 0);
    }
  });
}

void InsertServerSide(db::TFDConnection& connection) {
  InTransaction(connection, [&](db::TFDQuery& query) {
    query.SQL().Add(
        "INSERT INTO " + TableName() +
        " (NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, DATA)"
        " SELECT LPAD((N / 25 + 1)::text, 6, '0'), 'M', 'INS' || MOD(N, 500), 'CORTE', 'Aplicação ' || MOD(N, 40),"
        " 'P' || MOD(N / 25, 2), 'F1', MOD(N, 1000) / 8.0000, 'C' || MOD(N, 12), 'CI' || MOD(N, 7), N + 1,"
        " MOD(N, 2000) * 0.0125, 'A', DATE '2020-01-01' + MOD(N, 365)"
        " FROM generate_series(0, " + std::to_string(kRows - 1) + ") AS N");
    query.ExecSQL();
  });
}

using Load = void (*)(db::TFDConnection&);

void RunLoad(benchmark::State& state, Load load) {
  try {
    auto connection = Connect();
    Run(*connection, "DROP TABLE IF EXISTS " + TableName());
    Run(*connection, "CREATE TABLE " + TableName() +
                         " (NUMERO VARCHAR(20), TIPO CHAR(1), INSUMO VARCHAR(20), SETOR VARCHAR(10),"
                         " APLICACAO VARCHAR(40), PARTE VARCHAR(10), FAIXA VARCHAR(10), CONSUMO NUMERIC(15,4),"
                         " COR VARCHAR(10), COR_I VARCHAR(10), ID INTEGER, CUSTO NUMERIC(15,4), SITUACAO CHAR(1),"
                         " DATA DATE)");
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
    std::printf("standin  a=%.3f s  b=%.3f s  c=%.3f s   a/c = %.2f (target <= 2)   b/a = %.2f\n", a, b, c, a / c,
                b / a);
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
    benchmark::RegisterBenchmark(title.c_str(), [load = load](benchmark::State& state) { RunLoad(state, load); })
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
