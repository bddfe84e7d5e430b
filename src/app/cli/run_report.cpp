#include "run_report.h"

#include <cstdio>

#include "common/utf8.h"
#include "indices_command.h"

namespace zr::app::cli {

namespace {

std::string CsvField(const std::string& value) {
  if (value.find_first_of(";\"\r\n") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char ch : value) {
    if (ch == '"') quoted += '"';
    quoted += ch;
  }
  return quoted + "\"";
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const size_t length = common::Utf8At(text, i).Length;
    if (length == 0) {
      common::AppendUtf8(out, common::kReplacementCharacter);
      ++i;
      continue;
    }
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    if (length > 1) {
      out.append(text, i, length);
    } else if (ch == '"' || ch == '\\') {
      out += '\\';
      out += static_cast<char>(ch);
    } else if (ch == '\n') {
      out += "\\n";
    } else if (ch == '\r') {
      out += "\\r";
    } else if (ch == '\t') {
      out += "\\t";
    } else if (ch < 0x20 || ch == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", ch);
      out += escaped;
    } else {
      out += static_cast<char>(ch);
    }
    i += length;
  }
  return out + "\"";
}

std::string IsoDate(db::TDateTime value) {
  const db::TDateParts d = db::DecodeDateTime(value);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
  return text;
}

}  // namespace

std::string TerminalText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += '\n';
    } else {
      out += text[i];
    }
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

std::string CsvReport(Command acao, const ActionResult& result) {
  std::string csv;
  if (acao == Command::Importar) {
    csv = "numero;parte;produto;excluidas;gravadas\r\n";
    for (const OrdemTratada& o : result.Ordens) {
      csv += CsvField(o.Numero) + ";" + CsvField(o.Parte) + ";" + CsvField(o.Produto) + ";" +
             std::to_string(o.Excluidas.Value()) + ";" + std::to_string(o.Gravadas) + "\r\n";
    }
  } else {
    csv = "numero;insumo;cor;marcadas\r\n";
    // One line per update that marked rows: an update of rows already marked changed nothing.
    for (const BaixaFeita& b : result.Baixas) {
      const int64_t marcadas = b.Marcadas.Value();
      if (marcadas == 0) continue;
      csv += CsvField(b.Numero) + ";" + CsvField(b.Insumo) + ";" + CsvField(b.CorI) + ";" +
             std::to_string(marcadas) + "\r\n";
    }
  }
  return csv;
}

std::string JsonSummary(const RunSummary& run) {
  const bool import = run.Acao == Command::Importar;
  const ActionResult none;
  const ActionResult& r = run.Result != nullptr ? *run.Result : none;
  std::string counts;
  if (import) {
    counts = "{\"ordens_partes\":" + std::to_string(r.OrdensPartes) +
             ",\"processadas\":" + std::to_string(r.Processadas) +
             ",\"excluidas\":" + std::to_string(r.Excluidas) + ",\"gravadas\":" + std::to_string(r.Gravadas) +
             "}";
  } else {
    counts = "{\"linhas_lidas\":" + std::to_string(r.Processadas) +
             ",\"marcadas\":" + std::to_string(r.Baixadas) + "}";
  }
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.3f", run.Seconds);
  std::string json = "{\"acao\":" + JsonString(import ? "importar" : "situacao") +
                     ",\"empresa\":" + JsonString(run.Empresa) +
                     ",\"desde\":" + JsonString(IsoDate(run.Desde)) +
                     ",\"simulacao\":" + (run.Simular ? "true" : "false") + ",\"contagens\":" + counts +
                     ",\"segundos\":" + seconds + ",\"resultado\":" +
                     JsonString(run.Interrompido ? "interrompido"
                                : run.Exit == 0  ? "ok"
                                                 : "erro") +
                     ",\"codigo_saida\":" + std::to_string(run.Exit);
  if (run.MarcasDesfeitas >= 0) json += ",\"marcas_b_voltariam_a_a\":" + std::to_string(run.MarcasDesfeitas);
  if (run.AvisoIndice != nullptr) {
    const IndiceDaBusca& b = *run.AvisoIndice;
    json += ",\"aviso_indice\":{\"mensagem\":" + JsonString(AvisoIndice(b, run.Empresa)) +
            ",\"tabela\":" + JsonString(b.Tabela) + ",\"indice\":" + JsonString(b.Indice) +
            ",\"comando\":" + JsonString(ComandoParaDba(b.Comando)) +
            ",\"corrigir\":" + JsonString(ComandoIndices(run.Empresa, true)) + "}";
  }
  if (run.Exit != 0) json += ",\"mensagem\":" + JsonString(run.Message);
  return json + "}";
}

std::string JsonUsageError(const std::string& message) {
  return "{\"resultado\":\"erro\",\"codigo_saida\":2,\"mensagem\":" + JsonString(message) + "}";
}

}  // namespace zr::app::cli
