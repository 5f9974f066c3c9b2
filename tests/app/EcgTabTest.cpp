// The "ECG" tab: display options, calipers on the main view, and the
// clipboard, image and record copy buttons.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>

#include "WindowFixture.h"
#include "app/EcgTab.h"
#include "display/Render.h"

using namespace corvale;
using namespace corvale::test;

namespace {

// Counts the paints of `outer` and `inner`, and the repaints asked of their
// window at once (a synchronous repaint sends it an update request there and
// then) while `outer` paints.
class PaintNesting : public QObject {
 public:
  PaintNesting(QWidget* outer, QWidget* inner) : outer_(outer), inner_(inner) {
    for (QWidget* widget : {outer, inner, outer->window()}) widget->installEventFilter(this);
  }
  int outerPaints = 0, innerPaints = 0, repaintsAskedInsideOuter = 0;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::UpdateRequest && object == outer_->window()) repaintsAskedInsideOuter += inOuter_;
    if (event->type() != QEvent::Paint || inOuter_) return false;
    innerPaints += object == inner_;
    if (object != outer_) return false;
    ++outerPaints;
    inOuter_ = true;
    static_cast<QObject*>(outer_)->event(event);  // the paint itself, with the flag up
    inOuter_ = false;
    return true;
  }

 private:
  QWidget *outer_, *inner_;
  bool inOuter_ = false;
};

}  // namespace

class EcgTabTest : public WindowFixture {
  Q_OBJECT

