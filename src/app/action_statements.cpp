#include "app/action_statements.h"

#include "app/sql_text.h"

namespace zr::app {

std::vector<std::string> LinhasFichaTecnica(const std::string& NmPCPFT2, const std::string& NmPCPFT3,
                                            const std::string& NmMAT_ITEN, const std::string& Codigo,
                                            const std::string& Parte) {
  std::vector<std::string> lines = {
      "SELECT PCPFT2.TIPO, PCPFT2.INSUMO, PCPFT2.SETOR, PCPFT2.APLICACAO, PCPFT2.PARTE, PCPFT2.FAIXA, "
      "PCPFT2.CONSUMO,",
      "PCPFT3.COR, PCPFT3.COR_I, PCPFT2.ID, MAX(MAT_ITEN.PRECO_MED) AS CUSTO",
      "FROM " + NmPCPFT2 + " PCPFT2 ",
      "INNER JOIN " + NmPCPFT3 +
          " PCPFT3 ON (PCPFT2.CODIGO = PCPFT3.CODIGO AND PCPFT2.INSUMO = PCPFT3.INSUMO AND PCPFT2.ID = "
          "PCPFT3.ID)",
      "LEFT JOIN " + NmMAT_ITEN +
          " MAT_ITEN ON (PCPFT2.INSUMO = MAT_ITEN.CODIGO AND PCPFT3.COR_I = MAT_ITEN.COR AND PCPFT2.PRECO = " +
          QuotedStr("S") + ")",
      "WHERE PCPFT2.CODIGO = " + QuotedStr(Codigo)};
  if (!Trim(Parte).empty()) lines.push_back("AND PCPFT2.PARTE IN (" + QuotedStr(Parte) + ")");
  lines.push_back(
      "GROUP BY PCPFT2.TIPO, PCPFT2.INSUMO, PCPFT2.SETOR, PCPFT2.APLICACAO, PCPFT2.PARTE, PCPFT2.FAIXA, "
      "PCPFT2.CONSUMO,");
  lines.push_back("PCPFT3.COR, PCPFT3.COR_I, PCPFT2.ID");
  lines.push_back("ORDER BY PCPFT2.ID");
  return lines;
}

std::vector<std::string> LinhasExclusaoOrdem(const std::string& NmPCPFTOF, const std::string& Numero,
                                             const std::string& Parte) {
  std::vector<std::string> lines = {"DELETE FROM " + NmPCPFTOF, "WHERE NUMERO = " + QuotedStr(Numero)};
  if (!Trim(Parte).empty()) lines.push_back("AND PARTE IN (" + QuotedStr(Parte) + ")");
  return lines;
}

std::vector<std::string> LinhasConsultaSituacao(const std::string& NmMAT_MOV, const std::string& NmPCPFTOF,
                                                db::TDateTime Desde) {
  return {"SELECT PCPFTOF.*, ",
          "COALESCE((SELECT SUM(MAT_MOV.QTDE) AS QTDE FROM " + NmMAT_MOV + " MAT_MOV",
          std::string("WHERE ") + kExpressaoDocumento + " = PCPFTOF.NUMERO",
          "AND MAT_MOV.CODIGO   = PCPFTOF.INSUMO",
          "AND MAT_MOV.COR      = PCPFTOF.COR_I",
          "AND MAT_MOV.OPERACAO = " + QuotedStr("S"),
          "AND MAT_MOV.TP_MOV   = " + QuotedStr("BC") + "),0) AS QTDE_BAI",
          "FROM " + NmPCPFTOF + " PCPFTOF",
          "WHERE PCPFTOF.DATA >= " + DateLiteral(Desde)};
}

std::vector<std::string> LinhasBaixa(const std::string& NmPCPFTOF, const std::string& Numero,
                                     const std::string& Insumo, const std::string& CorI) {
  return {"UPDATE " + NmPCPFTOF + " SET ",       "SITUACAO = " + QuotedStr("B"),
          "WHERE NUMERO = " + QuotedStr(Numero), "AND INSUMO = " + QuotedStr(Insumo),
          "AND COR_I = " + QuotedStr(CorI),      "AND SITUACAO = " + QuotedStr("A")};
}

}  // namespace zr::app
