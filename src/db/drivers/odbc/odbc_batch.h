#pragma once
// Write-behind batches over ODBC: the statements, their parameter values written into the text, sent with
// one SQLExecDirect.
//   PostgreSQL (the stand-in):  one request of statements separated by ";", one result (count) each;
//                               psqlODBC's statement-level rollback makes the request all or nothing.
//   Oracle:                     one anonymous PL/SQL block, which Oracle runs all or nothing, returning the
//                               counts through output parameters:
//     DECLARE C NUMBER; BEGIN
//     C := 0; DELETE FROM T WHERE K = '1'; C := C + SQL%ROWCOUNT; ? := C;
//     C := 0; INSERT INTO T (K) VALUES ('1'); C := C + SQL%ROWCOUNT; ? := C;
//     END;
//   (Not yet run against a real Oracle server: built and tested as text only.)

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/driver.h"
#include "param_binding.h"

namespace zr::db::odbc {

class Session;

enum class BatchDialect { PostgreSql, Oracle };

// The value written into a statement for an element of a parameter whose column travels as `kind`
// (KindOfParam), as the dialect reads the value the parameter binding would have sent; nothing when it cannot
// be written exactly (bytes, decimals, non-finite numbers, text with a zero byte or, for PostgreSQL, a
// backslash).
std::optional<std::string> BatchLiteral(BatchDialect dialect, ParamKind kind, const TFDValue& value);

// Each statement with its "?" markers replaced by the values of its elements; nothing when a value cannot
// be written.
std::optional<std::vector<std::string>> BatchStatementTexts(BatchDialect dialect,
                                                            const driver::BatchStatement& statement);

// The request for statements already written out, each group (one per batch statement) counted as one.
std::string PostgreSqlBatchText(const std::vector<std::vector<std::string>>& groups);
std::string OraclePlsqlBatchText(const std::vector<std::vector<std::string>>& groups);

class OdbcBatch final : public driver::Batch {
 public:
  OdbcBatch(std::shared_ptr<Session> session, BatchDialect dialect)
      : session_(std::move(session)), dialect_(dialect) {}

  bool Add(const driver::BatchStatement& statement) override;
  int Count() const override { return static_cast<int>(groups_.size()); }
  std::vector<int64_t> Execute(uint32_t timeout) override;

 private:
  std::shared_ptr<Session> session_;
  BatchDialect dialect_;
  std::vector<std::vector<std::string>> groups_;
  // The statements and text the groups hold, kept as they are added so that each Add costs its own size.
  size_t statements_ = 0;
  size_t bytes_ = 0;
};

}  // namespace zr::db::odbc
