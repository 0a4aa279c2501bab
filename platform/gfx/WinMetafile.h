#pragma once
// Windows metafiles (the 16-bit WMF format, with or without the placeable
// header that gives their size): turned into the equivalent enhanced
// metafile, which the one metafile player draws.

#include <string>
#include <string_view>

// Whether the bytes start as a Windows metafile does.
bool LooksLikeWinMetafile(std::string_view bytes);

// The enhanced metafile that draws what the Windows metafile draws, framed
// by its placeable header's box (or, without one, by its first window
// extent at 96 units to the inch). Records it does not know are left out;
// damaged bytes raise EInvalidGraphic "Metafile is not valid".
std::string EnhMetafileFromWinMetafile(std::string_view wmf);
