#pragma once
// ConverteSQL: rewrites a query's Firebird-dialect SQL text in place for the connection's dialect.

#include <string>

#include "sqltranslate/query_access.h"

namespace zr::sqlt {

// The query's one-entry translation cache (its fields FSQLOriginal and FSQLAnterior).
struct TranslationCache {
  std::string FSQLOriginal;  // the last source text translated
  std::string FSQLAnterior;  // its translation
};

// Runs the translation pipeline on `query`'s SQL text and leaves the result in its SQL lines;
// ends by handing the text to the query's log. A text equal, letter case aside, to the last
// source (FSQLOriginal) or to its translation (FSQLAnterior: the query run again without new
// SQL) is a cache hit: the translation is put back and logged, no pass runs. Errors of a pass
// (the dictionary look-up, reading a driver name) leave at once: the lines keep the text of the
// last completed step and the cache is emptied, so the next run translates afresh.
void ConverteSQL(QueryAccess& query, TranslationCache& cache);

}  // namespace zr::sqlt
