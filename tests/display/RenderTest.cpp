#include <gtest/gtest.h>

#include <memory>

#include "display/Render.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

class Screen : public ::testing::Test {
 protected:
  std::unique_ptr<LeadArrays> leads = std::make_unique<LeadArrays>();
  DisplayState state;
  Image grid{1040, 760}, stripGrid{1040, 100}, trace{1040, 760}, strip{1040, 100};
  TraceLayout layout;

  void Render() {
    RenderGrid(state, *leads, grid, stripGrid);
    layout = RenderTraces(state, *leads, grid, stripGrid, trace, strip);
  }
  void Load(const test::RecordBuilder& b) { DeriveLeadArrays(b.Image(), *leads); }
  Color Ink() const { return state.Colors.TraceColor; }
  // Rows [from, to] at column x that carry trace ink.
  std::vector<int> InkRows(const Image& image, int x, int from, int to) const {
    std::vector<int> rows;
    for (int y = from; y <= to; ++y)
      if (image.Pixel(x, y) == Ink()) rows.push_back(y);
    return rows;
  }
};

TEST_F(Screen, StartUpStateShowsSixFlatLimbLinesWithPulses) {
  Render();
  const int zero[] = {140, 256, 373, 490, 606, 723};
  for (int y0 : zero) {
    for (int x : {0, 1, 250, 498})
      EXPECT_EQ(InkRows(trace, x, y0 - 60, y0 + 10), (std::vector<int>{y0, y0 + 1})) << "x " << x << " y " << y0;
    // The line ends at (499, y0), which is its end point and not painted.
    EXPECT_EQ(InkRows(trace, 499, y0 - 60, y0 + 10), std::vector<int>{});
    // Pulse: baseline 500..503, rise at 504 to 40 px up, top 504..515, fall at 516, baseline to 519.
    EXPECT_EQ(InkRows(trace, 502, y0 - 60, y0 + 10), (std::vector<int>{y0, y0 + 1}));
    EXPECT_EQ(trace.Pixel(504, y0 - 20), Ink());
    EXPECT_EQ(trace.Pixel(510, y0 - 40), Ink());
    EXPECT_EQ(trace.Pixel(510, y0 - 39), Ink());  // second pass
    EXPECT_NE(trace.Pixel(510, y0 - 41), Ink());
    EXPECT_EQ(trace.Pixel(516, y0 - 20), Ink());
    EXPECT_EQ(trace.Pixel(519, y0), Ink());
  }
  // Chest column: equal proportional bands.
  for (int y0 : {156, 273, 390, 506, 623, 740})
    EXPECT_EQ(InkRows(trace, 700, y0 - 30, y0 + 10), (std::vector<int>{y0, y0 + 1}));
}

TEST_F(Screen, PaperGrid) {
  Render();
  // Scheme 1: white paper, light pink minor lines, pink major lines.
  constexpr Color paper = 0xFFFFFF, minor = 0xFFCCFF, major = 0xFF88FF;
  struct Row {
    int x, y;
    Color color;
    const char* what;
  };
  const Row main[] = {
      {20, 4, minor, "minor row crosses major column"},
      {4, 20, major, "major row runs unbroken"},
      {0, 0, major, "origin"},
      {1036, 1, minor, "last column"},
      {1037, 1, paper, "no line after 1036"},
      {1039, 1, paper, "no line at 1040"},
      {1, 756, minor, "last row"},
      {1, 757, paper, "nothing below 756"},
      {1, 740, major, "last major row"},
      {2, 2, paper, "inside a square"},
  };
  for (const Row& r : main) EXPECT_EQ(grid.Pixel(r.x, r.y), r.color) << r.what;
  // The strip's paper (away from lead II's trace at y 70..71 and its pulse).
  const Row stripRows[] = {
      {0, 2, major, "first column"},
      {3, 2, paper, "inside a square"},
      {4, 2, minor, "minor column"},
      {20, 2, major, "major column"},
      {1020, 2, major, "last major column"},
      {1036, 2, minor, "last column"},
      {1037, 2, paper, "no line after 1036"},
      {2, 0, major, "first row"},
      {2, 4, minor, "minor row"},
      {20, 4, minor, "minor row crosses major column"},
      {2, 80, major, "last major row"},
      {2, 96, minor, "last row"},
      {2, 97, paper, "nothing below 96"},
      {2, 99, paper, "bottom edge"},
  };
  for (const Row& r : stripRows) EXPECT_EQ(stripGrid.Pixel(r.x, r.y), r.color) << "strip: " << r.what;
  int majorRows = 0, minorRows = 0;
  for (int y = 0; y < 100; ++y) {
    majorRows += stripGrid.Pixel(2, y) == major;
    minorRows += stripGrid.Pixel(2, y) == minor;
  }
  EXPECT_EQ(majorRows, 5);   // y 0, 20, 40, 60, 80
  EXPECT_EQ(minorRows, 20);  // the other multiples of 4 up to 96
}

