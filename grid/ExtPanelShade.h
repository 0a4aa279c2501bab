#pragma once
// The caption shades of the captioned panel, computed into a block of
// pixels without any window, and the clip shapes of rounded captions.

#include "platform/gfx/Graphics.h"
#include "platform/rtl/System.h"

enum TShadeType {
  stNormal,
  stNoise,
  stDiagShade,
  stHShade,
  stVShade,
  stHBump,
  stVBump,
  stSoftBump,
  stHardBump,
  stLMetal,
  stRMetal,
  stIRadial,
  stORadial,
  stHShadeInv,
  stVShadeInv,
  stXPCaption,
  stBitmap,
  stBitmapRStretch,
  stBitmapLStretch
};
enum TCaptionShape { csRectangle, csRounded, csSemiRounded };

// Where the random shades take their seed at every build: the clock by
// default; tests hand in a fixed seed so that a shade is reproducible.
using TShadeSeedSource = Cardinal (*)();
void SetShadeSeedSource(TShadeSeedSource source);
TShadeSeedSource ShadeSeedSource();

// A tone of a colour (0x00BBGGRR): each component scaled by V/255, keeping
// its low 8 bits, as an opaque pixel (0xFFRRGGBB).
std::uint32_t ShadeTone(TColor rgb, int v);

// Fills Block (its Width and Height set) with the shade Type of the colour
// Rgb at lightness Light and noise Grain, after reseeding the random
// generator from the seed source. A bitmap too small for the shade's
// divisors takes the plain colour.
void BuildShadePixels(TShadeType type, TColor rgb, int light, Byte grain, TPixelBlock& block);

// The clip of a rounded caption over Rect: 32 x 32 corner ellipses on both
// sides (csRounded) or on the left side only (csSemiRounded); the plain
// rectangle for csRectangle.
TRegion CaptionShapeRegion(TCaptionShape shape, const TRect& rect);
