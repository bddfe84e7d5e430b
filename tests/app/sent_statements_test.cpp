// What both actions send, byte for byte, to the driver of a Firebird connection ("FB", embedded) and of an
// Oracle connection ("Ora", the stand-in): every statement the framework runs, in order, as golden
// records in sent_statements/*.txt. A change in the application, the translation or the framework
// (statements merged, dropped, sent twice or in another order) shows here. The recording driver takes no
// batches, so write-behind hands it each statement alone, in the order the application ran them.
//
// Record format:
//   # title: <sentence>
//   # driver: FB | Ora
//   <action> <company code> <date DD/MM/YYYY> [pendente]      the button pressed and what the window holds
//   ----
//   the statements as the driver received them, one after the other, separated by an empty line; each line
//   of a statement ends with "$" where the statement holds CR LF, so trailing blanks stay visible.
// Lines before the first title are the file's comments.
//
// Every record runs on fresh databases holding the same small companies (below).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/actions.h"
#include "app/drivers.h"
#include "app/settings.h"
#include "app_test_support.h"
#include "db/datetime.h"
#include "db/firebird/driver.h"
#include "db/odbc/driver.h"
#include "standin_database.h"
#include "support/recording_driver.h"
#include "support/test_names.h"

namespace zr::app::testing {
namespace {

struct SentRecord {
  std::string File;
  std::string Title;
  std::string Driver;
  std::string Input;
  std::vector<std::string> Statements;
};

void PrintTo(const SentRecord& record, std::ostream* os) { *os << record.File << ": " << record.Title; }

// "SELECT 1\r\nFROM T\r\n" as the lines "SELECT 1$" and "FROM T$".
std::string Encode(const std::string& statement) {
  std::string out;
  size_t from = 0;
  while (from < statement.size()) {
    const size_t crlf = statement.find("\r\n", from);
    if (crlf == std::string::npos) {
      out += statement.substr(from) + "\n";
      break;
    }
    out += statement.substr(from, crlf - from) + "$\n";
    from = crlf + 2;
  }
  return out;
}

std::string Encode(const std::vector<std::string>& statements) {
  std::string out;
  for (size_t i = 0; i < statements.size(); ++i) out += (i ? "\n" : "") + Encode(statements[i]);
  return out;
}

std::vector<SentRecord> LoadRecords() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(ZR_SENT_STATEMENTS_DIR)) {
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<SentRecord> records;
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    SentRecord* current = nullptr;
    bool inStatements = false;
    bool statementOpen = false;
    while (std::getline(in, line)) {
      if (line.rfind("# title: ", 0) == 0) {
        records.push_back({path.filename().string(), line.substr(9), {}, {}, {}});
        current = &records.back();
        inStatements = statementOpen = false;
      } else if (current == nullptr) {
        continue;
      } else if (!inStatements && line.rfind("# driver: ", 0) == 0) {
        current->Driver = line.substr(10);
      } else if (!inStatements && line == "----") {
        inStatements = true;
      } else if (!inStatements) {
        if (!line.empty()) current->Input = line;
      } else if (line.empty()) {
        statementOpen = false;
      } else {
        if (!statementOpen) current->Statements.emplace_back();
        statementOpen = true;
        current->Statements.back() += line.back() == '$' ? line.substr(0, line.size() - 1) + "\r\n" : line;
      }
    }
  }
  return records;
}

// The companies of every record, the same on both servers:
// 01: order 000101 of a product whose code holds a quote, one part, an open item, a priced and an unpriced
//     material; an older order 000090.
// 02: order 000201 without items (so an empty order number) and with an empty part.
// 03: order 000301 of a product without a technical sheet.
// 04: PCPFTOF rows of orders 000101 and 000090, one material of 000101 withdrawn, a colour holding a quote.
const std::vector<fixtures::CompanyInfo> kCompanies = {
    {"01", "Confecção Zembra"}, {"02", "Malharia D'Ouro"}, {"03", "Tecelagem Três"}, {"04", "Bordados"}};