TEST_F(Screen, StripZeroLine) {
  struct Row {
    std::int16_t value;
    int zero;
  };
  const Row rows[] = {{100, 70}, {-100, 12}};  // all positive: offset 0; all negative: offset 1
  for (const Row& r : rows) {
    test::RecordBuilder b;
    b.Lead(1, [&](int n) { return n < 100 ? r.value : std::int16_t{0}; });
    Load(b);
    Render();
    // Sample 2000 is zero: the strip sits on its zero line at x = 400, two rows.
    EXPECT_EQ(InkRows(stripGrid, 400, 0, 99), (std::vector<int>{r.zero, r.zero + 1})) << r.value;
    // Pulse: its rising edge at x = 1010.
    EXPECT_EQ(stripGrid.Pixel(1010, r.zero - 5), Ink());
  }
}

TEST_F(Screen, EachLeadAtItsOwnGain) {
  // 205 units = 40.016 px at gain 1: 40, 20 and 10 px at gains 1, 2, 4. Each
  // lead has its own gain, so a trace or pulse drawn at another lead's gain fails.
  test::RecordBuilder b;
  for (int lead = 0; lead < 12; ++lead)
    b.Lead(lead, [](int n) { return n >= 1000 && n < 2000 ? std::int16_t{205} : std::int16_t{0}; });
  Load(b);
  const double gains[12] = {1, 2, 4, 2, 4, 1, 4, 1, 2, 1, 4, 2};
  const int steps[12] = {40, 20, 10, 20, 10, 40, 10, 40, 20, 40, 10, 20};
  for (std::size_t k = 0; k < 12; ++k) state.LeadGain[k] = gains[k];
  Render();
  for (int lead = 0; lead < 12; ++lead) {
    const int y0 = layout.ZeroLineY(lead);
    const int left = lead < 6 ? 0 : 520;
    const int step = steps[lead];
    // Samples 1000..1999 lie at x 200..399; the pulse's top at x 504..515.
    EXPECT_EQ(InkRows(trace, left + 300, y0 - 50, y0 + 4), (std::vector<int>{y0 - step, y0 - step + 1})) << lead;
    EXPECT_EQ(InkRows(trace, left + 510, y0 - 50, y0 + 4), (std::vector<int>{y0 - step, y0 - step + 1})) << lead;
  }
  // The rhythm strip is lead II at lead II's gain (1/2): 20 px, its pulse too.
  // All samples are 0 or positive, so the strip's zero line is at y 70.
  EXPECT_EQ(InkRows(stripGrid, 300, 0, 99), (std::vector<int>{50, 51}));
  EXPECT_EQ(InkRows(stripGrid, 1020, 0, 99), (std::vector<int>{50, 51}));
  EXPECT_EQ(InkRows(stripGrid, 100, 0, 99), (std::vector<int>{70, 71}));
}

