#include "terminal_ui.h"

#include <unistd.h>

#include <cstdint>

namespace zr::app::cli {

TerminalUi::TerminalUi(std::FILE* progress, bool statusRows)
    : progress_(progress), statusRows_(statusRows), terminal_(isatty(fileno(progress)) != 0) {}

void TerminalUi::SetBusy(bool Busy) {
  if (!Busy) EndProgressLine();
}

void TerminalUi::SetProgressMax(int Max) {
  max_ = Max;
  tenthsWritten_ = 0;
}

void TerminalUi::SetProgress(int Position) {
  if (!terminal_) {
    // A log (cron, a service): one line per tenth of the work, not one redrawn line.
    const int tenth = max_ > 0 ? static_cast<int>(static_cast<int64_t>(Position) * 10 / max_) : 0;
    if (tenth <= tenthsWritten_) return;
    tenthsWritten_ = tenth;
    std::fprintf(progress_, "ordens e partes: %d de %d (%d%%)\n", Position, max_, tenth * 10);
    std::fflush(progress_);
    return;
  }
  std::fprintf(progress_, "\rordens e partes: %d de %d", Position, max_);
  std::fflush(progress_);
  lineOpen_ = true;
}

void TerminalUi::ProcessMessages() {
  ++rows_;
  if (!statusRows_) return;
  if (!terminal_) {
    // The status rows are read as the action goes, their number is not known beforehand: a line per
    // thousand rows.
    if (rows_ % 1000 != 0) return;
    std::fprintf(progress_, "linhas de situação lidas: %d\n", rows_);
    std::fflush(progress_);
    return;
  }
  if (rows_ % 100 != 0) return;
  std::fprintf(progress_, "\rlinhas de situação lidas: %d", rows_);
  std::fflush(progress_);
  lineOpen_ = true;
}

void TerminalUi::ShowMessage(const std::string& /*Text*/, const std::string& /*Caption*/) {
  EndProgressLine();
}

void TerminalUi::EndProgressLine() {
  if (!lineOpen_) return;
  std::fputc('\n', progress_);
  lineOpen_ = false;
}

}  // namespace zr::app::cli
