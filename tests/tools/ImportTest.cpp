#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>

#include "formats/Conversion.h"
#include "formats/WfdbFormat.h"
#include "record/Cp932.h"
#include "record/HeaderPresentation.h"
#include "record/LeadArrays.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

using test::EcgDataPath;

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) ADD_FAILURE() << "missing fixture " << path.toStdString();
  return f.readAll();
}

std::unique_ptr<RecordImage> Import(const QString& base, const HeaderOptions& options = {}) {
  auto result = formats::ReadWfdb(EcgDataPath(base), options);
  if (auto* err = std::get_if<FileError>(&result)) {
    ADD_FAILURE() << err->Describe().toStdString();
    return std::make_unique<RecordImage>();
  }
  return std::move(std::get<formats::ReadRecord>(result).image);
}

// The reason a WFDB import was refused, or "" when it was not.
QString Refusal(const QString& base, const HeaderOptions& options = {}) {
  auto r = formats::ReadWfdb(base, options);
  return std::holds_alternative<FileError>(r) ? std::get<FileError>(r).reason : QString();
}

// Raw int16 of frame `frame`, signal `signal` of an interleaved 12-signal file.
int RawSample(const QByteArray& data, int byteOffset, int frame, int signal, int channels = 12) {
  const int at = byteOffset + 2 * (frame * channels + signal);
  return static_cast<std::int16_t>(
      static_cast<std::uint16_t>(static_cast<std::uint8_t>(data[at]) | (static_cast<std::uint8_t>(data[at + 1]) << 8)));
}

TEST(Import, FiveHundredHertzRecordsKeepEverySample) {
  // 1 uV per adu in these records, so a record unit is round(adu / 4.88).
  struct Row {
    QString base, dataFile;
    int byteOffset;
  };
  const Row rows[] = {{"ptb-xl/00079_hr", "ptb-xl/00079_hr.dat", 0},
                      {"ptb-xl/00180_hr", "ptb-xl/00180_hr.dat", 0},
                      {"georgia/E07514", "georgia/E07514.mat", 24},
                      {"ningbo/JS20008", "ningbo/JS20008.mat", 24}};
  for (const Row& r : rows) {
    const auto image = Import(r.base);
    const QByteArray data = ReadAll(EcgDataPath(r.dataFile));
    for (int lead = 0; lead < LeadCount; ++lead)
      for (int n : {0, 1, 2500, 4999}) {
        const double uv = RawSample(data, r.byteOffset, n, lead);
        ASSERT_EQ(image->Sample(lead, n), std::lround(uv / 4.88))
            << r.base.toStdString() << " lead " << lead << " n " << n;
      }
  }
}

TEST(Import, HandComputedFirstSamples) {
  // Initial values from the headers: 00079 I -70 uV, II -105 uV; E07514 I -263 uV, V1 170 uV.
  const auto ptb = Import("ptb-xl/00079_hr");
  EXPECT_EQ(ptb->Sample(0, 0), -14);  // -70 / 4.88 = -14.34
  EXPECT_EQ(ptb->Sample(1, 0), -22);  // -105 / 4.88 = -21.52
  const auto georgia = Import("georgia/E07514");
  EXPECT_EQ(georgia->Sample(0, 0), -54);  // -263 / 4.88 = -53.89
  EXPECT_EQ(georgia->Sample(6, 0), 35);   // 170 / 4.88 = 34.84
}

TEST(Import, ThousandHertzTwoFileRecordIsResampled) {
  // s0010_re: 1000 Hz, lower-case names, 0.5 uV per adu, Frank leads in a second file.
  const auto image = Import("ptb-diagnostic/s0010_re");
  const QByteArray data = ReadAll(EcgDataPath("ptb-diagnostic/s0010_re.dat"));
  int worst = 0;
  for (int lead = 0; lead < LeadCount; ++lead)
    for (int n = 100; n < 4900; n += 7) {
      // The 500 Hz sample n lies on the 1000 Hz sample 2n; QRS slopes allow a little filtering.
      const double uv = RawSample(data, 0, 2 * n, lead) / 2.0;
      worst = std::max(worst, std::abs(image->Sample(lead, n) - static_cast<int>(std::lround(uv / 4.88))));
    }
  EXPECT_LE(worst, 40);
  // Header comments give age 81 and sex female.
  EXPECT_EQ(FieldText(*image, Field::Age), QStringLiteral("081"));
  EXPECT_EQ(FieldText(*image, Field::AgeUnit), QStringLiteral("0"));
  EXPECT_EQ(FieldText(*image, Field::Sex), QStringLiteral("2"));
}

