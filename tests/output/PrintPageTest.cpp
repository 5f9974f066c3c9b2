#include <gtest/gtest.h>

#include <QFile>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <memory>

#include "gfx/RecordingCanvas.h"
#include "output/PrintPage.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

using Segment = RecordingCanvas::Segment;

// The worked page: printable area 4800 x 6800, margin 50, pen width 2.
PageGeometry Worked() { return ComputePageGeometry(6800, 4800, 50); }

struct Job {
  RecordingCanvas canvas;
  std::vector<int> progress;
  int events = 0;
  std::vector<Segment> grid, traces;
};

std::unique_ptr<Job> Print(const PageGeometry& g, const PrintSettings& s, const DisplayState& state,
                           const LeadArrays& leads) {
  auto job = std::make_unique<Job>();
  PrintHooks hooks;
  hooks.progress = [&](int p) { job->progress.push_back(p); };
  hooks.processEvents = [&] { ++job->events; };
  DrawPrintPage(job->canvas, g, s, state, leads, hooks);
  for (const Segment& seg : job->canvas.segments)
    (seg.penWidth == g.GridPenWidth && job->traces.empty() ? job->grid : job->traces).push_back(seg);
  return job;
}

TEST(PrintGeometry, WorkedExample) {
  const PageGeometry g = Worked();
  EXPECT_EQ(GeneralFormat(g.UsableHeight), QStringLiteral("6460"));
  EXPECT_EQ(GeneralFormat(g.UsableWidth), QStringLiteral("4560"));
  EXPECT_EQ(g.PrintUnit, 6.0);
  EXPECT_EQ(g.PrintOriginX, 120);
  EXPECT_EQ(g.PrintOriginY, 240);
  EXPECT_EQ(g.GridPenWidth, 3);
  PrintSettings s;
  s.PenPattern = 1;
  EXPECT_EQ(ComputeTracePen(g, s).width, 8);
  EXPECT_EQ(ComputeTracePen(g, s).passes, 1);
  s.PenPattern = 2;
  EXPECT_EQ(ComputeTracePen(g, s).width, 6);
  EXPECT_EQ(ComputeTracePen(g, s).passes, 8);
  auto leads = std::make_unique<LeadArrays>();
  const TraceLayout layout = ComputePrintLayout(DisplayState{}, *leads, g.PrintUnit);
  const double bases[] = {600, 1299, 1999, 2699, 3399, 4099};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(static_cast<int>(layout.LeadBaseY[k]), bases[k]) << k;
}

TEST(PrintGeometry, GeneralFormatAndOtherPages) {
  EXPECT_EQ(GeneralFormat(6665.2), QStringLiteral("6665.2"));
  EXPECT_EQ(GeneralFormat(6460.0), QStringLiteral("6460"));
  struct Row {
    double h, w;
    int margin;
    double u;
    int originX, originY;
  };
  const Row rows[] = {
      {7016, 4960, 50, 6.2, 124, 248},                 // A4 at 600 dpi: 4712 / 760, the width sets u
      {4960, 7016, 50, 4.530769230769231, 90, 181},    // landscape: the page height sets u, 4712 / 1040
      {6800, 4800, 200, 5.052631578947368, 404, 202},  // margin 200: 20 mm (80u) from the left edge
  };
  for (const Row& r : rows) {
    const PageGeometry g = ComputePageGeometry(r.h, r.w, r.margin);
    EXPECT_NEAR(g.PrintUnit, r.u, 1e-12) << r.h << " x " << r.w;
    EXPECT_EQ(g.PrintOriginX, r.originX) << r.h << " x " << r.w;
    EXPECT_EQ(g.PrintOriginY, r.originY) << r.h << " x " << r.w;
  }
}

