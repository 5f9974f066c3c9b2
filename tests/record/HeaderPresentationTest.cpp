#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>
#include <algorithm>
#include <map>

#include "record/Cp932.h"
#include "record/HeaderPresentation.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

using test::RecordBuilder;

std::map<QString, std::optional<QString>> Labels(const RecordImage& image) {
  std::map<QString, std::optional<QString>> out;
  for (const LabelText& l : PresentHeader(image)) out[QString::fromLatin1(l.control)] = l.text;
  return out;
}

QByteArray Sjis(const QString& s) { return EncodeCp932(s).value(); }

TEST(FieldText, CopyRules) {
  struct Row {
    const char* what;
    FieldLayout field;
    QByteArray bytes;
    QString text;
  };
  const Row rows[] = {
      {"spaces kept", Field::HeartRate, QByteArray(" 72 "), QStringLiteral(" 72 ")},
      {"NUL in second byte", Field::HeartRate,
       QByteArray("7\0"
                  "99",
                  4),
       QStringLiteral("7")},
      {"NUL first", Field::PatientId, QByteArray(8, '\0'), QString()},
      {"whole field, no terminator", Field::PatientId, QByteArray("12345678"), QStringLiteral("12345678")},
      {"letters not checked", Field::Age, QByteArray("x9?"), QStringLiteral("x9?")},
  };
  for (const Row& r : rows) {
    RecordBuilder b;
    b.SetBytes(r.field.offset, r.bytes);
    b.SetBytes(r.field.offset + r.field.length, QByteArray("Z"));  // the next byte never leaks in
    EXPECT_EQ(FieldText(b.Image(), r.field), r.text) << r.what;
  }
}

TEST(FieldNumber, LittleEndianWords) {
  struct Row {
    FieldLayout field;
    QByteArray bytes;
    unsigned value;
  };
  const Row rows[] = {{Field::SamplingInterval, QByteArray("\xF4\x01", 2), 500},
                      {Field::LsbSize, QByteArray("\x00\x00", 2), 0},
                      {Field::HighFrequency, QByteArray("\xFF\xFF", 2), 65535},
                      {Field::SampleCount, QByteArray("\x88\x13\x00\x00", 4), 5000},
                      {Field::SampleCount, QByteArray("\x88\x13\xFF\x7F", 4), 5000}};  // bytes 398/399 unused
  for (const Row& r : rows) {
    RecordBuilder b;
    b.SetBytes(r.field.offset, r.bytes);
    EXPECT_EQ(FieldNumber(b.Image(), r.field), r.value) << r.field.name.data();
    EXPECT_EQ(Labels(b.Image())[r.field.name == "SampleCount" ? "Label30" : "Label24"].has_value(), true);
  }
}

TEST(PresentHeader, CodedLabels) {
  struct Row {
    FieldLayout field;
    char code;
    const char* label;
    std::optional<QString> text;
  };
  const Row rows[] = {
      {Field::Sex, '1', "Label13", QStringLiteral("M")},
      {Field::Sex, '0', "Label13", QStringLiteral("F")},
      {Field::Sex, '2', "Label13", QStringLiteral("F")},
      {Field::Sex, ' ', "Label13", QStringLiteral("F")},
      {Field::AgeUnit, '0', "Label14", QStringLiteral("y.o.")},
      {Field::AgeUnit, '1', "Label14", QStringLiteral("m.o.")},
      {Field::AgeUnit, '2', "Label14", QStringLiteral("d.o.")},
      {Field::AgeUnit, '9', "Label14", std::nullopt},
      {Field::ProcessingResult, ' ', "Label90", QStringLiteral("正常終了")},
      {Field::ProcessingResult, '1', "Label90", QStringLiteral("デコードエラー")},
      {Field::ProcessingResult, '2', "Label90", QStringLiteral("データエラー")},
      {Field::ProcessingResult, '3', "Label90", std::nullopt},
      {Field::LateralLeadSelector, '5', "Label59", QStringLiteral("V5")},
      {Field::LateralLeadSelector, '5', "Label35", QStringLiteral("V5")},
      {Field::LateralLeadSelector, '5', "Label50", QStringLiteral("RV5")},
      {Field::LateralLeadSelector, '5', "Label33", QStringLiteral("RV5")},
      {Field::LateralLeadSelector, '6', "Label59", QStringLiteral("V6")},
      {Field::LateralLeadSelector, ' ', "Label35", QStringLiteral("V6")},
      {Field::LateralLeadSelector, '\0', "Label50", QStringLiteral("RV6")},
      {Field::LateralLeadSelector, '4', "Label33", QStringLiteral("RV6")},
  };
  for (const Row& r : rows) {
    RecordBuilder b;
    b.SetBytes(r.field.offset, QByteArray(1, r.code));
    EXPECT_EQ(Labels(b.Image())[r.label], r.text) << r.label << " for code '" << r.code << "'";
  }
}