TEST(Import, ResamplingPassesTheBandAndStopsAliases) {
  auto sine = [](double hz, double fs, int n) {
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) x[static_cast<std::size_t>(i)] = 1000.0 * std::sin(2 * std::numbers::pi * hz * i / fs);
    return x;
  };
  struct Row {
    double hz, fs;
    double maxError;
    double maxAmplitude;
  };
  const Row rows[] = {{10.0, 1000.0, 5.0, 1001.0},  // in band: kept
                      {40.0, 250.0, 10.0, 1001.0},  // upsampling keeps it too
                      {400.0, 1000.0, -1, 20.0},    // would alias to 100 Hz: removed
                      {300.0, 1000.0, -1, 40.0}};
  for (const Row& r : rows) {
    const auto x = sine(r.hz, r.fs, static_cast<int>(12 * r.fs));
    const auto y = Resample(x, r.fs, 500.0, 5000);
    double err = 0, peak = 0;
    for (int n = 200; n < 4800; ++n) {
      const double want = 1000.0 * std::sin(2 * std::numbers::pi * r.hz * n / 500.0);
      err = std::max(err, std::fabs(y[static_cast<std::size_t>(n)] - want));
      peak = std::max(peak, std::fabs(y[static_cast<std::size_t>(n)]));
    }
    if (r.maxError >= 0) {
      EXPECT_LE(err, r.maxError) << r.hz << " Hz from " << r.fs;
    }
    EXPECT_LE(peak, r.maxAmplitude) << r.hz << " Hz from " << r.fs;
  }
}

TEST(Import, ConversionRoundsAndClamps) {
  struct Row {
    double uv;
    std::int16_t units;
  };
  const Row rows[] = {{0, 0},
                      {2.43, 0},
                      {2.45, 1},
                      {-2.45, -1},
                      {4.88 * 1000, 1000},
                      {1e9, 32767},
                      {-1e9, -32768},
                      {std::nan(""), -32768}};
  for (const Row& r : rows) EXPECT_EQ(ToRecordUnits(r.uv), r.units) << r.uv;
}

TEST(Import, HeaderFieldsFromOptionsAndComments) {
  HeaderOptions o;
  o.id = "79";
  o.name = QStringLiteral("見本　太郎");
  o.date = "2003-05-14";
  o.time = "09:41:07";
  o.height = "172";
  o.bloodPressure = "120/80";
  const auto image = Import("georgia/E07514", o);
  const QByteArray name = EncodeCp932(QStringLiteral("見本　太郎")).value();
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(image->bytes.data()) + 62, name.size()), name);
  EXPECT_EQ(image->bytes[62 + static_cast<std::size_t>(name.size())], 0);
  EXPECT_EQ(FieldText(*image, Field::PatientName), QStringLiteral("見本　太郎"));
  EXPECT_EQ(FieldText(*image, Field::PatientId), QStringLiteral("00000079"));
  EXPECT_EQ(RecordingDateText(*image), QStringLiteral("2003/05/14"));
  EXPECT_EQ(RecordingTimeText(*image), QStringLiteral("09:41:07"));
  EXPECT_EQ(FieldText(*image, Field::Age), QStringLiteral("029"));  // "# Age: 29"
  EXPECT_EQ(FieldText(*image, Field::Sex), QStringLiteral("1"));    // "# Sex: Male"
  EXPECT_EQ(FieldText(*image, Field::BloodPressure), QStringLiteral("120/80"));
  EXPECT_EQ(FieldText(*image, Field::HeartRate), QStringLiteral("    "));  // not known: spaces
  EXPECT_EQ(FieldNumber(*image, Field::SampleCount), 5000u);
  EXPECT_EQ(FieldNumber(*image, Field::StoredLeadCount), 12u);
}

TEST(Import, FlatLeadsOfTheNingboRecord) {
  const auto image = Import("ningbo/JS20008");
  auto arrays = std::make_unique<LeadArrays>();
  DeriveLeadArrays(*image, *arrays);
  for (int lead : {7, 9, 11}) {  // V2, V4, V6 are all zero
    EXPECT_EQ(arrays->LeadRange[lead], 1.0);
    EXPECT_EQ(arrays->LeadOffset[lead], 0.0);
  }
  EXPECT_GT(arrays->LeadRange[10], 1.0);
}

