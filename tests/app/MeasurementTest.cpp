// The automatic measurements in the window: measured values in blank rows
// only, in their own look; the fiducial marks check box, which with the box
// off leaves every picture as the display layer draws it and with the box on
// ticks the measured and the annotated points.
#include <QCheckBox>
#include <QFile>
#include <QScrollBar>
#include <cmath>

#include "WindowFixture.h"
#include "analysis/MeasurementFields.h"
#include "app/MeasurementColumn.h"
#include "display/FiducialMarks.h"
#include "display/Render.h"

using namespace corvale;
using namespace corvale::test;

namespace {

// Twelve leads of a regular rhythm: a beat every 400 samples (75 bpm) from
// sample 200, each a P wave 80 samples before the R peak, a narrow QRS and a
// T wave 150 samples after it, at each lead's own size (mV).
RecordBuilder RegularRhythm() {
  struct Shape {
    double p, r, s, t;
  };
  const Shape leads[LeadCount] = {{0.10, 0.8, -0.1, 0.25},   {0.15, 1.2, -0.2, 0.30}, {0.05, 0.4, -0.1, 0.10},
                                  {-0.12, -1.0, 0.1, -0.25}, {0.05, 0.2, -0.1, 0.10}, {0.10, 0.8, -0.1, 0.20},
                                  {0.08, 0.3, -1.2, -0.10},  {0.08, 0.6, -1.0, 0.30}, {0.08, 1.0, -0.6, 0.35},
                                  {0.08, 1.4, -0.3, 0.35},   {0.08, 1.6, -0.2, 0.30}, {0.08, 1.2, -0.1, 0.25}};
  RecordBuilder b;
  for (int lead = 0; lead < LeadCount; ++lead) {
    const Shape& k = leads[lead];
    b.Lead(lead, [k](int n) {
      double mv = 0;
      for (int r = 200; r < SamplesPerLead; r += 400) {
        auto bump = [&](double centre, double width, double height) {
          const double z = (n - centre) / width;
          return height * std::exp(-0.5 * z * z);
        };
        mv += bump(r - 80, 16, k.p) + bump(r, 4, k.r) + bump(r + 10, 4, k.s) + bump(r + 150, 20, k.t);
      }
      return static_cast<std::int16_t>(std::lround(mv * 1000 / 4.88));
    });
  }
  return b;
}

// An MIT-format annotation file: each annotation its code and the samples
// since the one before in one little-endian word, then the end word.
void WriteAnnotations(const QString& path, const std::vector<std::pair<int, int>>& codeAtSample) {
  QByteArray bytes;
  int last = 0;
  for (const auto& [code, sample] : codeAtSample) {
    const int word = code << 10 | (sample - last);
    bytes.append(static_cast<char>(word & 0xFF)).append(static_cast<char>(word >> 8));
    last = sample;
  }
  bytes.append(2, '\0');
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

}  // namespace

class MeasurementTest : public WindowFixture {
  Q_OBJECT

  QLabel* Label(const char* name) const { return Get<QLabel>(name); }
  static bool LooksMeasured(const QLabel* label) {
    return label->font().italic() && label->palette().color(QPalette::WindowText) == MeasuredValueColor &&
           !label->toolTip().isEmpty();
  }
  static bool LooksPlain(const QLabel* label) {
    return !label->font().italic() && label->palette().color(QPalette::WindowText) != MeasuredValueColor &&
           label->toolTip().isEmpty();
  }
  // What the display layer draws for the window's state, marks or not.
  std::pair<QImage, QImage> CorePictures() const {
    using G = ViewGeometry;
    const ViewerState& s = w->State();
    Image grid(G::ViewWidth, G::MainViewHeight), stripGrid(G::ViewWidth, G::StripViewHeight);
    Image trace(G::ViewWidth, G::MainViewHeight), strip(G::ViewWidth, G::StripViewHeight);
    RenderGrid(s.display, s.leads, grid, stripGrid);
    RenderTraces(s.display, s.leads, grid, stripGrid, trace, strip);
    return {trace.Qt().copy(), strip.Qt().copy()};
  }

 private Q_SLOTS:
  void init() { Open(); }
  void cleanup() { Close(); }

