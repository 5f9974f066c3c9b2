// The "Header and Printer Setup" tab and the header labels on both record
// tabs: odd codes, the patient name's tool tip, and the
// printer settings, which live in the viewer state.
#include <QRadioButton>
#include <QScrollBar>

#include "WindowFixture.h"
#include "record/Cp932.h"

using namespace corvale;
using namespace corvale::test;

class HeaderTabTest : public WindowFixture {
  Q_OBJECT

 private Q_SLOTS:
  void init() { Open(); }
  void cleanup() { Close(); }

  void oddCodesLeaveNothingOfTheRecordBefore() {
    RecordBuilder first = Numbered(1);
    first.Set(Field::AgeUnit, "2").Set(Field::ProcessingResult, " ").Set(Field::LateralLeadSelector, "5");
    first.Write(tmp->filePath("a.nrm"));
    RecordBuilder second = Numbered(2);
    second.Set(Field::AgeUnit, "9").Set(Field::ProcessingResult, "3").Set(Field::LateralLeadSelector, "6");
    second.Write(tmp->filePath("b.nrm"));
    OpenDirectory(tmp->path());
    AddInOrder({"a.nrm", "b.nrm"});
    Click("ButtonAnalyse");
    QCOMPARE(Text("Label14"), QStringLiteral("d.o."));
    QCOMPARE(Text("Label90"), QStringLiteral("正常終了"));
    QCOMPARE(Text("Label50"), QStringLiteral("RV5"));
    QCOMPARE(Text("Label33"), QStringLiteral("RV5"));
    QCOMPARE(Text("Label35"), QStringLiteral("V5"));
    QCOMPARE(Text("Label59"), QStringLiteral("V5"));
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    QCOMPARE(Text("Label12"), QStringLiteral("00000002"));
    // AgeUnit 9 and ProcessingResult 3 have no text: the first record's stay not.
    QCOMPARE(Text("Label14"), QString());
    QCOMPARE(Text("Label90"), QString());
    QCOMPARE(Text("Label50"), QStringLiteral("RV6"));
    QCOMPARE(Text("Label33"), QStringLiteral("RV6"));
    QCOMPARE(Text("Label59"), QStringLiteral("V6"));
  }

  void headerValuesReachBothTabs() {
    RecordBuilder b = Numbered(4);
    b.Set(Field::Sv1Amplitude, "1.25")
        .Set(Field::RvAmplitude, "2.50")
        .Set(Field::HeartRate, " 72 ")
        .Set(Field::RecordingYearHigh, "20")
        .Set(Field::RecordingDate, "030514")
        .Set(Field::RecordingTime, "094107")
        .Set(Field::MinnesotaCodes, "9-8 ", 13)
        .SetNumber(Field::SamplingInterval, 2);
    b.SetBytes(Field::PatientName.offset, EncodeCp932(QStringLiteral("見本　長い名前の患者さん")).value());
    b.Write(tmp->filePath("a.nrm"));
    OpenDirectory(tmp->path());
    AnalyseAll();
    const std::pair<const char*, const char*> expected[] = {
        {"Label34", "1.25"},     {"Label58", "1.25"},
        {"Label36", "2.50"},     {"Label60", "2.50"},
        {"Label51", " 72 "},     {"Label39", "2003/05/14"},
        {"Label40", "09:41:07"}, {"Label137", "9-8 "},
        {"Label24", "2"},        {"Label11", "見本　長い名前の患者さん"}};
    for (const auto& [label, text] : expected) QCOMPARE(Text(label), QString::fromUtf8(text));
    // Twelve full-width characters are wider than the label: the tool tip shows them all.
    QCOMPARE(Get<QLabel>("Label11")->toolTip(), QStringLiteral("見本　長い名前の患者さん"));
  }

  void printerSettingsLiveInTheState() {
    AnalyseNumbered(1);  // opens the tab
    auto& print = w->State().print;
    auto* pen = Get<QScrollBar>("ScrollBarP");
    auto* margin = Get<QScrollBar>("ScrollBarM");
    QCOMPARE(pen->value(), 2);
    QCOMPARE(margin->value(), 50);
    QCOMPARE(pen->maximum(), 10);
    QCOMPARE(margin->minimum(), 10);
    QCOMPARE(margin->maximum(), 200);
    pen->setValue(7);
    margin->setValue(120);
    QCOMPARE(print.PenWidth, 7);
    QCOMPARE(print.Margin, 120);
    QCOMPARE(Text("Label142"), QStringLiteral("7"));
    QCOMPARE(Text("Label144"), QStringLiteral("120"));
    QVERIFY(Get<QRadioButton>("RadioButton38")->isChecked());
    QVERIFY(Get<QRadioButton>("RadioButtonG2")->isChecked());
    struct Row {
      const char* button;
      int pen, grid;
    };
    const Row rows[] = {
        {"RadioButton37", 1, 2}, {"RadioButtonG1", 1, 1}, {"RadioButton38", 2, 1}, {"RadioButtonG2", 2, 2}};
    for (const Row& r : rows) {
      Get<QRadioButton>(r.button)->click();
      QCOMPARE(print.PenPattern, r.pen);
      QCOMPARE(print.GridPattern, r.grid);
    }
    // Nothing else changes and nothing is drawn.
    QCOMPARE(Text("Label140"), QStringLiteral("000"));
    QVERIFY(messages.isEmpty());
  }
};

QTEST_MAIN(HeaderTabTest)
#include "HeaderTabTest.moc"
