#pragma once
// What the translation pipeline reads and writes of a TZRQuery: its SQL lines, the driver names of its
// Database and Connection, the data dictionary through a temporary query, and the SQL log.

#include <optional>
#include <string>
#include <vector>

#include "sqltranslate/query_access.h"

namespace zr::data {
class TZRQuery;
}

namespace zr::data::detail {

class QueryAccessAdapter final : public sqlt::QueryAccess {
 public:
  explicit QueryAccessAdapter(TZRQuery& query) : query_(query) {}

  std::string SqlText() const override;
  void SetSqlText(const std::string& text) override;
  std::optional<std::string> DatabaseDriverName() const override;
  std::optional<std::string> ConnectionDriverName() const override;
  // Opens the statement on a temporary TZRQuery without an owner, on the same Database (so it is translated
  // and logged like any other); the temporary query is closed and freed on every path.
  std::vector<std::string> ReadDictionaryColumns(const std::vector<std::string>& sqlLines,
                                                 const std::string& table) override;
  // Writes the statement to the SQL log when the Database has its log on and its log record.
  void LogStatement(const std::string& text) override;

 private:
  TZRQuery& query_;
};

}  // namespace zr::data::detail
