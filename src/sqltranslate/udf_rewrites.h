#pragma once
// The pipeline's own rewrites of Oracle step 6 and step 8 (UDF_MINUTESBETWEEN, UDF_NVL, POSITION).

#include <string>
#include <string_view>

namespace zr::sqlt::udf {

// UDF_MINUTESBETWEEN(a, b)  ->  (extract(MINUTE FROM a -  b )), first call only.
std::string MinutesBetween(std::string_view text);

// UDF_NVL(x)  ->  NVL(x,0), first call only.
std::string Nvl(std::string_view text);

// POSITION(a IN b) | POSITION(a, b)  ->  INSTR(b,a), every upper-case "POSITION(".
std::string PositionToInstr(std::string text);
std::string PositionToInstrAsWorded(std::string text);

}  // namespace zr::sqlt::udf
