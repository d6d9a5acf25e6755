#pragma once
// The RGB-to-printer-data conversion: gamma 2.2 linearisation, a fixed 3 x 3 matrix in
// integer arithmetic, re-encoding with gamma 1/1.8 and a 4 x 4 ordered dither.

#include "platform/KvrAbi.h"

namespace kvr {

// The result of OXConvertRGBtoPrtData. The dither's line counter starts afresh for every
// call, so the same input always gives the same output.
int ConvertRGBtoPrtData(const uint8_t* source, uint8_t* destination, const PrtDataInfo* info);

}  // namespace kvr