TEST(PrintPage, GridOfBothPatterns) {
  auto leads = std::make_unique<LeadArrays>();
  const PageGeometry g = Worked();
  struct Row {
    int pattern;
    std::size_t segments;
  };
  const Row rows[] = {{1, 53 + 208 * 570 + 39 + 152 * 780}, {2, 53 * 570 + 208 * 152 + 39 * 780}};
  for (const Row& r : rows) {
    PrintSettings s;
    s.GridPattern = r.pattern;
    const auto job = Print(g, s, DisplayState{}, *leads);
    EXPECT_EQ(job->grid.size(), r.segments) << "pattern " << r.pattern;
    for (const Segment& seg : job->grid) {
      ASSERT_GE(seg.x0, 120);
      ASSERT_LE(seg.x1, 4680);
      ASSERT_GE(seg.y0, 240);
      ASSERT_LE(seg.y1, 6480);
    }
    if (r.pattern == 1) {
      EXPECT_EQ(job->grid.front(), (Segment{120, 240, 4680, 240, 3, Colors::Black}));  // 5 mm line across, solid
      EXPECT_EQ(job->grid[1], (Segment{120, 264, 123, 264, 3, Colors::Black}));        // 1 mm line: dashes of 1/8 mm
      // 1/3 mm apart; the double 1/3 lies just below a third, so 24 x (1/3) truncates to 7.
      EXPECT_EQ(job->grid[2].x0, 127);
    } else {
      EXPECT_EQ(job->grid.front(), (Segment{120, 240, 123, 240, 3, Colors::Black}));
      EXPECT_EQ(job->grid[570], (Segment{144, 264, 147, 264, 3, Colors::Black}));  // dot row: none on 5 mm columns
    }
  }
}

TEST(PrintPage, TracesPulsesAndProgress) {
  auto leads = std::make_unique<LeadArrays>();
  const PageGeometry g = Worked();
  PrintSettings s;
  s.PenPattern = 1;
  s.GridPattern = 1;
  const auto job = Print(g, s, DisplayState{}, *leads);
  ASSERT_EQ(job->traces.size(), 12u * (2500 + 5));
  for (const Segment& seg : job->traces) ASSERT_EQ(seg.penWidth, 8);
  // Lead I: flat at baseline 600 + 40u + origin = 960, from y 6480 up to 3481.
  const Segment first = job->traces.front();
  EXPECT_EQ(first.x0, 960);
  EXPECT_EQ(first.y0, 6480);
  EXPECT_EQ(job->traces[2499].y1, 3481);
  // Its pulse turns at y 3480, 3444, 3396, 3360 and reaches 1 mV = 240 px to the left.
  const Segment* pulse = &job->traces[2500];
  const int ys[] = {3480, 3444, 3444, 3396, 3396, 3360};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(pulse[i].y0, ys[i]);
    EXPECT_EQ(pulse[i].y1, ys[i + 1]);
  }
  EXPECT_EQ(pulse[1].x1, 960 - 240);
  // V1's pulse at the top of the page.
  const Segment* chest = &job->traces[6 * 2505 + 2500];
  const int cys[] = {360, 324, 324, 276, 276, 240};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(chest[i].y0, cys[i]);
  EXPECT_EQ(chest[4].y1, 240);
  EXPECT_EQ(job->traces[6 * 2505].y0, 3360);  // the chest column starts at 130 mm
  // Progress: one per grid line, ten per lead and pass.
  EXPECT_EQ(job->progress.back(), 572);
  EXPECT_EQ(job->events, 452 + 12 * 250);
  s.PenPattern = 2;  // eight passes: the bar stops at its end
  const auto eight = Print(g, s, DisplayState{}, *leads);
  EXPECT_EQ(eight->progress.back(), 580);
  EXPECT_EQ(*std::max_element(eight->progress.begin(), eight->progress.end()), 580);
  EXPECT_EQ(eight->traces.size(), 8u * 12 * 2505);
  // Pass p lies p pixels further right.
  EXPECT_EQ(eight->traces[12 * 2505 * 0].x0 + 1, eight->traces[6 * 2505 * 1].x0);
}

