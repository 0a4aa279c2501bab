// Comparison of UTF-16 texts by a fixed Greek collation, never the
// machine's locale: sorted lists look the same on every machine.

#include <unicode/ucol.h>
#include <unicode/uscript.h>

#include <memory>

#include "platform/rtl/SysUtils.h"

namespace {

struct CollatorClose {
  void operator()(UCollator* c) const { ucol_close(c); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorClose>;

// One per thread. The secondary strength tells letters and accents apart,
// not case; Latin goes before Greek as in the code page comparisons.
// Without the collation data the texts compare by code unit.
UCollator* GreekCollator() {
  thread_local CollatorPtr collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    CollatorPtr c(ucol_open("el", &status));
    if (U_FAILURE(status)) return CollatorPtr();
    ucol_setStrength(c.get(), UCOL_SECONDARY);
    const int32_t order[] = {USCRIPT_LATIN, USCRIPT_GREEK};
    ucol_setReorderCodes(c.get(), order, 2, &status);
    return c;
  }();
  return collator.get();
}

}  // namespace

int WideCompareText(const WideString& S1, const WideString& S2) {
  UCollator* c = GreekCollator();
  if (!c) return S1 < S2 ? -1 : (S2 < S1 ? 1 : 0);
  switch (ucol_strcoll(c, reinterpret_cast<const UChar*>(S1.data()), static_cast<int32_t>(S1.size()),
                       reinterpret_cast<const UChar*>(S2.data()), static_cast<int32_t>(S2.size()))) {
    case UCOL_LESS:
      return -1;
    case UCOL_GREATER:
      return 1;
    default:
      return 0;
  }
}
