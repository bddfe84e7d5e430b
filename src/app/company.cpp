#include "app/company.h"

#include "app/sql_text.h"

namespace zr::app {

std::string CompanyCode(const std::string& ItemText) {
  const size_t pos = ItemText.find(kCompanySeparator);
  return pos == std::string::npos ? std::string() : ItemText.substr(0, pos);
}

void CarregaEmpresas(data::TZRQuery& QryAux, const std::function<void(const std::string&)>& AddItem) {
  QryAux.Close();
  QryAux.SQL().Clear();
  QryAux.SQL().Add("SELECT EMP_PAT, EMP_NOME FROM EMPRESA");
  QryAux.Open();
  for (QryAux.First(); !QryAux.Eof(); QryAux.Next()) {
    AddItem(QryAux.FieldByName("EMP_PAT").AsString() + kCompanySeparator +
            QryAux.FieldByName("EMP_NOME").AsString());
  }
}

std::string BuscaArquivo(data::TZRQuery& QryAux, const std::string& ItemText, const std::string& Base) {
  std::string result = Base + CompanyCode(ItemText);
  QryAux.Close();
  QryAux.SQL().Clear();
  QryAux.SQL().Add("SELECT ARQUIVO FROM ARQLOCAL");
  QryAux.SQL().Add("WHERE ARQUIVO = " + QuotedStr(result));
  QryAux.Open();
  if (!QryAux.IsEmpty()) {
    QryAux.First();
    result = QryAux.FieldByName("ARQUIVO").AsString();
  }
  return result;
}

}  // namespace zr::app
