#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "display/LeadLabels.h"
#include "display/Render.h"
#include "gfx/TextInk.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

// Integer-only waveforms, so that the record is the same on every machine.
test::RecordBuilder Synthetic() {
  test::RecordBuilder b;
  for (int lead = 0; lead < 12; ++lead)
    b.Lead(lead, [lead](int n) {
      const int tri = ((n * (lead + 3)) % 200 - 100) * (lead % 3 + 1);
      const int spike = n % 500 < 10 ? 600 - 90 * lead : 0;
      return static_cast<std::int16_t>(tri + spike - 10 * lead);
    });
  return b;
}

// The display states whose pictures are pinned below.
DisplayState PinnedState(int k) {
  DisplayState s;
  if (k == 1) {
    s.LimbLeadMode = 1;
    s.LeadGain[3] = 4;
    s.LeadGain[1] = 2;
  }
  if (k == 2) {
    s.LimbLeadMode = 2;
    s.DisplaySpan = 2;
    s.Colors = SchemeColors(2);
  }
  if (k == 3) {
    s.Colors = SchemeColors(3);
    s.TimeOffset = 1234;
  }
  return s;
}

std::uint64_t Fnv(const Image& a, std::uint64_t h) {
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const Color c = a.Pixel(x, y);
      for (int b = 0; b < 4; ++b) {
        h ^= (c >> (8 * b)) & 0xFF;
        h *= 1099511628211ull;
      }
    }
  return h;
}

class Labels : public ::testing::Test {
 protected:
  std::unique_ptr<LeadArrays> leads = std::make_unique<LeadArrays>();
  Image grid{1040, 760}, stripGrid{1040, 100}, trace{1040, 760}, strip{1040, 100};
  Image bareTrace{1040, 760}, bareStrip{1040, 100};
  TraceLayout layout;

  void Load(const test::RecordBuilder& b) { DeriveLeadArrays(b.Image(), *leads); }
  void LoadSample(const char* name) {
    RecordImage image;
    ASSERT_FALSE(ReadRecordFile(test::SourcePath(QStringLiteral("samples/%1").arg(name)), image));
    DeriveLeadArrays(image, *leads);
  }
  // Renders `state` with names into trace/strip and without into bareTrace/bareStrip.
  void RenderBoth(DisplayState state) {
    RenderGrid(state, *leads, grid, stripGrid);
    state.LeadNames = false;
    RenderTraces(state, *leads, grid, stripGrid, bareTrace, bareStrip);
    state.LeadNames = true;
    layout = RenderTraces(state, *leads, grid, stripGrid, trace, strip);
  }
  // Every pixel outside `boxes` equal to the bare image; inside, each pixel is
  // either the bare pixel or the ink colour, and every ink pixel of the text
  // lies where its mask says.
  static void ExpectOnlyLabelsDiffer(const Image& named, const Image& bare, const std::vector<QRect>& boxes, Color ink,
                                     const char* what) {
    int differing = 0;
    for (int y = 0; y < named.Height(); ++y)
      for (int x = 0; x < named.Width(); ++x) {
        if (named.Pixel(x, y) == bare.Pixel(x, y)) continue;
        ++differing;
        bool inside = false;
        for (const QRect& r : boxes) inside = inside || r.contains(x, y);
        ASSERT_TRUE(inside) << what << ": pixel " << x << "," << y << " changed outside every label";
        ASSERT_EQ(named.Pixel(x, y), ink) << what << ": " << x << "," << y;
      }
    EXPECT_GT(differing, 0) << what;
  }
  static void ExpectInk(const Image& image, const LeadLabel& label, const TextFont& font, Color ink) {
    const TextInk mask = RenderTextInk(label.text, font);
    ASSERT_EQ(mask.bounds.translated(label.origin), label.box) << label.text.toStdString();
    int pixels = 0;
    for (int y = 0; y < mask.mask.height(); ++y)
      for (int x = 0; x < mask.mask.width(); ++x)
        if (mask.mask.constScanLine(y)[x]) {
          ++pixels;
          ASSERT_EQ(image.Pixel(label.box.x() + x, label.box.y() + y), ink) << label.text.toStdString();
        }
    EXPECT_GT(pixels, 5) << label.text.toStdString();
  }
};

TEST_F(Labels, NamesOffGiveTodaysPictures) {
  // Checksums of the trace and strip images of these states, taken before lead
  // names existed.
  const std::uint64_t today[] = {0xd6157d1cc04981c8ull, 0xb2d55639e4a86939ull, 0xfbcb67dde3b106a0ull,
                                 0x5037d5ce44d5c8edull};
  Load(Synthetic());
  for (int k = 0; k < 4; ++k) {
    DisplayState s = PinnedState(k);
    s.LeadNames = false;
    RenderGrid(s, *leads, grid, stripGrid);
    RenderTraces(s, *leads, grid, stripGrid, trace, strip);
    EXPECT_EQ(Fnv(strip, Fnv(trace, 14695981039346656037ull)), today[k]) << "state " << k;
  }
}

