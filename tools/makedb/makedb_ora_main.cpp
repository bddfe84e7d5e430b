// zr-makedb-ora: the demo's two generated companies on a database of the Oracle stand-in, and a zr.ini that
// opens it with banco=ORACLE. The companies are generated as zr-makedb generates the Firebird demo: the same
// sizes, company 01 with the seed and company 02 with the next one.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "fixtures/generator.h"
#include "fixtures/standin_session.h"

namespace {

const char* const kUsage =
    "Usage: zr-makedb-ora --database CONNECTION-STRING --ini PATH [--orders N] [--seed N]\n"
    "                     [--shape simple|plant] [--document-index yes|no]\n"
    "Recreates EMPRESA, ARQLOCAL and the tables of companies 01 and 02 on the Oracle stand-in (for example\n"
    "--database \"DSN=zrstandin;Database=zembra_demo\"), fills them with generated rows and writes a zr.ini\n"
    "with banco=ORACLE. --shape and --document-index as in zr-makedb: a clothing plant's shape, and the\n"
    "companies with or without the index of MAT_MOV by order number that the status update needs.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace zr;
  std::string database, ini;
  fixtures::CompanySize size;
  size.Orders = 300;
  size.PartsPerOrder = 2;
  size.MaterialsPerPart = 10;
  size.Products = 12;
  size.Seed = 7;
  bool plant = false, documentIndex = true;
  bool bad = argc % 2 == 0;  // options come in pairs
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i], v = argv[i + 1];
    if (a == "--database")
      database = v;
    else if (a == "--ini")
      ini = v;
    else if (a == "--orders")
      size.Orders = std::atoi(v.c_str());
    else if (a == "--seed")
      size.Seed = static_cast<uint32_t>(std::atoi(v.c_str()));
    else if (a == "--shape" && (v == "plant" || v == "simple"))
      plant = v == "plant";
    else if (a == "--document-index" && (v == "yes" || v == "no"))
      documentIndex = v == "yes";
    else
      bad = true;
  }
  if (bad || database.empty() || ini.empty() || size.Orders <= 0) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  try {
    app::testing::StandinSession session(database);
    const std::vector<fixtures::CompanyInfo> companies = {{"01", "Confecções Zembra Ltda", documentIndex},
                                                          {"02", "Malharia D'Ouro", documentIndex}};
    if (plant) size = fixtures::ClothingPlant(size.Orders, size.Seed);
    session.CreateCompanies(companies);
    for (const fixtures::CompanyInfo& company : companies) {
      session.LoadCompany(company.Code, fixtures::GenerateCompany(size));
      ++size.Seed;
      std::printf("zr-makedb-ora: company %s (%s): %s orders, %s sheet rows, %s movements\n",
                  company.Code.c_str(), company.Name.c_str(),
                  session.Scalar("SELECT COUNT(*) FROM OF1" + company.Code).c_str(),
                  session.Scalar("SELECT COUNT(*) FROM PCPFT2" + company.Code).c_str(),
                  session.Scalar("SELECT COUNT(*) FROM MAT_MOV" + company.Code).c_str());
    }
    session.WriteIni(ini);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zr-makedb-ora: %s\n", e.what());
    return 1;
  }
  std::printf("zr-makedb-ora: %s ready, settings in %s\n", database.c_str(), ini.c_str());
  return 0;
}
