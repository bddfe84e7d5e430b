#pragma once
// The statements of the order import and the status update, built line by line as the
// application builds them, from the values the application splices in.

#include <string>
#include <vector>

namespace zr::sqlt::bench {

struct NamedStatement {
  std::string name;
  std::vector<std::string> lines;
};

struct StatementValues {
  std::string company = "12";
  std::string date = "01/31/2018";  // MM/DD/YYYY
  std::string numero = "000123";
  std::string parte = "01";
  std::string codigo = "REF001";
  std::string insumo = "MAT01";
  std::string corI = "001";
};

std::vector<NamedStatement> ApplicationStatements(const StatementValues& values = {});

// A SELECT is opened; anything else is executed.
bool ReturnsRows(const NamedStatement& statement);

}  // namespace zr::sqlt::bench
