// LIBS: tender_logic platform_rtl
// Typed formulas: any text gives an attribute and a finite value, 0 on any
// error and within -1e38..1e38 otherwise. The first byte picks the number
// style; the rest is the formula.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/rtl/SysUtils.h"
#include "tender/N_STR.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool style2 = data[0] & 1;
  ThousandsChar = style2 ? '.' : ',';
  LibraryNumberStyle = style2 ? 2 : 1;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  Word attribute = 99;
  const double value = EvalFormula(text, attribute);
  const bool known = attribute == FormulaSyntaxError || attribute == FormulaValid ||
                     attribute == FormulaWithCells || attribute == FormulaValid + FormulaMathError ||
                     attribute == FormulaWithCells + FormulaMathError;
  if (!known || !std::isfinite(value) || std::fabs(value) > 1e38) __builtin_trap();
  if ((attribute == FormulaSyntaxError || (attribute & FormulaMathError)) && value != 0) __builtin_trap();
  return 0;
}
