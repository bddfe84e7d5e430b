#include <string>
#include <string_view>

#include "db/params.h"
#include "db/sql_scanner.h"

namespace zr::db {

// ":NAME" -> "?" outside literals, quoted names and comments; "::" stays as written.
TFDParsedSql ParseParams(std::string_view sql) {
  TFDParsedSql out;
  out.Sql.reserve(sql.size());
  sql::Scanner scanner(sql);
  sql::Token token;
  while (scanner.Next(token)) {
    if (token.Kind == sql::TokenKind::Parameter) {
      out.Names.emplace_back(token.Text.substr(1));
      out.Sql += '?';
    } else {
      out.Sql.append(token.Text);
    }
  }
  return out;
}

}  // namespace zr::db