TEST(PresentHeader, EveryLabelFromItsBytes) {
  // Every field a different value, written at the offsets of the format (not
  // through the code's field table), so that two swapped fields cannot pass.
  const QByteArray name = Sjis(QStringLiteral("見本　花子"));
  struct Byte {
    std::size_t offset;
    QByteArray bytes;
  };
  const Byte bytes[] = {{0, "1"},
                        {1, "D"},
                        {2, "030514"},
                        {8, "094107"},
                        {25, "ID000042"},
                        {33, "047"},
                        {36, "1"},
                        {37, "1"},
                        {38, "172"},
                        {41, "065"},
                        {44, "120/80"},
                        {50, "AF01"},
                        {54, "AF02"},
                        {58, "S1"},
                        {60, "M2"},
                        {62, name},
                        {91, "LOAD INFO 0014"},
                        {105, "20"},
                        {107, " 72 "},
                        {111, "0833"},
                        {115, "0160"},
                        {119, "0094"},
                        {123, " +45"},
                        {127, "0380"},
                        {131, "0416"},
                        {135, "1.25"},
                        {139, "5"},
                        {140, "2.50"},
                        {164, "F101F102F103F104F105F106F107F108F109"},
                        {200, "M101M102M103M104M105M106M107M108M109M110M111M112M113M114"},
                        {384, QByteArray("\x02\x00", 2)},
                        {386, QByteArray("\x05\x00", 2)},
                        {388, QByteArray("\x07\x00", 2)},
                        {390, QByteArray("\x32\x00", 2)},
                        {392, QByteArray("\x96\x00", 2)},
                        {394, QByteArray("\x0C\x00", 2)},
                        {396, QByteArray("\x88\x13\x01\x02", 4)}};
  RecordBuilder b;
  b.SetBytes(62, QByteArray(24, '\0'));
  for (const Byte& f : bytes) b.SetBytes(f.offset, f.bytes);
  const std::map<QString, QString> expected{{"Label12", "ID000042"},
                                            {"Label11", "見本　花子"},
                                            {"Label13", "M"},
                                            {"Label14", "m.o."},
                                            {"Label15", "047"},
                                            {"Label24", "2"},
                                            {"Label25", "5"},
                                            {"Label26", "7"},
                                            {"Label27", "50"},
                                            {"Label28", "150"},
                                            {"Label29", "12"},
                                            {"Label30", "5000"},
                                            {"Label34", "1.25"},
                                            {"Label58", "1.25"},
                                            {"Label36", "2.50"},
                                            {"Label60", "2.50"},
                                            {"Label35", "V5"},
                                            {"Label59", "V5"},
                                            {"Label33", "RV5"},
                                            {"Label50", "RV5"},
                                            {"Label51", " 72 "},
                                            {"Label52", "0833"},
                                            {"Label53", "0160"},
                                            {"Label54", "0094"},
                                            {"Label55", " +45"},
                                            {"Label56", "0380"},
                                            {"Label57", "0416"},
                                            {"Label39", "2003/05/14"},
                                            {"Label40", "09:41:07"},
                                            {"Label73", "172"},
                                            {"Label74", "065"},
                                            {"Label75", "120/80"},
                                            {"Label81", "AF01"},
                                            {"Label82", "AF02"},
                                            {"Label83", "S1"},
                                            {"Label84", "M2"},
                                            {"Label85", "LOAD INFO 0014"},
                                            {"Label86", "20"},
                                            {"Label90", "デコードエラー"},
                                            {"Label91", "D"},
                                            {"Label101", "F101"},
                                            {"Label102", "F102"},
                                            {"Label103", "F103"},
                                            {"Label104", "F104"},
                                            {"Label105", "F105"},
                                            {"Label106", "F106"},
                                            {"Label107", "F107"},
                                            {"Label108", "F108"},
                                            {"Label109", "F109"},
                                            {"Label124", "M101"},
                                            {"Label125", "M102"},
                                            {"Label126", "M103"},
                                            {"Label127", "M104"},
                                            {"Label128", "M105"},
                                            {"Label129", "M106"},
                                            {"Label130", "M107"},
                                            {"Label131", "M108"},
                                            {"Label132", "M109"},
                                            {"Label133", "M110"},
                                            {"Label134", "M111"},
                                            {"Label135", "M112"},
                                            {"Label136", "M113"},
                                            {"Label137", "M114"}};
  ASSERT_EQ(expected.size(), HeaderLabelCount);
  auto l = Labels(b.Image());
  for (const auto& [label, text] : expected) EXPECT_EQ(l[label], text) << label.toStdString();
}