TEST_F(Labels, NamesAtTheirPlaceAndNothingElseChanges) {
  Load(Synthetic());
  for (int k = 0; k < 4; ++k) {
    const DisplayState s = PinnedState(k);
    RenderBoth(s);
    const LeadLabelPlacement p = PlaceLeadLabels(s, layout);
    std::vector<QRect> boxes;
    for (const LeadLabel& l : p.leads) boxes.push_back(l.box);
    ExpectOnlyLabelsDiffer(trace, bareTrace, boxes, s.Colors.TraceColor, "trace");
    ExpectOnlyLabelsDiffer(strip, bareStrip, {p.strip.box}, s.Colors.TraceColor, "strip");
    for (const LeadLabel& l : p.leads) ExpectInk(trace, l, LeadLabelFont(), s.Colors.TraceColor);
    ExpectInk(strip, p.strip, StripLabelFont(), s.Colors.TraceColor);
    for (int lead = 0; lead < 12; ++lead) EXPECT_EQ(p.leads[static_cast<std::size_t>(lead)].text, LeadName(lead));
    EXPECT_EQ(p.strip.text, QStringLiteral("II"));
  }
}

TEST_F(Labels, EqualSlotsAndEqualBandsPutNamesInRows) {
  // Six equal ranges per column: 700/6 per band in every mode, so the limb
  // names (in the slots of mode 3 as in the bands of modes 1 and 2) and the
  // chest names lie in the same rows, 3 px below each band's top.
  test::RecordBuilder b;
  for (int lead = 0; lead < 12; ++lead)
    b.Lead(lead, [](int n) { return n % 100 == 0 ? std::int16_t{300} : std::int16_t{0}; });
  Load(b);
  const int rows[] = {43, 160, 277, 393, 510, 627};  // ceil(40 + k x 700/6) + 3
  for (int mode : {1, 2, 3}) {
    DisplayState s;
    s.LimbLeadMode = mode;
    RenderBoth(s);
    const LeadLabelPlacement p = PlaceLeadLabels(s, layout);
    for (int k = 0; k < 12; ++k) {
      const QRect box = p.leads[static_cast<std::size_t>(k)].box;
      EXPECT_EQ(box.top(), rows[k % 6]) << "mode " << mode << " lead " << k;
      EXPECT_EQ(box.left(), k < 6 ? 4 : 524) << "mode " << mode << " lead " << k;
    }
  }
}