  void blankRowsShowMeasuredValuesRecordedRowsStay() {
    RecordBuilder partly = RegularRhythm();
    partly.Set(Field::HeartRate, " 72 ").Set(Field::Sv1Amplitude, "2.00");
    partly.Write(tmp->filePath("a.nrm"));
    RecordBuilder full = RegularRhythm();
    const std::pair<const FieldLayout*, const char*> recorded[] = {
        {&Field::HeartRate, "0061"},   {&Field::RrInterval, "0983"},   {&Field::PrInterval, "0150"},
        {&Field::QrsDuration, "0088"}, {&Field::QrsAxis, "-30"},       {&Field::QtInterval, "0400"},
        {&Field::QtcInterval, "0403"}, {&Field::Sv1Amplitude, "1.05"}, {&Field::RvAmplitude, "2.20"}};
    for (const auto& [field, text] : recorded) full.Set(*field, text);
    full.Set(Field::LateralLeadSelector, "5");
    full.Write(tmp->filePath("b.nrm"));
    OpenDirectory(tmp->path());
    AddInOrder({"a.nrm", "b.nrm"});
    Click("ButtonAnalyse");

    const Measurements& m = w->State().analysis.measured;
    QVERIFY2(m.hrBpm && m.rrMs && m.qrsMs, "the regular rhythm is measured");
    // Recorded: as today, in the plain look.
    QCOMPARE(Text("Label51"), QStringLiteral(" 72 "));
    QVERIFY(LooksPlain(Label("Label51")));
    QCOMPARE(Text("Label58"), QStringLiteral("2.00"));
    QCOMPARE(Text("Label34"), QStringLiteral("2.00"));
    QVERIFY(LooksPlain(Label("Label34")));
    // Measured, on both tabs, as the window rounds it.
    QCOMPARE(Text("Label52"), QStringLiteral("800"));  // a beat every 400 samples
    for (const char* name : {"Label52", "Label54", "Label55", "Label56", "Label57"})
      QVERIFY2(LooksMeasured(Label(name)), name);
    // PR where a P wave was found; else the row stays blank, and plain.
    QCOMPARE(Text("Label53"), m.prMs ? QString::number(std::lround(*m.prMs)) : QStringLiteral("    "));
    QCOMPARE(LooksMeasured(Label("Label53")), m.prMs.has_value());
    QVERIFY(m.rv5Mv && m.rv6Mv);
    // V5 is the larger R: the lead rows say so and agree with the value.
    QCOMPARE(Text("Label59"), QStringLiteral("V5"));
    QCOMPARE(Text("Label50"), QStringLiteral("RV5"));
    QCOMPARE(Text("Label33"), QStringLiteral("RV5"));
    QCOMPARE(Text("Label60"), QString::number(*m.rv5Mv, 'f', 2));
    QCOMPARE(Text("Label36"), Text("Label60"));
    QVERIFY(LooksMeasured(Label("Label60")) && LooksMeasured(Label("Label36")) && LooksMeasured(Label("Label59")));

    // A record carrying every value: nothing measured is left on the screen.
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    for (const char* name : {"Label51", "Label52", "Label53", "Label54", "Label55", "Label56", "Label57", "Label58",
                             "Label59", "Label60", "Label34", "Label35", "Label36"})
      QVERIFY2(LooksPlain(Label(name)), name);
    QCOMPARE(Text("Label55"), QStringLiteral("-30 "));  // as stored, padding and all
    QCOMPARE(Text("Label60"), QStringLiteral("2.20"));
    QCOMPARE(Text("Label59"), QStringLiteral("V5"));
  }

  void fiducialMarksOffIsTheDisplayAsDrawnOnAddsTicks() {
    RegularRhythm().Write(tmp->filePath("a.nrm"));
    // The cardiologist's QRS of the first beat on lead I, in the file per lead.
    WriteAnnotations(tmp->filePath("a.i"), {{39, 190}, {1, 200}, {40, 222}});
    OpenDirectory(tmp->path());
    AddInOrder({"a.nrm"});
    Click("ButtonAnalyse");
    auto* box = Get<QCheckBox>("CheckBoxFiducials");
    QVERIFY(!box->isChecked() && box->isVisible());
    const auto [trace, strip] = CorePictures();
    QCOMPARE(w->TraceImage().Qt(), trace);
    QCOMPARE(w->StripImage().Qt(), strip);
    QCOMPARE(w->OverlayImage().Qt(), trace);

    QTest::mouseClick(box, Qt::LeftButton);
    const ViewerState& s = w->State();
    QVERIFY(s.analysis.showMarks);
    QVERIFY(!s.analysis.measured.fiducials.empty());
    const TraceLayout layout = ComputeScreenLayout(s.display, s.leads);
    const int zeroI = layout.ZeroLineY(0), zeroV6 = layout.ZeroLineY(11);
    const BeatFiducials& first = s.analysis.measured.fiducials.front();
    QVERIFY(first.qrsOnset && first.qrsOffset);
    for (int at : {*first.qrsOnset, *first.qrsOffset}) {
      QCOMPARE(w->TraceImage().Pixel(MarkX(s.display, 0, at), zeroI - 1), MeasuredMarkColor);
      QCOMPARE(w->TraceImage().Pixel(MarkX(s.display, 1, at), zeroV6 - TraceMarkLength), MeasuredMarkColor);
    }
    const int stripZero = ViewGeometry::StripZeroY - static_cast<int>(static_cast<Real>(ViewGeometry::LimbSlotPitch) *
                                                                      s.leads.LeadOffset[1] / 2.0);
    for (int at : {190, 222}) {
      QCOMPARE(w->TraceImage().Pixel(MarkX(s.display, 0, at), zeroI + 2), ReferenceMarkColor);
      QCOMPARE(w->StripImage().Pixel(at / 5, stripZero + 2), ReferenceMarkColor);
    }
    QCOMPARE(w->OverlayImage().Qt(), w->TraceImage().Qt());  // the main view shows them

    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(w->TraceImage().Qt(), trace);
    QCOMPARE(w->StripImage().Qt(), strip);
  }
};

QTEST_MAIN(MeasurementTest)
#include "MeasurementTest.moc"
