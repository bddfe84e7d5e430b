#include "company_data.h"

#include "app/sql_text.h"

namespace zr::app::testing {

std::string Q(const std::string& value) { return QuotedStr(value); }

void CompanyData::Order(const std::string& numero, const std::string& product, const std::string& start) {
  db_.Exec("INSERT INTO " + Table("OF1") + " (NUMERO, CODIGO, DT_INICIO) VALUES (" + Q(numero) + ", " +
           Q(product) + ", " + Q(start) + ")");
}

void CompanyData::Item(const std::string& numero, int item, const std::string& qtde) {
  db_.Exec("INSERT INTO " + Table("OF_ITEN") + " (NUMERO, ITEM, COR, TAMANHO, QTDE) VALUES (" + Q(numero) +
           ", " + std::to_string(item) + ", '001', 'M', " + qtde + ")");
}

void CompanyData::Part(const std::string& numero, const std::string& parte) {
  db_.Exec("INSERT INTO " + Table("FACCAO") + " (NUMERO, PARTE) VALUES (" + Q(numero) + ", " + Q(parte) +
           ")");
}

void CompanyData::Sheet(const std::string& product, int id, const std::string& insumo,
                        const std::string& parte, const std::string& consumo, const std::string& preco,
                        const std::string& cor, const std::string& corI) {
  db_.Exec("INSERT INTO " + Table("PCPFT2") +
           " (CODIGO, ID, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, PRECO) VALUES (" +
           Q(product) + ", " + std::to_string(id) + ", 'MP', " + Q(insumo) + ", 'CORTE', 'Tecido', " +
           Q(parte) + ", 'P-G', " + consumo + ", " + Q(preco) + ")");
  Colour(product, id, insumo, cor, corI);
}

void CompanyData::Colour(const std::string& product, int id, const std::string& insumo,
                         const std::string& cor, const std::string& corI) {
  db_.Exec("INSERT INTO " + Table("PCPFT3") + " (CODIGO, INSUMO, ID, COR, COR_I) VALUES (" + Q(product) +
           ", " + Q(insumo) + ", " + std::to_string(id) + ", " + Q(cor) + ", " + Q(corI) + ")");
}

void CompanyData::Price(const std::string& insumo, const std::string& cor, const std::string& precoMed) {
  db_.Exec("INSERT INTO " + Table("MAT_ITEN") + " (CODIGO, COR, TAMANHO, PRECO_MED) VALUES (" + Q(insumo) +
           ", " + Q(cor) + ", 'U', " + precoMed + ")");
}

void CompanyData::Movement(const std::string& numDocto, const std::string& insumo, const std::string& cor,
                           const std::string& operacao, const std::string& tpMov, const std::string& qtde) {
  db_.Exec("INSERT INTO " + Table("MAT_MOV") +
           " (LANCAMENTO, NUM_DOCTO, CODIGO, COR, OPERACAO, TP_MOV, QTDE, DATA) VALUES (" +
           std::to_string(++movements_) + ", " + Q(numDocto) + ", " + Q(insumo) + ", " + Q(cor) + ", " +
           Q(operacao) + ", " + Q(tpMov) + ", " + qtde + ", CURRENT_DATE)");
}

void CompanyData::Existing(const std::string& numero, const std::string& insumo, const std::string& parte,
                           int id, const std::string& corI, const std::string& situacao,
                           const std::string& data) {
  db_.Exec(
      "INSERT INTO " + Table("PCPFTOF") +
      " (NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, "
      "DATA) VALUES (" +
      Q(numero) + ", 'MP', " + Q(insumo) + ", 'CORTE', 'Antiga', " + Q(parte) + ", 'P-G', 1, '001', " +
      Q(corI) + ", " + std::to_string(id) + ", 0, " + Q(situacao) + ", " + Q(data) + ")");
}

std::vector<std::vector<std::string>> CompanyData::Pcpftof() {
  return db_.Select(
      "SELECT NUMERO, PARTE, CAST(ID AS VARCHAR(10)), INSUMO, COR, COR_I, CAST(CONSUMO AS VARCHAR(20)), "
      "CAST(CUSTO AS VARCHAR(20)), SITUACAO FROM " +
      Table("PCPFTOF") + " ORDER BY NUMERO, PARTE, ID, COR, COR_I, SITUACAO");
}

}  // namespace zr::app::testing
