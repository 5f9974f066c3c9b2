#include <gtest/gtest.h>

#include <set>

#include "gfx/Image.h"
#include "gfx/RecordingCanvas.h"
#include "gfx/TextInk.h"

namespace corvale {
namespace {

constexpr Color kInk = 0x123456;
constexpr Color kPaper = 0xFFCCFF;

using Pixels = std::set<std::pair<int, int>>;

Pixels Inked(const Image& image) {
  Pixels out;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      if (image.Pixel(x, y) == kInk) out.insert({x, y});
  return out;
}

TEST(TurnedPixel, QuarterTurnsAboutTheOrigin) {
  struct Row {
    int dx, dy, turns;
    QPoint at;
  };
  const Row rows[] = {
      {0, -1, 0, {0, -1}},  {3, -2, 0, {3, -2}},
      {0, -1, 1, {-1, -1}}, {3, -2, 1, {-2, -4}},  // reads upwards: along the text is up, its top is left
      {0, -1, 2, {-1, 0}},  {3, -2, 2, {-4, 1}},
      {0, -1, 3, {0, 0}},   {3, -2, 3, {1, 3}},   // reads downwards: its top is right
      {3, -2, 4, {3, -2}},  {3, -2, -1, {1, 3}},  // whole turns and negative counts
  };
  for (const Row& r : rows) EXPECT_EQ(TurnedPixel(r.dx, r.dy, r.turns), r.at) << r.dx << "," << r.dy << " x" << r.turns;
}

TEST(TextInk, TightUnsmoothedAndCached) {
  const TextFont font{QStringLiteral("Arial"), 13, true};
  const TextInk ink = RenderTextInk(QStringLiteral("aVR"), font);
  ASSERT_FALSE(ink.mask.isNull());
  EXPECT_EQ(ink.mask.size(), ink.bounds.size());
  EXPECT_LT(ink.bounds.top(), -5) << "capitals stand above the baseline";
  EXPECT_EQ(ink.bounds.bottom(), -1) << "no descenders: the ink ends on the baseline";
  // Tight: every edge row and column of the mask carries ink; only 0 and 255.
  auto any = [&](bool row, int i) {
    for (int j = 0; j < (row ? ink.mask.width() : ink.mask.height()); ++j)
      if ((row ? ink.mask.constScanLine(i)[j] : ink.mask.constScanLine(j)[i]) != 0) return true;
    return false;
  };
  EXPECT_TRUE(any(true, 0));
  EXPECT_TRUE(any(true, ink.mask.height() - 1));
  EXPECT_TRUE(any(false, 0));
  EXPECT_TRUE(any(false, ink.mask.width() - 1));
  for (int y = 0; y < ink.mask.height(); ++y)
    for (int x = 0; x < ink.mask.width(); ++x) {
      const uchar v = ink.mask.constScanLine(y)[x];
      ASSERT_TRUE(v == 0 || v == 255);
    }
  const TextInk again = RenderTextInk(QStringLiteral("aVR"), font);
  EXPECT_EQ(again.bounds, ink.bounds);
  EXPECT_EQ(again.mask, ink.mask);
  EXPECT_TRUE(RenderTextInk(QString(), font).mask.isNull());
  EXPECT_TRUE(RenderTextInk(QStringLiteral("   "), font).bounds.isEmpty());
}

TEST(ImageText, InkOnlyTurnedAboutItsBaselineStart) {
  const TextFont font{QStringLiteral("Arial"), 13, true};
  const TextInk ink = RenderTextInk(QStringLiteral("V1"), font);
  for (int turns = 0; turns < 4; ++turns) {
    Image image(80, 80);
    image.SetBrushColor(kPaper);
    image.Fill();
    image.SetPenColor(kInk);
    image.DrawText(40, 40, turns, QStringLiteral("V1"), font);
    Pixels expected;
    for (int y = 0; y < ink.mask.height(); ++y)
      for (int x = 0; x < ink.mask.width(); ++x)
        if (ink.mask.constScanLine(y)[x]) {
          const QPoint p = TurnedPixel(ink.bounds.x() + x, ink.bounds.y() + y, turns);
          expected.insert({40 + p.x(), 40 + p.y()});
        }
    EXPECT_EQ(Inked(image), expected) << turns;
    // No box: every other pixel is still paper.
    int paper = 0;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 80; ++x) paper += image.Pixel(x, y) == kPaper;
    EXPECT_EQ(paper + static_cast<int>(expected.size()), 80 * 80) << turns;
  }
  // Reading upwards, the text lies left of and above its start; "V" below "1".
  Image up(80, 80);
  up.SetPenColor(kInk);
  up.DrawText(40, 60, 1, QStringLiteral("V1"), font);
  const Pixels p = Inked(up);
  ASSERT_FALSE(p.empty());
  for (auto [x, y] : p) {
    EXPECT_LT(x, 40);
    EXPECT_LT(y, 60);
  }
  Image v(80, 80);
  v.SetPenColor(kInk);
  v.DrawText(40, 60, 1, QStringLiteral("V"), font);
  auto rows = [](const Pixels& px) {
    int top = 1000, bottom = -1;
    for (auto [x, y] : px) {
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
    return std::pair{top, bottom};
  };
  EXPECT_EQ(rows(Inked(v)).second, rows(p).second) << "the first letter lies lowest";
  EXPECT_LT(rows(p).first, rows(Inked(v)).first) << "the second letter lies above it";
}

TEST(ImageText, ClippedAtTheEdges) {
  Image image(10, 10);
  image.SetPenColor(kInk);
  image.DrawText(-3, 8, 0, QStringLiteral("aVF"), TextFont{QStringLiteral("Arial"), 13, true});
  image.DrawText(500, -500, 1, QStringLiteral("V6"), TextFont{});
  EXPECT_FALSE(Inked(image).empty());
}

TEST(RecordingText, KeepsTextPlaceTurnFontAndPenColour) {
  RecordingCanvas canvas;
  canvas.SetPenColor(kInk);
  const TextFont font{QStringLiteral("Arial"), 64, false};
  canvas.DrawText(120, 6480, 1, QStringLiteral("25 mm/s"), font);
  canvas.SetPenColor(Colors::Black);
  canvas.DrawText(1, 2, 0, QStringLiteral("II"), TextFont{});
  ASSERT_EQ(canvas.texts.size(), 2u);
  EXPECT_EQ(canvas.texts[0], (RecordingCanvas::Text{120, 6480, 1, QStringLiteral("25 mm/s"), font, kInk}));
  EXPECT_EQ(canvas.texts[1].color, Colors::Black);
  EXPECT_TRUE(canvas.segments.empty());
  EXPECT_TRUE(canvas.moves.empty());
}

}  // namespace
}  // namespace corvale