TEST(PresentHeader, EveryLabelOnceInFillOrder) {
  RecordBuilder b;
  const auto texts = PresentHeader(b.Image());
  // The fill order: patient block, header numbers, amplitudes and lateral
  // lead, measurements, date and time, the right column, the codes.
  const QStringList order =
      QStringLiteral(
          "Label12 Label11 Label13 Label14 Label15 Label24 Label25 Label26 Label27 Label28 Label29 Label30 "
          "Label34 Label58 Label36 Label60 Label35 Label59 Label33 Label50 Label51 Label52 Label53 Label54 "
          "Label55 Label56 Label57 Label39 Label40 Label73 Label74 Label75 Label81 Label82 Label83 Label84 "
          "Label85 Label86 Label90 Label91 Label101 Label102 Label103 Label104 Label105 Label106 Label107 "
          "Label108 Label109 Label124 Label125 Label126 Label127 Label128 Label129 Label130 Label131 Label132 "
          "Label133 Label134 Label135 Label136 Label137")
          .split(u' ');
  ASSERT_EQ(texts.size(), 63u);
  ASSERT_EQ(order.size(), 63);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(QString::fromLatin1(texts[i].control), order[static_cast<qsizetype>(i)]) << i;
    EXPECT_EQ(std::string_view(texts[i].control), HeaderLabels[i].control) << "the names come from the table";
  }
}

TEST(HeaderLabels, TableRowsFitTheirFieldsAndPages) {
  for (const HeaderLabel& l : HeaderLabels) {
    const std::string name(l.control);
    EXPECT_FALSE(l.caption.empty()) << name;
    EXPECT_LT(l.element, l.field.count) << name;
    EXPECT_NE(l.field.encoding, FieldEncoding::Unused) << name;
    // Numbers only from 16-bit fields, and those fields only as numbers.
    EXPECT_EQ(l.rule == HeaderRule::Number, l.field.encoding == FieldEncoding::UInt16LE) << name;
    EXPECT_GT(l.width, 0) << name;
    EXPECT_GT(l.height, 0) << name;
    // The "ECG" tab's left column is 162 px wide; the header tab's rows are 24 px apart from y 16.
    if (l.page == HeaderPage::Ecg) EXPECT_LE(l.x + l.width, 162) << name;
    else EXPECT_EQ((l.y - 16) % 24, 0) << name;
  }
  // No two labels of a page overlap.
  for (std::size_t i = 0; i < HeaderLabelCount; ++i)
    for (std::size_t j = i + 1; j < HeaderLabelCount; ++j) {
      const HeaderLabel &a = HeaderLabels[i], &b = HeaderLabels[j];
      if (a.page != b.page) continue;
      const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y || b.y + b.height <= a.y;
      EXPECT_TRUE(apart) << a.control << " overlaps " << b.control;
    }
}

