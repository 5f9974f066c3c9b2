#include <gtest/gtest.h>

#include <set>

#include "gfx/Image.h"
#include "gfx/RecordingCanvas.h"

namespace corvale {
namespace {

constexpr Color kPen = 0x123456;

std::set<std::pair<int, int>> Painted(const Image& image) {
  std::set<std::pair<int, int>> out;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      if (image.Pixel(x, y) == kPen) out.insert({x, y});
  return out;
}

TEST(ImageLines, EndPointNotPainted) {
  using P = std::set<std::pair<int, int>>;
  struct Row {
    const char* what;
    int x0, y0, x1, y1;
    P pixels;
  };
  const Row rows[] = {
      {"zero length", 3, 3, 3, 3, {}},
      {"one step right", 3, 3, 4, 3, {{3, 3}}},
      {"horizontal", 1, 2, 5, 2, {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},
      {"horizontal leftwards", 5, 2, 1, 2, {{5, 2}, {4, 2}, {3, 2}, {2, 2}}},
      {"vertical down", 2, 1, 2, 4, {{2, 1}, {2, 2}, {2, 3}}},
      {"vertical up", 2, 4, 2, 1, {{2, 4}, {2, 3}, {2, 2}}},
      {"diagonal", 0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
      {"steep, one column over", 1, 0, 2, 4, {{1, 0}, {1, 1}, {1, 2}, {2, 3}}},
      {"clipped at the left", -3, 1, 2, 1, {{0, 1}, {1, 1}}},
      {"off the image", -5, -5, -1, 9, {}},
      {"through and out the bottom", 4, 6, 4, 20, {{4, 6}, {4, 7}}},
  };
  for (const Row& r : rows) {
    Image image(8, 8);
    image.SetPenColor(kPen);
    image.MoveTo(r.x0, r.y0);
    image.LineTo(r.x1, r.y1);
    EXPECT_EQ(Painted(image), r.pixels) << r.what;
    EXPECT_EQ(image.PenX(), r.x1);
    EXPECT_EQ(image.PenY(), r.y1);
  }
}

TEST(ImageColors, StoredAsBgr) {
  struct Row {
    Color color;
    int r, g, b;
  };
  const Row rows[] = {{0xFF0000, 0, 0, 255}, {0x0000FF, 255, 0, 0}, {0xFFCCFF, 255, 204, 255}, {0x004400, 0, 0x44, 0}};
  for (const Row& r : rows) {
    Image image(2, 2);
    image.SetBrushColor(r.color);
    image.Fill();
    EXPECT_EQ(image.Pixel(1, 1), r.color);
    EXPECT_EQ(image.Qt().pixel(1, 1), qRgb(r.r, r.g, r.b));
  }
}

TEST(ImageCopies, OpaqueAndClipped) {
  Image source(4, 4);
  source.SetBrushColor(0x00AA00);
  source.Fill();
  Image target(6, 6);
  target.CopyFrom(source, 3, -1);
  EXPECT_EQ(target.Pixel(3, 0), 0x00AA00u);
  EXPECT_EQ(target.Pixel(5, 2), 0x00AA00u);
  EXPECT_EQ(target.Pixel(5, 3), 0xFFFFFFu);
  EXPECT_EQ(target.Pixel(2, 0), 0xFFFFFFu);
}

TEST(ImageCopies, DrawingAfterAQtCopyLeavesTheCopyAlone) {
  Image image(4, 4);
  const QImage before = image.Qt();
  image.SetPenColor(kPen);
  image.MoveTo(0, 0);
  image.LineTo(3, 0);
  EXPECT_EQ(before.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(image.Pixel(0, 0), kPen);
}

TEST(ImageText, OpaqueBoxAtTheTopLeftCorner) {
  Image image(100, 40);
  image.SetBrushColor(0x808080);
  image.Font() = FontSettings{QStringLiteral("Arial"), true, 10, 0xFFFFFF};
  const QSize cell = image.TextExtent(QStringLiteral("370"));
  ASSERT_GT(cell.width(), 10);
  ASSERT_GT(cell.height(), 10);
  image.TextOut(20, 10, QStringLiteral("370"));
  int grey = 0, white = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) {
      const Color c = image.Pixel(x, y);
      const bool inside = x >= 20 && x < 20 + cell.width() && y >= 10 && y < 10 + cell.height();
      if (!inside) ASSERT_EQ(c, 0xFFFFFFu) << x << "," << y;
      else if (c == 0x808080) ++grey;
      else if (c == 0xFFFFFF) ++white;
      else ADD_FAILURE() << "smoothed pixel at " << x << "," << y;
    }
  EXPECT_GT(white, 20);  // the digits
  EXPECT_GT(grey, white);
  EXPECT_EQ(image.Pixel(20, 10), 0x808080u);
}

TEST(RecordingCanvas, KeepsSegmentsWithPen) {
  RecordingCanvas c;
  c.SetPenWidth(3);
  c.SetPenColor(0x0000FF);
  c.MoveTo(1, 2);
  c.LineTo(5, 2);
  c.LineTo(5, 9);
  ASSERT_EQ(c.segments.size(), 2u);
  EXPECT_EQ(c.segments[1], (RecordingCanvas::Segment{5, 2, 5, 9, 3, 0x0000FF}));
  EXPECT_EQ(c.moves, std::vector<std::size_t>{0});
}

}  // namespace
}  // namespace corvale