TEST_F(Screen, AmplitudesTruncateTowardZero) {
  // Pixels above the zero line for a sample on lead III at gain 1.
  // -19 units = -3.7088 px: drawn 3 px below, not 4.
  // 625 units are 625 x 4.88 x 0.04 = 122 px exactly in decimal, but 4.88 and
  // 0.04 as doubles multiply (in extended precision) to 121.99999999999999987:
  // the sample is drawn 121 px up, and -625 121 px down; 1250 gives 243.
  struct Row {
    std::int16_t sample;
    int up;
  };
  const Row rows[] = {{-19, -3}, {19, 3}, {625, 121}, {-625, -121}, {1250, 243}, {205, 40}};
  for (const Row& r : rows) {
    test::RecordBuilder b;
    b.Lead(2, [&](int n) { return n >= 500 ? r.sample : std::int16_t{0}; });
    Load(b);
    Render();
    // All below zero, lead III has offset 1: its zero line is 333 - trunc(700 / 6 / 2) + 40.
    const int y0 = layout.ZeroLineY(2);
    if (r.sample < 0) {
      EXPECT_EQ(y0, 315) << r.sample;
    }
    EXPECT_EQ(InkRows(trace, 20, y0 - 5, y0 + 8), (std::vector<int>{y0, y0 + 1})) << r.sample;
    const int y = y0 - r.up;
    EXPECT_EQ(InkRows(trace, 300, y - 2, y + 3), (std::vector<int>{y, y + 1})) << r.sample;
    EXPECT_EQ(AmplitudePixels(r.sample, 1.0), r.up) << r.sample;
  }
}

TEST_F(Screen, ColourSchemesAndRestore) {
  Render();
  const QImage first = trace.Qt().copy();
  const QImage firstStrip = strip.Qt().copy();
  // Colours as 0x00BBGGRR: background, minor grid, major grid, trace, window frame.
  struct Row {
    int scheme;
    Color background, minor, major, ink, frame;
  };
  const Row rows[] = {{1, 0xFFFFFF, 0xFFCCFF, 0xFF88FF, 0x000000, 0xFF0000},
                      {2, 0x000000, 0x004400, 0x007700, 0xFFFFFF, 0x00FFFF},
                      {3, 0x000000, 0x006600, 0x009900, 0xFFFFFF, 0x00FFFF}};
  for (const Row& r : rows) {
    const ColorScheme c = SchemeColors(r.scheme);
    EXPECT_EQ(c, (ColorScheme{r.background, r.ink, r.minor, r.major, r.frame})) << r.scheme;
    state.Colors = c;
    Render();
    EXPECT_EQ(trace.Pixel(2, 2), r.background) << r.scheme;
    EXPECT_EQ(trace.Pixel(20, 4), r.minor) << r.scheme;
    EXPECT_EQ(trace.Pixel(4, 20), r.major) << r.scheme;
    EXPECT_EQ(trace.Pixel(100, 140), r.ink) << r.scheme;  // lead I's flat line
    EXPECT_EQ(strip.Pixel(2, 2), r.background) << r.scheme;
    EXPECT_EQ(strip.Pixel(4, 20), r.major) << r.scheme;
    EXPECT_EQ(strip.Pixel(100, 70), r.ink) << r.scheme;  // the rhythm strip
    EXPECT_EQ(strip.Pixel(200, 10), r.frame) << r.scheme;
    // As the screen shows them: red, green, blue.
    EXPECT_EQ(trace.Qt().pixel(4, 20) & 0xFFFFFF,
              static_cast<QRgb>((r.major & 0xFF) << 16 | (r.major & 0xFF00) | (r.major >> 16)))
        << r.scheme;
  }
  state.Colors = SchemeColors(1);
  Render();
  EXPECT_EQ(trace.Qt(), first);
  EXPECT_EQ(strip.Qt(), firstStrip);
}

