#pragma once
// A query made of nothing but its SQL lines and the driver names of its connection: what the
// zrsql tool and the tests hand to the pipeline. The data dictionary and the log are optional
// callbacks; without a dictionary, a statement that needs one fails with a message.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sqltranslate/query_access.h"
#include "sqltranslate/sql_lines.h"

namespace zr::sqlt {

class TextQuery : public QueryAccess {
 public:
  using DictionaryReader = std::function<std::vector<std::string>(const std::vector<std::string>& sqlLines,
                                                                  const std::string& table)>;
  using LogWriter = std::function<void(const std::string& text)>;

  // A query whose Database and Connection both have `driverName` (none when nullopt).
  explicit TextQuery(std::optional<std::string> driverName = std::nullopt)
      : databaseDriver_(driverName), connectionDriver_(std::move(driverName)) {}

  SqlLines& SQL() { return lines_; }
  const SqlLines& SQL() const { return lines_; }
  void SetDatabaseDriver(std::optional<std::string> name) { databaseDriver_ = std::move(name); }
  void SetConnectionDriver(std::optional<std::string> name) { connectionDriver_ = std::move(name); }
  void SetDictionary(DictionaryReader reader) { dictionary_ = std::move(reader); }
  void SetLog(LogWriter log) { log_ = std::move(log); }

  std::string SqlText() const override { return lines_.Text(); }
  void SetSqlText(const std::string& text) override { lines_.SetText(text); }
  std::optional<std::string> DatabaseDriverName() const override { return databaseDriver_; }
  std::optional<std::string> ConnectionDriverName() const override { return connectionDriver_; }
  std::vector<std::string> ReadDictionaryColumns(const std::vector<std::string>& sqlLines,
                                                 const std::string& table) override;
  void LogStatement(const std::string& text) override {
    if (log_) log_(text);
  }

 private:
  SqlLines lines_;
  std::optional<std::string> databaseDriver_;
  std::optional<std::string> connectionDriver_;
  DictionaryReader dictionary_;
  LogWriter log_;
};

}  // namespace zr::sqlt
