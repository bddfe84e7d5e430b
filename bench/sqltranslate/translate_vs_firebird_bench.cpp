// Each application statement side by side: ConverteSQL for "FB", and preparing, executing and
// fetching the same statement's Firebird form on an embedded database holding one generated
// company. Counters: translate_us, firebird_us and translate_pct (the first as a share of the
// second; the target is under 2%).
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "application_statements.h"
#include "fixtures/firebird_db.h"
#include "fixtures/generator.h"
#include "sqltranslate/pipeline.h"
#include "sqltranslate/text_query.h"

namespace zr::sqlt::bench {

namespace {

using Clock = std::chrono::steady_clock;

struct Company {
  std::filesystem::path dir;
  std::unique_ptr<fixtures::FbSession> session;
  StatementValues values;

  Company() {
    dir = std::filesystem::temp_directory_path() / ("zr_sqlt_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    fixtures::FbTarget target;
    target.Database = (dir / "bench.fdb").string();
    fixtures::CreateFbDatabase(target, true);
    session = std::make_unique<fixtures::FbSession>(target);
    session->CreateSharedTables();
    session->AddCompany({"12", "EMPRESA 12"});
    session->LoadCompany("12", fixtures::GenerateCompany(fixtures::CompanySize{}));
    // Values of a real order, part and material, as the import would splice them in.
    values.date = "01/01/2017";
    const auto order = session->Select(
        "SELECT FIRST 1 OF_I.NUMERO, FACCAO.PARTE, OF1.CODIGO FROM OF112 OF1 "
        "JOIN OF_ITEN12 OF_I ON (OF1.NUMERO = OF_I.NUMERO) JOIN FACCAO12 FACCAO ON (OF1.NUMERO = FACCAO.NUMERO)");
    if (!order.empty()) {
      values.numero = order[0][0];
      values.parte = order[0][1];
      values.codigo = order[0][2];
    }
    const auto material =
        session->Select("SELECT FIRST 1 INSUMO, COR_I FROM PCPFT312 WHERE CODIGO = '" + values.codigo + "'");
    if (!material.empty()) {
      values.insumo = material[0][0];
      values.corI = material[0][1];
    }
  }
  ~Company() {
    session.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
};

Company& TheCompany() {
  static Company company;
  return company;
}

void SideBySide(benchmark::State& state, const std::string& name) {
  Company& company = TheCompany();
  NamedStatement statement;
  for (auto& s : ApplicationStatements(company.values)) {
    if (s.name == name) statement = s;
  }
  TextQuery query{std::string("FB")};
  Clock::duration translating{}, executing{};
  for (auto _ : state) {
    for (const auto& line : statement.lines) query.SQL().Add(line);
    TranslationCache cache;
    const auto t0 = Clock::now();
    ConverteSQL(query, cache);
    const auto t1 = Clock::now();
    const std::string sql = query.SqlText();
    query.SQL().Clear();
    const auto t2 = Clock::now();
    if (ReturnsRows(statement)) {
      benchmark::DoNotOptimize(company.session->Select(sql));
    } else {
      company.session->Exec(sql);
    }
    const auto t3 = Clock::now();
    translating += t1 - t0;
    executing += t3 - t2;
  }
  const double n = static_cast<double>(state.iterations());
  const double translateUs = std::chrono::duration<double, std::micro>(translating).count() / n;
  const double firebirdUs = std::chrono::duration<double, std::micro>(executing).count() / n;
  state.counters["translate_us"] = translateUs;
  state.counters["firebird_us"] = firebirdUs;
  state.counters["translate_pct"] = 100.0 * translateUs / firebirdUs;
}

const bool kRegistered = [] {
  for (const NamedStatement& s : ApplicationStatements()) {
    benchmark::RegisterBenchmark(("SideBySide/" + s.name).c_str(), [name = s.name](benchmark::State& st) {
      SideBySide(st, name);
    })->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

}  // namespace

}  // namespace zr::sqlt::bench
