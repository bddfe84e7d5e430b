#include "application_statements.h"

namespace zr::sqlt::bench {

namespace {

std::string Quoted(const std::string& v) {
  std::string out = "'";
  for (char c : v) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

}  // namespace

bool ReturnsRows(const NamedStatement& statement) { return statement.lines.front().rfind("SELECT", 0) == 0; }

std::vector<NamedStatement> ApplicationStatements(const StatementValues& v) {
  const auto Table = [&v](const std::string& base) { return base + v.company; };
  return {
      {"TableLookup", {"SELECT ARQUIVO FROM ARQLOCAL", "WHERE ARQUIVO = " + Quoted(Table("PCPFT2"))}},
      {"OrderList",
       {"SELECT DISTINCT OF_I.NUMERO, FACCAO.PARTE, OF1.CODIGO", "FROM " + Table("OF1") + " OF1",
        "LEFT JOIN " + Table("OF_ITEN") + " OF_I ON (OF1.NUMERO = OF_I.NUMERO)",
        "INNER JOIN " + Table("FACCAO") + " FACCAO ON (OF1.NUMERO = FACCAO.NUMERO)",
        "WHERE OF1.DT_INICIO >= " + Quoted(v.date), "AND OF_I.QTDE > 0"}},
      {"TechnicalSheet",
       {"SELECT PCPFT2.TIPO, PCPFT2.INSUMO, PCPFT2.SETOR, PCPFT2.APLICACAO, PCPFT2.PARTE, PCPFT2.FAIXA, PCPFT2.CONSUMO,",
        "PCPFT3.COR, PCPFT3.COR_I, PCPFT2.ID, MAX(MAT_ITEN.PRECO_MED) AS CUSTO",
        "FROM " + Table("PCPFT2") + " PCPFT2 ",
        "INNER JOIN " + Table("PCPFT3") +
            " PCPFT3 ON (PCPFT2.CODIGO = PCPFT3.CODIGO AND PCPFT2.INSUMO = PCPFT3.INSUMO AND PCPFT2.ID = PCPFT3.ID)",
        "LEFT JOIN " + Table("MAT_ITEN") +
            " MAT_ITEN ON (PCPFT2.INSUMO = MAT_ITEN.CODIGO AND PCPFT3.COR_I = MAT_ITEN.COR AND PCPFT2.PRECO = " +
            Quoted("S") + ")",
        "WHERE PCPFT2.CODIGO = " + Quoted(v.codigo), "AND PCPFT2.PARTE IN (" + Quoted(v.parte) + ")",
        "GROUP BY PCPFT2.TIPO, PCPFT2.INSUMO, PCPFT2.SETOR, PCPFT2.APLICACAO, PCPFT2.PARTE, PCPFT2.FAIXA, PCPFT2.CONSUMO,",
        "PCPFT3.COR, PCPFT3.COR_I, PCPFT2.ID", "ORDER BY PCPFT2.ID"}},
      {"DeleteRows",
       {"DELETE FROM " + Table("PCPFTOF"), "WHERE NUMERO = " + Quoted(v.numero),
        "AND PARTE IN (" + Quoted(v.parte) + ")"}},
      {"ConsumptionStatus",
       {"SELECT PCPFTOF.*, ",
        "COALESCE((SELECT SUM(MAT_MOV.QTDE) AS QTDE FROM " + Table("MAT_MOV") + " MAT_MOV",
        "WHERE SUBSTRING(MAT_MOV.NUM_DOCTO FROM 1 FOR 6) = PCPFTOF.NUMERO",
        "AND MAT_MOV.CODIGO   = PCPFTOF.INSUMO", "AND MAT_MOV.COR      = PCPFTOF.COR_I",
        "AND MAT_MOV.OPERACAO = " + Quoted("S"),
        "AND MAT_MOV.TP_MOV   = " + Quoted("BC") + "),0) AS QTDE_BAI",
        "FROM " + Table("PCPFTOF") + " PCPFTOF", "WHERE PCPFTOF.DATA >= " + Quoted(v.date)}},
      {"StatusUpdate",
       {"UPDATE " + Table("PCPFTOF") + " SET ", "SITUACAO = " + Quoted("B"),
        "WHERE NUMERO = " + Quoted(v.numero), "AND INSUMO = " + Quoted(v.insumo),
        "AND COR_I = " + Quoted(v.corI), "AND SITUACAO = " + Quoted("A")}},
  };
}

}  // namespace zr::sqlt::bench
