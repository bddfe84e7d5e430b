#pragma once
// A driver "FBSPY" that passes every call to the real "FB" driver and writes down what the framework asked of
// it: the entries it connected with, the statements it prepared, the time-outs, the executions with their
// parameter columns, and the transaction calls.

#include <cstdint>
#include <string>
#include <vector>

#include "db/driver.h"

namespace zr::db::testing {

struct SpyExecution {
  int Times = 0;
  int Offset = 0;
  std::vector<TFieldType> ParamTypes;                // one per marker
  std::vector<std::vector<TFDValue>> ParamValues;    // the whole array of each marker
};

struct SpyJournal {
  std::string ConnectEntries;  // the entries as one text
  std::vector<std::string> Prepared;
  std::vector<uint32_t> Timeouts;
  std::vector<SpyExecution> Executions;
  std::vector<std::string> TransactionCalls;  // "Start", "Commit", "Rollback", "CommitRetaining"...
};

// Registers "FBSPY" (and "FB") once; the journal is shared by every FBSPY connection.
void RegisterSpyDriver();
SpyJournal& Spy();

}  // namespace zr::db::testing
