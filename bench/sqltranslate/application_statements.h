#pragma once
// The statements of the order import and the status update, built line by line as the
// application builds them (company code 12, date 01/31/2018).

#include <string>
#include <vector>

namespace zr::sqlt::bench {

struct NamedStatement {
  std::string name;
  std::vector<std::string> lines;
};

std::vector<NamedStatement> ApplicationStatements();

}  // namespace zr::sqlt::bench
