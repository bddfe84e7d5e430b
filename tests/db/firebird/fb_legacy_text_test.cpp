// A legacy database: created with the default character set NONE and filled by Windows programs with
// Windows-1252 bytes. The driver reads and writes its text as those programs did while the program's side
// stays UTF-8: values read, parameters bound (one by one, as array executions and as write-behind batches),
// literals in the statement text and the server's messages.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/errors.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

// Text as the Windows programs stored it: "MADREPÉROLA", "VERDE D'ÁGUA" and "Confecções" in Windows-1252.
const std::string kMadreperola1252 = "MADREP\xC9ROLA";
const std::string kVerdeDagua1252 = "VERDE D'\xC1GUA";
const std::string kConfeccoes1252 =
    "Confec\xE7\xF5"
    "es";

// The hexadecimal literal that stores `bytes` as they are (no character set conversion).
std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out = "X'";
  for (const char c : bytes) {
    out += digits[static_cast<unsigned char>(c) >> 4];
    out += digits[static_cast<unsigned char>(c) & 0xF];
  }
  return out + "'";
}

std::string Text(const TFDValue& value) { return ValueAsString(value); }

class LegacyDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    ZR_SKIP_UNLESS_TARGET_AVAILABLE();
    Make({});
  }

  void Make(const std::vector<std::string>& entries) {
    connection_.reset();
    std::vector<std::string> all = {"DefaultCharSet=NONE"};
    all.insert(all.end(), entries.begin(), entries.end());
    db_ = std::make_unique<TestDatabase>(4096, all);
    connection_ = db_->Open();
    Exec(*connection_,
         "CREATE TABLE COR (K VARCHAR(20) NOT NULL PRIMARY KEY, C CHAR(14), M BLOB SUB_TYPE TEXT, "
         "U VARCHAR(12) CHARACTER SET UTF8)");
    Exec(*connection_, "INSERT INTO COR (K, C, M) VALUES (" + Hex(kMadreperola1252) + ", " +
                           Hex(kVerdeDagua1252) + ", " + Hex(kConfeccoes1252) + ")");
  }

  // The bytes stored in a column (trailing blanks of a CHAR left out), read without any conversion.
  std::string Stored(const std::string& column, const std::string& key) {
    const TFDValue value =
        Scalar(*connection_, "SELECT CAST(TRIM(TRAILING FROM " + column + ")" +
                                 " AS VARCHAR(40) CHARACTER SET OCTETS) FROM COR WHERE K = '" + key + "'");
    return Text(value);
  }

  void TearDown() override {
    connection_.reset();
    db_.reset();
  }

  std::unique_ptr<TestDatabase> db_;
  std::unique_ptr<driver::Connection> connection_;
};

TEST_F(LegacyDatabase, ReadsTheStoredBytesAsUtf8) {
  const Rows rows = Query(*connection_, "SELECT K, C, M FROM COR");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Text(rows[0][0]), "MADREPÉROLA");
  EXPECT_EQ(Text(rows[0][1]), "VERDE D'ÁGUA");
  EXPECT_EQ(Text(rows[0][2]), "Confecções");
  // A name chosen in the statement comes back in UTF-8 too.
  std::unique_ptr<driver::Statement> statement = connection_->CreateStatement();
  statement->Prepare("SELECT C AS \"CORAÇÃO\" FROM COR");
  EXPECT_EQ(statement->Columns().at(0).Name, "CORAÇÃO");
}

TEST_F(LegacyDatabase, LiteralsOfTheStatementMatchTheStoredBytes) {
  EXPECT_EQ(ValueAsInteger(Scalar(*connection_,
                                  "SELECT COUNT(*) FROM COR WHERE K = 'MADREPÉROLA' AND "
                                  "C = 'VERDE D''ÁGUA' AND M = 'Confecções'")),
            1);
  // In a transaction the plain ASCII literals travel as parameters (the statement's literal shape); the
  // accented ones stay in the text.
  connection_->StartTransaction();
  for (int i = 0; i < 2; ++i) {
    std::unique_ptr<driver::Statement> statement = connection_->CreateStatement();
    statement->Prepare("UPDATE COR SET C = 'AÇÃO' WHERE K = 'MADREPÉROLA' AND 'x' = 'x'");
    statement->Execute({}, 1, 0);
    EXPECT_EQ(statement->RowsAffected(), 1);
  }
  connection_->Commit();
  EXPECT_EQ(Stored("C", "MADREPÉROLA"), "A\xC7\xC3O");
}

