#pragma once
// The same companies on embedded Firebird and on the Oracle stand-in, for the tests that run a scenario on both
// servers and expect the same PCPFTOF: mixed into a test fixture beside ::testing::Test.

#include <memory>
#include <string>

#include "app_test_support.h"
#include "standin_database.h"

namespace zr::app::testing {

// The company both servers hold, as the company list shows it.
inline constexpr const char* kEmpresa = "01 | Confecção Zembra";

// PCPFTOF as text, in one order on both servers (DATA aside: it is the moment of the import). The sort
// columns are qualified: PostgreSQL would otherwise sort by the output column ID, the text.
inline constexpr const char* kPcpftofSql =
    "SELECT NUMERO, PARTE, CAST(ID AS VARCHAR(10)), TIPO, INSUMO, SETOR, APLICACAO, FAIXA, COR, COR_I, "
    "CAST(CONSUMO AS VARCHAR(20)), CAST(CUSTO AS VARCHAR(20)), SITUACAO FROM PCPFTOF01 P "
    "ORDER BY P.NUMERO, P.PARTE, P.ID, P.COR, P.COR_I, P.SITUACAO";

class StandinPair {
 protected:
  // Companies 01 and 02, empty, on both servers; the databases are named after the running test.
  void CreatePair();

  // The same statement on both servers.
  void Both(const std::string& sql);

  // A generated company 01 on both servers: 30 orders starting day by day from 01/01/2017, three parts
  // each, priced and unpriced materials, withdrawals, entries and transfers.
  void Generated();

  void ExpectSamePcpftof();

  std::unique_ptr<TestDatabase> fb_;
  std::unique_ptr<StandinDatabase> ora_;
};

}  // namespace zr::app::testing
