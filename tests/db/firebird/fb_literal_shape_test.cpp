// The literal shape of a statement written with its values inline: which literals become markers and which
// stay in the text, for INSERT, UPDATE and DELETE, and for SELECT, where only the literals its conditions
// compare as a whole operand are taken out.

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

struct SelectCase {
  const char* Sql;
  std::optional<std::string> Text;  // nothing: the statement has no shape
  std::vector<std::string> Values;
  std::vector<LiteralUse> Uses = {};  // empty: every value is compared
};

class SelectShapeTest : public ::testing::TestWithParam<SelectCase> {};

TEST_P(SelectShapeTest, TakesOutLiteralsThatConditionsCompare) {
  const SelectCase& c = GetParam();
  const std::optional<LiteralShape> shape = ShapeOfLiteralSelect(c.Sql);
  ASSERT_EQ(shape.has_value(), c.Text.has_value()) << c.Sql;
  if (!shape) return;
  EXPECT_EQ(shape->Text, *c.Text);
  EXPECT_EQ(shape->Values, c.Values);
  const std::vector<LiteralUse> uses =
      c.Uses.empty() ? std::vector<LiteralUse>(c.Values.size(), LiteralUse::Compared) : c.Uses;
  EXPECT_EQ(shape->Uses, uses) << c.Sql;
}

constexpr LiteralUse kCompared = LiteralUse::Compared;
constexpr LiteralUse kPattern = LiteralUse::Pattern;

