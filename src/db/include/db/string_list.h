#pragma once
// A list of text lines, as the framework keeps SQL text and connection parameters.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zr::db {

class TStringList {
 public:
  void Clear();
  // Appends one line exactly as given (line breaks inside it included).
  void Add(std::string line);
  int Count() const noexcept { return static_cast<int>(lines_.size()); }
  const std::string& operator[](int index) const { return lines_.at(static_cast<size_t>(index)); }
  const std::vector<std::string>& Lines() const noexcept { return lines_; }
  auto begin() const noexcept { return lines_.begin(); }
  auto end() const noexcept { return lines_.end(); }

  // The lines as one text, every line followed by CR LF.
  std::string Text() const;
  // Replaces the lines by `text` split at CR LF, a lone CR or a lone LF; a final break adds no empty line.
  void SetText(std::string_view text);

  // For "Name=Value" lists: the value of the first entry whose name equals `name` without regard to ASCII
  // case; empty when there is none.
  std::string Values(std::string_view name) const;
  // Sets the value of the first entry named `name`, or appends "name=value" when there is none.
  void SetValue(std::string_view name, std::string_view value);
  // Index of the first entry named `name`, or -1.
  int IndexOfName(std::string_view name) const;

  // Called after every change of the list.
  std::function<void()> OnChange;

 private:
  void Changed();
  std::vector<std::string> lines_;
};

}  // namespace zr::db
