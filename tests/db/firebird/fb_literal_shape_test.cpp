// The literal shape of a statement written with its values inline: which literals become markers and which
// stay in the text.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fb_literal_shape.h"

namespace zr::db::firebird {
namespace {

struct ShapeCase {
  const char* Sql;
  std::optional<std::string> Text;  // nothing: the statement has no shape
  std::vector<std::string> Values;
};

class LiteralShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(LiteralShapeTest, TakesOutPlainLiteralsOnly) {
  const ShapeCase& c = GetParam();
  const std::optional<LiteralShape> shape = ShapeOfLiteralDml(c.Sql);
  ASSERT_EQ(shape.has_value(), c.Text.has_value()) << c.Sql;
  if (!shape) return;
  EXPECT_EQ(shape->Text, *c.Text);
  EXPECT_EQ(shape->Values, c.Values);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, LiteralShapeTest,
    ::testing::Values(
        // The application's delete and status update, as it writes them.
        ShapeCase{"DELETE FROM PCPFTOF01\r\nWHERE NUMERO = '000123'\r\nAND PARTE IN ('1')",
                  "DELETE FROM PCPFTOF01\r\nWHERE NUMERO = ?\r\nAND PARTE IN (?)",
                  {"000123", "1"}},
        ShapeCase{"UPDATE PCPFTOF01 SET SITUACAO = 'B' WHERE NUMERO = '000001' AND INSUMO = 'TEC-9'",
                  "UPDATE PCPFTOF01 SET SITUACAO = ? WHERE NUMERO = ? AND INSUMO = ?",
                  {"B", "000001", "TEC-9"}},
        ShapeCase{"  /* lead */ insert into T (A) values ('x')",
                  "  /* lead */ insert into T (A) values (?)",
                  {"x"}},
        // Quotes inside a literal are undoubled; an empty literal is a value too.
        ShapeCase{"UPDATE T SET A = 'O''Brien', B = ''", "UPDATE T SET A = ?, B = ?", {"O'Brien", ""}},
        // Literals that keep their place: accents, control characters, typed or prefixed ones.
        ShapeCase{
            "UPDATE T SET A = 'Confecção' WHERE B = 'k'", "UPDATE T SET A = 'Confecção' WHERE B = ?", {"k"}},
        ShapeCase{"UPDATE T SET A = 'a\tb' WHERE B = 'k'", "UPDATE T SET A = 'a\tb' WHERE B = ?", {"k"}},
        ShapeCase{
            "DELETE FROM T WHERE D = DATE '2017-01-01' AND E = timestamp  '2017-01-01 10:00' AND K = 'k'",
            "DELETE FROM T WHERE D = DATE '2017-01-01' AND E = timestamp  '2017-01-01 10:00' AND K = ?",
            {"k"}},
        ShapeCase{"DELETE FROM T WHERE H = X'41' AND U = _UTF8 'u' AND K = 'k'",
                  "DELETE FROM T WHERE H = X'41' AND U = _UTF8 'u' AND K = ?",
                  {"k"}},
        // Comments and quoted identifiers are not literals.
        ShapeCase{"DELETE FROM \"it's\" -- it's\nWHERE A = 'a' /* 'b' */",
                  "DELETE FROM \"it's\" -- it's\nWHERE A = ? /* 'b' */",
                  {"a"}},
        // No shape: other statements, markers of its own, nothing to take out, alternative quoting, an
        // unterminated literal.
        ShapeCase{"SELECT * FROM T WHERE A = 'a'", std::nullopt, {}},
        ShapeCase{"EXECUTE BLOCK AS BEGIN DELETE FROM T WHERE A = 'a'; END", std::nullopt, {}},
        ShapeCase{"-- DELETE\nSELECT 'a' FROM T", std::nullopt, {}},
        ShapeCase{"DELETE FROM T WHERE A = ? AND B = 'b'", std::nullopt, {}},
        ShapeCase{"DELETE FROM T WHERE A = 1", std::nullopt, {}},
        ShapeCase{"DELETE FROM T WHERE A = 'Ação'", std::nullopt, {}},
        ShapeCase{"DELETE FROM T WHERE A = q'{it's}'", std::nullopt, {}},
        ShapeCase{"DELETE FROM T WHERE A = 'open", std::nullopt, {}}));

}  // namespace
}  // namespace zr::db::firebird