INSTANTIATE_TEST_SUITE_P(
    Queries, SelectShapeTest,
    ::testing::Values(
        // The import's sheet query: the price flag in ON, the product in WHERE, the part in an IN list;
        // the GROUP BY and ORDER BY stay as they are.
        SelectCase{
            "SELECT PCPFT2.TIPO, MAX(MAT_ITEN.PRECO_MED) AS CUSTO\r\nFROM PCPFT201 PCPFT2 \r\n"
            "LEFT JOIN MAT_ITEN01 MAT_ITEN ON (PCPFT2.INSUMO = MAT_ITEN.CODIGO AND PCPFT2.PRECO = 'S')\r\n"
            "WHERE PCPFT2.CODIGO = 'PRD0001'\r\nAND PCPFT2.PARTE IN ('FRENTE')\r\n"
            "GROUP BY PCPFT2.TIPO\r\nORDER BY PCPFT2.ID",
            "SELECT PCPFT2.TIPO, MAX(MAT_ITEN.PRECO_MED) AS CUSTO\r\nFROM PCPFT201 PCPFT2 \r\n"
            "LEFT JOIN MAT_ITEN01 MAT_ITEN ON (PCPFT2.INSUMO = MAT_ITEN.CODIGO AND PCPFT2.PRECO = ?)\r\n"
            "WHERE PCPFT2.CODIGO = ?\r\nAND PCPFT2.PARTE IN (?)\r\n"
            "GROUP BY PCPFT2.TIPO\r\nORDER BY PCPFT2.ID",
            {"S", "PRD0001", "FRENTE"}},
        // The company's table name lookup.
        SelectCase{"SELECT ARQUIVO FROM ARQLOCAL WHERE ARQUIVO = 'PCPFT201'",
                   "SELECT ARQUIVO FROM ARQLOCAL WHERE ARQUIVO = ?",
                   {"PCPFT201"}},
        // Every comparison, either side, any depth; IN lists of several; HAVING.
        SelectCase{"select a from t where 'x' <> b and (c >= 'y' or d ^= 'z') and e in ('1','2' , '3')",
                   "select a from t where ? <> b and (c >= ? or d ^= ?) and e in (?,? , ?)",
                   {"x", "y", "z", "1", "2", "3"}},
        SelectCase{"SELECT A, COUNT(*) FROM T GROUP BY A HAVING MAX(B) < 'k' ORDER BY 1",
                   "SELECT A, COUNT(*) FROM T GROUP BY A HAVING MAX(B) < ? ORDER BY 1",
                   {"k"}},
        SelectCase{
            "SELECT (SELECT SUM(Q) FROM M WHERE M.OP = 'S' AND M.TP = 'BC') AS B FROM T WHERE NOT 'a' = A",
            "SELECT (SELECT SUM(Q) FROM M WHERE M.OP = ? AND M.TP = ?) AS B FROM T WHERE NOT ? = A",
            {"S", "BC", "a"}},
        SelectCase{
            "SELECT A FROM T WHERE B NOT IN ('1') AND 'b' NOT IN (C) AND D IN (SELECT E FROM U WHERE F = 'f')",
            "SELECT A FROM T WHERE B NOT IN (?) AND ? NOT IN (C) AND D IN (SELECT E FROM U WHERE F = ?)",
            {"1", "b", "f"}},
        SelectCase{"SELECT A FROM T WHERE CASE WHEN B = 'b' THEN 1 END = 1 AND IIF(C = 'c', 1, 0) = 1",
                   "SELECT A FROM T WHERE CASE WHEN B = ? THEN 1 END = 1 AND IIF(C = ?, 1, 0) = 1",
                   {"b", "c"}},
        SelectCase{"SELECT A FROM T WHERE A IS NOT DISTINCT FROM B AND LEFT(A, 2) = 'ab'",
                   "SELECT A FROM T WHERE A IS NOT DISTINCT FROM B AND LEFT(A, 2) = ?",
                   {"ab"}},
        // Patterns are told apart: their markers must not be padded.
        SelectCase{
            "SELECT A FROM T WHERE A LIKE 'a%' ESCAPE '\\' AND B STARTING WITH 'b' AND C NOT CONTAINING "
            "'c' AND D STARTING 'd' AND 'e' LIKE E",
            "SELECT A FROM T WHERE A LIKE ? ESCAPE '\\' AND B STARTING WITH ? AND C NOT CONTAINING ? AND "
            "D STARTING ? AND ? LIKE E",
            {"a%", "b", "c", "d", "e"},
            {kPattern, kPattern, kPattern, kPattern, kPattern}},
        SelectCase{"SELECT A FROM T WHERE A = 'O''Brien' AND B IN ('')",
                   "SELECT A FROM T WHERE A = ? AND B IN (?)",
                   {"O'Brien", ""},
                   {kCompared, kCompared}},
        // Literals that stay: the select list, GROUP BY, ORDER BY, a UNION's select list, function
        // arguments, parts of an expression, BETWEEN, IS DISTINCT FROM, COLLATE, typed or accented ones.
        SelectCase{"SELECT 'x' AS K, A || 'y', CASE WHEN B = 'b' THEN 'c' END FROM T WHERE A = 'a' "
                   "GROUP BY 1, A || 'g' ORDER BY A || 'o'",
                   "SELECT 'x' AS K, A || 'y', CASE WHEN B = 'b' THEN 'c' END FROM T WHERE A = ? "
                   "GROUP BY 1, A || 'g' ORDER BY A || 'o'",
                   {"a"}},
        SelectCase{"SELECT A FROM T WHERE B IN ('a' || 'b', 'c') AND C IN (UPPER('d'))",
                   "SELECT A FROM T WHERE B IN ('a' || 'b', ?) AND C IN (UPPER('d'))",
                   {"c"}},
        SelectCase{"SELECT A FROM T WHERE A = 'a' UNION SELECT 'u' FROM U WHERE B = 'b'",
                   "SELECT A FROM T WHERE A = ? UNION SELECT 'u' FROM U WHERE B = ?",
                   {"a", "b"}},
        SelectCase{"SELECT A FROM T WHERE A = 'a' || B AND C = UPPER('c') AND COALESCE(D, 'd') = E AND "
                   "F BETWEEN 'f' AND 'g' AND G IS DISTINCT FROM 'h' AND H = 'i' COLLATE PT_BR AND "
                   "I = DATE '2017-01-01' AND J = _UTF8 'j' AND K = 'Ação' AND L = 'l'",
                   "SELECT A FROM T WHERE A = 'a' || B AND C = UPPER('c') AND COALESCE(D, 'd') = E AND "
                   "F BETWEEN 'f' AND 'g' AND G IS DISTINCT FROM 'h' AND H = 'i' COLLATE PT_BR AND "
                   "I = DATE '2017-01-01' AND J = _UTF8 'j' AND K = 'Ação' AND L = ?",
                   {"l"}},
        // Comments and quoted names are not literals; a derived table's conditions count.
        SelectCase{
            "SELECT \"it's\" FROM (SELECT A FROM T WHERE A = 'a') D /* 'b' */ WHERE -- = 'c'\n D.A = 'd'",
            "SELECT \"it's\" FROM (SELECT A FROM T WHERE A = ?) D /* 'b' */ WHERE -- = 'c'\n D.A = ?",
            {"a", "d"}},
        // No shape: nothing to take out, markers of its own, another statement, alternative quoting.
        SelectCase{"SELECT 'a' FROM T ORDER BY 1", std::nullopt, {}},
        SelectCase{"SELECT A FROM T WHERE A = ? AND B = 'b'", std::nullopt, {}},
        SelectCase{"WITH W AS (SELECT A FROM T) SELECT A FROM W WHERE A = 'a'", std::nullopt, {}},
        SelectCase{"DELETE FROM T WHERE A = 'a'", std::nullopt, {}},
        SelectCase{"SELECT A FROM T WHERE A = q'{it's}'", std::nullopt, {}}));

}  // namespace
}  // namespace zr::db::firebird