TEST(Import, BaselineAndGainOtherThanTheDefaults) {
  // physical = (adu - baseline) / gain; record units = round(uV / 4.88).
  // I: 200 adu/mV, baseline 1024: 1124 -> 0.5 mV = 500 uV -> 102.46 -> 102; 924 -> -102.
  // II: 400 adu/mV, baseline -300: 100 -> 1 mV -> 204.92 -> 205; -700 -> -205; -300 -> 0.
  // III: 2.5 adu/uV, baseline 10: 510 -> 200 uV -> 40.98 -> 41; -490 -> -41.
  // aVR: 1000 adu/mV and no baseline: the ADC zero, 24, is the baseline: 1024 -> 1 mV -> 205.
  QTemporaryDir dir;
  QByteArray header = "pin 12 500 5000\n";
  header += "pin.dat 16 200(1024)/mV 16 0 0 0 0 I\n";
  header += "pin.dat 16 400(-300)/mV 16 0 0 0 0 II\n";
  header += "pin.dat 16 2.5(10)/uV 16 0 0 0 0 III\n";
  header += "pin.dat 16 1000/mV 16 24 0 0 0 aVR\n";
  for (const char* lead : {"aVL", "aVF", "V1", "V2", "V3", "V4", "V5", "V6"})
    header += QByteArray("pin.dat 16 1000/mV 16 0 0 0 0 ") + lead + "\n";
  // Frames: n even gives the first value of each pair, n odd the second.
  const std::int16_t values[4][2] = {{1124, 924}, {100, -700}, {510, -490}, {1024, 24}};
  QByteArray data;
  for (int n = 0; n < 5000; ++n)
    for (int signal = 0; signal < 12; ++signal) {
      const std::int16_t v = signal < 4 ? values[signal][n % 2] : std::int16_t{0};
      data += static_cast<char>(v & 0xFF);
      data += static_cast<char>((v >> 8) & 0xFF);
    }
  for (const auto& [name, bytes] : {std::pair{QStringLiteral("pin.hea"), header}, {QStringLiteral("pin.dat"), data}}) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  auto result = formats::ReadWfdb(dir.filePath("pin"), {});
  ASSERT_TRUE(std::holds_alternative<formats::ReadRecord>(result))
      << std::get<FileError>(result).Describe().toStdString();
  const RecordImage& image = *std::get<formats::ReadRecord>(result).image;
  struct Row {
    int lead;
    std::int16_t even, odd;
  };
  const Row rows[] = {{0, 102, -102}, {1, 205, -205}, {2, 41, -41}, {3, 205, 0}, {4, 0, 0}, {11, 0, 0}};
  for (const Row& r : rows)
    for (int n : {0, 1, 2498, 2499, 4998, 4999})
      EXPECT_EQ(image.Sample(r.lead, n), n % 2 ? r.odd : r.even) << "lead " << r.lead << " n " << n;
}

class ImportRefusals : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  void Write(const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray Header(int samples, const char* lastLead = "V6", const char* format = "16") {
    QByteArray h = "rec 12 500 " + QByteArray::number(samples) + "\n";
    const char* names[] = {"I", "II", "III", "aVR", "aVL", "aVF", "V1", "V2", "V3", "V4", "V5", lastLead};
    for (const char* n : names) h += QByteArray("rec.dat ") + format + " 1000/mV 16 0 0 0 0 " + n + "\n";
    return h;
  }
  QString Run(const HeaderOptions& options = {}) { return Refusal(dir.filePath("rec"), options); }
};

TEST_F(ImportRefusals, ClearErrors) {
  struct Row {
    const char* what;
    QByteArray header;
    qsizetype dataBytes;
    const char* message;
  };
  const Row rows[] = {
      {"shorter than 10 s", Header(4999), 4999 * 24, "lasts 9.998 s; a record needs 10 s"},
      {"data file shorter than the header says", Header(5000), 4000 * 24,
       "declares 5000 samples per signal but rec.dat holds only 4000"},
      {"lead missing", Header(5000, "V7"), 5000 * 24, "lacks the standard lead(s) V6"},
      {"unsupported format", Header(5000, "V6", "80"), 5000 * 24, "format 80 is not supported"},
      {"units not a voltage", QByteArray("rec 1 500 5000\nrec.dat 16 1000/mmHg 16 0 0 0 0 I\n"), 10000,
       "not a voltage"},
      {"no record line", QByteArray("# only a comment\n"), 0, "no record line"},
  };
  for (const Row& r : rows) {
    Write("rec.hea", r.header);
    Write("rec.dat", QByteArray(r.dataBytes, '\0'));
    const QString err = Run();
    EXPECT_TRUE(err.contains(QString::fromUtf8(r.message))) << r.what << ": " << err.toStdString();
  }
  HeaderOptions o;
  o.name = QStringLiteral("とても長い名前の架空の患者さんです");
  Write("rec.hea", Header(5000));
  Write("rec.dat", QByteArray(5000 * 24, '\0'));
  EXPECT_TRUE(Run(o).contains(QStringLiteral("the field holds 24")));
}

