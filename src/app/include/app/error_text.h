#pragma once
// The words the user reads for a failure. The data-access framework and its drivers raise kinds and facts;
// this is where those that the framework does not put into words (a server that did not answer, a text the
// database's code page cannot hold, an unknown code page in the settings) become Portuguese sentences. Used
// by the window and by zembra-cli alike.

#include <exception>
#include <string>

namespace zr::app {

// The message to show for `Error`: the sentence its kind and facts call for, else its own message.
std::string DescreveErro(const std::exception& Error);

}  // namespace zr::app
