#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "display/LeadLabels.h"
#include "gfx/RecordingCanvas.h"
#include "gfx/TextInk.h"
#include "output/PageAnnotations.h"
#include "output/PageMeasurements.h"
#include "output/PainterCanvas.h"
#include "record/LeadArrays.h"
#include "support/RecordBuilder.h"
#include "support/Require.h"

namespace corvale {
namespace {

// Integer-only waveforms, so that the page is the same on every machine.
test::RecordBuilder Synthetic() {
  test::RecordBuilder b;
  for (int lead = 0; lead < 12; ++lead)
    b.Lead(lead, [lead](int n) {
      const int tri = ((n * (lead + 3)) % 200 - 100) * (lead % 3 + 1);
      const int spike = n % 500 < 10 ? 600 - 90 * lead : 0;
      return static_cast<std::int16_t>(tri + spike - 10 * lead);
    });
  // 見本　太郎 in cp932, a stored age with a leading zero, a man, 2003/05/14 09:41:07.
  b.SetBytes(Field::PatientName.offset, QByteArray::fromHex("8ca9967b814091be9859") + QByteArray(14, ' '));
  b.Set(Field::PatientId, "00012345").Set(Field::Age, "047").Set(Field::AgeUnit, "0").Set(Field::Sex, "1");
  b.Set(Field::RecordingYearHigh, "20").Set(Field::RecordingDate, "030514").Set(Field::RecordingTime, "094107");
  return b;
}

PageAnnotationInput Input(const DisplayState& state) {
  PageAnnotationInput in;
  in.identity = PageIdentityFromRecord(Synthetic().Image(), QStringLiteral("A0001.nrm"));
  in.leadGain = state.LeadGain;
  return in;
}

struct Paper {
  const char* what;
  double height, width;  // printable area, device pixels
  int margin;
};

// A4 and Letter at 600 dpi, upright and turned, with small, usual and large margins.
const Paper kPapers[] = {
    {"A4 portrait", 7016, 4960, 50},          {"A4 inside printer margins", 6814, 4761, 50},
    {"Letter portrait", 6600, 5100, 50},      {"A4 landscape", 4960, 7016, 50},
    {"Letter landscape", 5100, 6600, 50},     {"A4 margin 200", 7016, 4960, 200},
    {"A4 margin 10", 7016, 4960, 10},         {"Letter margin 10", 6600, 5100, 10},
    {"A4 300 dpi margin 30", 3508, 2480, 30},
};

struct Job {
  RecordingCanvas canvas;
};

std::unique_ptr<Job> Print(const PageGeometry& g, const PrintSettings& s, const DisplayState& state,
                           const LeadArrays& leads, const PageAnnotationInput* in) {
  auto job = std::make_unique<Job>();
  DrawPrintPage(job->canvas, g, s, state, leads, {}, in);
  return job;
}

std::uint64_t Checksum(const RecordingCanvas& c) {
  std::uint64_t h = 14695981039346656037ull;
  auto mix = [&](std::int64_t v) {
    for (int i = 0; i < 8; ++i) {
      h ^= (static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF;
      h *= 1099511628211ull;
    }
  };
  for (const auto& seg : c.segments) {
    mix(seg.x0);
    mix(seg.y0);
    mix(seg.x1);
    mix(seg.y1);
    mix(seg.penWidth);
    mix(seg.color);
  }
  for (auto m : c.moves) mix(static_cast<std::int64_t>(m));
  return h;
}

bool SameDrawing(const RecordingCanvas& a, const RecordingCanvas& b) {
  if (a.fills.size() != b.fills.size()) return false;
  for (std::size_t i = 0; i < a.fills.size(); ++i) {
    const auto &f = a.fills[i], &h = b.fills[i];
    if (f.left != h.left || f.top != h.top || f.right != h.right || f.bottom != h.bottom || f.color != h.color)
      return false;
  }
  return a.segments == b.segments && a.moves == b.moves;
}

bool Contains(const std::vector<RecordingCanvas::Text>& texts, const QString& part) {
  for (const auto& t : texts)
    if (t.text.contains(part)) return true;
  return false;
}

class Page : public ::testing::Test {
 protected:
  std::unique_ptr<LeadArrays> leads = std::make_unique<LeadArrays>();
  void SetUp() override { DeriveLeadArrays(Synthetic().Image(), *leads); }
};

TEST(PageTexts, IdentificationFromTheHeader) {
  const PageIdentity id = PageIdentityFromRecord(Synthetic().Image(), QStringLiteral("A0001.nrm"));
  EXPECT_EQ(id.patientName, QStringLiteral("見本　太郎"));
  EXPECT_EQ(id.patientId, QStringLiteral("00012345"));
  EXPECT_EQ(id.age, QStringLiteral("47 y.o."));
  EXPECT_EQ(id.sex, QStringLiteral("M"));
  EXPECT_EQ(id.recorded, QStringLiteral("2003/05/14 09:41:07"));
  EXPECT_EQ(id.fileName, QStringLiteral("A0001.nrm"));

  struct Row {
    const char* age;
    const char* unit;
    const char* sex;
    QString wantAge, wantSex;
  };
  const Row rows[] = {
      {"  8", "1", "2", QStringLiteral("8 m.o."), QStringLiteral("F")},
      {"003", "2", " ", QStringLiteral("3 d.o."), QString()},  // unknown sex: not on paper (it once said "F")
      {"003", "2", "O", QStringLiteral("3 d.o."), QString()},
      {"000", "0", "1", QStringLiteral("0 y.o."), QStringLiteral("M")},
      {"65 ", "9", "1", QStringLiteral("65"), QStringLiteral("M")},  // an unknown unit is left off
      {"   ", "0", "1", QString(), QStringLiteral("M")},             // no age at all
  };
  for (const Row& r : rows) {
    test::RecordBuilder b = Synthetic();
    b.Set(Field::Age, r.age).Set(Field::AgeUnit, r.unit).Set(Field::Sex, r.sex);
    const PageIdentity p = PageIdentityFromRecord(b.Image(), {});
    EXPECT_EQ(p.age, r.wantAge) << r.age;
    EXPECT_EQ(p.sex, r.wantSex) << r.sex;
  }
  // A blank date and time give no recording text rather than "  /  /  ".
  test::RecordBuilder blank = Synthetic();
  blank.Set(Field::RecordingYearHigh, "  ").Set(Field::RecordingDate, "      ").Set(Field::RecordingTime, "      ");
  EXPECT_EQ(PageIdentityFromRecord(blank.Image(), {}).recorded, QString());
}

TEST(PageTexts, ItemsDeleteIdAndScale) {
  PageAnnotationInput in;
  in.identity = {
      QStringLiteral("見本　太郎"),          QStringLiteral("00012345"), QStringLiteral("47 y.o."), QStringLiteral("M"),
      QStringLiteral("2003/05/14 09:41:07"), QStringLiteral("A0001.nrm")};
  EXPECT_EQ(IdentificationTexts(in),
            (QStringList{QStringLiteral("Name: 見本　太郎"), QStringLiteral("ID: 00012345"),
                         QStringLiteral("Age: 47 y.o."), QStringLiteral("Sex: M"),
                         QStringLiteral("Recorded: 2003/05/14 09:41:07"), QStringLiteral("File: A0001.nrm")}));
  in.deleteId = true;
  EXPECT_EQ(IdentificationTexts(in),
            (QStringList{QStringLiteral("Age: 47 y.o."), QStringLiteral("Sex: M"),
                         QStringLiteral("Recorded: 2003/05/14 09:41:07"), QStringLiteral("File: A0001.nrm")}));
  in.deleteId = false;
  in.identity.patientName.clear();
  in.identity.age.clear();
  EXPECT_EQ(IdentificationTexts(in).size(), 4) << "empty values are left out";

  using G = std::array<double, LeadCount>;
  struct Row {
    G gains;
    QStringList texts;
  };
  const Row rows[] = {
      {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {"25 mm/s", "10 mm/mV"}},
      {{1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1}, {"25 mm/s", "10 mm/mV", "aVR 5 mm/mV"}},
      {{1, 2, 1, 1, 1, 1, 4, 1, 1, 1, 1, 2}, {"25 mm/s", "10 mm/mV", "II 5 mm/mV", "V1 2.5 mm/mV", "V6 5 mm/mV"}},
  };
  for (const Row& r : rows) EXPECT_EQ(ScaleTexts(r.gains), r.texts);
}

TEST_F(Page, NoAnnotationsGiveTodaysPage) {
  // Checksums of every line of these pages, taken before the page had texts.
  struct Row {
    std::size_t segments;
    std::uint64_t sum;
  };
  const Row today[] = {{332726, 0x401f12355ef13f73ull}, {267272, 0x53c1c13a662f8d10ull}};
  for (int k = 0; k < 2; ++k) {
    DisplayState s;
    PrintSettings p;
    PageGeometry g = ComputePageGeometry(7016, 4960, 50);
    if (k == 1) {
      s.LimbLeadMode = 2;
      s.LeadGain[3] = 2;
      s.DisplaySpan = 2;
      p.PenPattern = 1;
      p.GridPattern = 1;
      g = ComputePageGeometry(2550, 3300, 120);
    }
    s.LeadNames = false;
    const PageAnnotationInput in = Input(s);
    for (int variant = 0; variant < 2; ++variant) {
      // No input at all, or an input with annotations switched off.
      p.Annotations = variant == 0;
      const auto job = Print(g, p, s, *leads, variant == 0 ? nullptr : &in);
      EXPECT_EQ(job->canvas.segments.size(), today[k].segments) << k;
      EXPECT_EQ(Checksum(job->canvas), today[k].sum) << k;
      EXPECT_TRUE(job->canvas.texts.empty()) << k;
    }
  }
}

TEST_F(Page, AnnotationsLieOutsideTheGridAndChangeNoLine) {
  DisplayState state;
  state.LeadNames = false;
  state.LeadGain[3] = 2;  // aVR at 5 mm/mV
  PageAnnotationInput in = Input(state);
  in.filters = {BaselineFilter::HighPass067, MainsFilter::Notch50, MuscleFilter::LowPass40};  // the longest texts
  PrintSettings bareSettings;
  bareSettings.Annotations = false;
  for (const Paper& paper : kPapers) {
    const PageGeometry g = ComputePageGeometry(paper.height, paper.width, paper.margin);
    const auto bare = Print(g, bareSettings, state, *leads, &in);
    const auto annotated = Print(g, PrintSettings{}, state, *leads, &in);
    EXPECT_TRUE(SameDrawing(bare->canvas, annotated->canvas)) << paper.what;
    EXPECT_TRUE(bare->canvas.texts.empty()) << paper.what;

    const PageAnnotations placed = ComputePageAnnotations(g, in);
    EXPECT_TRUE(placed.unplaced.isEmpty()) << paper.what << ": " << placed.unplaced.join(" | ").toStdString();
    const auto& texts = annotated->canvas.texts;
    ASSERT_EQ(texts.size(), placed.texts.size()) << paper.what;
    const QRect grid = PageGridRect(g);
    const QRect page(0, 0, static_cast<int>(paper.width), static_cast<int>(paper.height));
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const PageText& t = placed.texts[i];
      EXPECT_EQ(texts[i], (RecordingCanvas::Text{t.origin.x(), t.origin.y(), 1, t.text, t.font, Colors::Black}))
          << paper.what;
      EXPECT_FALSE(t.box.intersects(grid)) << paper.what << ": " << t.text.toStdString();
      EXPECT_TRUE(page.contains(t.box)) << paper.what << ": " << t.text.toStdString();
      EXPECT_GE(t.font.pixelSize, static_cast<int>(1.5 * 4 * g.PrintUnit)) << paper.what;
      EXPECT_EQ(t.box.bottom() + 1, t.origin.y()) << "reads upwards from its origin";
      for (std::size_t j = 0; j < i; ++j)
        EXPECT_FALSE(t.box.intersects(placed.texts[j].box))
            << paper.what << ": " << t.text.toStdString() << " over " << placed.texts[j].text.toStdString();
    }
    // Every item is on the page, whole or broken at its spaces.
    QString all;
    for (const auto& t : texts) all += t.text + u' ';
    ASSERT_EQ(FilterTexts(in.filters).size(), 2);
    for (const QString& item : IdentificationTexts(in) + ScaleTexts(in.leadGain) + FilterTexts(in.filters))
      for (const QString& word : item.split(QRegularExpression(QStringLiteral("[ \u3000]")), Qt::SkipEmptyParts))
        EXPECT_TRUE(all.contains(word)) << paper.what << ": " << word.toStdString();
  }
}

TEST_F(Page, IdentityAboveAndScaleBelowAsTheSheetIsRead) {
  DisplayState state;
  state.LeadGain[6] = 4;
  const PageAnnotationInput in = Input(state);
  const QStringList ids = IdentificationTexts(in), scale = ScaleTexts(in.leadGain);
  for (const Paper& paper : {kPapers[0], kPapers[1], kPapers[2], kPapers[3], kPapers[5]}) {
    const PageGeometry g = ComputePageGeometry(paper.height, paper.width, paper.margin);
    const QRect grid = PageGridRect(g);
    const PageAnnotations placed = ComputePageAnnotations(g, in);
    ASSERT_EQ(placed.texts.size(), static_cast<std::size_t>(ids.size() + scale.size())) << paper.what;
    for (std::size_t i = 0; i < placed.texts.size(); ++i) {
      const PageText& t = placed.texts[i];
      const bool identity = i < static_cast<std::size_t>(ids.size());
      EXPECT_EQ(t.text, identity ? ids[static_cast<qsizetype>(i)] : scale[static_cast<qsizetype>(i) - ids.size()]);
      // Turned to landscape: the page's left margin is the sheet's top.
      if (identity) {
        EXPECT_LT(t.box.right(), grid.left()) << paper.what << ": " << t.text.toStdString();
      } else {
        EXPECT_GT(t.box.left(), grid.right()) << paper.what << ": " << t.text.toStdString();
      }
      EXPECT_LE(t.origin.y(), grid.bottom()) << "starts where the grid's time starts";
      EXPECT_GE(t.font.pixelSize, static_cast<int>(2.2 * 4 * g.PrintUnit)) << paper.what;
      // One line per paragraph here: each item further along (up the page) than the one before.
      if (i > 0 && identity == (i - 1 < static_cast<std::size_t>(ids.size()))) {
        EXPECT_EQ(t.origin.x(), placed.texts[i - 1].origin.x()) << paper.what;
        EXPECT_LT(t.box.bottom(), placed.texts[i - 1].box.top()) << paper.what;
      }
    }
  }
}

TEST(PageTexts, MeasurementListOnlyWhereSomethingWasMeasured) {
  Measurements m;
  m.hrBpm = 72.4;
  m.qrsMs = 91.5;
  m.qtMs = 400;
  m.rv5Mv = 1.234;
  m.rv6Mv = 1.5;
  const std::pair<const FieldLayout*, const char*> everything[] = {
      {&Field::HeartRate, "0060"},   {&Field::RrInterval, "1000"},   {&Field::PrInterval, "0150"},
      {&Field::QrsDuration, "0088"}, {&Field::QrsAxis, "-30"},       {&Field::QtInterval, "0400"},
      {&Field::QtcInterval, "0403"}, {&Field::Sv1Amplitude, "1.05"}, {&Field::RvAmplitude, "2.20"}};
  test::RecordBuilder blank, partly, full;
  partly.Set(Field::HeartRate, "0060").Set(Field::LateralLeadSelector, "5");
  for (const auto& [field, text] : everything) full.Set(*field, text);
  struct Row {
    const char* what;
    const test::RecordBuilder& record;
    QStringList texts;
  };
  const Row rows[] = {
      {"all measured: V6 has the larger R",
       blank,
       {"HR 72 bpm (measured)", "QRS 92 ms (measured)", "QT 400 ms (measured)", "RV6 1.50 mV (measured)"}},
      {"recorded rows marked, the selector's lead kept",
       partly,
       {"HR 0060 bpm (recorded)", "QRS 92 ms (measured)", "QT 400 ms (measured)", "RV5 1.23 mV (measured)"}},
      {"a record carrying every value: no list, the page of today", full, {}},
  };
  for (const Row& r : rows) EXPECT_EQ(MeasurementTexts(PageMeasurementsOf(r.record.Image(), m)), r.texts) << r.what;
  EXPECT_TRUE(PageMeasurementsOf(blank.Image(), Measurements{}).empty()) << "nothing measured, nothing recorded";

  // On the page the list follows the scale, every item placed.
  DisplayState state;
  PageAnnotationInput in = Input(state);
  in.measurements = PageMeasurementsOf(blank.Image(), m);
  const PageGeometry g = ComputePageGeometry(kPapers[0].height, kPapers[0].width, kPapers[0].margin);
  const PageAnnotations placed = ComputePageAnnotations(g, in);
  EXPECT_TRUE(placed.unplaced.isEmpty());
  QStringList texts;
  for (const PageText& t : placed.texts) texts << t.text;
  EXPECT_EQ(texts.mid(texts.size() - 6), QStringList({"25 mm/s", "10 mm/mV"}) + MeasurementTexts(in.measurements));
}

TEST_F(Page, DeleteIdLeavesNameAndIdOff) {
  DisplayState state;
  state.LeadGain[3] = 2;
  PageAnnotationInput in = Input(state);
  const PageGeometry g = ComputePageGeometry(7016, 4960, 50);
  const auto named = Print(g, PrintSettings{}, state, *leads, &in);
  EXPECT_TRUE(Contains(named->canvas.texts, QStringLiteral("見本")));
  EXPECT_TRUE(Contains(named->canvas.texts, QStringLiteral("00012345")));
  in.deleteId = true;
  const auto anonymous = Print(g, PrintSettings{}, state, *leads, &in);
  for (const char* gone : {"見本", "太郎", "00012345", "Name", "ID:"})
    EXPECT_FALSE(Contains(anonymous->canvas.texts, QString::fromUtf8(gone))) << gone;
  for (const char* kept :
       {"47 y.o.", "Sex: M", "2003/05/14 09:41:07", "A0001.nrm", "25 mm/s", "10 mm/mV", "aVR 5 mm/mV"})
    EXPECT_TRUE(Contains(anonymous->canvas.texts, QString::fromUtf8(kept))) << kept;
  EXPECT_TRUE(SameDrawing(named->canvas, anonymous->canvas));
}

TEST_F(Page, LongWordsBreakInNarrowMargins) {
  // Margin 10 on A4: only the 10 mm at the grid's far end has room, one item a
  // line of at most 8 mm. A name of twelve characters without a space and a
  // long file name are broken between characters rather than left off.
  const PageGeometry g = ComputePageGeometry(7016, 4960, 10);
  DisplayState state;
  PageAnnotationInput in = Input(state);
  in.identity.patientName = QStringLiteral("寿限無寿限無五劫の擦り切れ");
  in.identity.fileName = QStringLiteral("a_rather_long_record_name_0001.nrm");
  const PageAnnotations placed = ComputePageAnnotations(g, in);
  EXPECT_TRUE(placed.unplaced.isEmpty()) << placed.unplaced.join(" | ").toStdString();
  QString all;
  for (const PageText& t : placed.texts) {
    all += t.text;
    EXPECT_FALSE(t.box.intersects(PageGridRect(g))) << t.text.toStdString();
    EXPECT_LE(t.box.height(), g.PrintOriginY) << t.text.toStdString();
  }
  EXPECT_TRUE(all.contains(in.identity.patientName));
  EXPECT_TRUE(all.contains(in.identity.fileName));
}

TEST_F(Page, NoRoomLeavesItemsOutAndSaysWhich) {
  // A printable area no larger than the grid: no margin holds a line.
  PageGeometry g = ComputePageGeometry(7016, 4960, 50);
  g.PrintOriginX = g.PrintOriginY = 0;
  g.PageHeight = PageGridRect(g).bottom() + 1;
  g.PageWidth = PageGridRect(g).right() + 1;
  DisplayState state;
  const PageAnnotationInput in = Input(state);
  const PageAnnotations placed = ComputePageAnnotations(g, in);
  EXPECT_TRUE(placed.texts.empty());
  EXPECT_EQ(placed.unplaced, IdentificationTexts(in) + ScaleTexts(in.leadGain)) << "whatever is not placed is named";
  // The page itself is still drawn, the same as without annotations.
  PrintSettings bare;
  bare.Annotations = false;
  const auto annotated = Print(g, PrintSettings{}, state, *leads, &in);
  EXPECT_TRUE(SameDrawing(Print(g, bare, state, *leads, &in)->canvas, annotated->canvas));
  EXPECT_EQ(annotated->canvas.texts.size(), 12u) << "the lead names, inside the grid, are still there";
}

TEST_F(Page, LeadNamesBesideEachTrace) {
  for (int mode : {1, 2, 3}) {
    for (int span : {1, 2}) {
      DisplayState state;
      state.LimbLeadMode = mode;
      state.DisplaySpan = span;
      const PageGeometry g = ComputePageGeometry(7016, 4960, 50);
      const double u = g.PrintUnit;
      const TraceLayout layout = ComputePrintLayout(state, *leads, u);
      const auto named = Print(g, PrintSettings{}, state, *leads, nullptr);
      state.LeadNames = false;
      const auto bare = Print(g, PrintSettings{}, state, *leads, nullptr);
      EXPECT_TRUE(SameDrawing(named->canvas, bare->canvas)) << mode;
      EXPECT_TRUE(bare->canvas.texts.empty());
      state.LeadNames = true;
      const auto labels = ComputePrintLeadLabels(g, state, layout);
      ASSERT_EQ(named->canvas.texts.size(), 12u);
      const auto tops = LeadBandTops(state, layout, u);
      const QRect grid = PageGridRect(g);
      for (int k = 0; k < 12; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const auto& t = named->canvas.texts[i];
        EXPECT_EQ(t.text, LeadName(k));
        EXPECT_EQ(t.quarterTurns, 1);
        EXPECT_EQ(t.x, labels[i].origin.x());
        EXPECT_EQ(t.y, labels[i].origin.y());
        EXPECT_EQ(t.font.pixelSize, static_cast<int>(std::lround(13 * u)));
        EXPECT_TRUE(t.font.bold);
        EXPECT_TRUE(grid.contains(labels[i].box)) << "mode " << mode << " lead " << k;
        // Along the time axis: 1 mm from the start of its column's trace.
        const int start = g.PrintOriginY + static_cast<int>(1040 * u - (k < 6 ? 0 : 520 * u));
        EXPECT_EQ(t.y, start - static_cast<int>(std::lround(4 * u))) << k;
        // Across: its capitals start 3 units inside the band's upper edge (as
        // the sheet is read), or further in where a thin band pushed them.
        const int capTop = g.PrintOriginX + static_cast<int>(std::ceil(tops[i])) + static_cast<int>(std::lround(3 * u));
        const int cap = static_cast<int>(std::ceil(QFontMetricsF(QtTextFont(t.font, false)).capHeight()));
        EXPECT_GE(t.x - cap, capTop) << "mode " << mode << " lead " << k;
        if (mode == 3 && k < 6) {
          EXPECT_EQ(t.x - cap, capTop) << "an equal slot holds its name where it wants it";
        }
        if (k % 6 > 0) {
          EXPECT_GT(labels[i].box.left(), labels[i - 1].box.left()) << "lead order across the page";
        }
      }
    }
  }
}

TEST(PainterText, TurnedOnTheDevice) {
  QImage image(200, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    canvas.SetPenColor(Colors::Red);
    canvas.MoveTo(0, 199);
    canvas.LineTo(199, 199);  // a polyline under way is sent before the text
    canvas.DrawText(100, 150, 1, QStringLiteral("aVR"), TextFont{QStringLiteral("Arial"), 30, true});
    canvas.SetPenColor(Colors::Blue);
    canvas.MoveTo(0, 0);
    canvas.LineTo(10, 0);
  }
  int red = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 199; ++x) {
      const QRgb p = image.pixel(x, y);
      if (y == 199 || y == 0) continue;
      if (qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80) {
        ++red;
        // Reading upwards: to the left of the baseline's start (its top is left), above it.
        EXPECT_LT(x, 100 + 3) << x << "," << y;
        EXPECT_GT(x, 100 - 30) << x << "," << y;
        EXPECT_LT(y, 150 + 3) << x << "," << y;
        EXPECT_GT(y, 150 - 60) << x << "," << y;
      }
    }
  EXPECT_GT(red, 50);
  EXPECT_EQ(image.pixel(100, 199), qRgb(255, 0, 0)) << "the line before the text";
  EXPECT_EQ(image.pixel(5, 0), qRgb(0, 0, 255)) << "the pen after the text";
}

// The job as a PDF, rasterised: the annotated page differs from the bare one
// only inside the texts' boxes, and each box carries ink.
TEST_F(Page, PdfPageDiffersOnlyWhereTheTextsAre) {
  if (QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-v")}) < 0)
    CORVALE_MISSING("pdftoppm (Debian poppler-utils)");
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  DisplayState state;
  state.LeadGain[3] = 2;
  const PageAnnotationInput in = Input(state);
  const int dpi = 300, rasterDpi = 75;
  auto render = [&](bool annotations, const QString& stem) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(stem + ".pdf"));
    printer.setResolution(dpi);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);
    const QRect area = printer.pageLayout().paintRectPixels(dpi);
    const PageGeometry g = ComputePageGeometry(area.height(), area.width(), 50);
    PrintSettings s;
    s.Annotations = annotations;
    s.PenPattern = 1;  // one pass per lead keeps the file small
    DisplayState shown = state;
    shown.LeadNames = annotations;
    QPainter painter;
    EXPECT_TRUE(painter.begin(&printer));
    {
      PainterCanvas canvas(painter);
      DrawPrintPage(canvas, g, s, shown, *leads, {}, &in);
    }
    EXPECT_TRUE(painter.end());
    const QStringList args{QStringLiteral("-r"),   QString::number(rasterDpi),    QStringLiteral("-gray"),
                           QStringLiteral("-png"), QStringLiteral("-singlefile"), dir.filePath(stem + ".pdf"),
                           dir.filePath(stem)};
    EXPECT_EQ(QProcess::execute(QStringLiteral("pdftoppm"), args), 0);
    return std::pair{g, QImage(dir.filePath(stem + ".png"))};
  };
  const auto [g, annotated] = render(true, QStringLiteral("annotated"));
  const QImage bare = render(false, QStringLiteral("bare")).second;
  ASSERT_FALSE(annotated.isNull());
  ASSERT_EQ(annotated.size(), bare.size());
  const double scale = static_cast<double>(rasterDpi) / dpi;
  std::vector<PageText> texts = ComputePageAnnotations(g, in).texts;
  const auto labels = ComputePrintLeadLabels(g, state, ComputePrintLayout(state, *leads, g.PrintUnit));
  texts.insert(texts.end(), labels.begin(), labels.end());
  std::vector<QRect> boxes;
  for (const PageText& t : texts) {
    const QRect r(QPoint(static_cast<int>(t.box.left() * scale) - 2, static_cast<int>(t.box.top() * scale) - 2),
                  QPoint(static_cast<int>(t.box.right() * scale) + 2, static_cast<int>(t.box.bottom() * scale) + 2));
    boxes.push_back(r);
    int ink = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        ink += qGray(annotated.pixel(x, y)) < 128 && qGray(bare.pixel(x, y)) >= 128;
    EXPECT_GT(ink, 3) << t.text.toStdString();
  }
  int changed = 0;
  for (int y = 0; y < bare.height(); ++y)
    for (int x = 0; x < bare.width(); ++x) {
      if (qGray(annotated.pixel(x, y)) == qGray(bare.pixel(x, y))) continue;
      ++changed;
      bool inside = false;
      for (const QRect& r : boxes) inside = inside || r.contains(x, y);
      ASSERT_TRUE(inside) << "raster pixel " << x << "," << y << " changed outside every text";
    }
  EXPECT_GT(changed, 100);
}

}  // namespace
}  // namespace corvale
