#pragma once
// The common ways a server or the embedded engine refuses a connection, told in plain Portuguese beside the
// server's own words. Used by the window and by zembra-cli alike.

#include <string>

namespace zr::app {

// One Portuguese line that says what the refusal in `Error` (a failed connection's whole message) means and
// what to do about it: the database file not found, the database already open in another program, the user
// or password refused, the server not reached, no permission on the database file or on Firebird's lock
// folder. Empty when the message is none of these. The server's message itself is left to the caller.
std::string ConnectionRefusalAdvice(const std::string& Error);

}  // namespace zr::app
