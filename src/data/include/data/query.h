#pragma once
// The system's query component: every statement of the system runs through TZRQuery.

#include <cstdint>
#include <string>
#include <string_view>

#include "data/database.h"
#include "db/query.h"
#include "sqltranslate/pipeline.h"

namespace zr::data {

class TZRCustomQuery : public db::TFDQuery {
 public:
  explicit TZRCustomQuery(db::TComponent* AOwner = nullptr);
  ~TZRCustomQuery() override;

  TZRDatabase* Database() const noexcept { return FDatabase; }
  // Stores the link; a connection also becomes the query's Connection, with no transactions of its own.
  void SetDatabase(TZRDatabase* Value);

  bool AutoTransacao() const noexcept { return FAutoTransacao; }
  void SetAutoTransacao(bool Value) noexcept { FAutoTransacao = Value; }
  bool TempoLimite() const noexcept { return FTempoLimite; }
  void SetTempoLimite(bool Value) noexcept { FTempoLimite = Value; }
  bool BloqueiaDelete() const noexcept { return FBloqueiaDelete; }
  void SetBloqueiaDelete(bool Value) noexcept { FBloqueiaDelete = Value; }
  bool TimeOutOpen() const noexcept { return FTimeOutOpen; }
  void SetTimeOutOpen(bool Value) noexcept { FTimeOutOpen = Value; }

  // Resolves Database (from Connection, else the application's "Tabela"/"IBDatabase"), then opens or closes.
  void SetActive(bool Value) override;

 private:
  TZRDatabase* FDatabase = nullptr;
  bool FAutoTransacao = true;
  bool FTempoLimite = true;
  bool FBloqueiaDelete = true;
  bool FTimeOutOpen = false;
};

class TZRQuery : public TZRCustomQuery {
 public:
  explicit TZRQuery(db::TComponent* AOwner = nullptr);
  ~TZRQuery() override;

  // Opens a result set, or runs the statement through ExecSQL when it is an UPDATE, INSERT or DELETE.
  void Open();
  // Translates and executes a statement that returns no result set, under the driver's time-out. It takes
  // the framework's place also when the query is reached as a db::TFDQuery.
  void ExecSQL() override;

  // The statement-kind test of Open: False for a text starting with UPDATE, INSERT or DELETE.
  static bool EhConsulta(std::string_view Text);

  // Command time-outs of ExecSQL in milliseconds: driver "FB", and every other driver.
  static constexpr uint32_t kTempoLimiteFB = 60000;
  static constexpr uint32_t kTempoLimiteOutros = 30000;

 protected:
  // Lets a derived query use other time-outs than the driver defaults: a short wait for a lock, or a test
  // that cannot wait a minute.
  void SetTemposLimite(uint32_t FB, uint32_t Outros) noexcept {
    FTempoLimiteFB = FB;
    FTempoLimiteOutros = Outros;
  }

  void OpenCursor(bool InfoQuery) override;
  void DoBeforeDelete() override;
  const db::TFieldClass* GetFieldClass(db::TFieldType Type) const override;

 private:
  // The translation pipeline; EDatabaseError when the query has no Database to translate for.
  void ConverteSQL();

  // The translation cache: FSQLOriginal, the last source text translated, and FSQLAnterior, its translation.
  sqlt::TranslationCache FCache;
  bool FbCarregado = false;
  [[maybe_unused]] bool FbUsaFecthAll = false;  // declared for the window's settings; nothing reads it
  uint32_t FTempoLimiteFB = kTempoLimiteFB;
  uint32_t FTempoLimiteOutros = kTempoLimiteOutros;
};

// How the application puts a failure's kind and facts into words for its user. ExecSQL tells each failure
// but a time-out (which becomes the deadlock message) in these words; without them, in the failure's own
// message. Process-wide; set once, before the first statement.
void DefineRedacaoDeErros(db::TErrorWording Redige);

}  // namespace zr::data
