#include "terminal_ui.h"

#include <unistd.h>

namespace zr::app::cli {

TerminalUi::TerminalUi(std::FILE* progress, bool statusRows)
    : progress_(progress), statusRows_(statusRows), terminal_(isatty(fileno(progress)) != 0) {}

void TerminalUi::SetBusy(bool Busy) {
  if (!Busy) EndProgressLine();
}

void TerminalUi::SetProgressMax(int Max) { max_ = Max; }

void TerminalUi::SetProgress(int Position) {
  if (!terminal_) return;
  std::fprintf(progress_, "\rordens e partes: %d de %d", Position, max_);
  std::fflush(progress_);
  lineOpen_ = true;
}

void TerminalUi::ProcessMessages() {
  ++rows_;
  if (!terminal_ || !statusRows_ || rows_ % 100 != 0) return;
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
