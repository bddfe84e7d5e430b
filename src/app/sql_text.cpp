#include "app/sql_text.h"

#include <cstdio>

namespace zr::app {

std::string DateLiteral(db::TDateTime Date) {
  const db::TDateParts parts = db::DecodeDateTime(Date);
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", parts.Month % 100, parts.Day % 100, parts.Year % 10000);
  return QuotedStr(text);
}

}  // namespace zr::app
