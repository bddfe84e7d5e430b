#pragma once
// Small, hand-written company contents for the action tests: each helper inserts rows into the tables of
// company `code` with the values that matter to a case.

#include <string>

#include "app_test_support.h"

namespace zr::app::testing {

class CompanyData {
 public:
  CompanyData(TestDatabase& db, std::string code) : db_(db), code_(std::move(code)) {}

  // An order of `product` starting on `start` (YYYY-MM-DD).
  void Order(const std::string& numero, const std::string& product, const std::string& start);
  void Item(const std::string& numero, int item, const std::string& qtde);
  void Part(const std::string& numero, const std::string& parte);
  // One sheet material (PCPFT2) with one colour pair (PCPFT3).
  void Sheet(const std::string& product, int id, const std::string& insumo, const std::string& parte,
             const std::string& consumo, const std::string& preco, const std::string& cor,
             const std::string& corI);
  // A further colour pair of an existing sheet material.
  void Colour(const std::string& product, int id, const std::string& insumo, const std::string& cor,
              const std::string& corI);
  void Price(const std::string& insumo, const std::string& cor, const std::string& precoMed);
  void Movement(const std::string& numDocto, const std::string& insumo, const std::string& cor,
                const std::string& operacao, const std::string& tpMov, const std::string& qtde);
  // A PCPFTOF row as an earlier action left it.
  void Existing(const std::string& numero, const std::string& insumo, const std::string& parte, int id,
                const std::string& corI, const std::string& situacao, const std::string& data);

  // PCPFTOF as text rows: NUMERO, PARTE, ID, INSUMO, COR, COR_I, CONSUMO, CUSTO, SITUACAO, in that order.
  std::vector<std::vector<std::string>> Pcpftof();
  std::string Table(const std::string& base) const { return base + code_; }

 private:
  TestDatabase& db_;
  std::string code_;
  int movements_ = 0;
};

// `value` as a quoted SQL literal.
std::string Q(const std::string& value);

}  // namespace zr::app::testing