  EcgTab* Tab() const { return Get<EcgTab>("TabSheet2"); }
  void ClickRadio(const char* name) const { QTest::mouseClick(Get<QRadioButton>(name), Qt::LeftButton); }
  /// The trace image the display layer draws for the window's state, names on or off.
  QImage CoreTraces(bool leadNames) const {
    DisplayState display = w->State().display;
    display.LeadNames = leadNames;
    using G = ViewGeometry;
    Image grid(G::ViewWidth, G::MainViewHeight), stripGrid(G::ViewWidth, G::StripViewHeight);
    Image trace(G::ViewWidth, G::MainViewHeight), strip(G::ViewWidth, G::StripViewHeight);
    RenderGrid(display, w->State().leads, grid, stripGrid);
    RenderTraces(display, w->State().leads, grid, stripGrid, trace, strip);
    return trace.Qt().copy();
  }
  /// A key pressed where the keyboard is, as a user would press it.
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) const {
    QWidget* target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
  }

 private Q_SLOTS:
  void init() { Open(); }
  void cleanup() { Close(); }

  void calibrationButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("lead");
    QTest::addColumn<double>("gain");
    QTest::newRow("I 1/2") << "RadioButton2" << 0 << 2.0;
    QTest::newRow("II 1/4") << "RadioButton6" << 1 << 4.0;
    QTest::newRow("aVR 1/4") << "RadioButton12" << 3 << 4.0;
    QTest::newRow("V1 1/2") << "RadioButton20" << 6 << 2.0;
    QTest::newRow("V6 1/4") << "RadioButton36" << 11 << 4.0;
  }
  void calibrationButtons() {
    QFETCH(QString, button);
    QFETCH(int, lead);
    QFETCH(double, gain);
    AnalyseNumbered(1);
    auto* r = Get<QRadioButton>(qPrintable(button));
    QCOMPARE(r->property("handlerValue").toInt(), lead * 10 + static_cast<int>(gain));
    const QImage original = w->TraceImage().Qt().copy();
    QTest::mouseClick(r, Qt::LeftButton);
    const auto& g = w->State().display.LeadGain;
    for (int i = 0; i < 12; ++i) QCOMPARE(g[static_cast<std::size_t>(i)], i == lead ? gain : 1.0);
    // Factor 1 again restores the start-up picture.
    const QImage changed = w->TraceImage().Qt().copy();
    QTest::mouseClick(Get<QRadioButton>(qPrintable(QStringLiteral("RadioButton%1").arg(lead * 3 + 1))), Qt::LeftButton);
    QCOMPARE(g[static_cast<std::size_t>(lead)], 1.0);
    QVERIFY(changed != original);
    QCOMPARE(w->TraceImage().Qt(), original);
  }

  void everyDisplayHandlerRedrawsWhatItChanges_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("value");  // a scroll bar's position; 0 for a button
    QTest::newRow("II 1/2: the strip too") << "RadioButton5" << 0;
    QTest::newRow("aVR 1/4") << "RadioButton12" << 0;
    QTest::newRow("scheme 3") << "RadioButtonCol3" << 0;
    QTest::newRow("10 s") << "RadioButtonD2" << 0;
    QTest::newRow("time window") << "ScrollBar1" << 700;
    QTest::newRow("limb layout 2") << "RadioButtonR2" << 0;
  }
  void everyDisplayHandlerRedrawsWhatItChanges() {
    QFETCH(QString, control);
    QFETCH(int, value);
    // Every lead, II included, carries a different wave, so every option shows.
    RecordBuilder b;
    for (int lead = 0; lead < 12; ++lead)
      b.Lead(lead, [lead](int n) {
        return static_cast<std::int16_t>((n % (200 + 20 * lead) < 40 ? 600 : -100) + 10 * lead);
      });
    b.Write(tmp->filePath("wave.nrm"));
    OpenDirectory(tmp->path());
    AnalyseAll();
    const QImage before = w->StripImage().Qt().copy();
    if (value) Get<QScrollBar>(qPrintable(control))->setValue(value);
    else Get<QRadioButton>(qPrintable(control))->click();
    // What a fresh render of the state gives, against what the window shows.
    Image grid(1040, 760), stripGrid(1040, 100), trace(1040, 760), strip(1040, 100);
    RenderGrid(w->State().display, w->State().leads, grid, stripGrid);
    RenderTraces(w->State().display, w->State().leads, grid, stripGrid, trace, strip);
    QCOMPARE(w->GridImage().Qt(), grid.Qt());
    QCOMPARE(w->StripGridImage().Qt(), stripGrid.Qt());
    QCOMPARE(w->TraceImage().Qt(), trace.Qt());
    QCOMPARE(w->StripImage().Qt(), strip.Qt());
    QCOMPARE(w->OverlayImage().Qt(), trace.Qt());
    QCOMPARE(Get<PaintBox>("PaintBox1")->ShownImage(), &w->OverlayImage());
    QCOMPARE(Get<PaintBox>("PaintBox2")->ShownImage(), &w->StripImage());
    if (control != QLatin1String("RadioButton12") && control != QLatin1String("RadioButtonR2"))
      QVERIFY2(w->StripImage().Qt() != before, "the lower view shows the change");
  }

  void displayOptions() {
    AnalyseNumbered(1);
    auto& s = w->State().display;
    ClickRadio("RadioButton12");  // aVR 1/4
    QCOMPARE(s.LeadGain[3], 4.0);
    ClickRadio("RadioButton5");  // II 1/2
    QCOMPARE(s.LeadGain[1], 2.0);
    ClickRadio("RadioButtonCol2");
    QCOMPARE(s.Colors, SchemeColors(2));
    QCOMPARE(w->GridImage().Pixel(2, 2), 0x000000u);
    QCOMPARE(w->TraceImage().Pixel(2, 2), 0x000000u);
    auto* timeWindow = Get<QScrollBar>("ScrollBar1");
    ClickRadio("RadioButtonD2");
    QCOMPARE(s.DisplaySpan, 2);
    QVERIFY(!timeWindow->isEnabled());
    ClickRadio("RadioButtonD1");
    QCOMPARE(s.DisplaySpan, 1);
    QVERIFY(timeWindow->isEnabled());
    timeWindow->setValue(2499);
    QCOMPARE(s.TimeOffset, 2499);
    QCOMPARE(w->StripImage().Pixel(499, 50), 0x00FFFFu);  // the frame moved, in yellow
    Get<QRadioButton>("RadioButtonR1")->click();          // the limb-lead group is hidden
    QCOMPARE(s.LimbLeadMode, 1);
    // The main view shows the overlay, which without measurements is the trace image.
    QCOMPARE(w->OverlayImage().Qt(), w->TraceImage().Qt());
    QCOMPARE(Get<PaintBox>("PaintBox1")->ShownImage(), &w->OverlayImage());
    QCOMPARE(Get<PaintBox>("PaintBox2")->ShownImage(), &w->StripImage());
    // Another record keeps every option.
    Numbered(2).Write(tmp->filePath("r1.nrm"));
    w->ShowRecord();
    QCOMPARE(Text("Label12"), QStringLiteral("00000002"));
    QCOMPARE(s.LeadGain[3], 4.0);
    QCOMPARE(s.Colors, SchemeColors(2));
    QCOMPARE(s.TimeOffset, 2499);
    QCOMPARE(s.LimbLeadMode, 1);
    QCOMPARE(w->StripImage().Pixel(499, 50), 0x00FFFFu);
  }

  void leadNamesCheckBox() {
    AnalyseNumbered(1);
    auto* box = Get<QCheckBox>("CheckBoxLeadNames");
    QVERIFY(box->isChecked() && box->isVisible());
    QVERIFY(w->State().display.LeadNames);
    const QImage named = w->TraceImage().Qt().copy();
    const QImage paper = w->GridImage().Qt().copy();
    QCOMPARE(named, CoreTraces(true));
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!w->State().display.LeadNames);
    QCOMPARE(w->TraceImage().Qt(), CoreTraces(false));
    QVERIFY(w->TraceImage().Qt() != named);
    QCOMPARE(w->GridImage().Qt(), paper);                    // the names are not on the paper
    QCOMPARE(w->OverlayImage().Qt(), w->TraceImage().Qt());  // and the main view shows them gone
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(w->TraceImage().Qt(), named);
  }

  // The three filter lists: the traces, the strip, the calipers' picture and
  // the clipboard show the signal through them, and every filter off gives
  // today's pictures back.
  void filterControls() {
    AnalyseNumbered(1);
    auto* baseline = Get<QComboBox>("ComboBoxBaseline");
    auto* mains = Get<QComboBox>("ComboBoxMains");
    auto* muscle = Get<QComboBox>("ComboBoxMuscle");
    auto* caption = Get<QLabel>("LabelFilters");
    QVERIFY(baseline->isVisible() && mains->isVisible() && muscle->isVisible() && caption->isVisible());
    QCOMPARE(caption->text(), QStringLiteral("unfiltered"));
    const QImage raw = w->TraceImage().Qt().copy(), rawStrip = w->StripImage().Qt().copy();
    QCOMPARE(raw, CoreTraces(true));

    for (auto* combo : {baseline, mains, muscle}) QTest::keyClick(combo, Qt::Key_Down);  // 0.67, 50, 25
    const FilterSettings on{BaselineFilter::HighPass067, MainsFilter::Notch50, MuscleFilter::LowPass25};
    QCOMPARE(w->State().filters, on);
    QCOMPARE(caption->text(), QStringLiteral("filtered 0.67\u201325 Hz, 50 Hz notch"));
    auto leads = std::make_unique<LeadArrays>();
    DeriveFilteredLeadArrays(w->State().record, on, *leads);
    const DisplayState& display = w->State().display;
    using G = ViewGeometry;
    Image grid(G::ViewWidth, G::MainViewHeight), stripGrid(G::ViewWidth, G::StripViewHeight);
    Image trace(G::ViewWidth, G::MainViewHeight), strip(G::ViewWidth, G::StripViewHeight);
    RenderGrid(display, *leads, grid, stripGrid);
    RenderTraces(display, *leads, grid, stripGrid, trace, strip);
    QCOMPARE(w->TraceImage().Qt(), trace.Qt());
    QCOMPARE(w->StripImage().Qt(), strip.Qt());
    QCOMPARE(w->OverlayImage().Qt(), trace.Qt());
    QVERIFY(trace.Qt() != raw);
    Tab()->Button5Click();
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), trace.Qt());
    w->ShowRecord();  // the next record is shown through the same filters
    QCOMPARE(w->TraceImage().Qt(), trace.Qt());

    for (auto* combo : {baseline, mains, muscle}) {
      combo->setCurrentIndex(0);
      Q_EMIT combo->activated(0);
    }
    QCOMPARE(w->State().filters, FilterSettings{});
    QCOMPARE(w->TraceImage().Qt(), raw);
    QCOMPARE(w->StripImage().Qt(), rawStrip);
    QCOMPARE(caption->text(), QStringLiteral("unfiltered"));
  }

  void keys() {
    AnalyseNumbered(3);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QVERIFY(Tab()->isAncestorOf(QApplication::focusWidget()));
    const auto& s = w->State();
    struct Step {
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
      int record, offset;
    };
    const Step steps[] = {
        {Qt::Key_PageDown, {}, 1, 0},
        {Qt::Key_PageDown, {}, 2, 0},
        {Qt::Key_PageDown, {}, 2, 0},  // the end clamps
        {Qt::Key_PageUp, {}, 1, 0},
        {Qt::Key_Right, {}, 1, 20},                  // one small square
        {Qt::Key_Right, Qt::ShiftModifier, 1, 520},  // one second
        {Qt::Key_Left, {}, 1, 500},
        {Qt::Key_Left, Qt::ShiftModifier, 1, 0},
        {Qt::Key_Left, {}, 1, 0},
        {Qt::Key_Right, Qt::ShiftModifier, 1, 500},
    };
    for (const Step& step : steps) {
      Press(step.key, step.modifiers);
      QCOMPARE(s.study.current, step.record);
      QCOMPARE(s.display.TimeOffset, step.offset);
      QCOMPARE(Get<QScrollBar>("ScrollBar1")->value(), step.offset);
    }
    QCOMPARE(Text("Label12"), QStringLiteral("00000002"));  // the record the keys reached
    for (int i = 0; i < 6; ++i) Press(Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(s.display.TimeOffset, 2499);
    // In 10 s mode the window does not move, as its scroll bar does not.
    ClickRadio("RadioButtonD2");
    Press(Qt::Key_Left);
    QCOMPARE(s.display.TimeOffset, 2499);
    // Escape drops a pending first point, and nothing else.
    ClickRadio("RadioButtonD1");
    QTest::mouseClick(Get<QToolButton>("SpeedButtonS1"), Qt::LeftButton);
    auto* view = Get<PaintBox>("PaintBox1");
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(100, 50));
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(150, 50));
    QTest::mouseClick(Get<QToolButton>("SpeedButtonS1"), Qt::LeftButton);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(300, 50));
    QVERIFY(s.caliper.AnchorPending);
    Press(Qt::Key_Escape);
    QVERIFY(!s.caliper.AnchorPending);
    QCOMPARE(s.measurements.MeasurementCount, 1);
    Press(Qt::Key_Escape);
    QCOMPARE(s.measurements.MeasurementCount, 1);
    // The File tab's lists keep their keys.
    Get<QTabWidget>("PageControl1")->setCurrentIndex(0);
    List(2)->setFocus();
    List(2)->setCurrentRow(0);
    Press(Qt::Key_PageDown);
    QCOMPARE(s.study.current, 1);
    QCOMPARE(List(2)->currentRow(), 2);
  }

  void caliperEndToEnd() {
    AnalyseNumbered(2);
    auto* view = Get<PaintBox>("PaintBox1");
    auto* s1 = Get<QToolButton>("SpeedButtonS1");
    const Image& overlay = w->OverlayImage();
    auto caption = [&] { return s1->palette().color(QPalette::ButtonText); };
    QTest::mouseClick(s1, Qt::LeftButton);
    QCOMPARE(caption(), QColor(255, 0, 0));
    QVERIFY(w->State().caliper.CaliperMode);
    QTest::mouseMove(view, QPoint(100, 50));
    QCOMPARE(overlay.Pixel(100, 700), Colors::Red);  // guide line
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(100, 50));
    QTest::mouseMove(view, QPoint(137, 300));
    QCOMPARE(overlay.Pixel(100, 700), Colors::Red);  // rubber band from the first point
    QCOMPARE(overlay.Pixel(104, 300), Colors::Red);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(137, 300));
    QCOMPARE(caption(), QColor(0, 0, 0));
    QCOMPARE(overlay.Pixel(104, 300), Colors::Red);  // stays until the pointer moves
    QCOMPARE(w->State().measurements.MeasurementCount, 1);
    QCOMPARE(w->State().measurements.items[0].Value, 370);
    QTest::mouseMove(view, QPoint(400, 600));
    QCOMPARE(overlay.Pixel(100, 700), Colors::Blue);
    QCOMPARE(overlay.Pixel(137, 700), Colors::Blue);
    QCOMPARE(overlay.Pixel(104, 300), Colors::Blue);  // the bar
    QCOMPARE(overlay.Pixel(110, 292), Colors::Grey);  // the label's box
    QTest::mouseMove(view, QPoint(101, 600));
    QCOMPARE(overlay.Pixel(100, 700), Colors::Magenta);
    QVERIFY(w->TraceImage().Pixel(100, 700) != Colors::Magenta);
    // Drag the left mark with the left button.
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(101, 600));
    QTest::mouseMove(view, QPoint(80, 620));
    QCOMPARE(overlay.Pixel(80, 10), Colors::Red);
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(80, 620));
    QCOMPARE(w->State().measurements.items[0].X1, 80);
    QCOMPARE(w->State().measurements.items[0].Value, 570);
    // Marks stay on the screen through scrolling and another record.
    Get<QScrollBar>("ScrollBar1")->setValue(700);
    QCOMPARE(overlay.Pixel(80, 10), Colors::Blue);
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    QCOMPARE(Text("Label12"), QStringLiteral("00000002"));
    QCOMPARE(overlay.Pixel(80, 10), Colors::Blue);
    QCOMPARE(w->State().measurements.items[0].Value, 570);
    for (int y : {0, 100, 759}) QVERIFY(w->TraceImage().Pixel(80, y) != Colors::Blue);
    // Shift-click removes it; AC on an empty list is harmless.
    QTest::mouseMove(view, QPoint(80, 10));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, QPoint(80, 10));
    QCOMPARE(w->State().measurements.MeasurementCount, 0);
    QTest::mouseClick(Get<QToolButton>("SpeedButtonS3"), Qt::LeftButton);
    QCOMPARE(overlay.Qt(), w->TraceImage().Qt());
  }

  void clearButtons() {
    AnalyseNumbered(1);
    auto& list = w->State().measurements;
    list.items[0] = {100, 0, 200, 300, 1000};
    list.items[1] = {400, 0, 450, 500, 500};
    list.MeasurementCount = 2;
    // The hidden check box redraws everything, marks included.
    Get<QCheckBox>("CheckBox5")->click();
    QCOMPARE(w->OverlayImage().Pixel(400, 10), Colors::Blue);
    QTest::mouseClick(Get<QToolButton>("SpeedButtonS2"), Qt::LeftButton);  // "C": the last one goes
    QCOMPARE(list.MeasurementCount, 1);
    QCOMPARE(w->OverlayImage().Pixel(400, 10), w->TraceImage().Pixel(400, 10));
    QCOMPARE(w->OverlayImage().Pixel(100, 10), Colors::Blue);
    QTest::mouseClick(Get<QToolButton>("SpeedButtonS3"), Qt::LeftButton);  // "AC"
    QCOMPARE(list.MeasurementCount, 0);
    QCOMPARE(w->OverlayImage().Qt(), w->TraceImage().Qt());
  }

  // The clipboard, BMP and copy buttons follow the rule File > Export and
  // printing follow: the clipboard once copied a record the work list had lost.
  void outputsActOnlyOnALoadedRecord_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("reason");
    QTest::newRow("before any record") << "none"
                                       << "no record to export";
    QTest::newRow("after a failed load") << "unreadable"
                                         << "could not be read";
    QTest::newRow("work list changed") << "changed"
                                       << "has changed since";
  }
  void outputsActOnlyOnALoadedRecord() {
    QFETCH(QString, situation);
    QFETCH(QString, reason);
    QTemporaryDir out;
    Get<DirectoryListBox>("DirectoryListBox2")->SetDirectory(out.path());
    if (situation == "changed") {
      AnalyseNumbered(2);
      Select(List(2), {0});
      Click("ButtonDelete");  // the record on the screen leaves the work list
      messages.clear();
      notices.clear();
    }
    if (situation == "unreadable") {
      Numbered(1).Write(tmp->filePath("good.nrm"));
      Numbered(2).Write(tmp->filePath("bad.nrm"), 400);
      OpenDirectory(tmp->path());
      AddInOrder({"good.nrm", "bad.nrm"});
      Click("ButtonAnalyse");
      Get<QScrollBar>("ScrollBarFile")->setValue(1);
      QCOMPARE(messages.size(), 1);
      messages.clear();
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    Tab()->Button5Click();
    Tab()->Button3Click();
    Tab()->Button4Click();
    QCOMPARE(messages.size(), 3);
    for (const QString& m : messages) QVERIFY2(m.contains(reason), qPrintable(m));
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QVERIFY(QGuiApplication::clipboard()->image().isNull());
  }

  void pointerPositionsAreTruncated_data() {
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<QPoint>("pixel");
    QTest::newRow("100.6, 300.6") << QPointF(100.6, 300.6) << QPoint(100, 300);
    QTest::newRow("100.4, 300.4") << QPointF(100.4, 300.4) << QPoint(100, 300);
    QTest::newRow("199.99, 0.5") << QPointF(199.99, 0.5) << QPoint(199, 0);
  }
  void pointerPositionsAreTruncated() {
    QFETCH(QPointF, at);
    QFETCH(QPoint, pixel);
    AnalyseNumbered(1);
    auto* view = Get<PaintBox>("PaintBox1");
    auto send = [view](QEvent::Type type, QPointF p, Qt::MouseButtons buttons) {
      QMouseEvent e(type, p, view->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                    Qt::NoModifier);
      QApplication::sendEvent(view, &e);
    };
    QTest::mouseClick(Get<QToolButton>("SpeedButtonS1"), Qt::LeftButton);  // place a measurement
    send(QEvent::MouseMove, at, Qt::NoButton);
    QCOMPARE(w->OverlayImage().Pixel(pixel.x(), 700), Colors::Red);  // the guide line
    QVERIFY(w->OverlayImage().Pixel(pixel.x() + 1, 700) != Colors::Red);
    const QPointF second = at + QPointF(50, 20);
    for (QPointF p : {at, second}) {
      send(QEvent::MouseButtonPress, p, Qt::LeftButton);
      send(QEvent::MouseButtonRelease, p, Qt::NoButton);
    }
    const Measurement& m = w->State().measurements.items[0];
    QCOMPARE(w->State().measurements.MeasurementCount, 1);
    QCOMPARE(QPoint(m.X1, m.Y1), pixel);
    QCOMPARE(QPoint(m.X2, m.Y2), QPoint(static_cast<int>(second.x()), static_cast<int>(second.y())));
  }

  void aPaintOfTheMainViewDrawsNothingElse() {
    AnalyseNumbered(1);
    auto* lower = Get<PaintBox>("PaintBox2");
    QTest::qWait(50);
    PaintNesting paints(Get<PaintBox>("PaintBox1"), lower);
    Get<PaintBox>("PaintBox1")->update();  // a paint the system asks for shows the picture it has
    QTRY_VERIFY(paints.outerPaints > 0);
    QTest::qWait(50);
    QCOMPARE(paints.innerPaints, 0);
    QCOMPARE(paints.repaintsAskedInsideOuter, 0);
    QCOMPARE(lower->ShownImage(), &w->StripImage());
  }

  // An underscore sits below the baseline: the file name's label shows it.
  void recordNotesShareTheTimeRow() {
    auto* bar = Get<QScrollBar>("ScrollBar1");
    auto* notes = Get<QLabel>("LabelRecordNotes");
    const QRect alone = bar->geometry();
    QVERIFY(notes->isHidden());
    const QStringList said{"III, aVR, aVL and aVF were derived from I and II", "warning: a checksum disagrees"};
    Tab()->ShowRecordNotes(said);
    QVERIFY(!notes->isHidden());
    QCOMPARE(notes->toolTip(), said.join(u'\n'));
    QCOMPARE(bar->geometry().left(), alone.left());
    QCOMPARE(notes->geometry().left(), bar->geometry().right() + 1);  // side by side, as wide as the bar was
    QCOMPARE(notes->geometry().right(), alone.right());
    QVERIFY(bar->width() >= 100);
    Tab()->ShowRecordNotes({});
    QVERIFY(notes->isHidden());
    QCOMPARE(bar->geometry(), alone);
  }

  void theFileNameKeepsItsUnderscores() {
    Numbered(1).Write(tmp->filePath("___.nrm"));
    OpenDirectory(tmp->path());
    AnalyseAll();
    auto* label = Get<QLabel>("LabelFile");
    QCOMPARE(label->text(), QStringLiteral("___.nrm"));
    const QImage shot = label->grab().toImage();
    const int underscores = label->fontMetrics().horizontalAdvance(QStringLiteral("___"));
    int ink = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < underscores; ++x) ink += qGray(shot.pixel(x, y)) < 160 ? 1 : 0;
    QVERIFY2(ink >= underscores / 2, qPrintable(QStringLiteral("%1 dark pixels").arg(ink)));
  }

  void clipboardBmpAndCopy() {
    Numbered(3).Write(tmp->filePath("A0001.msd"));
    OpenDirectory(tmp->path());
    AnalyseAll();
    w->State().measurements.items[0] = {100, 0, 200, 300, 1000};
    w->State().measurements.MeasurementCount = 1;
    w->ComposeOverlay();
    QCOMPARE(w->OverlayImage().Pixel(100, 10), Colors::Blue);
    Click("Button5");
    QCOMPARE(messages, QStringList{QStringLiteral("ファイルをクリップボードへ転送しました。")});
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), w->TraceImage().Qt());
    // The disabled buttons' handlers, into the hidden output directory.
    QTemporaryDir out;
    Get<DirectoryListBox>("DirectoryListBox2")->SetDirectory(out.path());
    QCOMPARE(w->State().output.directory, out.path());
    QCOMPARE(Get<QLineEdit>("EditBMP")->text(), QStringLiteral("A0001.BMP"));
    QCOMPARE(Get<QLineEdit>("EditOut")->text(), QStringLiteral("A0001.msd"));
    Tab()->Button3Click();
    QCOMPARE(messages.last(), QStringLiteral("ＢＭＰファイルを出力しました。"));
    QCOMPARE(QImage(out.filePath("A0001.BMP")).convertToFormat(QImage::Format_RGB32), w->TraceImage().Qt());
    Get<QCheckBox>("CheckBoxID")->setChecked(true);
    QVERIFY(w->State().output.blankIdentification);
    Tab()->Button4Click();
    QCOMPARE(messages.last(), QStringLiteral("ファイルをコピーしました。"));
    QCOMPARE(w->windowTitle(), tmp->filePath("A0001.msd"));
    QFile copy(out.filePath("A0001.msd"));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll().mid(25, 8), QByteArray("00000000"));
    QCOMPARE(Text("Label12"), QStringLiteral("00000003"));  // labels are not updated
    // Same directory, default name: the original is never overwritten, by
    // the copy nor by an image under its name.
    Get<DirectoryListBox>("DirectoryListBox2")->SetDirectory(tmp->path());
    Tab()->Button4Click();
    QVERIFY(messages.last().contains("own file"));
    w->State().output.bmpName = QStringLiteral("A0001.msd");
    Tab()->Button3Click();
    QVERIFY2(messages.last().contains("not saved") && messages.last().contains("own file"),
             qPrintable(messages.last()));
    QFile original(tmp->filePath("A0001.msd"));
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), Numbered(3).Bytes());
    // A BMP that cannot be written: a reason, no success message.
    w->State().output.bmpName = QStringLiteral("no/such/dir/x.BMP");
    const int count = messages.size();
    Tab()->Button3Click();
    QCOMPARE(messages.size(), count + 1);
    QVERIFY(messages.last().contains("not saved"));
    QVERIFY(w->isVisible());
  }
};

QTEST_MAIN(EcgTabTest)
#include "EcgTabTest.moc"
