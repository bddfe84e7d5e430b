// ConverteSQL per application statement, on synthetic statements of 1 KB to 1 MB dense with
// what the passes rewrite, and on malformed statements of 1 MB and 4 MB that once took quadratic
// time (time per byte must not grow with the size: compare bytes_per_second across sizes).
#include <benchmark/benchmark.h>

#include <cstdio>

#include "application_statements.h"
#include "random_statements.h"
#include "sqltranslate/pipeline.h"
#include "sqltranslate/text_query.h"

namespace zr::sqlt::bench {

namespace {

// One translation of `lines` as a query holding them would run it: a fresh cache each time.
void Translate(benchmark::State& state, const std::vector<std::string>& lines, const char* driver) {
  TextQuery query{std::string(driver)};
  std::size_t bytes = 0;
  for (const auto& line : lines) bytes += line.size() + 2;
  for (auto _ : state) {
    for (const auto& line : lines) query.SQL().Add(line);
    TranslationCache cache;
    ConverteSQL(query, cache);
    benchmark::DoNotOptimize(query.SQL().Lines().data());
    query.SQL().Clear();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// Filling the query's lines alone, the part of Translate that is not the pipeline.
void FillLinesOnly(benchmark::State& state, const std::vector<std::string>& lines) {
  TextQuery query{std::string("Ora")};
  for (auto _ : state) {
    for (const auto& line : lines) query.SQL().Add(line);
    benchmark::DoNotOptimize(query.SQL().Lines().data());
    query.SQL().Clear();
  }
}

// Lines of a statement of at least `size` bytes, each line dense with rewritten forms; every
// line's date literals are distinct.
std::vector<std::string> Synthetic(std::size_t size) {
  std::vector<std::string> lines{"SELECT DISTINCT A.ID,"};
  std::size_t total = 0;
  for (unsigned i = 0; total < size; ++i) {
    char date[32];
    std::snprintf(date, sizeof date, "%02u/%02u/%04u", 1 + i % 12, 1 + (i / 12) % 28, 1990 + (i / 336) % 60);
    std::string line = "COALESCE(SUBSTRING(A.NOME FROM 1 FOR 3), '') AS S" + std::to_string(i) +
                       ", CASE WHEN A.D = '" + date + "' AND A.X <> '' AND POSITION('Z' IN A.NOME) > 0" +
                       " AND A.Y = '' THEN UDF_DAYSPAN(A.D, '" + date + "') END AS P" + std::to_string(i) +
                       ",";
    total += line.size() + 2;
    lines.push_back(std::move(line));
  }
  lines.emplace_back("1 FROM TABELA A WHERE A.ID > 0 ORDER BY 1 DESCENDING");
  return lines;
}

// A dictionary answering every table with two columns, for the alias.* of random statements.
void AttachDictionary(TextQuery& query) {
  query.SetDictionary([](const std::vector<std::string>&, const std::string&) {
    return std::vector<std::string>{"ID", "NOME"};
  });
}

// One translation of a statement held as a single text, as zrsql hands it to the pipeline;
// only the pipeline is timed, not filling the query's lines.
void TranslateText(benchmark::State& state, const std::string& text, const char* driver) {
  TextQuery query{std::string(driver)};
  AttachDictionary(query);
  for (auto _ : state) {
    state.PauseTiming();
    query.SetSqlText(text);
    state.ResumeTiming();
    TranslationCache cache;
    ConverteSQL(query, cache);
    benchmark::DoNotOptimize(query.SQL().Lines().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void RegisterAll() {
  for (const NamedStatement& s : ApplicationStatements()) {
    for (const char* driver : {"Ora", "FB"}) {
      benchmark::RegisterBenchmark(
          ("Application/" + s.name + "/" + driver).c_str(),
          [lines = s.lines, driver](benchmark::State& st) { Translate(st, lines, driver); });
    }
    benchmark::RegisterBenchmark(("FillLinesOnly/" + s.name).c_str(),
                                 [lines = s.lines](benchmark::State& st) { FillLinesOnly(st, lines); });
  }
  for (std::size_t kb : {1, 10, 100, 1024}) {
    for (const char* driver : {"Ora", "FB"}) {
      benchmark::RegisterBenchmark(
          ("Synthetic/" + std::to_string(kb) + "KB/" + driver).c_str(),
          [lines = Synthetic(kb * 1024), driver](benchmark::State& st) { Translate(st, lines, driver); })
          ->Unit(benchmark::kMicrosecond);
    }
  }
  using testing::Malformed;
  for (Malformed shape : testing::kMalformedShapes) {
    for (std::size_t mb : {1, 4}) {
      for (const char* driver : {"Ora", "FB"}) {
        const std::string name = std::string("Malformed/") + testing::MalformedName(shape) + "/" +
                                 std::to_string(mb) + "MB/" + driver;
        benchmark::RegisterBenchmark(name.c_str(),
                                     [text = testing::MalformedStatement(shape, mb << 20),
                                      driver](benchmark::State& st) { TranslateText(st, text, driver); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
      }
    }
  }
}

const bool kRegistered = (RegisterAll(), true);

}  // namespace

}  // namespace zr::sqlt::bench
