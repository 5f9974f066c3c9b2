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
  for (const Segment& seg : job->canvas.segments) (seg.penWidth == g.GridPenWidth && job->traces.empty() ? job->grid : job->traces).push_back(seg);
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
  struct Row { double h, w; int margin; double u; int originX, originY; };
  const Row rows[] = {
      {7016, 4960, 50, 4960 * 0.95 / 760, 0, 0},  // A4 at 600 dpi: the width sets u
      {4960, 7016, 50, 4960 * 0.95 / 1040, 0, 0}, // landscape: the page height sets u
      {6800, 4800, 200, 4800 * 0.8 / 760, 0, 0},
  };
  for (const Row& r : rows) {
    const PageGeometry g = ComputePageGeometry(r.h, r.w, r.margin);
    EXPECT_NEAR(g.PrintUnit, r.u, 1e-9);
    EXPECT_EQ(g.PrintOriginX, static_cast<int>(r.margin * 0.1 * 4 * g.PrintUnit));
  }
  // Margin 200: the grid starts 20 mm (80u) from the left of the printable area.
  EXPECT_EQ(ComputePageGeometry(6800, 4800, 200).PrintOriginX, static_cast<int>(80 * (4800 * 0.8 / 760)));
}

TEST(PrintPage, GridOfBothPatterns) {
  auto leads = std::make_unique<LeadArrays>();
  const PageGeometry g = Worked();
  struct Row { int pattern; std::size_t segments; };
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
  struct Row { int span, offset; int limbSpikeAt, chestSpikeAt; };  // l of the spike, -1 none
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
