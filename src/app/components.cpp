#include "app/components.h"

#include "app/error_text.h"

namespace zr::app {

namespace {

data::TZRQuery* CreateQuery(db::TComponent& owner, const char* name, data::TZRDatabase* database) {
  auto* query = new data::TZRQuery(&owner);
  query->SetName(name);
  query->SetConnection(database);
  query->ResourceOptions().MacroCreate = false;
  query->ResourceOptions().MacroExpand = false;
  query->ResourceOptions().EscapeExpand = false;
  query->UpdateOptions().CheckReadOnly = false;
  query->SetAutoTransacao(true);
  query->SetTempoLimite(true);
  return query;
}

}  // namespace

TFormComponents CreateFormComponents(db::TComponent& owner) {
  // The queries tell their failures in the application's words.
  data::DefineRedacaoDeErros([](const db::EDatabaseError& e) { return DescreveErro(e); });
  TFormComponents c;
  c.ZRDatabase1 = new data::TZRDatabase(&owner);
  c.ZRDatabase1->SetName("ZRDatabase1");
  c.ZRTransaction1 = new data::TZRTransaction(&owner);
  c.ZRTransaction1->SetName("ZRTransaction1");

  auto& tx = c.ZRDatabase1->TxOptions();
  tx.AutoStart = false;
  tx.AutoStop = false;
  tx.DisconnectAction = db::xdRollback;
  c.ZRDatabase1->SetTransaction(c.ZRTransaction1);
  c.ZRDatabase1->SetUpdateTransaction(c.ZRTransaction1);
  c.ZRDatabase1->SetGravaLogProperty(false);
  c.ZRDatabase1->SetPort(0);

  c.ZRTransaction1->SetConnection(c.ZRDatabase1);
  c.ZRTransaction1->Options().AutoStop = false;
  c.ZRTransaction1->Options().DisconnectAction = db::xdRollback;

  c.QryBusca = CreateQuery(owner, "QryBusca", c.ZRDatabase1);
  c.QryAux = CreateQuery(owner, "QryAux", c.ZRDatabase1);
  c.QryCons = CreateQuery(owner, "QryCons", c.ZRDatabase1);
  c.QryInsert = CreateQuery(owner, "QryInsert", c.ZRDatabase1);
  c.QryGrava = CreateQuery(owner, "QryGrava", c.ZRDatabase1);
  return c;
}

}  // namespace zr::app
