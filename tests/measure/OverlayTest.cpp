#include <gtest/gtest.h>

#include "measure/Overlay.h"

namespace corvale {
namespace {

// The overlay's colours as 0x00BBGGRR, written out rather than taken from the code.
constexpr Color kBlue = 0xFF0000, kRed = 0x0000FF, kMagenta = 0xFF00FF, kGrey = 0x808080, kWhite = 0xFFFFFF;

class OverlayTest : public ::testing::Test {
 protected:
  Image trace{1040, 760};
  Overlay overlay;
  MeasurementList list;
  int shown = 0;

  void SetUp() override {
    overlay.OverlayImage.SetSize(1040, 760);
    overlay.show = [this](const Image&) { ++shown; };
    trace.SetBrushColor(0xFFFFFF);
    trace.Fill();
  }
  void Add(int x1, int x2, int y2) {
    list.items[static_cast<std::size_t>(list.MeasurementCount++)] = {x1, 0, x2, y2, CaliperValue(x1, x2)};
  }
  Color At(int x, int y) const { return overlay.OverlayImage.Pixel(x, y); }
};

// Text cells of the labels' face, bold Arial (Liberation Sans) 10 pt at 96 dpi.
const QSize kCell370{22, 15}, kCell0{7, 15}, kCell1000{29, 15};

TEST_F(OverlayTest, LabelCells) {
  ApplyOverlayStyle(overlay.OverlayImage);
  EXPECT_EQ(overlay.OverlayImage.TextExtent(QStringLiteral("370")), kCell370);
  EXPECT_EQ(overlay.OverlayImage.TextExtent(QStringLiteral("0")), kCell0);
  EXPECT_EQ(overlay.OverlayImage.TextExtent(QStringLiteral("1000")), kCell1000);
}

TEST_F(OverlayTest, NoMeasurementsShowsTheTraceUnchanged) {
  trace.SetPenColor(0x123456);
  trace.MoveTo(5, 5);
  trace.LineTo(500, 700);
  ComposeOverlay(trace, list, overlay);
  EXPECT_EQ(overlay.OverlayImage.Qt(), trace.Qt());
  EXPECT_EQ(shown, 1);
}

TEST_F(OverlayTest, MarksBarAndLabel) {
  Add(100, 137, 300);
  ComposeOverlay(trace, list, overlay);
  EXPECT_EQ(list.items[0].Value, 370);
  for (int y : {0, 200, 759}) {
    EXPECT_EQ(At(100, y), kBlue) << y;
    EXPECT_EQ(At(137, y), kBlue) << y;
  }
  EXPECT_EQ(At(101, 300), kBlue);  // bar
  EXPECT_EQ(At(136, 100), 0xFFFFFFu);
  // Label "370" with its cell's top-left at ((100 + 137) / 2 - 8, 300 - 8) = (110, 292).
  const QSize cell = kCell370;
  EXPECT_EQ(At(110, 292), kGrey);
  EXPECT_EQ(At(110 + cell.width() - 1, 292 + cell.height() - 1), kGrey);
  EXPECT_NE(At(109, 292), kGrey);
  EXPECT_NE(At(110, 291), kGrey);
  // Inside the grey box only the characters are white (the trace under it is white too).
  int white = 0;
  for (int y = 292; y < 292 + cell.height(); ++y)
    for (int x = 110; x < 110 + cell.width(); ++x) white += At(x, y) == kWhite;
  EXPECT_GT(white, 20) << "white text";
  // The trace image itself never carries a mark.
  EXPECT_EQ(trace.Pixel(100, 10), 0xFFFFFFu);
}

TEST_F(OverlayTest, LabelsAreClippedNotMoved) {
  Add(3, 3, 400);    // label at x = -5
  Add(600, 700, 2);  // label at y = -6
  ComposeOverlay(trace, list, overlay);
  const QSize zero = kCell0;
  EXPECT_EQ(At(0, 392), kGrey);
  EXPECT_EQ(At(zero.width() - 6, 392), kGrey);
  EXPECT_NE(At(zero.width() - 5, 392), kGrey);
  const QSize thousand = kCell1000;
  EXPECT_EQ(At(642, 0), kGrey);
  EXPECT_EQ(At(642, thousand.height() - 7), kGrey);
  EXPECT_NE(At(642, thousand.height() - 6), kGrey);
}

TEST_F(OverlayTest, MarksEndAt759EvenOnATallerImage) {
  overlay.OverlayImage.SetSize(1040, 800);
  Image tall(1040, 800);
  Add(50, 90, 100);
  ComposeOverlay(tall, list, overlay);
  EXPECT_EQ(At(50, 759), kBlue);
  EXPECT_NE(At(50, 760), kBlue);
}

TEST_F(OverlayTest, ComposeDrawsLabelsOverEveryMark) {
  Add(100, 200, 300);  // label "1000" from (142, 292)
  Add(150, 400, 500);  // its left mark runs through that label
  ComposeOverlay(trace, list, overlay);
  const QSize cell = kCell1000;
  auto colourInBox = [&](Color color) {
    int n = 0;
    for (int y = 292; y < 292 + cell.height(); ++y)
      for (int x = 142; x < 142 + cell.width(); ++x) n += At(x, y) == color;
    return n;
  };
  EXPECT_EQ(colourInBox(kBlue), 0) << "a label is never crossed in ComposeOverlay";
  EXPECT_GT(colourInBox(kGrey), 0);
  // Drawn one by one, as the hover pass does, the later mark crosses the earlier label.
  PrepareOverlay(trace, overlay);
  DrawMeasurement(overlay, list.items[0], kMagenta);
  DrawMeasurement(overlay, list.items[1], kBlue);
  EXPECT_GT(colourInBox(kBlue), 0);
  EXPECT_EQ(At(100, 10), kMagenta);
}

TEST_F(OverlayTest, RubberBand) {
  Add(10, 20, 30);
  DrawRubberBand(trace, list, overlay, 300, 200, std::nullopt);
  EXPECT_EQ(shown, 1) << "the composition inside is not shown on its own";
  EXPECT_EQ(At(300, 0), kRed);
  EXPECT_EQ(At(300, 759), kRed);
  EXPECT_EQ(At(10, 100), kBlue);
  DrawRubberBand(trace, list, overlay, 300, 200, 263);
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(At(263, 5), kRed);
  EXPECT_EQ(At(265, 200), kRed);  // the bar, left of its label
  EXPECT_EQ(At(300, 5), kRed);
  // Live value 370 at ((263 + 300) / 2 - 8, 200 - 8).
  EXPECT_EQ(At(273, 192), kGrey);
  EXPECT_FALSE(overlay.OverlayCopySuppressed);
}

TEST(CaliperValue, IntegerArithmetic) {
  struct Row {
    int a, b, value;
  };
  const Row rows[] = {{100, 137, 370}, {137, 100, 370}, {5, 5, 0}, {-3, 4, 70}};
  for (const Row& r : rows) EXPECT_EQ(CaliperValue(r.a, r.b), r.value);
}

}  // namespace
}  // namespace corvale
