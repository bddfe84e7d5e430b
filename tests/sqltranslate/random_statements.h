#pragma once
// Random statements dense in what the passes rewrite, and the checks run on each: every pass
// and the pipeline must end, and each one-pass formulation must give the text of the same
// rewrite done one occurrence at a time (an independent, plain rendering of it).

#include <random>
#include <string>

namespace zr::sqlt::testing {

std::string RandomStatement(std::mt19937& rng, std::size_t fragments);

// Empty when everything agrees; otherwise which check failed.
std::string CheckStatement(const std::string& text);

}  // namespace zr::sqlt::testing