TEST(HeaderLabels, PlacesAndCaptions) {
  struct Row {
    const char* control;
    const char* caption;
    HeaderPage page;
    int x, y, w, h;
    HeaderLook look;
  };
  const Row rows[] = {
      {"Label11", "Patient Name", HeaderPage::Ecg, 8, 20, 153, 18, HeaderLook::PatientName},
      {"Label12", "00000000", HeaderPage::Ecg, 40, 42, 80, 13, HeaderLook::Plain},
      {"Label15", "100", HeaderPage::Ecg, 8, 58, 28, 13, HeaderLook::RightAligned},
      {"Label50", "RV5/RV6 :", HeaderPage::Ecg, 8, 432, 64, 13, HeaderLook::Plain},
      {"Label51", "Label51", HeaderPage::Ecg, 72, 288, 48, 13, HeaderLook::RightAligned},
      {"Label60", "Label60", HeaderPage::Ecg, 72, 432, 48, 13, HeaderLook::RightAligned},
      {"Label24", "Label24", HeaderPage::Header, 192, 16, 150, 16, HeaderLook::Plain},
      {"Label33", "RV5/RV6", HeaderPage::Header, 16, 232, 168, 16, HeaderLook::Plain},
      {"Label34", "SV1", HeaderPage::Header, 192, 184, 150, 16, HeaderLook::Plain},
      {"Label35", "V5/V6", HeaderPage::Header, 192, 208, 150, 16, HeaderLook::Plain},
      {"Label109", "Label109", HeaderPage::Header, 192, 448, 150, 16, HeaderLook::Plain},
      {"Label90", "Label90", HeaderPage::Header, 536, 232, 150, 16, HeaderLook::Plain},
      {"Label137", "Label137", HeaderPage::Header, 536, 592, 150, 16, HeaderLook::Plain},
  };
  for (const Row& r : rows) {
    const auto it = std::find_if(HeaderLabels.begin(), HeaderLabels.end(),
                                 [&](const HeaderLabel& l) { return l.control == r.control; });
    ASSERT_NE(it, HeaderLabels.end()) << r.control;
    EXPECT_EQ(it->caption, r.caption) << r.control;
    EXPECT_EQ(it->page, r.page) << r.control;
    EXPECT_EQ(it->x, r.x) << r.control;
    EXPECT_EQ(it->y, r.y) << r.control;
    EXPECT_EQ(it->width, r.w) << r.control;
    EXPECT_EQ(it->height, r.h) << r.control;
    EXPECT_EQ(it->look, r.look) << r.control;
  }
}

TEST(HeaderLabels, TextsFollowTheTableRows) {
  RecordBuilder b;
  b.Set(Field::PatientId, "00012345").Set(Field::MinnesotaCodes, "9-8 ", 13).SetNumber(Field::SampleCount, 5000);
  const HeaderTexts texts = PresentHeaderTexts(b.Image());
  const auto named = PresentHeader(b.Image());
  for (std::size_t i = 0; i < HeaderLabelCount; ++i) EXPECT_EQ(named[i].text, texts[i]) << named[i].control;
  EXPECT_EQ(texts.front(), QStringLiteral("00012345"));  // Label12
  EXPECT_EQ(texts.back(), QStringLiteral("9-8 "));       // Label137
  EXPECT_EQ(texts[11], QStringLiteral("5000"));          // Label30
}

