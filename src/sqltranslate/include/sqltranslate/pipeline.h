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
// ends by handing the text to the query's log. Errors of a pass (the dictionary look-up) leave
// at once; the cache is then emptied.
void ConverteSQL(QueryAccess& query, TranslationCache& cache);

}  // namespace zr::sqlt
