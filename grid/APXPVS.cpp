#include "grid/APXPVS.h"

#include <iterator>

namespace APXPVS {

namespace {

constexpr TThemeEntryPoint kEntryPoints[] = {DIM_THEME_ENTRY_POINTS_HEAD(DIM_THEME_ENTRY) DIM_THEME_ENTRY(
    GetThemePartSize) DIM_THEME_ENTRY_POINTS_TAIL(DIM_THEME_ENTRY)};
static_assert(std::size(kEntryPoints) == 46);

TThemeBinding& Binding() {
  static TThemeBinding binding(kEntryPoints, static_cast<int>(std::size(kEntryPoints)));
  return binding;
}

struct Unit {
  Unit() { InitThemeLibrary(); }
  ~Unit() { FreeThemeLibrary(); }
} g_unit;

}  // namespace

void InitThemeLibrary() { Binding().Init(); }
void FreeThemeLibrary() { Binding().Free(); }
bool ThemeLibraryAvailable() { return Binding().Loaded(); }
int EntryPointCount() { return static_cast<int>(std::size(kEntryPoints)); }
const char* EntryPointName(int index) { return kEntryPoints[index].Name; }

}  // namespace APXPVS
