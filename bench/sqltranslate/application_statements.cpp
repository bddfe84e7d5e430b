#include "application_statements.h"

namespace zr::sqlt::bench {

namespace {

const std::string kCompany = "12";
const std::string kDate = "01/31/2018";

std::string Quoted(const std::string& v) {
  std::string out = "'";
  for (char c : v) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string Table(const std::string& base) { return base + kCompany; }

}  // namespace

std::vector<NamedStatement> ApplicationStatements() {
  return {
      {"TableLookup", {"SELECT ARQUIVO FROM ARQLOCAL", "WHERE ARQUIVO = " + Quoted(Table("PCPFT2"))}},
      {"OrderList",
       {"SELECT DISTINCT OF_I.NUMERO, FACCAO.PARTE, OF1.CODIGO", "FROM " + Table("OF1") + " OF1",
        "LEFT JOIN " + Table("OF_ITEN") + " OF_I ON (OF1.NUMERO = OF_I.NUMERO)",
        "INNER JOIN " + Table("FACCAO") + " FACCAO ON (OF1.NUMERO = FACCAO.NUMERO)",
        "WHERE OF1.DT_INICIO >= " + Quoted(kDate), "AND OF_I.QTDE > 0"}},
      {"TechnicalSheet",
       {"SELECT PCPFT2.TIPO, PCPFT2.INSUMO, PCPFT2.SETOR, PCPFT2.APLICACAO, PCPFT2.PARTE, PCPFT2.FAIXA, PCPFT2.CONSUMO,",
        "PCPFT3.COR, PCPFT3.COR_I, PCPFT2.ID, MAX(MAT_ITEN.PRECO_MED) AS CUSTO",
        "FROM " + Table("PCPFT2") + " PCPFT2 ",
        "INNER JOIN " + Table("PCPFT3") +
            " PCPFT3 ON (PCPFT2.CODIGO = PCPFT3.CODIGO AND PCPFT2.INSUMO = PCPFT3.INSUMO AND PCPFT2.ID = PCPFT3.ID)",
        "LEFT JOIN " + Table("MAT_ITEN") +
            " MAT_ITEN ON (PCPFT2.INSUMO = MAT_ITEN.CODIGO AND PCPFT3.COR_I = MAT_ITEN.COR AND PCPFT2.PRECO = " +
            Quoted("S") + ")",
        "WHERE PCPFT2.CODIGO = " + Quoted("REF001"), "AND PCPFT2.PARTE IN (" + Quoted("01") + ")",
        "GROUP BY PCPFT2.TIPO, PCPFT2.INSUMO, PCPFT2.SETOR, PCPFT2.APLICACAO, PCPFT2.PARTE, PCPFT2.FAIXA, PCPFT2.CONSUMO,",
        "PCPFT3.COR, PCPFT3.COR_I, PCPFT2.ID", "ORDER BY PCPFT2.ID"}},
      {"DeleteRows",
       {"DELETE FROM " + Table("PCPFTOF"), "WHERE NUMERO = " + Quoted("000123"), "AND PARTE IN (" + Quoted("01") + ")"}},
      {"ConsumptionStatus",
       {"SELECT PCPFTOF.*, ",
        "COALESCE((SELECT SUM(MAT_MOV.QTDE) AS QTDE FROM " + Table("MAT_MOV") + " MAT_MOV",
        "WHERE SUBSTRING(MAT_MOV.NUM_DOCTO FROM 1 FOR 6) = PCPFTOF.NUMERO", "AND MAT_MOV.CODIGO   = PCPFTOF.INSUMO",
        "AND MAT_MOV.COR      = PCPFTOF.COR_I", "AND MAT_MOV.OPERACAO = " + Quoted("S"),
        "AND MAT_MOV.TP_MOV   = " + Quoted("BC") + "),0) AS QTDE_BAI", "FROM " + Table("PCPFTOF") + " PCPFTOF",
        "WHERE PCPFTOF.DATA >= " + Quoted(kDate)}},
      {"StatusUpdate",
       {"UPDATE " + Table("PCPFTOF") + " SET ", "SITUACAO = " + Quoted("B"), "WHERE NUMERO = " + Quoted("000123"),
        "AND INSUMO = " + Quoted("MAT01"), "AND COR_I = " + Quoted("001"), "AND SITUACAO = " + Quoted("A")}},
  };
}

}  // namespace zr::sqlt::bench