// Every way a parameter reaches the server stores the Windows-1252 bytes a literal would.
TEST_F(LegacyDatabase, ParametersStoreTheBytesOfTheCodePage) {
  struct Case {
    const char* name;
    int times;
    bool inTransaction;
  };
  const Case cases[] = {
      {"one execution", 1, false},
      {"an array execution (EXECUTE BLOCK with inputs declared as described)", 3, false},
      {"an array execution in the open transaction", 3, true},
  };
  int next = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<TFDValue> keys, colours;
    for (int i = 0; i < c.times; ++i) {
      keys.push_back(std::string("PÇ") + std::to_string(next++));
      colours.push_back(std::string(i % 2 == 0 ? "VERDE D'ÁGUA" : "MADREPÉROLA"));
    }
    ParamSet params;
    params.Add(ftString, keys)
        .Add(ftString, colours)
        .Add(ftString, std::vector<TFDValue>(keys.size(), TFDValue(std::string("Confecções"))));
    if (c.inTransaction) connection_->StartTransaction();
    Exec(*connection_, "INSERT INTO COR (K, C, M) VALUES (?, ?, ?)", params, c.times);
    if (c.inTransaction) connection_->Commit();
    for (int i = 0; i < c.times; ++i) {
      const std::string key = Text(keys[static_cast<size_t>(i)]);
      EXPECT_EQ(Stored("K", key), "P\xC7" + key.substr(3));
      EXPECT_EQ(Stored("C", key), i % 2 == 0 ? kVerdeDagua1252 : kMadreperola1252);
      EXPECT_EQ(Text(Scalar(*connection_, "SELECT M FROM COR WHERE K = '" + key + "'")), "Confecções");
    }
  }
}

// On the server, statements that change rows wait and go together as one EXECUTE BLOCK: its literals and the
// inputs of a block of one literal shape carry the same bytes as the statements alone.
TEST_F(LegacyDatabase, WriteBehindBatchesStoreTheBytesOfTheCodePage) {
  connection_->StartTransaction();
  std::unique_ptr<driver::Batch> batch = connection_->CreateBatch();
  if (!batch) {
    connection_->Rollback();
    GTEST_SKIP() << "the embedded engine sends statements one by one";
  }
  std::vector<TFDValue> key = {std::string("ÁGUA")}, colour = {std::string("MADREPÉROLA")};
  ASSERT_TRUE(
      batch->Add({"INSERT INTO COR (K, C) VALUES (?, ?)", {{ftString, &key}, {ftString, &colour}}, 1, 0}));
  ASSERT_TRUE(batch->Add({"UPDATE COR SET C = 'VERDE D''ÁGUA' WHERE K = 'MADREPÉROLA'", {}, 1, 0}));
  EXPECT_EQ(batch->Execute(kNoTimeout), (std::vector<int64_t>{1, 1}));

  // Ten statements of one shape: one block whose ASCII literals are inputs, the accented one in its text.
  std::unique_ptr<driver::Batch> shaped = connection_->CreateBatch();
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(
        shaped->Add({"INSERT INTO COR (K, C) VALUES ('K" + std::to_string(i) + "', 'AÇÃO')", {}, 1, 0}));
  }
  EXPECT_EQ(shaped->Execute(kNoTimeout), std::vector<int64_t>(10, 1));
  connection_->Commit();

  EXPECT_EQ(Stored("K", "ÁGUA"), "\xC1GUA");
  EXPECT_EQ(Stored("C", "ÁGUA"), kMadreperola1252);
  EXPECT_EQ(Stored("C", "MADREPÉROLA"), kVerdeDagua1252);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Stored("C", "K" + std::to_string(i)), "A\xC7\xC3O");
}

