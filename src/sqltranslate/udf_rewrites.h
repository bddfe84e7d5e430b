#pragma once
// The pipeline's own Oracle rewrites of the UDF_ family (UDF_MINUTESBETWEEN, UDF_NVL) and of POSITION.

#include <string>
#include <string_view>

namespace zr::sqlt::udf {

// UDF_MINUTESBETWEEN(a, b)  ->  (extract(MINUTE FROM a -  b )), first call only.
std::string MinutesBetween(std::string_view text);

// UDF_NVL(x)  ->  NVL(x,0), first call only.
std::string Nvl(std::string_view text);

// POSITION(a IN b) | POSITION(a, b)  ->  INSTR(b,a), every upper-case "POSITION(".
std::string PositionToInstr(std::string text);
std::string PositionToInstrOneByOne(std::string text);
// PositionToInstrOneByOne on the statement cut after each ")", the calls' texts indexed by hash:
// time that grows with the text, where the plain form reads the whole statement once per call.
std::string PositionToInstrByPieces(std::string text);

}  // namespace zr::sqlt::udf