TEST_F(Labels, NamesStayInsideTheirBandsOfARealRecord) {
  LoadSample("A0004.nrm");
  struct Row {
    int mode;
    int span;
    double gainII;
  };
  const Row rows[] = {{1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {1, 2, 2}, {2, 2, 4}, {3, 2, 2}};
  for (const Row& r : rows) {
    DisplayState s;
    s.LimbLeadMode = r.mode;
    s.DisplaySpan = r.span;
    s.LeadGain[1] = r.gainII;
    RenderBoth(s);
    const LeadLabelPlacement p = PlaceLeadLabels(s, layout);
    const auto tops = LeadBandTops(s, layout, 1.0);
    for (int k = 0; k < 12; ++k) {
      const auto i = static_cast<std::size_t>(k);
      const bool slot = k < 6 && r.mode == 3;
      const double bottom = slot ? 40 + (k + 1) * (700.0 / 6) : 40 + layout.LeadBaseY[i];
      const QRect box = p.leads[i].box;
      const int left = k < 6 ? 0 : 520;
      EXPECT_GE(box.top(), tops[i]) << "mode " << r.mode << " lead " << k;
      EXPECT_LT(box.bottom(), bottom) << "mode " << r.mode << " lead " << k;
      EXPECT_GE(box.left(), left) << k;
      EXPECT_LT(box.right(), left + 500) << k;
      // In a slot the zero line, raised by at most half a slot, stays below the name.
      if (slot) {
        EXPECT_GT(layout.ZeroLineY(k), box.bottom()) << "lead " << k;
      }
    }
  }
}

TEST_F(Labels, ThinBandsNeverMakeNamesOverlap) {
  // II, III, V2 and V3 flat: in the proportional layouts their bands are 0 px
  // high, and the names are pushed apart instead of printed over each other.
  test::RecordBuilder b;
  for (int lead : {0, 3, 4, 6, 9, 10, 11})
    b.Lead(lead, [](int n) { return n % 250 < 5 ? std::int16_t{400} : std::int16_t{-50}; });
  // aVF takes most of the column.
  b.Lead(5, [](int n) { return n % 250 < 5 ? std::int16_t{4000} : std::int16_t{-50}; });
  Load(b);
  for (int mode : {1, 2}) {
    DisplayState s;
    s.LimbLeadMode = mode;
    RenderBoth(s);
    const LeadLabelPlacement p = PlaceLeadLabels(s, layout);
    for (int column = 0; column < 2; ++column)
      for (int r = 1; r < 6; ++r) {
        const QRect above = p.leads[static_cast<std::size_t>(column * 6 + r - 1)].box;
        const QRect below = p.leads[static_cast<std::size_t>(column * 6 + r)].box;
        EXPECT_GT(below.top(), above.bottom() + 1) << "mode " << mode << " column " << column << " row " << r;
        EXPECT_LT(below.bottom(), 760);
      }
    std::vector<QRect> boxes;
    for (const LeadLabel& l : p.leads) boxes.push_back(l.box);
    ExpectOnlyLabelsDiffer(trace, bareTrace, boxes, s.Colors.TraceColor, "thin bands");
  }
}

TEST(SpreadLabels, PushesApartAndKeepsInside) {
  using A = std::array<int, 6>;
  struct Row {
    const char* what;
    A wanted;
    A placed;
  };
  const Row rows[] = {
      {"apart enough", {10, 40, 70, 100, 130, 160}, {10, 40, 70, 100, 130, 160}},
      {"exactly height + gap", {10, 22, 34, 46, 58, 70}, {10, 22, 34, 46, 58, 70}},
      {"two on one row", {10, 10, 70, 100, 130, 160}, {10, 22, 70, 100, 130, 160}},
      {"a crowd pushes on", {10, 12, 14, 30, 130, 160}, {10, 22, 34, 46, 130, 160}},
      {"past the end: pulled back up", {10, 40, 70, 100, 195, 198}, {10, 40, 70, 100, 178, 190}},
      {"all at the end", {200, 200, 200, 200, 200, 200}, {130, 142, 154, 166, 178, 190}},
  };
  for (const Row& r : rows) EXPECT_EQ(SpreadLabels(r.wanted, 10, 2, 200), r.placed) << r.what;
}

TEST_F(Labels, StripNameStaysAboveEveryFramePosition) {
  Load(Synthetic());
  for (int offset : {0, 15, 20, 40, 1234, 2499}) {
    for (int span : {1, 2}) {
      DisplayState s;
      s.TimeOffset = offset;
      s.DisplaySpan = span;
      RenderBoth(s);
      const LeadLabel label = PlaceLeadLabels(s, layout).strip;
      EXPECT_GE(label.box.top(), 0);
      EXPECT_LE(label.box.bottom(), 8) << "a clear row above the frame's line at y 10";
      EXPECT_EQ(label.box.left(), 4);
      // The frame is whole: its upper line keeps its colour under the name's columns.
      const int x0 = span == 2 ? 0 : offset / 5;
      for (int x = std::max(x0, label.box.left()); x <= label.box.right(); ++x)
        EXPECT_EQ(strip.Pixel(x, 10), s.Colors.WindowFrameColor) << "offset " << offset << " x " << x;
      ExpectOnlyLabelsDiffer(strip, bareStrip, {label.box}, s.Colors.TraceColor, "strip");
    }
  }
}

TEST_F(Labels, SamePixelsEveryRender) {
  LoadSample("A0001.nrm");
  DisplayState s;
  RenderBoth(s);
  const QImage first = trace.Qt().copy(), firstStrip = strip.Qt().copy();
  Image again{1040, 760}, againStrip{1040, 100};
  RenderTraces(s, *leads, grid, stripGrid, again, againStrip);
  EXPECT_EQ(again.Qt(), first);
  EXPECT_EQ(againStrip.Qt(), firstStrip);
  // Turning names off and on again restores both pictures exactly.
  s.LeadNames = false;
  RenderTraces(s, *leads, grid, stripGrid, again, againStrip);
  EXPECT_EQ(again.Qt(), bareTrace.Qt());
  s.LeadNames = true;
  RenderTraces(s, *leads, grid, stripGrid, again, againStrip);
  EXPECT_EQ(again.Qt(), first);
}

TEST(LeadBandTops, SlotsAndBandsAtAnyScale) {
  auto leads = std::make_unique<LeadArrays>();
  DisplayState s;
  TraceLayout layout;
  for (int k = 0; k < 12; ++k) layout.LeadBaseY[static_cast<std::size_t>(k)] = 100.0 * (k % 6 + 1);
  struct Row {
    int mode;
    double unit;
    int lead;
    double top;
  };
  const Row rows[] = {
      {3, 1, 0, 40},
      {3, 1, 1, 40 + 700.0 / 6},
      {3, 1, 5, 40 + 5 * 700.0 / 6},
      {3, 6, 2, 6 * (40 + 2 * 700.0 / 6)},  // the page: the same slots in device pixels
      {1, 1, 0, 40},
      {1, 1, 3, 40 + 300},
      {2, 6, 4, 6 * 40 + 400},  // proportional: after the band before
      {3, 1, 6, 40},
      {3, 1, 8, 40 + 200},
      {1, 6, 11, 6 * 40 + 500},  // chest: always proportional
  };
  for (const Row& r : rows) {
    s.LimbLeadMode = r.mode;
    EXPECT_NEAR(LeadBandTops(s, layout, r.unit)[static_cast<std::size_t>(r.lead)], r.top, 1e-9)
        << "mode " << r.mode << " unit " << r.unit << " lead " << r.lead;
  }
}

}  // namespace
}  // namespace corvale