const char* const kRows[] = {
    "INSERT INTO OF101 (NUMERO, CODIGO, DT_INICIO) VALUES ('000101', 'GOLA D''OURO', '2017-01-31')",
    "INSERT INTO OF101 (NUMERO, CODIGO, DT_INICIO) VALUES ('000090', 'GOLA D''OURO', '2017-01-20')",
    "INSERT INTO OF_ITEN01 (NUMERO, ITEM, QTDE) VALUES ('000101', 1, 3)",
    "INSERT INTO OF_ITEN01 (NUMERO, ITEM, QTDE) VALUES ('000090', 1, 2)",
    "INSERT INTO FACCAO01 (NUMERO, PARTE) VALUES ('000101', 'FRENTE')",
    "INSERT INTO FACCAO01 (NUMERO, PARTE) VALUES ('000090', 'FRENTE')",
    "INSERT INTO PCPFT201 (CODIGO, ID, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, PRECO) VALUES "
    "('GOLA D''OURO', 1, 'MP', 'LINHA', 'COSTURA', 'Pesponto', 'FRENTE', 'U', 1.5, 'S')",
    "INSERT INTO PCPFT201 (CODIGO, ID, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, PRECO) VALUES "
    "('GOLA D''OURO', 2, 'AV', 'BOTAO', 'BOTOES', 'Botão', 'FRENTE', 'U', 4, 'N')",
    "INSERT INTO PCPFT301 (CODIGO, INSUMO, ID, COR, COR_I) VALUES ('GOLA D''OURO', 'LINHA', 1, 'AZUL', 'AZUL')",
    "INSERT INTO PCPFT301 (CODIGO, INSUMO, ID, COR, COR_I) VALUES ('GOLA D''OURO', 'BOTAO', 2, 'AZUL', 'PRETO')",
    "INSERT INTO MAT_ITEN01 (CODIGO, COR, TAMANHO, PRECO_MED) VALUES ('LINHA', 'AZUL', 'U', 2.5)",
    "INSERT INTO PCPFTOF04 (NUMERO, TIPO, INSUMO, PARTE, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, DATA) VALUES "
    "('000101', 'MP', 'LINHA', 'FRENTE', 1.5, 'AZUL', 'D''ÁGUA', 1, 2.5, 'A', '2017-02-01')",
    "INSERT INTO PCPFTOF04 (NUMERO, TIPO, INSUMO, PARTE, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, DATA) VALUES "
    "('000101', 'AV', 'BOTAO', 'FRENTE', 4, 'AZUL', 'PRETO', 2, 0, 'A', '2017-02-01')",
    "INSERT INTO PCPFTOF04 (NUMERO, TIPO, INSUMO, PARTE, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, DATA) VALUES "
    "('000090', 'MP', 'LINHA', 'FRENTE', 1.5, 'AZUL', 'D''ÁGUA', 1, 2.5, 'A', '2017-01-20')",
    "INSERT INTO MAT_MOV04 (LANCAMENTO, NUM_DOCTO, CODIGO, COR, OPERACAO, TP_MOV, QTDE, DATA) VALUES "
    "(1, '000101/01', 'LINHA', 'D''ÁGUA', 'S', 'BC', 1, '2017-02-02')",
    "INSERT INTO MAT_MOV04 (LANCAMENTO, NUM_DOCTO, CODIGO, COR, OPERACAO, TP_MOV, QTDE, DATA) VALUES "
    "(2, '000101/02', 'BOTAO', 'PRETO', 'E', 'BC', 5, '2017-02-02')",
    "INSERT INTO OF102 (NUMERO, CODIGO, DT_INICIO) VALUES ('000201', 'CALCA', '2017-02-20')",
    "INSERT INTO FACCAO02 (NUMERO, PARTE) VALUES ('000201', '')",
    "INSERT INTO PCPFT202 (CODIGO, ID, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, PRECO) VALUES "
    "('CALCA', 1, 'MP', 'TECIDO', 'CORTE', 'Corpo', '', 'U', 1.2, 'S')",
    "INSERT INTO PCPFT302 (CODIGO, INSUMO, ID, COR, COR_I) VALUES ('CALCA', 'TECIDO', 1, 'AZUL', 'AZUL')",
    "INSERT INTO OF103 (NUMERO, CODIGO, DT_INICIO) VALUES ('000301', 'BLUSA', '2017-03-15')",
    "INSERT INTO OF_ITEN03 (NUMERO, ITEM, QTDE) VALUES ('000301', 1, 1)",
    "INSERT INTO FACCAO03 (NUMERO, PARTE) VALUES ('000301', 'MANGA')",
};

