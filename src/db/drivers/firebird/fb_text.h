#pragma once
// Text at the driver's boundary. The program's text is UTF-8. A connection attached in UTF8 passes it as
// it is; a connection to a legacy database (default character set NONE) is attached in the code page its
// programs wrote in, and the server then hands NONE text over as the bytes it holds: here such text is
// converted both ways, so that values read, parameters bound, statement text (and so every literal) and
// the server's messages are UTF-8 on the program's side and the code page's bytes on the server's.

#include <string>
#include <string_view>

#include "fb_code_pages.h"

namespace zr::db::firebird {

class ConnectionText {
 public:
  // A UTF8 connection: nothing is converted.
  ConnectionText() = default;
  // A connection attached in `page`.
  explicit ConnectionText(const CodePage& page) noexcept : page_(&page) {}

  bool Converts() const noexcept { return page_ != nullptr; }
  // The character set text travels in: UTF8, or the code page's.
  unsigned CharSet() const noexcept;

  // A value as the server must receive it: `utf8` itself on a UTF8 connection, else its bytes in the code
  // page, written into `scratch`. EDatabaseError of kind TextNotConvertible when a character is not in the
  // code page (or a byte is not UTF-8), the value, the character and the code page among its facts.
  const std::string& Value(const std::string& utf8, std::string& scratch) const;
  const std::string& Value(std::string&&, std::string&) const = delete;  // the result may be the argument
  // A statement's text as the server must receive it, every literal in it converted: the same as Value, but
  // the error names the literal that holds the character (or the statement, when it stands outside one).
  const std::string& Statement(const std::string& sql, std::string& scratch) const;
  const std::string& Statement(std::string&&, std::string&) const = delete;
  // Text the server sent (values, names) as UTF-8.
  std::string FromServer(std::string_view bytes) const;

 private:
  const CodePage* page_ = nullptr;
};

// While alive, the server's messages (fb_error.h) that this thread reads are in `text`'s character set:
// every driver call made for a connection runs under one, so that its failures read right.
class MessagesIn {
 public:
  explicit MessagesIn(const ConnectionText& text) noexcept;
  ~MessagesIn();
  MessagesIn(const MessagesIn&) = delete;
  MessagesIn& operator=(const MessagesIn&) = delete;

 private:
  const ConnectionText* previous_;
};

// A message as the client formatted it, read in the character set of this thread's innermost MessagesIn
// (UTF-8 outside any).
std::string MessageFromServer(std::string_view bytes);

}  // namespace zr::db::firebird
