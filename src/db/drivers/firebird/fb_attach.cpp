#include "fb_attach.h"

#include <charconv>
#include <chrono>

#include "fb_error.h"

namespace zr::db::firebird {

namespace {

std::string Trimmed(std::string text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The error for an entry whose value the driver does not take; `choices` lists the values it takes, if any.
EDatabaseError InvalidEntry(const char* name, const std::string& value, const std::string& choices) {
  TDatabaseErrorFacts facts;
  facts.Setting = name;
  facts.Value = value;
  facts.Choices = choices;
  return EDatabaseError("Invalid value \"" + value + "\" for the connection parameter " + name +
                            (choices.empty() ? std::string() : "; use one of: " + choices),
                        TDatabaseErrorKind::InvalidSetting, std::move(facts));
}

int NumberEntry(const TStringList& params, const char* name) {
  const std::string text = Trimmed(params.Values(name));
  if (text.empty()) {
    return 0;
  }
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) {
    throw InvalidEntry(name, text, {});
  }
  return value;
}

std::optional<bool> SwitchEntry(const TStringList& params, const char* name) {
  std::string text = Trimmed(params.Values(name));
  for (char& c : text) {
    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  if (text == "TRUE" || text == "FALSE") {
    return text == "TRUE";
  }
  throw InvalidEntry(name, Trimmed(params.Values(name)), {});
}

// The parameter block every attachment gets: the credentials and the connection character set.
Ref<Firebird::IXpbBuilder> ParameterBlock(Firebird::ThrowStatusWrapper* status, const AttachTarget& target) {
  Ref<Firebird::IXpbBuilder> dpb(Util()->getXpbBuilder(status, Firebird::IXpbBuilder::DPB, nullptr, 0));
  if (!target.User.empty()) {
    dpb->insertString(status, isc_dpb_user_name, target.User.c_str());
  }
  if (!target.Password.empty()) {
    dpb->insertString(status, isc_dpb_password, target.Password.c_str());
  }
  dpb->insertString(status, isc_dpb_lc_ctype, target.CharSet.c_str());
  if (!target.Address.empty()) {
    // Bounds the wait for a server that accepts the connection and never answers (the client's own default
    // is three minutes).
    dpb->insertInt(status, isc_dpb_connect_timeout, target.ConnectTimeout);
  }
#ifdef _WIN32
  // The program's texts are UTF-8; without this the Windows client reads the database's path in the ANSI
  // code page, and a path with accents names another file.
  dpb->insertTag(status, isc_dpb_utf8_filename);
#endif
  return dpb;
}

}  // namespace

AttachTarget TargetFrom(const TStringList& params) {
  AttachTarget target;
  const std::string database = Trimmed(params.Values("Database"));
  if (database.empty()) {
    TDatabaseErrorFacts facts;
    facts.Setting = "Database";
    throw EDatabaseError("The connection parameter Database is empty: no database to open",
                         TDatabaseErrorKind::InvalidSetting, std::move(facts));
  }
  const std::string server = Trimmed(params.Values("Server"));
  const int port = NumberEntry(params, "Port");
  if (server.empty()) {
    target.Name = database;
  } else {
    target.Name = server + (port != 0 ? std::string("/") + std::to_string(port) : std::string()) + ":" + database;
    target.Service = server + (port != 0 ? std::string("/") + std::to_string(port) : std::string()) + ":service_mgr";
    target.Address = server + (port != 0 ? std::string(":") + std::to_string(port) : std::string());
  }
  if (!Trimmed(params.Values("CancelGrace")).empty()) {
    target.CancelGrace = static_cast<uint32_t>(NumberEntry(params, "CancelGrace"));
  }
  if (!Trimmed(params.Values("ProbeAfter")).empty()) {
    target.ProbeAfter = static_cast<uint32_t>(NumberEntry(params, "ProbeAfter"));
  }
  if (!Trimmed(params.Values("ConnectTimeout")).empty()) {
    target.ConnectTimeout = NumberEntry(params, "ConnectTimeout");
  }
  target.User = Trimmed(params.Values("User_name"));
  target.Password = params.Values("Password");
  target.PageSize = NumberEntry(params, "PageSize");
  target.ForcedWrites = SwitchEntry(params, "ForcedWrites");
  const std::string legacy = Trimmed(params.Values("CharsetLegado"));
  target.LegacyPage = FindCodePage(legacy.empty() ? kDefaultLegacyCodePage : std::string_view(legacy));
  if (target.LegacyPage == nullptr) {
    throw InvalidEntry("CharsetLegado", legacy, CodePageNames());
  }
  if (const std::string charSet = Trimmed(params.Values("DefaultCharSet")); !charSet.empty()) {
    target.DefaultCharSet = charSet;
  }
  return target;
}

Firebird::IAttachment* Attach(const AttachTarget& target) {
  const auto start = std::chrono::steady_clock::now();
  try {
    Status status;
    Ref<Firebird::IXpbBuilder> dpb = ParameterBlock(status.get(), target);
    Ref<Firebird::IProvider> provider(Master()->getDispatcher());
    return provider->attachDatabase(status.get(), target.Name.c_str(), dpb->getBufferLength(status.get()),
                                    dpb->getBuffer(status.get()));
  } catch (const Firebird::FbException& e) {
    // A server that accepted the connection and then said nothing for the whole time-out is reported by the
    // client as a rejection ("connection rejected by remote interface"); say what happened instead.
    const auto waited = std::chrono::steady_clock::now() - start;
    if (!target.Address.empty() && target.ConnectTimeout > 0 &&
        waited >= std::chrono::seconds(target.ConnectTimeout) - std::chrono::milliseconds(500)) {
      throw ConnectTimeoutError(target.Address, target.ConnectTimeout, e.getStatus());
    }
    throw StatusError(e.getStatus());
  }
}

bool ServerAnswers(const AttachTarget& target) {
  if (target.Service.empty()) {
    return true;
  }
  const auto start = std::chrono::steady_clock::now();
  try {
    Status status;
    Ref<Firebird::IXpbBuilder> spb(
        Util()->getXpbBuilder(status.get(), Firebird::IXpbBuilder::SPB_ATTACH, nullptr, 0));
    if (!target.User.empty()) {
      spb->insertString(status.get(), isc_spb_user_name, target.User.c_str());
    }
    if (!target.Password.empty()) {
      spb->insertString(status.get(), isc_spb_password, target.Password.c_str());
    }
    spb->insertInt(status.get(), isc_spb_connect_timeout, target.ConnectTimeout);
    Ref<Firebird::IProvider> provider(Master()->getDispatcher());
    Ref<Firebird::IService> service(provider->attachServiceManager(status.get(), target.Service.c_str(),
                                                                   spb->getBufferLength(status.get()),
                                                                   spb->getBuffer(status.get())));
    service.Take([&](Firebird::IService* s) { s->detach(status.get()); });
    return true;
  } catch (const Firebird::FbException&) {
    // A refusal is an answer too; only the whole connect time-out without one is not.
    return std::chrono::steady_clock::now() - start <
           std::chrono::seconds(target.ConnectTimeout) - std::chrono::milliseconds(500);
  }
}

WatchSettings WatchSettingsFor(const AttachTarget& target) {
  WatchSettings watch;
  watch.CancelGrace = target.CancelGrace;
  watch.ProbeAfter = target.ProbeAfter;
  watch.Address = target.Address;
  if (!target.Service.empty()) {
    watch.ServerAnswers = [target] { return ServerAnswers(target); };
  }
  return watch;
}

Firebird::IAttachment* Create(const AttachTarget& target) {
  return Guarded([&] {
    Status status;
    Ref<Firebird::IXpbBuilder> dpb = ParameterBlock(status.get(), target);
    dpb->insertString(status.get(), isc_dpb_set_db_charset, target.DefaultCharSet.c_str());
    dpb->insertInt(status.get(), isc_dpb_sql_dialect, SQL_DIALECT_V6);
    if (target.PageSize != 0) {
      dpb->insertInt(status.get(), isc_dpb_page_size, target.PageSize);
    }
    if (target.ForcedWrites) {
      dpb->insertInt(status.get(), isc_dpb_force_write, *target.ForcedWrites ? 1 : 0);
    }
    Ref<Firebird::IProvider> provider(Master()->getDispatcher());
    return provider->createDatabase(status.get(), target.Name.c_str(), dpb->getBufferLength(status.get()),
                                    dpb->getBuffer(status.get()));
  });
}

}  // namespace zr::db::firebird
