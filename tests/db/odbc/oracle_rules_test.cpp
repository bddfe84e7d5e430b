// Where the stand-in answers as Oracle and not as PostgreSQL would: '' written into a character column is
// stored as NULL, also in tables created long after the set-up, and a CHAR compared with a VARCHAR2 value keeps
// its trailing blanks. These tests run on a database of their own, made by scripts/pg-standin.sh from this
// tree's set-up files and dropped when the program ends.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "db/errors.h"
#include "standin.h"

namespace zr::db::odbc::test {
namespace {

class OracleRulesDatabase : public ::testing::Environment {
 public:
  static const std::string& Name() {
    static const std::string name = "zr_odbc_rules_" + std::to_string(getpid());
    return name;
  }
  static void Create() {
    if (!created_) {
      Script("database " + Name());
      created_ = true;
    }
  }
  void TearDown() override {
    if (created_) Script("psql -q -c 'DROP DATABASE IF EXISTS " + Name() + " WITH (FORCE)'");
  }

 private:
  static void Script(const std::string& args) {
    const std::string command = std::string("bash '") + ZR_PG_STANDIN + "' " + args + " >/dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("pg-standin.sh failed: " + args);
  }
  static inline bool created_ = false;
};

[[maybe_unused]] ::testing::Environment* const kDatabase =
    ::testing::AddGlobalTestEnvironment(new OracleRulesDatabase);

class OracleRules : public ::testing::Test {
 protected:
  void SetUp() override {
    if (StandinDisabled()) GTEST_SKIP() << "Oracle stand-in switched off (ZR_STANDIN=0)";
    OracleRulesDatabase::Create();
    db_ = NewConnection("DSN=" + std::string(kStandinDsn) + ";Database=" + OracleRulesDatabase::Name());
    db_->Open();
    // Created now, after the set-up: the rule must reach tables made at any time.
    Exec(*db_, {"DROP TABLE IF EXISTS t", "DROP TABLE IF EXISTS t_copy",
                "CREATE TABLE t (id integer, v varchar(10), c char(3), x text, l clob, "
                "nn varchar(5) DEFAULT 'z' NOT NULL)"});
  }

  // How many rows of `table` have `column` NULL.
  std::string Nulls(const std::string& column, const std::string& table = "t") {
    return Scalar(*db_, "SELECT count(*) FROM " + table + " WHERE " + column + " IS NULL");
  }

  std::unique_ptr<TFDConnection> db_;
};

TEST_F(OracleRules, AnEmptyTextWrittenIntoACharacterColumnIsStoredAsNull) {
  Exec(*db_, {"INSERT INTO t (id, v, c, x, l) VALUES (1, '', '', '', '')"});
  for (const char* column : {"v", "c", "x", "l"}) {
    SCOPED_TRACE(column);
    EXPECT_EQ(Nulls(column), "1");
  }
  EXPECT_EQ(Scalar(*db_, "SELECT count(*) FROM t WHERE v = ''"), "0") << "NULL never equals anything";

  Exec(*db_, {"INSERT INTO t (id, v, x) VALUES (2, 'a', 'b')", "UPDATE t SET v = '', x = '' WHERE id = 2"});
  EXPECT_EQ(Nulls("v"), "2") << "an update too";
  EXPECT_EQ(Nulls("x"), "2");
}

TEST_F(OracleRules, BlanksInAVarcharStayWhileACharOfBlanksOnlyCannotBeToldFromEmpty) {
  Exec(*db_, {"INSERT INTO t (id, v, c) VALUES (1, ' ', ' ')"});
  EXPECT_EQ(Scalar(*db_, "SELECT '[' || v || ']' FROM t"), "[ ]");
  // The stand-in's known limit: CHAR pads '' and ' ' alike before the row reaches the trigger.
  EXPECT_EQ(Nulls("c"), "1");
}

TEST_F(OracleRules, AnEmptyElementOfAParameterArrayIsStoredAsNull) {
  TFDQuery insert;
  insert.SetConnection(db_.get());
  insert.SQL().Add("INSERT INTO t (id, v) VALUES (:ID, :V)");
  insert.Params().SetArraySize(3);
  const char* values[] = {"um", "", "três"};
  for (int i = 0; i < 3; ++i) {
    insert.Params().ParamByName("ID").AsIntegers[i] = i;
    insert.Params().ParamByName("V").AsStrings[i] = values[i];
  }
  insert.Execute(3, 0);
  EXPECT_EQ(Scalar(*db_, "SELECT string_agg(id || '=' || coalesce(v, 'NULL'), ',' ORDER BY id) FROM t"),
            "0=um,1=NULL,2=três");
}

TEST_F(OracleRules, ANotNullColumnRefusesAnEmptyText) {
  try {
    Exec(*db_, {"INSERT INTO t (id, nn) VALUES (1, '')"});
    ADD_FAILURE() << "'' accepted in a NOT NULL column";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("null value in column \"nn\""), std::string::npos) << e.what();
  }
}

TEST_F(OracleRules, ColumnsAddedLaterAndTablesCreatedFromAQueryFollowTheRule) {
  Exec(*db_, {"ALTER TABLE t ADD COLUMN later varchar(5)", "INSERT INTO t (id, later) VALUES (1, '')",
              "CREATE TABLE t_copy AS SELECT id, v FROM t", "INSERT INTO t_copy (id, v) VALUES (2, '')"});
  EXPECT_EQ(Nulls("later"), "1");
  EXPECT_EQ(Nulls("v", "t_copy"), "2");
  Exec(*db_, {"DROP TABLE t_copy"});
}

TEST_F(OracleRules, CharComparedWithAVarchar2ValueKeepsItsBlanksAndWithALiteralIsPadded) {
  Exec(*db_, {"ALTER TABLE t ALTER COLUMN c TYPE char(6)",
              "INSERT INTO t (id, v, c, x) VALUES (1, '4711', '4711', '4711')"});
  struct Case {
    const char* name;
    const char* condition;
    const char* expected;
  };
  const Case cases[] = {
      {"CHAR against SUBSTR of a VARCHAR2", "c = SUBSTR(v, 1, 6)", "no"},
      {"SUBSTR of a VARCHAR2 against CHAR", "SUBSTR(v, 1, 6) = c", "no"},
      {"CHAR against a VARCHAR2 column", "c = v", "no"},
      {"VARCHAR2 column against CHAR", "v = c", "no"},
      {"CHAR against a text column", "c = x", "no"},
      {"CHAR against the VARCHAR2 value with the blanks", "c = CAST('4711  ' AS varchar(10))", "yes"},
      {"CHAR differs from a VARCHAR2 column", "c <> v", "yes"},
      {"CHAR against a literal, padded", "c = '4711'", "yes"},
      {"CHAR against CHAR, padded", "c = CAST('4711' AS char(4))", "yes"},
      {"VARCHAR2 against VARCHAR2", "v = x AND v = v", "yes"},
      {"VARCHAR2 against a literal", "v = '4711'", "yes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      EXPECT_EQ(
          Scalar(*db_, std::string("SELECT CASE WHEN ") + c.condition + " THEN 'yes' ELSE 'no' END FROM t"),
          c.expected);
    } catch (const EDatabaseError& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

}  // namespace
}  // namespace zr::db::odbc::test