TEST(PrintPage, TimeWindows) {
  // A spike at sample 2600 in lead I and V1.
  test::RecordBuilder b;
  for (int lead : {0, 6}) b.Lead(lead, [](int n) { return n == 2600 ? std::int16_t{1000} : std::int16_t{0}; });
  auto leads = std::make_unique<LeadArrays>();
  DeriveLeadArrays(b.Image(), *leads);
  const PageGeometry g = Worked();
  PrintSettings s;
  s.PenPattern = 1;
  struct Row {
    int span, offset;
    int limbSpikeAt, chestSpikeAt;
  };  // l of the spike, -1 none
  const Row rows[] = {{1, 0, -1, -1}, {1, 1000, 1600, 1600}, {2, 1000, -1, 100}, {2, 0, -1, 100}};
  for (const Row& r : rows) {
    DisplayState state;
    state.DisplaySpan = r.span;
    state.TimeOffset = r.offset;
    const auto job = Print(g, s, state, *leads);
    for (int column = 0; column < 2; ++column) {
      const Segment* trace = &job->traces[static_cast<std::size_t>(column) * 6 * 2505];
      int spike = -1;
      for (int l = 0; l < 2500; ++l)
        if (trace[l].x1 < trace[0].x0 - 100) spike = l;
      EXPECT_EQ(spike, column == 0 ? r.limbSpikeAt : r.chestSpikeAt) << "span " << r.span << " offset " << r.offset;
    }
  }
}

TEST(PrintPage, ProportionalLayoutsAtOtherGainsOnAFractionalUnit) {
  // Printable 4800 x 6800, margin 100: usable 4320 x 6120, u = 4320 / 760 =
  // 5.6842105..., origin trunc(40u) = 227 on both axes. Each limb lead has its
  // own range, zero offset, gain and a sample at l = 1000, so that every band,
  // shift, pulse and amplitude differs; the values were worked out by hand.
  const PageGeometry g = ComputePageGeometry(6800, 4800, 100);
  EXPECT_EQ(g.PrintOriginX, 227);
  EXPECT_EQ(g.PrintOriginY, 227);
  EXPECT_EQ(g.GridPenWidth, 2);
  auto leads = std::make_unique<LeadArrays>();
  leads->LeadRange = {400, 1000, 350, 900, 600, 1200, 1000, 500, 500, 500, 500, 500};
  leads->LeadOffset = {0.25, 0.5, 0, 0.1, 0.8, 0.3, 0.2, 0, 0, 0, 0, 0};
  const double sample[] = {300, -200, 150, -100, 250, 400, 300};
  for (int k = 0; k < 7; ++k) leads->LeadSamples[1000 * 12 + static_cast<std::size_t>(k)] = sample[k];
  DisplayState state;
  state.LeadGain = {2, 4, 1, 2, 1, 4, 2, 1, 1, 1, 1, 1};
  PrintSettings s;
  s.PenPattern = 1;
  // Per lead: the zero line's x (the pulse's base), the pulse's top, and the x of sample 1000.
  struct Lead {
    int zero, top, x1000;
  };
  struct Row {
    int mode;
    Lead limb[6];
  };
  const Row rows[] = {
      // Mode 1: band = range / gain / 2150 x 700u, shift = trunc(band x offset / 2.5) + 8 (5 - k):
      // lead I band 370.13, shift 37 + 40, zero 227 + trunc(370 - 77 + 227.37) = 747.
      {1,
       {{747, 634, 581},
        {1162, 1106, 1217},
        {1910, 1683, 1744},
        {2718, 2605, 2773},
        {3514, 3287, 3237},
        {4366, 4310, 4256}}},
      // Mode 2: shift = trunc(band x offset): lead I 92, zero 227 + trunc(370 - 92 + 227.37) = 732.
      {2,
       {{732, 619, 566},
        {1055, 999, 1110},
        {1934, 1707, 1768},
        {2684, 2571, 2739},
        {2989, 2762, 2712},
        {4266, 4210, 4156}}},
  };
  for (const Row& r : rows) {
    state.LimbLeadMode = r.mode;
    const auto job = Print(g, s, state, *leads);
    ASSERT_EQ(job->traces.size(), 12u * 2505);
    for (int k = 0; k < 6; ++k) {
      const Segment* lead = &job->traces[static_cast<std::size_t>(k) * 2505];
      const Lead& want = r.limb[k];
      EXPECT_EQ(lead[0].x1, want.zero) << "mode " << r.mode << " lead " << k;
      // Sample 1000 lies at y 227 + trunc(1040u - 200u) = 5001; its amplitude,
      // trunc(sample x 4.88 x u x 0.04 / gain), e.g. 166 for lead I.
      EXPECT_EQ(lead[1000].x1, want.x1000) << "mode " << r.mode << " lead " << k;
      EXPECT_EQ(lead[1000].y1, 5001);
      // Pulse: base, 1 mV at the lead's gain (trunc(40 / gain x u): 113, 56 or 227), base.
      const Segment* pulse = lead + 2500;
      EXPECT_EQ(pulse[0], (Segment{want.zero, 3296, want.zero, 3262, 7, Colors::Black})) << r.mode << " " << k;
      EXPECT_EQ(pulse[1], (Segment{want.zero, 3262, want.top, 3262, 7, Colors::Black})) << r.mode << " " << k;
      EXPECT_EQ(pulse[3].y1, 3217);
      EXPECT_EQ(pulse[4].y1, 3183);
    }
    // V1 at gain 1/2 with offset 0.2, whatever the limb layout: band 663.16, shift 132.
    const Segment* v1 = &job->traces[6 * 2505];
    EXPECT_EQ(v1[0].x1, 985);
    EXPECT_EQ(v1[1000].x1, 819);
    EXPECT_EQ(v1[1000].y1, 2045);
    EXPECT_EQ(v1[2501], (Segment{985, 307, 872, 307, 7, Colors::Black}));
  }
}

