#pragma once
// The settings file "def.knd": the tender settings that outlive a run, one
// decimal integer per line, in a fixed order.

#include <string_view>

#include "platform/rtl/System.h"

struct TDefKndSettings {
  Integer CalcMode = 0;
  Word CostDecimals = 0;
  Byte DiscountDecimals = 0;
  Byte ExtraDecimalsA = 0;
  Byte ExtraDecimalsB = 0;
  Byte HalfDown = 0;  // 1: the budget window's half-down button is down
};

// Every decimal setting lies in 0..6.
constexpr int MaxSettingDecimals = 6;

// Reads the file's text over Settings: a line that holds a whole number
// replaces its setting, a missing line or one that is no number keeps what
// Settings held. Decimals outside 0..6 are brought to the nearer end; any
// non-zero half-down line means down. Lines end in LF or CR LF.
void ReadDefKndText(std::string_view text, TDefKndSettings& settings);
// A settings file is a few short lines; anything larger is not one.
constexpr Int64 MaxDefKndSize = 4096;
// The file's text: the eight lines with CR LF ends.
AnsiString DefKndText(const TDefKndSettings& settings);
