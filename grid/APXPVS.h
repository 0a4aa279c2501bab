#pragma once
// The captioned panel's own binding of the visual-style (theme) library:
// loaded at start-up through the grid's theme loader (SetThemeLibraryLoader)
// and bound by name, 46 entry points: the grid's set and GetThemePartSize.
// Without the library (always, on this system) every pointer stays nil and
// the panel draws its caption and buttons itself.

#include "grid/ExtXPVS.h"

namespace APXPVS {

using SIZE = TSize;
// The size GetThemePartSize asks for.
enum THEMESIZE { TS_MIN, TS_TRUE, TS_DRAW };

#define DIM_APXPVS_POINTER(Name) inline decltype(::Name) Name = nullptr;
DIM_THEME_ENTRY_POINTS_HEAD(DIM_APXPVS_POINTER)
DIM_THEME_ENTRY_POINTS_TAIL(DIM_APXPVS_POINTER)
#undef DIM_APXPVS_POINTER
inline HRESULT (*GetThemePartSize)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, const RECT* prc,
                                   THEMESIZE eSize, SIZE* psz) = nullptr;

// Start-up and shutdown, counted as the grid's; the unit runs them once.
void InitThemeLibrary();
void FreeThemeLibrary();
// The library is loaded and every name bound.
bool ThemeLibraryAvailable();
// The names in binding order.
int EntryPointCount();
const char* EntryPointName(int index);

}  // namespace APXPVS
