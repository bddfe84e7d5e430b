#include "app/error_text.h"

#include <cstdio>

#include "db/errors.h"

namespace zr::app {

namespace {

using db::TDatabaseErrorFacts;
using db::TDatabaseErrorKind;

// "O servidor" and where it is: its address, the data source it stands behind, or the database's.
std::string OServidor(const TDatabaseErrorFacts& f) {
  if (!f.Server.empty()) return "O servidor " + f.Server;
  if (!f.DataSource.empty()) return "O servidor da fonte de dados " + f.DataSource;
  return "O servidor do banco";
}

std::string SemResposta(const TDatabaseErrorFacts& f) {
  return OServidor(f) + " não respondeu em " + std::to_string(f.Seconds) + " s; verifique se " +
         (f.Product.empty() ? std::string("ele") : "o " + f.Product) + " está no ar nesse endereço.\n(" +
         f.Cause + ")";
}

std::string TextoInconversivel(const TDatabaseErrorFacts& f) {
  char numero[16];
  std::string texto = std::string(f.InStatement ? "O comando SQL" : "O valor") + " \"" + f.Text + "\" tem ";
  if (f.Character.empty()) {
    std::snprintf(numero, sizeof numero, "0x%02X", static_cast<unsigned>(f.CodePoint));
    return texto + "o byte " + numero + ", que não é texto UTF-8.";
  }
  std::snprintf(numero, sizeof numero, "U+%04X", static_cast<unsigned>(f.CodePoint));
  return texto + "o caractere \"" + f.Character + "\" (" + numero +
         "), que não existe no conjunto de caracteres " + f.CodePage + " em que a base guarda seus textos.";
}

}  // namespace

std::string DescreveErro(const std::exception& Error) {
  const auto* e = dynamic_cast<const db::EDatabaseError*>(&Error);
  if (e == nullptr) return Error.what();
  const TDatabaseErrorFacts& f = e->Facts();
  switch (e->Kind()) {
    case TDatabaseErrorKind::ConnectTimedOut:
      return SemResposta(f);
    case TDatabaseErrorKind::LinkLost:
      // The driver closed the link itself because the server stopped answering; any other lost link is
      // told in the server's or client's own words.
      if (f.Server.empty()) break;
      return OServidor(f) +
             " parou de responder e a conexão foi fechada; o que não estava confirmado é desfeito pelo servidor.";
    case TDatabaseErrorKind::TextNotConvertible:
      if (f.CodePage.empty()) break;
      return TextoInconversivel(f);
    case TDatabaseErrorKind::InvalidSetting:
      // CharsetLegado is a key of the settings file, passed on to the driver as it is written there.
      if (f.Setting != "CharsetLegado") break;
      return "CharsetLegado=" + f.Value +
             " não é um conjunto de caracteres conhecido; use um destes: " + f.Choices + ".";
    default:
      break;
  }
  return e->what();
}

}  // namespace zr::app
