#include "query_access_adapter.h"

#include <memory>

#include "data/query.h"
#include "data/sql_log.h"

namespace zr::data::detail {

std::string QueryAccessAdapter::SqlText() const { return query_.SQL().Text(); }

void QueryAccessAdapter::SetSqlText(const std::string& text) { query_.SQL().SetText(text); }

std::optional<std::string> QueryAccessAdapter::DatabaseDriverName() const {
  if (query_.Database() == nullptr) return std::nullopt;
  return query_.Database()->DriverName();
}

std::optional<std::string> QueryAccessAdapter::ConnectionDriverName() const {
  if (query_.Connection() == nullptr) return std::nullopt;
  return query_.Connection()->DriverName();
}

std::vector<std::string> QueryAccessAdapter::ReadDictionaryColumns(const std::vector<std::string>& sqlLines,
                                                                   const std::string& /*table*/) {
  auto dictionary = std::make_unique<TZRQuery>(nullptr);  // freed (and so closed) on every path
  dictionary->SetDatabase(query_.Database());
  for (const std::string& line : sqlLines) dictionary->SQL().Add(line);
  dictionary->Open();
  dictionary->First();
  dictionary->FetchAll();

  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(dictionary->RecordCount()));
  for (dictionary->First(); !dictionary->Eof(); dictionary->Next()) {
    names.push_back(dictionary->FieldByName("NmCampo").AsString());
  }
  dictionary->Close();
  return names;
}

void QueryAccessAdapter::LogStatement(const std::string& text) {
  const TZRDatabase* database = query_.Database();
  if (database == nullptr || !database->GravaLog() || database->DadosGravaLog() == nullptr) return;
  GravaLogSQL(database->DadosGravaLog()->NmMaquina, database->DadosGravaLog()->NrIP, database->NmUsuario(),
              text);
}

}  // namespace zr::data::detail