TEST_F(LegacyDatabase, AValueTheCodePageCannotHoldFailsNamingIt) {
  struct Case {
    const char* name;
    std::string sql;
    std::vector<TFDValue> value;
    bool inStatement;  // the text named is the statement's, else a value's
    std::string text;
  };
  const std::vector<Case> cases = {
      {"a parameter",
       "INSERT INTO COR (K, C) VALUES ('Z1', ?)",
       {std::string("VERDE D'ĀGUA")},
       false,
       "VERDE D'ĀGUA"},
      {"a literal of the text, its doubled quote undone",
       "INSERT INTO COR (K, C) VALUES ('Z2', 'VERDE D''ĀGUA')",
       {},
       false,
       "VERDE D'ĀGUA"},
      {"a character outside any literal names the statement",
       "SELECT 1 AS \"Ā\" FROM RDB$DATABASE",
       {},
       true,
       "SELECT 1 AS \"Ā\" FROM RDB$DATABASE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ParamSet params;
    if (!c.value.empty()) params.Add(ftString, c.value);
    try {
      Exec(*connection_, c.sql, params);
      ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Kind(), TDatabaseErrorKind::TextNotConvertible) << e.what();
      EXPECT_EQ(e.Facts().InStatement, c.inStatement);
      EXPECT_EQ(e.Facts().Text, c.text);
      EXPECT_EQ(e.Facts().Character, "Ā");
      EXPECT_EQ(e.Facts().CodePoint, 0x100u);
      EXPECT_EQ(e.Facts().CodePage, "WIN1252");
    }
  }
  // Nothing was written, nothing replaced.
  EXPECT_EQ(ValueAsInteger(Scalar(*connection_, "SELECT COUNT(*) FROM COR")), 1);
}

TEST_F(LegacyDatabase, TheServersMessagesAreReadInTheCodePage) {
  try {
    Exec(*connection_, "INSERT INTO COR (K) VALUES ('MADREPÉROLA')");
    ADD_FAILURE() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("Problematic key value is (\"K\" = 'MADREPÉROLA')"),
              std::string::npos)
        << e.what();
  }
}

// A column of a real character set in a legacy database is converted by the server, not read as bytes.
TEST_F(LegacyDatabase, AUtf8ColumnKeepsItsText) {
  ParamSet params;
  params.Add(ftString, {std::string("Confecções")});
  Exec(*connection_, "UPDATE COR SET U = ?", params);
  EXPECT_EQ(Text(Scalar(*connection_, "SELECT U FROM COR")), "Confecções");
  EXPECT_EQ(Stored("U", "MADREPÉROLA"), "Confecções");  // UTF-8 bytes in a UTF8 column
}

// The same bytes read in the code page the settings name.
TEST_F(LegacyDatabase, CharsetLegadoNamesTheCodePage) {
  // The bytes A5 80 E7 81; 0x81 is undefined in the Windows code pages and reads as U+0081.
  const std::string bytes = "\xA5\x80\xE7\x81";
  struct Case {
    const char* entry;
    std::string expected;
  };
  const Case cases[] = {
      {"CharsetLegado=WIN1250", "Ą€ç\xC2\x81"},
      {"CharsetLegado=iso8859_1", "¥\xC2\x80ç\xC2\x81"},
      {"CharsetLegado=WIN1252", "¥€ç\xC2\x81"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    Make({c.entry});
    Exec(*connection_, "UPDATE COR SET C = " + Hex(bytes));
    EXPECT_EQ(Text(Scalar(*connection_, "SELECT C FROM COR")), c.expected);
    // Written back, as a parameter and as a literal, the same bytes.
    ParamSet params;
    params.Add(ftString, {c.expected});
    Exec(*connection_, "UPDATE COR SET C = ?", params);
    EXPECT_EQ(Stored("C", "MADREPÉROLA"), bytes);
    Exec(*connection_, "UPDATE COR SET C = NULL");
    Exec(*connection_, "UPDATE COR SET C = '" + c.expected + "'");
    EXPECT_EQ(Stored("C", "MADREPÉROLA"), bytes);
  }
}

TEST(LegacyCharsetSetting, AnUnknownCodePageIsRefusedNamingTheKnownOnes) {
  ZR_SKIP_UNLESS_TARGET_AVAILABLE();
  TestDatabase db;
  TStringList params = db.Params();
  params.Add("CharsetLegado=LATIN9");
  try {
    driver::Connect("FB", params);
    ADD_FAILURE() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::InvalidSetting) << e.what();
    EXPECT_EQ(e.Facts().Setting, "CharsetLegado");
    EXPECT_EQ(e.Facts().Value, "LATIN9");
    EXPECT_EQ(e.Facts().Choices.rfind("WIN1250, WIN1251, WIN1252,", 0), 0u) << e.Facts().Choices;
  }
}

}  // namespace
}  // namespace zr::db::firebird::testing