// "importar 01 31/01/2017 pendente" as the action's input; `import` tells which button.
ActionInput ParseInput(const std::string& text, bool& import) {
  std::istringstream in(text);
  std::string action, code, date, option;
  in >> action >> code >> date >> option;
  import = action == "importar";
  EXPECT_TRUE(import || action == "situacao") << text;
  EXPECT_TRUE(option.empty() || option == "pendente") << text;
  std::string name;
  for (const fixtures::CompanyInfo& c : kCompanies) {
    if (c.Code == code) name = c.Name;
  }
  EXPECT_FALSE(name.empty()) << "no company " << code;
  EXPECT_EQ(date.size(), 10u) << text;
  const db::TDateTime desde = db::EncodeDateTime(db::TDateParts{
      std::stoi(date.substr(6, 4)), std::stoi(date.substr(3, 2)), std::stoi(date.substr(0, 2))});
  return ActionInput{code + " | " + name, desde, option == "pendente"};
}

// One database per server for the whole program, made when a record first needs it: the records change
// disjoint rows (imports on companies 01 to 03, status updates on company 04), so they need no fresh copy.
class Servers : public ::testing::Environment {
 public:
  static TestDatabase& Fb() {
    if (!fb_) {
      fb_ = TestDatabase::Create("sent_statements", kCompanies);
      for (const char* sql : kRows) fb_->Exec(sql);
      fb_->Release();
    }
    return *fb_;
  }
  static StandinDatabase& Ora() {
    if (!ora_) {
      ora_ = std::make_unique<StandinDatabase>(Fb().Dir + "ora/", kCompanies);
      for (const char* sql : kRows) ora_->Exec(sql);
    }
    return *ora_;
  }
  void TearDown() override {
    ora_.reset();
    fb_.reset();
  }

 private:
  static inline std::unique_ptr<TestDatabase> fb_;
  static inline std::unique_ptr<StandinDatabase> ora_;
};

[[maybe_unused]] ::testing::Environment* const kServers = ::testing::AddGlobalTestEnvironment(new Servers);

class SentStatementsTest : public ::testing::TestWithParam<SentRecord> {};

TEST_P(SentStatementsTest, TheDriverReceivesExactlyTheRecordedStatements) {
  const SentRecord& record = GetParam();
  ASSERT_TRUE(record.Driver == "FB" || record.Driver == "Ora") << record.Driver;
  if (record.Driver == "Ora" && StandinDisabled()) GTEST_SKIP() << "the Oracle stand-in is switched off";
  bool import = false;
  const ActionInput input = ParseInput(record.Input, import);

  const std::string ini = record.Driver == "Ora" ? Servers::Ora().Ini : Servers::Fb().Ini;

  // The connection's driver name reaches a recorder that hands everything on to the real driver.
  db::firebird::RegisterDriver("FB real");
  db::odbc::RegisterDriver("Ora real");
  data::testing::RegisterRecordingDriver("FB", "FB real");
  data::testing::RegisterRecordingDriver("Ora", "Ora real");
  data::testing::Recorded() = {};

  std::vector<std::string> sent;
  {
    db::TComponent owner;
    const TFormComponents c = CreateFormComponents(owner);
    ConectaBanco(*c.ZRDatabase1, ini);
    data::testing::Recorded().Executed.clear();  // only what the action sends
    RecordingUi ui;
    const ActionResult result = import ? BitBtn1Click(c, input, ui) : BitBtn2Click(c, input, ui);
    EXPECT_TRUE(result.Ok) << result.Message;
    sent = data::testing::Recorded().Executed;
  }
  RegisterDrivers();  // the real drivers again under their own names

  EXPECT_EQ(Encode(sent), Encode(record.Statements))
      << record.File << ": " << record.Title << "\nsent, in this file's format:\n"
      << Encode(sent);
}

std::string TestName(const ::testing::TestParamInfo<SentRecord>& info) {
  return testsupport::TitledTestName(info.param.Title, info.index);
}

INSTANTIATE_TEST_SUITE_P(Records, SentStatementsTest, ::testing::ValuesIn(LoadRecords()), TestName);

}  // namespace
}  // namespace zr::app::testing
