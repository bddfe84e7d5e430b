// Result columns: how the Oracle mapping rules choose the fields of the columns the driver describes (the
// descriptions are checked with the other drivers' in the conformance suite), and the values read, nulls and
// long data included.

#include <gtest/gtest.h>

#include "db/driver.h"
#include "db/errors.h"
#include "db/odbc/driver.h"
#include "standin.h"

namespace zr::db::odbc::test {
namespace {

// A currency field that tolerates the size a BCD column brings (the scale), as the in-house query's field
// class does; the framework's own TCurrencyField accepts only size 0.
class SizedCurrencyField : public TCurrencyField {
 public:
  using TCurrencyField::TCurrencyField;
  static constexpr const char* kClassName = "SizedCurrencyField";

 protected:
  void CheckTypeSize(int) override {}
};

class SizedCurrencyQuery : public TFDQuery {
 protected:
  const TFieldClass* GetFieldClass(TFieldType type) const override {
    return type == ftCurrency ? FieldClassOf<SizedCurrencyField>() : TFDQuery::GetFieldClass(type);
  }
};

class ColumnTypes : public StandinTest {
 protected:
  void SetUp() override {
    StandinTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    CreateTable(
        "id numeric(9) NOT NULL, qtde numeric(15,4), preco numeric(15,2), valor numeric(20,4),"
        " taxa numeric(15,6), total bigint, fator float8, nome varchar(30), sigla char(3), dt date,"
        " momento timestamp, obs clob, foto bytea");
  }
};

TEST_F(ColumnTypes, OracleRulesMakeCurrencyAndIntegerFields) {
  Exec(*db_, {"INSERT INTO " + Table() +
              " (id, qtde, preco, valor, taxa) VALUES (7, 12.3456, 10.5, 1234.5678, 0.123456)"});
  db_->Close();
  InstallOracleRules(*db_);
  db_->Open();
  const std::string sql = "SELECT id, qtde, preco, valor, taxa FROM " + Table();
  {
    TFDQuery standard;
    standard.SetConnection(db_.get());
    EXPECT_THROW(OpenAll(standard, sql), EDatabaseError)
        << "the standard currency field refuses the size (the scale) of a NUMBER(15,4) column";
  }
  SizedCurrencyQuery q;
  q.SetConnection(db_.get());
  OpenAll(q, sql);
  struct Expected {
    const char* field;
    TFieldType type;
    double value;
  };
  const Expected expected[] = {
      {"ID", ftInteger, 7},              // NUMBER(9): rule BCD -> Int32
      {"QTDE", ftCurrency, 12.3456},     // NUMBER(15,4): rule BCD -> Currency
      {"PRECO", ftCurrency, 10.5},       // NUMBER(15,2)
      {"VALOR", ftCurrency, 1234.5678},  // NUMBER(20,4): rule FMTBCD -> Currency
      {"TAXA", ftBCD, 0.123456},         // scale 6: no rule applies
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.field);
    TField& f = q.FieldByName(e.field);
    EXPECT_STREQ(FieldTypeName(f.DataType()), FieldTypeName(e.type));
    EXPECT_DOUBLE_EQ(f.AsFloat(), e.value);
  }
}

TEST_F(ColumnTypes, ValuesTextDatesAndLobsReadBack) {
  std::string longText;
  for (int i = 0; i < 3000; ++i) longText += "ção" + std::to_string(i % 10);  // several read pieces
  Exec(*db_, {"INSERT INTO " + Table() +
              " (id, total, fator, nome, sigla, dt, momento, obs, foto) VALUES (1, 9007199254740993, 2.5,"
              " 'Produção Çé', 'ab', '31/01/2018', '05/03/2024 8:7:9', '" +
              longText + "', '\\x00ff10')"});
  TFDQuery q;
  q.SetConnection(db_.get());
  OpenAll(q, "SELECT * FROM " + Table());
  ASSERT_EQ(q.RecordCount(), 1);
  EXPECT_EQ(q.FieldByName("TOTAL").AsLargeInt(), 9007199254740993);
  EXPECT_DOUBLE_EQ(q.FieldByName("FATOR").AsFloat(), 2.5);
  EXPECT_EQ(q.FieldByName("NOME").AsString(), "Produção Çé");
  EXPECT_EQ(q.FieldByName("SIGLA").AsString(), "ab") << "CHAR(3) loses its trailing blank";
  EXPECT_EQ(q.FieldByName("DT").AsDateTime(), EncodeDateTime({2018, 1, 31, 0, 0, 0, 0}))
      << "a day-first literal is read day first";
  EXPECT_EQ(q.FieldByName("MOMENTO").AsDateTime(), EncodeDateTime({2024, 3, 5, 8, 7, 9, 0}));
  TField& obs = q.FieldByName("OBS");
  EXPECT_STREQ(FieldTypeName(obs.DataType()), FieldTypeName(ftOraClob)) << "a CLOB is a character LOB field";
  EXPECT_EQ(obs.AsString(), longText);
  const auto* photo = std::get_if<TFDBytes>(&q.FieldByName("FOTO").Value());
  ASSERT_NE(photo, nullptr);
  EXPECT_EQ(photo->Data, (std::vector<unsigned char>{0x00, 0xff, 0x10}));
}

TEST_F(ColumnTypes, NullsReadAsNull) {
  Exec(*db_, {"INSERT INTO " + Table() + " (id) VALUES (1)"});
  TFDQuery q;
  q.SetConnection(db_.get());
  OpenAll(q, "SELECT * FROM " + Table());
  ASSERT_EQ(q.RecordCount(), 1);
  for (int i = 1; i < q.FieldCount(); ++i) {
    SCOPED_TRACE(q.Fields(i).FieldName());
    EXPECT_TRUE(q.Fields(i).IsNull());
    EXPECT_EQ(q.Fields(i).AsString(), "");
  }
}

TEST_F(ColumnTypes, FetchAllReadsEveryRow) {
  Exec(*db_,
       {"INSERT INTO " + Table() + " (id, nome) SELECT g, 'linha ' || g FROM generate_series(1, 2500) g"});
  TFDQuery q;
  q.SetConnection(db_.get());
  OpenAll(q, "SELECT id, nome FROM " + Table() + " ORDER BY id");
  EXPECT_EQ(q.RecordCount(), 2500);
  int expectedId = 0;
  for (q.First(); !q.Eof(); q.Next()) {
    ++expectedId;
    if (q.FieldByName("ID").AsInteger() != expectedId) break;
  }
  EXPECT_EQ(expectedId, 2500);
  EXPECT_EQ(q.FieldByName("NOME").AsString(), "linha 2500");
}

}  // namespace
}  // namespace zr::db::odbc::test
