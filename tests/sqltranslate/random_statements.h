#pragma once
// Random statements dense in what the passes rewrite, and the checks run on each: every pass
// and the pipeline must end, and each one-pass formulation must give the text of the same
// rewrite done one occurrence at a time (an independent, plain rendering of it).

#include <random>
#include <string>

namespace zr::sqlt::testing {

std::string RandomStatement(std::mt19937& rng, std::size_t fragments);

// Malformed statements that once took time growing with the square of their size: one piece
// repeated (or random fragments) up to at least `bytes` bytes.
enum class Malformed {
  UnclosedSubstring,  // SUBSTRING(X FROM 1 FOR 2 SUBSTRING(X FROM 1 FOR 2 ...
  NestedSubstring,    // SUBSTRING(X FROM 1 FOR SUBSTRING(X FROM 1 FOR ... 2)...))
  PositionIn,         // POSITION('a' IN X) POSITION('a' IN X) ...
  NestedBlob,         // dbms_lob.substr(dbms_lob.substr(X1) dbms_lob.substr(dbms_lob.substr(X2) ...
  UnclosedBlob,       // dbms_lob.substr(dbms_lob.substr(dbms_lob.substr(...
  RandomMix,          // RandomStatement's fragments, seeded
};
inline constexpr Malformed kMalformedShapes[] = {Malformed::UnclosedSubstring, Malformed::NestedSubstring,
                                                 Malformed::PositionIn,        Malformed::NestedBlob,
                                                 Malformed::UnclosedBlob,      Malformed::RandomMix};
const char* MalformedName(Malformed shape);
std::string MalformedStatement(Malformed shape, std::size_t bytes, unsigned seed = 1);

// Empty when everything agrees; otherwise which check failed.
std::string CheckStatement(const std::string& text);

}  // namespace zr::sqlt::testing
