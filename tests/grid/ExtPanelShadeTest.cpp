#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "grid/ExtPanelShade.h"

namespace {

Cardinal FixedSeed() { return 20261207u; }
Cardinal OtherSeed() { return 7u; }

// The tone v at every pixel: a white caption colour keeps v (low 8 bits)
// in each component.
TPixelBlock Shade(TShadeType type, int w, int h, int light = 200, Byte grain = 32, TColor color = clWhite) {
  TPixelBlock block;
  block.Width = w;
  block.Height = h;
  BuildShadePixels(type, color, light, grain, block);
  return block;
}

int ToneAt(const TPixelBlock& b, int x, int y) { return static_cast<int>(b.At(x, y) & 0xFF); }

class ShadeTest : public ::testing::Test {
 protected:
  void SetUp() override { SetShadeSeedSource(&FixedSeed); }
  void TearDown() override { SetShadeSeedSource(nullptr); }
};

struct ToneCase {
  TShadeType Type;
  int W, H, X, Y;
  int Tone;
};

class ShadeVectorTest : public ShadeTest, public ::testing::WithParamInterface<ToneCase> {};

TEST_P(ShadeVectorTest, ToneAtAPixel) {
  const ToneCase& c = GetParam();
  EXPECT_EQ(ToneAt(Shade(c.Type, c.W, c.H), c.X, c.Y), c.Tone);
}

// L = 200. The bumps' cubes are divided step by step, truncating toward
// zero: the top row of a vertical bump gets -127^3/128/128*120/128 + 128 =
// 11, so 200 - 5; a plain floor would give 10.
INSTANTIATE_TEST_SUITE_P(
    Tones, ShadeVectorTest,
    ::testing::Values(
        ToneCase{stDiagShade, 451, 25, 0, 0, 227}, ToneCase{stDiagShade, 451, 25, 450, 24, 102},
        ToneCase{stHShade, 451, 25, 0, 7, 200 - 123}, ToneCase{stHShade, 451, 25, 450, 7, 200 - 4},
        ToneCase{stHShadeInv, 451, 25, 450, 7, 200 - 123}, ToneCase{stHShadeInv, 451, 25, 1, 7, 200 - 4},
        ToneCase{stVShade, 100, 20, 5, 0, 200 - 4}, ToneCase{stHBump, 100, 20, 0, 3, 200 - 124},
        ToneCase{stVBump, 100, 20, 3, 0, 200 - 5}, ToneCase{stSoftBump, 100, 20, 0, 0, 200 - 65},
        ToneCase{stSoftBump, 100, 20, 99, 0, 200 - 4},  // clamped to 8
        ToneCase{stHardBump, 100, 20, 0, 10, 200 - 123}, ToneCase{stHardBump, 100, 20, 99, 10, 200 - 8},
        ToneCase{stHardBump, 100, 20, 50, 10, 200 - 64}, ToneCase{stIRadial, 100, 20, 50, 10, 200},
        ToneCase{stORadial, 100, 20, 50, 10, 0}, ToneCase{stNormal, 100, 20, 50, 10, 255}));

TEST_F(ShadeTest, VerticalShadesMirrorTopToBottom) {
  const TPixelBlock down = Shade(stVShade, 30, 20), up = Shade(stVShadeInv, 30, 20);
  for (int y = 1; y < 20; ++y)
    for (int x : {0, 29}) EXPECT_EQ(ToneAt(down, x, y), ToneAt(up, x, 20 - y)) << y;
}

TEST_F(ShadeTest, NoiseWithoutGrainIsFlat) {
  const TPixelBlock flat = Shade(stNoise, 40, 10, 200, 0);
  for (std::uint32_t p : flat.Pixels) EXPECT_EQ(p & 0xFF, 200u - 64u);
  // With grain the tones spread over L - 64 - grain/2 .. L - 64.
  const TPixelBlock grainy = Shade(stNoise, 40, 10, 200, 40);
  int lo = 255, hi = 0;
  for (std::uint32_t p : grainy.Pixels) {
    lo = std::min(lo, static_cast<int>(p & 0xFF));
    hi = std::max(hi, static_cast<int>(p & 0xFF));
  }
  EXPECT_GE(lo, 200 - 64 - 20);
  EXPECT_EQ(hi, 200 - 64);
  EXPECT_LT(lo, hi);
}

TEST_F(ShadeTest, TonesKeepTheLowEightBitsOfEachComponent) {
  // 396 of 255 wraps to 140; blue 255 x 396 / 255 = 396 -> 140, green
  // 128 x 396 / 255 = 198.
  const TPixelBlock b = Shade(stHShade, 451, 25, 400, 32, static_cast<TColor>(0xFF8000));
  EXPECT_EQ(b.At(450, 0) & 0xFFFFFF, (198u << 8) | 140u);
}

TEST_F(ShadeTest, ARandomShadeRepeatsWithItsSeedOnly) {
  for (TShadeType type : {stNoise, stLMetal, stRMetal}) {
    const TPixelBlock a = Shade(type, 80, 20);
    EXPECT_EQ(a.Pixels, Shade(type, 80, 20).Pixels) << type;
    SetShadeSeedSource(&OtherSeed);
    EXPECT_NE(a.Pixels, Shade(type, 80, 20).Pixels) << type;
    SetShadeSeedSource(&FixedSeed);
  }
}

TEST_F(ShadeTest, BitmapsTooSmallForADivisorTakeThePlainColour) {
  const std::uint32_t plain = ShadeTone(static_cast<TColor>(0xFF8000), 255);
  for (TShadeType type : {stHardBump}) {
    for (std::uint32_t p : Shade(type, 5, 20, 200, 32, static_cast<TColor>(0xFF8000)).Pixels)
      EXPECT_EQ(p, plain);
    for (std::uint32_t p : Shade(type, 60, 1, 200, 32, static_cast<TColor>(0xFF8000)).Pixels)
      EXPECT_EQ(p, plain);
  }
  for (TShadeType type : {stDiagShade, stLMetal, stIRadial, stHardBump}) {
    EXPECT_TRUE(Shade(type, 0, 20).Pixels.empty());
    EXPECT_TRUE(Shade(type, 20, 0).Pixels.empty());
  }
  // One pixel is enough for the others.
  EXPECT_EQ(Shade(stDiagShade, 1, 1).Pixels.size(), 1u);
}

// ---- golden buffers -----------------------------------------------------------------

// A shade as a grey map (ASCII PGM) that can be looked at and checked by
// hand.
std::string Pgm(const TPixelBlock& b) {
  std::ostringstream out;
  out << "P2\n" << b.Width << ' ' << b.Height << "\n255\n";
  for (int y = 0; y < b.Height; ++y) {
    for (int x = 0; x < b.Width; ++x) out << (x ? " " : "") << ToneAt(b, x, y);
    out << '\n';
  }
  return out.str();
}

const char* const kShadeNames[] = {"normal",    "noise",   "diagshade",      "hshade",        "vshade",
                                   "hbump",     "vbump",   "softbump",       "hardbump",      "lmetal",
                                   "rmetal",    "iradial", "oradial",        "hshadeinv",     "vshadeinv",
                                   "xpcaption", "bitmap",  "bitmaprstretch", "bitmaplstretch"};

class ShadeGoldenTest : public ShadeTest, public ::testing::WithParamInterface<int> {};

TEST_P(ShadeGoldenTest, MatchesTheGoldenBuffer) {
  const auto type = static_cast<TShadeType>(GetParam());
  const std::string name = std::string("shade_") + kShadeNames[GetParam()] + ".pgm";
  const std::string actual = Pgm(Shade(type, 48, 16));
  std::ifstream in(std::string(DIM_TEST_DATA) + "/golden/" + name);
  std::stringstream golden;
  golden << in.rdbuf();
  if (golden.str() != actual) {
    std::ofstream(name) << actual;  // into the build tree, for review
    ADD_FAILURE() << name << " differs from the golden buffer; see the build tree's copy";
  }
}

INSTANTIATE_TEST_SUITE_P(AllShades, ShadeGoldenTest, ::testing::Range(0, 19));

// ---- rounded captions ------------------------------------------------------------------

bool InRegion(const TRegion& region, int x, int y) {
  for (const TRect& r : region)
    if (PtInRect(r, Point(x, y))) return true;
  return false;
}

TEST(CaptionShapeTest, RoundedCornersAreCutByQuarterEllipses) {
  const TRect bar = Rect(0, 0, 200, 40);
  const TRegion rounded = CaptionShapeRegion(csRounded, bar);
  const TRegion semi = CaptionShapeRegion(csSemiRounded, bar);
  for (const TRegion* region : {&rounded, &semi}) {
    EXPECT_FALSE(InRegion(*region, 0, 0));
    EXPECT_FALSE(InRegion(*region, 2, 39));
    EXPECT_TRUE(InRegion(*region, 16, 0));
    EXPECT_TRUE(InRegion(*region, 0, 20));
    EXPECT_TRUE(InRegion(*region, 100, 20));
  }
  EXPECT_FALSE(InRegion(rounded, 199, 0));
  EXPECT_TRUE(InRegion(semi, 199, 0));
  EXPECT_TRUE(InRegion(semi, 199, 39));
  EXPECT_EQ(CaptionShapeRegion(csRectangle, bar), TRegion{bar});
}

}  // namespace