TEST(PrintPage, UnitBelowOne) {
  auto leads = std::make_unique<LeadArrays>();
  const PageGeometry g = ComputePageGeometry(700, 500, 50);
  ASSERT_LT(g.PrintUnit, 1.0);
  EXPECT_EQ(g.GridPenWidth, 1);
  EXPECT_EQ(DashLength(4 * g.PrintUnit), 1);
  PrintSettings s;
  s.PenPattern = 1;
  s.PenWidth = 0;
  EXPECT_EQ(ComputeTracePen(g, s).width, 0);  // the device's thinnest line
  EXPECT_EQ(ComputeTracePen(g, s).passes, 1);
  s.PenPattern = 2;
  s.PenWidth = 3;
  EXPECT_EQ(ComputeTracePen(g, s).passes, 3);
  s.PenWidth = 0;
  const auto job = Print(g, s, DisplayState{}, *leads);
  EXPECT_TRUE(job->traces.empty()) << "no passes at all";
  for (const Segment& seg : job->grid) ASSERT_GE(std::abs(seg.x1 - seg.x0) + std::abs(seg.y1 - seg.y0), 1);
}

// The whole job on a real device: paint rectangle, geometry, page.
TEST(PrintRecordPage, OnPagedDevices) {
  QTemporaryDir dir;
  auto leads = std::make_unique<LeadArrays>();
  struct Row {
    const char* what;
    std::function<std::unique_ptr<QPagedPaintDevice>(const QString& path)> device;
    const char* usableHeight;
    const char* usableWidth;
    double u;
    int originX, originY, gridPen;
  };
  const Row rows[] = {
      // A4 at 600 dpi is 4958 x 7017 pixels: 7017 * 0.95 = 6666.15, 4958 * 0.95 = 4710.1,
      // u = 4710.1 / 760 = 6.1975 (the width sets it); origin 50 * 0.1 * 4u and 40u.
      {"printer, A4, 600 dpi, whole sheet",
       [](const QString& path) {
         auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
         p->setOutputFormat(QPrinter::PdfFormat);
         p->setOutputFileName(path);
         p->setResolution(600);
         p->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
         p->setFullPage(true);
         return p;
       },
       "6666.15", "4710.1", 6.1975, 123, 247, 3},
      // A PDF writer at 300 dpi: 2479 x 3508 pixels, u = 2355.05 / 760 = 3.09875.
      {"PDF writer, A4, 300 dpi",
       [](const QString& path) {
         auto w = std::make_unique<QPdfWriter>(path);
         w->setResolution(300);
         w->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
         return w;
       },
       "3332.6", "2355.05", 3.09875, 61, 123, 1},
      // Letter landscape at 300 dpi, margin 50: the page height (2550) sets u:
      // 2550 * 0.95 / 1040.
      {"PDF writer, Letter landscape, 300 dpi",
       [](const QString& path) {
         auto w = std::make_unique<QPdfWriter>(path);
         w->setResolution(300);
         w->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, QMarginsF()));
         return w;
       },
       "2422.5", "3135", 2.3293269230769229, 46, 93, 1},
  };
  for (const Row& r : rows) {
    const QString path = dir.filePath(QString::fromLatin1(r.what).replace(u' ', u'_') + ".pdf");
    const auto device = r.device(path);
    std::vector<std::string> order;
    PrintHooks hooks;
    hooks.pageGeometry = [&](const PageGeometry&) { order.push_back("geometry"); };
    hooks.progress = [&](int p) {
      if (order.back() != "progress") order.push_back("progress");
      EXPECT_LE(p, PrintProgressMax);
    };
    const PrintResult result = PrintRecordPage(*device, PrintSettings{}, DisplayState{}, *leads, hooks);
    EXPECT_FALSE(result.error) << r.what;
    EXPECT_EQ(GeneralFormat(result.geometry.UsableHeight), QString::fromLatin1(r.usableHeight)) << r.what;
    EXPECT_EQ(GeneralFormat(result.geometry.UsableWidth), QString::fromLatin1(r.usableWidth)) << r.what;
    EXPECT_NEAR(result.geometry.PrintUnit, r.u, 1e-12) << r.what;
    EXPECT_EQ(result.geometry.PrintOriginX, r.originX) << r.what;
    EXPECT_EQ(result.geometry.PrintOriginY, r.originY) << r.what;
    EXPECT_EQ(result.geometry.GridPenWidth, r.gridPen) << r.what;
    EXPECT_EQ(order, (std::vector<std::string>{"geometry", "progress"})) << "the geometry comes before the job";
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << r.what;
    EXPECT_TRUE(pdf.read(5) == "%PDF-") << r.what;
    EXPECT_GT(pdf.size(), 100000) << "a whole grid and twelve traces: " << r.what;
  }
}

TEST(PrintRecordPage, FailuresKeepTheGeometry) {
  QTemporaryDir dir;
  auto leads = std::make_unique<LeadArrays>();
  // A file in a directory that does not exist: the job cannot begin.
  QPdfWriter writer(dir.filePath("no-such-directory/page.pdf"));
  writer.setResolution(300);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
  int geometries = 0, progress = 0;
  PrintHooks hooks;
  hooks.pageGeometry = [&](const PageGeometry&) { ++geometries; };
  hooks.progress = [&](int) { ++progress; };
  const PrintResult result = PrintRecordPage(writer, PrintSettings{}, DisplayState{}, *leads, hooks);
  EXPECT_EQ(result.error, PrintError::CannotBegin);
  EXPECT_EQ(result.geometry.PrintOriginX, 61);
  EXPECT_EQ(geometries, 1);
  EXPECT_EQ(progress, 0) << "nothing is drawn";
  EXPECT_FALSE(QFile::exists(dir.filePath("no-such-directory/page.pdf")));
}

}  // namespace
}  // namespace corvale