TEST_F(Screen, TimeWindowsAndFrames) {
  // Lead I and V1 carry a spike of 50 px at a single sample.
  auto spikeAt = [&](int sample) {
    test::RecordBuilder b;
    for (int lead : {0, 6}) b.Lead(lead, [&](int n) { return n == sample ? std::int16_t{256} : std::int16_t{0}; });
    Load(b);
  };
  struct Row {
    int span, offset, sample;
    int limbX, chestX;
  };  // x -1: not shown
  const Row rows[] = {
      {1, 0, 1234, 246, 520 + 246},   {1, 2499, 4998, 499, 520 + 499},
      {1, 2499, 4999, -1, -1},   // never shown in 5 s mode
      {2, 2499, 1234, 246, -1},  // 10 s: the limb column shows 0..2499 whatever the offset
      {2, 0, 2600, -1, 520 + 20},     {1, 9000, 4998, 499, 520 + 499},  // an offset out of range is taken as 2499
      {1, -50, 1234, 246, 520 + 246},                                   // and one below as 0
  };
  for (const Row& r : rows) {
    spikeAt(r.sample);
    state.DisplaySpan = r.span;
    state.TimeOffset = r.offset;
    Render();
    for (int lead : {0, 6}) {
      // Lead I in the first equal slot; V1 holds 256 of the chest column's 261 units of range.
      const int y0 = lead == 0 ? 140 : 726;
      EXPECT_EQ(layout.ZeroLineY(lead), y0);
      const int x = lead == 0 ? r.limbX : r.chestX;
      const int left = lead == 0 ? 0 : 520;
      int spikeColumn = -1;
      for (int cx = left; cx < left + 500; ++cx)
        if (trace.Pixel(cx, y0 - 45) == Ink()) spikeColumn = cx;
      EXPECT_EQ(spikeColumn, x) << "span " << r.span << " offset " << r.offset << " sample " << r.sample << " lead "
                                << lead;
    }
  }
  // Frames in the lower view.
  const Color frame = state.Colors.WindowFrameColor;
  state.DisplaySpan = 2;
  Render();
  for (auto [x, y] : {std::pair{0, 10}, {998, 10}, {999, 50}, {0, 50}, {500, 90}})
    EXPECT_EQ(strip.Pixel(x, y), frame) << x << "," << y;
  EXPECT_NE(strip.Pixel(1000, 10), frame);
  state.DisplaySpan = 1;
  state.TimeOffset = 2499;
  Render();
  for (auto [x, y] : {std::pair{499, 50}, {999, 50}, {700, 10}, {700, 90}})
    EXPECT_EQ(strip.Pixel(x, y), frame) << x << "," << y;
  EXPECT_NE(strip.Pixel(498, 50), frame);
}

TEST_F(Screen, EveryVertexOfARealRecordLiesWhereTheFormulaPutsIt) {
  RecordImage image;
  ASSERT_FALSE(ReadRecordFile(test::SourcePath("samples/A0004.nrm"), image));
  DeriveLeadArrays(image, *leads);
  // Zero lines of A0004 with aVL at 1/2, and each lead's first vertex (sample 1234).
  struct Row {
    int mode;
    std::array<int, 12> zero, first;
  };
  const Row rows[] = {
      {1,
       {140, 280, 401, 576, 653, 720, 67, 189, 376, 521, 636, 711},
       {105, 284, 441, 591, 634, 742, 110, 260, 452, 615, 583, 637}},
      {2,
       {109, 246, 385, 565, 642, 690, 67, 189, 376, 521, 636, 711},
       {74, 250, 425, 580, 623, 712, 110, 260, 452, 615, 583, 637}},
      {3,
       {104, 207, 333, 474, 578, 679, 67, 189, 376, 521, 636, 711},
       {69, 211, 373, 489, 559, 701, 110, 260, 452, 615, 583, 637}},
  };
  for (const Row& r : rows) {
    state.LimbLeadMode = r.mode;
    state.TimeOffset = 1234;
    state.LeadGain[4] = 2.0;
    Render();
    int checked = 0;
    for (int lead = 0; lead < 12; ++lead) {
      const auto l = static_cast<std::size_t>(lead);
      EXPECT_EQ(layout.ZeroLineY(lead), r.zero[l]) << "mode " << r.mode << " lead " << lead;
      const int left = lead < 6 ? 0 : 520;
      // The amplitude as the display defines it: trunc(sample * 4.88 * 0.04 / gain).
      auto amplitude = [&](int k) {
        return static_cast<int>(static_cast<long double>(leads->Sample(lead, 1234 + k)) * 4.88 * 0.04 /
                                state.LeadGain[l]);
      };
      EXPECT_EQ(r.zero[l] - amplitude(0), r.first[l]) << "mode " << r.mode << " lead " << lead;
      for (int pass = 0; pass < 2; ++pass)
        // A vertex is painted as the start of a later segment; the last group
        // of five, at x = 499, may end on zero-length segments.
        for (int k = 0; k < 2495; ++k) {
          const int y = r.zero[l] + pass - amplitude(k);
          if (y < 0 || y >= 760) continue;
          ASSERT_EQ(trace.Pixel(left + k / 5, y), Ink()) << "mode " << r.mode << " lead " << lead << " k " << k;
          ++checked;
        }
    }
    EXPECT_GT(checked, 50000);
  }
}

}  // namespace
}  // namespace corvale