TEST(RecordingDateAndTime, CutFromTheBytesThenDecoded) {
  // Each piece is the bytes at its place: a two-byte character shifts nothing after it.
  struct Row {
    const char* what;
    QByteArray date, time;
    QString dateText, timeText;
  };
  const Row rows[] = {
      {"digits", "030514", "094107", QStringLiteral("2003/05/14"), QStringLiteral("09:41:07")},
      {"a two-byte character in the middle",
       "03\x82\xA0"
       "14",
       "09\x82\xA0"
       "07",
       QStringLiteral("2003/あ/14"), QStringLiteral("09:あ:07")},
      {"a character cut by the pieces",
       "0\x82\xA0"
       "514",
       "\x82\xA0"
       "4107",
       QStringLiteral("200\uFFFD/\uFFFD5/14"), QStringLiteral("あ:41:07")},
      {"ends at a NUL",
       QByteArray("0305\0"
                  "4",
                  6),
       QByteArray("09\0"
                  "107",
                  6),
       QStringLiteral("2003/05/"), QStringLiteral("09::")},
  };
  for (const Row& r : rows) {
    RecordBuilder b;
    b.Set(Field::RecordingYearHigh, "20");
    b.SetBytes(Field::RecordingDate.offset, r.date);
    b.SetBytes(Field::RecordingTime.offset, r.time);
    EXPECT_EQ(RecordingDateText(b.Image()), r.dateText) << r.what;
    EXPECT_EQ(RecordingTimeText(b.Image()), r.timeText) << r.what;
  }
}

TEST(PatientName, ShiftJisDecoding) {
  struct Row {
    const char* what;
    QByteArray bytes;
    QString text;
  };
  const QByteArray full = Sjis(QStringLiteral("見本　長い名前の患者さん"));
  ASSERT_EQ(full.size(), 24);
  const Row rows[] = {
      {"kanji ending in NUL", Sjis(QStringLiteral("山田　花子")), QStringLiteral("山田　花子")},
      {"fills all 24 bytes", full, QStringLiteral("見本　長い名前の患者さん")},
      {"half-width katakana", Sjis(QStringLiteral("ｼｹﾝ ﾀﾛｳ")), QStringLiteral("ｼｹﾝ ﾀﾛｳ")},
      {"invalid trail byte, rest still shown",
       QByteArray("\x81\x20"
                  "AB"),
       QStringLiteral("\uFFFD AB")},
      {"undefined single byte",
       QByteArray("\xA0"
                  "X"),
       QStringLiteral("\uFFFDX")},
      {"lead byte cut by the field's end", QByteArray(23, 'a') + QByteArray("\x82"), QString(23, u'a') + QChar(0xFFFD)},
  };
  for (const Row& r : rows) {
    RecordBuilder b;
    b.SetBytes(Field::PatientName.offset, QByteArray(24, '\0'));
    b.SetBytes(Field::PatientName.offset, r.bytes);
    b.SetBytes(Field::PatientName.offset + 24, QByteArray("\x82\xA0"));  // bytes after the field stay out
    EXPECT_EQ(FieldText(b.Image(), Field::PatientName), r.text) << r.what;
    EXPECT_EQ(Labels(b.Image())["Label11"], r.text) << r.what;
  }
}

TEST(DeriveRecordNames, PathsAndDerivedNames) {
  struct Row {
    QString dir, name;
    int position, count;
    QString path, bmp, counter;
  };
  const QString longDir = QStringLiteral("/data/") + QString(400, u'x');
  const Row rows[] = {
      {"/data", "A0001.nrm", 0, 7, "/data/A0001.nrm", "A0001.BMP", "1/7"},
      {"/", "A0001.nrm", 2, 12, "//A0001.nrm", "A0001.BMP", "3/12"},
      {"/data", "B.msd", 0, 1, "/data/B.msd", "B.BMP", "1/1"},
      {longDir, "Z.nrm", 9, 10, longDir + "/Z.nrm", "Z.BMP", "10/10"},
      {"/d", "ab", 0, 1, "/d/ab", "BMP", "1/1"},
  };
  for (const Row& r : rows) {
    const RecordNames n = DeriveRecordNames(r.dir, r.name, r.position, r.count);
    EXPECT_EQ(n.recordPath, r.path);
    EXPECT_EQ(n.labelFile, r.name);
    EXPECT_EQ(n.editOut, r.name);
    EXPECT_EQ(n.editBmp, r.bmp);
    EXPECT_EQ(n.label147, r.counter);
  }
}

}  // namespace
}  // namespace corvale
