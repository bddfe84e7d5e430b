#pragma once
// The one driver interface of the framework. The framework knows no database: drivers register a connect
// function under their driver name ("FB", "Ora"...). Every driver failure is an EDatabaseError carrying the
// server's or client's whole message and its kind (db/errors.h): a statement cancelled for its time-out fails
// with kind NoAnswer and a message that contains "Timeout expired"; a failure after which every further
// request would fail because the link to the server is gone has kind LinkLost; a connect the server did not
// answer in time has kind ConnectTimedOut. Drivers put no user wording in their messages: what the user
// reads beyond the driver's or server's own text comes from the kind and the facts (db/errors.h).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/catalog.h"
#include "db/data_types.h"
#include "db/plan.h"
#include "db/string_list.h"
#include "db/value.h"

namespace zr::db::driver {

// A result column as the driver describes it. Size: characters for text, the scale for BCD/FMTBCD
// (as the base data layer counts it), 0 otherwise.
struct ColumnInfo {
  std::string Name;
  TFDDataType DataType = dtUnknown;
  int Precision = 0;
  int Scale = 0;
  int Size = 0;
  bool FixedChar = false;  // CHAR(n): trailing blanks are removed when read
};

// One parameter marker's values (the whole array), in marker order.
struct ParamColumn {
  TFieldType DataType = ftUnknown;
  const std::vector<TFDValue>* Values = nullptr;
};

class Statement {
 public:
  virtual ~Statement() = default;
  // Prepares `sql`; its parameters are "?" markers (the framework has replaced the named ones).
  virtual void Prepare(const std::string& sql) = 0;
  // The result set's columns, valid after Prepare; empty for a statement that returns none.
  virtual std::vector<ColumnInfo> Columns() const = 0;
  // Milliseconds the next executions may run; kNoTimeout (db/options.h) for no limit.
  virtual void SetTimeout(uint32_t milliseconds) = 0;
  // Runs the prepared statement for elements offset .. offset+times-1 of the parameter arrays, sending them
  // as few requests as the server allows. A statement with a result set runs with times 1 and leaves its
  // cursor open. Any element's failure fails the whole call.
  virtual void Execute(const std::vector<ParamColumn>& params, int times, int offset) = 0;
  // Reads the next row of the open cursor (one value per column, of the column's data type before mapping);
  // false when there is none.
  virtual bool Fetch(std::vector<TFDValue>& row) = 0;
  virtual void CloseCursor() = 0;
  virtual int64_t RowsAffected() const = 0;
  // True when Columns() before the first Execute costs a request to the server that an execution makes
  // unnecessary: the framework then runs a statement whose text shows it returns rows before describing it.
  virtual bool DescribeCostsRequest() const { return false; }
};

// One statement of a write-behind batch: a statement without parameters (Params empty, Times 1), or
// elements Offset .. Offset+Times-1 of the parameter arrays of an INSERT ... VALUES.
struct BatchStatement {
  std::string Sql;  // parameters as "?" markers
  std::vector<ParamColumn> Params;
  int Times = 1;
  int Offset = 0;
};

// Statements sent to the server together, in the order added, as one request where the server allows.
class Batch {
 public:
  virtual ~Batch() = default;
  // Takes the statement (its values are read now) when it fits in this batch's request; false when it does
  // not fit (the batch is full, or this statement can go into no batch: an empty batch refuses it too).
  virtual bool Add(const BatchStatement& statement) = 0;
  virtual int Count() const = 0;
  // Runs every statement taken, all or nothing, the whole under `timeout` milliseconds (kNoTimeout: no
  // limit), and returns the rows affected by each: one count per statement taken, in order. On failure
  // nothing of the batch remains and the error is raised, with its kind (a time-out is NoAnswer, a lost link
  // LinkLost); which statement failed is not told (running them one by one finds it).
  virtual std::vector<int64_t> Execute(uint32_t timeout) = 0;
};

// One attachment to a database with at most one transaction open at a time.
class Connection {
 public:
  virtual ~Connection() = default;  // an open transaction is rolled back
  virtual std::unique_ptr<Statement> CreateStatement() = 0;
  virtual bool InTransaction() const = 0;
  virtual void StartTransaction() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  // End the work so far and go on in a transaction that stays open.
  virtual void CommitRetaining() = 0;
  virtual void RollbackRetaining() = 0;
  // A batch for write-behind in the open transaction, or nullptr when the driver sends statements one at a
  // time only.
  virtual std::unique_ptr<Batch> CreateBatch() { return nullptr; }
  // From the catalog (db/catalog.h), for write-behind: the tables a row written to `table` may change, and per
  // name the tables a statement naming it reads. A driver that cannot tell answers every table, so that
  // write-behind sends what waits before every statement.
  virtual catalog::TableSet WriteReach(const std::string& table) {
    (void)table;
    return catalog::TableSet::All();
  }
  virtual std::vector<catalog::TableSet> ReadReach(const std::vector<std::string>& names) {
    return std::vector<catalog::TableSet>(names.size(), catalog::TableSet::All());
  }
  // `select`, the text of a SELECT of one table's rows whose lines end in CR LF, in the form that also locks
  // the rows it reads until the transaction ends, as an update of them would, without changing them or
  // firing a trigger: one more line with the dialect's locking clause. The rows are locked once fetched.
  virtual std::string LockingSelect(const std::string& select) const { return select + "FOR UPDATE\r\n"; }
  // How the server would run `sql` (db/plan.h): prepared or explained in the open transaction, or in one of
  // its own, never executed. A driver that cannot ask its server answers a plan that is not Known.
  virtual plan::StatementPlan Explain(const std::string& sql) {
    (void)sql;
    return {};
  }
  // The indexes of `table` (named as statements name it) as the catalog lists them, each key in order;
  // none when the driver cannot tell or the table has none.
  virtual std::vector<plan::IndexInfo> Indexes(const std::string& table) {
    (void)table;
    return {};
  }
};

// Opens a connection from the connection's parameter entries ("Database=...", "Server=..."...).
using ConnectFunction = std::function<std::unique_ptr<Connection>(const TStringList& params)>;

void RegisterDriver(const std::string& driverName, ConnectFunction connect);
bool IsDriverRegistered(const std::string& driverName);
// EDatabaseError when no driver of that name is registered.
std::unique_ptr<Connection> Connect(const std::string& driverName, const TStringList& params);

}  // namespace zr::db::driver
