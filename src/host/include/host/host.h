#pragma once
// Host services: the executable's folder, the computer's name, the local IP address and the settings file.

#include <string>

namespace zr::host {

// The running executable's full path.
std::string ExecutablePath();
// The executable's folder, ending with the path separator.
std::string ExecutableDir();

// The computer's name as the operating system reports it, at most 15 characters.
std::string ComputerName();

// The local IP address in dotted notation: the address of the interface that reaches the network;
// "127.0.0.1" when there is none.
std::string LocalIP();

// Reads Key of Section from the settings (INI) file FileName as a Windows profile-string reader does:
// section and key names match without regard to case, blanks around the value are dropped, the value is
// read whole (";", "#", "=" and "," included); a missing file, section or key gives Default, and so does a
// FileName that is not a regular file (a folder, a pipe, a device), which is never opened.
std::string ReadIniString(const std::string& FileName, const std::string& Section, const std::string& Key,
                          const std::string& Default = "");

}  // namespace zr::host
