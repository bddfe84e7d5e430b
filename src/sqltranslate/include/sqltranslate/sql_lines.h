#pragma once
// The SQL text of a query as its lines: read as one text, every line is followed by CR LF;
// a text written back is split at CR LF, a lone CR or a lone LF, a final line break adding no
// empty line. A line added on its own keeps whatever it holds, line breaks included.

#include <string>
#include <string_view>
#include <vector>

namespace zr::sqlt {

class SqlLines {
 public:
  // The lines joined, each followed by CR LF; empty when there is no line.
  std::string Text() const;
  // Replaces every line by the lines of `text`.
  void SetText(std::string_view text);

  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Clear() { lines_.clear(); }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

// What a text becomes once written to SQL lines and read back: lone CR and lone LF turn into
// CR LF and a last line without a break gets one.
std::string RoundTrip(std::string_view text);

// True when RoundTrip(text) == text.
bool IsRoundTripStable(std::string_view text);

}  // namespace zr::sqlt