// What a WFDB header says beyond its signals: comments as other archives write
// them, a base date or time that is no real one, checksums.
TEST_F(ImportRefusals, HeaderFieldsChecksumsAndImpossibleDates) {
  QByteArray badChecksum = Header(5000);
  badChecksum.replace("1000/mV 16 0 0 0 0 I\n", "1000/mV 16 0 0 5 0 I\n");
  struct Row {
    const char* what;
    QByteArray header;
    const char* refusal;  // "" when read
    const char* warning;  // "" when none
    const char* age;      // the record's Age and Sex fields when read
    const char* sex;
  };
  const Row rows[] = {
      {"comments in angle brackets", Header(5000) + "#<age>: 51\n#<sex>: F\n#<diagnoses>:\n", "", "", "051", "2"},
      {"comments as public archives write them", Header(5000) + "# Age: 29\n# Sex: Male\n", "", "", "029", "1"},
      {"hour 25", Header(5000).replace("rec 12 500 5000", "rec 12 500 5000 25:61:99 01/02/2003"),
       "the base time \"25:61:99\" on the record line is not a time of day", "", "", ""},
      {"30 February", Header(5000).replace("rec 12 500 5000", "rec 12 500 5000 10:00:00 30/02/2003"),
       "the base date \"30/02/2003\" on the record line is not a calendar date", "", "", ""},
      {"a checksum that disagrees", badChecksum, "",
       "signal 1 (I): the header's checksum is 5, the samples in rec.dat sum to 0", "   ", " "},
  };
  Write("rec.dat", QByteArray(5000 * 24, '\0'));
  for (const Row& r : rows) {
    Write("rec.hea", r.header);
    auto read = formats::ReadWfdb(dir.filePath("rec"), {});
    if (*r.refusal) {
      ASSERT_TRUE(std::holds_alternative<FileError>(read)) << r.what;
      EXPECT_TRUE(std::get<FileError>(read).reason.contains(QString::fromUtf8(r.refusal)))
          << r.what << ": " << std::get<FileError>(read).reason.toStdString();
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<formats::ReadRecord>(read))
        << r.what << ": " << std::get<FileError>(read).Describe().toStdString();
    const formats::ReadRecord& record = std::get<formats::ReadRecord>(read);
    EXPECT_EQ(record.warnings.join(u'\n').contains(QString::fromUtf8(r.warning)), true)
        << r.what << ": " << record.warnings.join(u'\n').toStdString();
    EXPECT_EQ(record.warnings.isEmpty(), !*r.warning) << r.what;
    EXPECT_EQ(FieldText(*record.image, Field::Age), QString::fromLatin1(r.age)) << r.what;
    EXPECT_EQ(FieldText(*record.image, Field::Sex), QString::fromLatin1(r.sex)) << r.what;
  }
}

TEST_F(ImportRefusals, Format212IsUnpacked) {
  // Two 12-bit samples in three bytes: 0x123 and -5 (0xFFB).
  QByteArray h = "rec 12 500 5000\n";
  for (const char* n : {"I", "II", "III", "AVR", "AVL", "AVF", "V1", "V2", "V3", "V4", "V5", "V6"})
    h += QByteArray("rec.dat 212 1000(0)/mV 12 0 0 0 0 ") + n + "\n";
  Write("rec.hea", h);
  QByteArray data;
  for (int pair = 0; pair < 5000 * 6; ++pair) data += QByteArray("\x23\xF1\xFB", 3);
  Write("rec.dat", data);
  auto r = formats::ReadWfdb(dir.filePath("rec"), {});
  ASSERT_TRUE(std::holds_alternative<formats::ReadRecord>(r)) << std::get<FileError>(r).Describe().toStdString();
  const auto& image = *std::get<formats::ReadRecord>(r).image;
  EXPECT_EQ(image.Sample(0, 0), std::lround(0x123 / 4.88));  // even signals get 0x123
  EXPECT_EQ(image.Sample(1, 0), std::lround(-5 / 4.88));     // odd signals get -5
  EXPECT_EQ(image.Sample(11, 4999), std::lround(-5 / 4.88));
}

}  // namespace
}  // namespace corvale
