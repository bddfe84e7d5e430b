#pragma once
// What the translation pipeline needs of the query whose SQL text it rewrites.
// The query component implements it; the tests and the zrsql tool implement it over plain text.

#include <optional>
#include <string>
#include <vector>

namespace zr::sqlt {

class QueryAccess {
 public:
  virtual ~QueryAccess() = default;

  // The query's SQL lines read as one text: every line followed by CR LF.
  virtual std::string SqlText() const = 0;

  // Replaces the query's SQL lines by `text` split at CR LF, a lone CR or a lone LF
  // (a final line break adds no empty line).
  virtual void SetSqlText(const std::string& text) = 0;

  // Driver name of the query's `Database`; nullopt when no Database is assigned.
  // Implementations may throw when reading it is impossible; the error leaves the pipeline.
  virtual std::optional<std::string> DatabaseDriverName() const = 0;

  // Driver name of the query's `Connection`; nullopt when none is assigned.
  virtual std::optional<std::string> ConnectionDriverName() const = 0;

  // Runs the data-dictionary statement `sqlLines` (USER_TAB_COLUMNS of `table`) on a temporary
  // query of the same connection and returns the field "NmCampo" of every row, in row order,
  // as text and untrimmed. Errors propagate to the caller of the pipeline.
  virtual std::vector<std::string> ReadDictionaryColumns(const std::vector<std::string>& sqlLines,
                                                         const std::string& table) = 0;

  // Hands the final statement to the SQL log. Called by the last step of every run, cache hits
  // included; implementations do nothing when the connection's log is off.
  virtual void LogStatement(const std::string& text) = 0;
};

}  // namespace zr::sqlt
