// Record -> each format -> record keeps every sample and the patient's fields;
// each shared WFDB record reads the same through every path.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "formats/CsvFormat.h"
#include "formats/Formats.h"
#include "formats/WfdbFormat.h"
#include "record/Cp932.h"
#include "record/RecordFile.h"
#include "support/RecordBuilder.h"

namespace corvale::formats {
namespace {

using test::RecordBuilder;

std::unique_ptr<RecordImage> ReadOrFail(const QString& path, FormatKind expected) {
  auto r = ReadAnyRecord(path);
  if (auto* err = std::get_if<FileError>(&r)) {
    ADD_FAILURE() << err->Describe().toStdString();
    return std::make_unique<RecordImage>();
  }
  EXPECT_EQ(std::get<OpenedRecord>(r).format, expected) << path.toStdString();
  return std::move(std::get<OpenedRecord>(r).image);
}

// Number of samples that differ (all leads), and the first one for the message.
int DifferingSamples(const RecordImage& a, const RecordImage& b, std::string& first) {
  int count = 0;
  for (int lead = 0; lead < LeadCount; ++lead)
    for (int n = 0; n < SamplesPerLead; ++n)
      if (a.Sample(lead, n) != b.Sample(lead, n) && count++ == 0)
        first = "lead " + std::to_string(lead) + " n " + std::to_string(n) + ": " + std::to_string(a.Sample(lead, n)) +
                " became " + std::to_string(b.Sample(lead, n));
  return count;
}

struct FormatRow {
  FormatKind format;
  FormatKind readAs;
  const char* extension;
};
const FormatRow kFormats[] = {{FormatKind::Wfdb, FormatKind::Wfdb, ".hea"},
                              {FormatKind::Edf, FormatKind::Edf, ".edf"},
                              {FormatKind::Dicom, FormatKind::Dicom, ".dcm"}};

std::unique_ptr<RecordImage> ThroughFormat(const RecordImage& image, const FormatRow& row, const QTemporaryDir& dir,
                                           const QString& name) {
  const QString path = dir.filePath(name + QString::fromLatin1(row.extension));
  if (auto err = WriteRecordAs(image, row.format, path)) {
    ADD_FAILURE() << err->Describe().toStdString();
    return std::make_unique<RecordImage>();
  }
  return ReadOrFail(path, row.readAs);
}

TEST(RoundTrip, EverySampleRecordThroughEveryFormat) {
  const QDir samples(test::SourcePath("samples"));
  const QStringList files = samples.entryList({"*.nrm", "*.msd"}, QDir::Files, QDir::Name);
  ASSERT_EQ(files.size(), 11);
  QTemporaryDir dir;
  for (const QString& file : files) {
    const auto original = ReadOrFail(samples.filePath(file), FormatKind::Record);
    const HeaderOptions want = HeaderFromRecord(*original);
    ASSERT_TRUE(want.name && want.id && want.date && want.time) << file.toStdString();
    for (const FormatRow& row : kFormats) {
      const auto back = ThroughFormat(*original, row, dir, QFileInfo(file).completeBaseName());
      std::string first;
      EXPECT_EQ(DifferingSamples(*original, *back, first), 0)
          << file.toStdString() << " " << row.extension << " " << first;
      const HeaderOptions got = HeaderFromRecord(*back);
      const auto where = file.toStdString() + " " + row.extension;
      EXPECT_EQ(got.name, want.name) << where;
      EXPECT_EQ(got.id, want.id) << where;
      EXPECT_EQ(got.sex, want.sex) << where;
      EXPECT_EQ(got.age, want.age) << where;
      EXPECT_EQ(got.ageUnit, want.ageUnit) << where;
      EXPECT_EQ(got.date, want.date) << where;
      EXPECT_EQ(got.time, want.time) << where;
      // The name bytes themselves, NUL-padded cp932.
      for (std::size_t i = 0; i < Field::PatientName.length; ++i)
        ASSERT_EQ(back->bytes[Field::PatientName.offset + i], original->bytes[Field::PatientName.offset + i]) << where;
    }
  }
}

// A record whose every carried field differs, with extreme samples.
RecordBuilder FullRecord() {
  RecordBuilder b;
  b.Set(Field::PatientId, "A12-77").Set(Field::Age, "007").Set(Field::AgeUnit, "1").Set(Field::Sex, "2");
  b.Set(Field::Height, "103").Set(Field::Weight, "017").Set(Field::BloodPressure, "95/60");
  b.Set(Field::RecordingYearHigh, "19").Set(Field::RecordingDate, "991231").Set(Field::RecordingTime, "235958");
  b.Set(Field::HeartRate, "0072").Set(Field::RrInterval, "0833").Set(Field::PrInterval, "0160");
  b.Set(Field::QrsDuration, "0096").Set(Field::QrsAxis, "-30").Set(Field::QtInterval, "0380");
  b.Set(Field::QtcInterval, "0415").Set(Field::Sv1Amplitude, "1.25").Set(Field::LateralLeadSelector, "5");
  b.Set(Field::RvAmplitude, "2.10");
  const QByteArray name = EncodeCp932(QStringLiteral("ｼｹﾝ ﾀﾛｳ")).value();
  b.Set(Field::PatientName, std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
  for (int lead = 0; lead < LeadCount; ++lead)
    b.Lead(lead, [lead](int n) {
      if (n == 0) return std::int16_t(-32768);
      if (n == 1) return std::int16_t(32767);
      return static_cast<std::int16_t>((n * 37 + lead * 1000) % 4001 - 2000);
    });
  return b;
}

TEST(RoundTrip, EveryCarriedFieldAndExtremeSamples) {
  const RecordBuilder b = FullRecord();
  const HeaderOptions want = HeaderFromRecord(b.Image());
  ASSERT_EQ(want.age, QStringLiteral("7"));
  ASSERT_EQ(want.ageUnit, QStringLiteral("m"));
  ASSERT_EQ(want.date, QStringLiteral("1999-12-31"));
  QTemporaryDir dir;
  for (const FormatRow& row : kFormats) {
    const auto back = ThroughFormat(b.Image(), row, dir, QStringLiteral("full"));
    std::string first;
    RecordBuilder expected = b;
    // WFDB reserves -32768 for a missing sample; the writer keeps it a sample.
    if (row.format == FormatKind::Wfdb)
      for (int lead = 0; lead < LeadCount; ++lead) expected.SetBytes(SampleOffset(lead, 0), QByteArray("\x01\x80", 2));
    EXPECT_EQ(DifferingSamples(expected.Image(), *back, first), 0) << row.extension << " " << first;
    const HeaderOptions got = HeaderFromRecord(*back);
    using M = std::optional<QString> HeaderOptions::*;
    struct F {
      const char* name;
      M member;
      bool dicom;
    };
    const F fields[] = {{"id", &HeaderOptions::id, true},
                        {"name", &HeaderOptions::name, true},
                        {"sex", &HeaderOptions::sex, true},
                        {"age", &HeaderOptions::age, true},
                        {"ageUnit", &HeaderOptions::ageUnit, true},
                        {"date", &HeaderOptions::date, true},
                        {"time", &HeaderOptions::time, true},
                        {"height", &HeaderOptions::height, true},
                        {"weight", &HeaderOptions::weight, false},  // 017 becomes 17 kg, and back 017
                        {"bp", &HeaderOptions::bloodPressure, false},
                        {"HR", &HeaderOptions::heartRate, true},
                        {"RR", &HeaderOptions::rrInterval, true},
                        {"PR", &HeaderOptions::prInterval, true},
                        {"QRS", &HeaderOptions::qrsDuration, true},
                        {"axis", &HeaderOptions::qrsAxis, true},
                        {"QT", &HeaderOptions::qtInterval, true},
                        {"QTc", &HeaderOptions::qtcInterval, true},
                        {"SV1", &HeaderOptions::sv1Amplitude, true},
                        {"RV", &HeaderOptions::rvAmplitude, true},
                        {"RV lead", &HeaderOptions::rvLead, true}};
    for (const F& f : fields) {
      if (row.format == FormatKind::Dicom && f.member == &HeaderOptions::bloodPressure) {
        EXPECT_FALSE(got.bloodPressure) << "DICOM has no blood pressure attribute";
        continue;
      }
      EXPECT_EQ(got.*(f.member), want.*(f.member)) << row.extension << " " << f.name;
    }
    // The measurement fields byte for byte, leading zeros included.
    for (const FieldLayout& field :
         {Field::HeartRate, Field::QrsAxis, Field::Sv1Amplitude, Field::Weight, Field::PatientId})
      for (std::size_t i = 0; i < field.length; ++i)
        EXPECT_EQ(back->bytes[field.offset + i], b.Image().bytes[field.offset + i])
            << row.extension << " " << field.name;
  }
}

// A record whose name holds line breaks (a record file keeps whatever bytes it
// was given): no format's output gains a field from it, and every format
// gives the name back with the breaks as spaces.
TEST(RoundTrip, LineBreaksInANameForgeNoField) {
  RecordBuilder b = FullRecord();
  b.Set(Field::PatientName, "X\n# HR: 180\n# QT: 999");
  b.Set(Field::HeartRate, "    ").Set(Field::QtInterval, "    ");
  QTemporaryDir dir;
  for (const FormatRow& row : kFormats) {
    const auto back = ThroughFormat(b.Image(), row, dir, QStringLiteral("forged"));
    const HeaderOptions got = HeaderFromRecord(*back);
    EXPECT_EQ(got.name, QStringLiteral("X # HR: 180 # QT: 999")) << row.extension;
    EXPECT_FALSE(got.heartRate) << row.extension << ": " << got.heartRate->toStdString();
    EXPECT_FALSE(got.qtInterval) << row.extension << ": " << got.qtInterval->toStdString();
  }
}

TEST(RoundTrip, SharedWfdbRecordsReadTheSameThroughEveryPath) {
  const char* records[] = {"ptb-xl/00079_hr", "ptb-xl/00180_hr", "ptb-diagnostic/s0010_re", "georgia/E07514",
                           "ningbo/JS20008"};
  QTemporaryDir dir;
  for (const char* r : records) {
    const QString base = test::EcgDataPath(QString::fromLatin1(r));
    const auto direct = ReadOrFail(base + ".hea", FormatKind::Wfdb);
    // The same record named by its base name and by its signal file.
    const QString signalFile = base + (QFile::exists(base + ".mat") ? ".mat" : ".dat");
    for (const QString& other : {base, signalFile}) {
      const auto again = ReadOrFail(other, FormatKind::Wfdb);
      std::string first;
      EXPECT_EQ(DifferingSamples(*direct, *again, first), 0) << other.toStdString() << " " << first;
    }
    // Dated so that DICOM takes it.
    HeaderOptions dated;
    dated.date = "2020-02-29";
    dated.time = "00:00:00";
    auto r2 = ReadAnyRecord(base + ".hea", dated);
    ASSERT_TRUE(std::holds_alternative<OpenedRecord>(r2));
    EXPECT_EQ(std::get<OpenedRecord>(r2).warnings, QStringList()) << r << ": their checksums agree";
    const RecordImage& image = *std::get<OpenedRecord>(r2).image;
    for (const FormatRow& row : kFormats) {
      const auto back = ThroughFormat(image, row, dir, QFileInfo(base).fileName());
      std::string first;
      EXPECT_EQ(DifferingSamples(image, *back, first), 0) << r << row.extension << " " << first;
    }
  }
}

TEST(RoundTrip, CsvHoldsEverySampleInMicrovolts) {
  const RecordBuilder b = FullRecord();
  const QList<QByteArray> lines = CsvText(b.Image()).split('\n');
  ASSERT_EQ(lines.size(), SamplesPerLead + 2);  // header, 5000 lines, and the empty rest after the last newline
  EXPECT_EQ(lines[0], "time_s,I_uV,II_uV,III_uV,aVR_uV,aVL_uV,aVF_uV,V1_uV,V2_uV,V3_uV,V4_uV,V5_uV,V6_uV");
  EXPECT_EQ(lines[1].left(18), "0.000,-159907.84,-");  // -32768 x 4.88
  EXPECT_EQ(lines[2].left(16), "0.002,159902.96,");    // 32767 x 4.88
  EXPECT_TRUE(lines[5000].startsWith("9.998,"));
  EXPECT_TRUE(lines[5001].isEmpty());
  for (int n = 0; n < SamplesPerLead; n += 7) {
    const QList<QByteArray> cells = lines[n + 1].split(',');
    ASSERT_EQ(cells.size(), 13);
    EXPECT_NEAR(cells[0].toDouble(), n * 0.002, 1e-9);
    for (int lead = 0; lead < LeadCount; ++lead) {
      // Back to record units: exact, since 4.88 uV has two decimals.
      const double uv = cells[lead + 1].toDouble();
      EXPECT_EQ(std::lround(uv * 100), b.Image().Sample(lead, n) * 488L) << n << " " << lead;
    }
  }
  QTemporaryDir dir;
  const QString path = dir.filePath("r.csv");
  ASSERT_FALSE(WriteRecordAs(b.Image(), FormatKind::Csv, path));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), CsvText(b.Image()));
}

// A record file is read as a record whatever its first bytes look like: its
// header may well begin like another format's (result "0", a blank date).
TEST(ReadAnyRecord, RecordFilesAreKnownByTheirName) {
  QTemporaryDir dir;
  struct Row {
    const char* name;
    std::size_t offset;
    QByteArray bytes;
  };
  const Row rows[] = {
      {"edf-like.nrm", 0, "0       "},  // an EDF header's version field
      {"bdf-like.msd", 0,
       "\xff"
       "BIOSEMI"},                      // a BDF header's
      {"dicom-like.NRM", 128, "DICM"},  // a DICOM preamble's mark
  };
  for (const Row& r : rows) {
    RecordBuilder b = FullRecord();
    b.SetBytes(r.offset, r.bytes);
    const QString path = dir.filePath(QString::fromLatin1(r.name));
    b.Write(path);
    const auto format = DetectFormat(path);
    ASSERT_TRUE(std::holds_alternative<FormatKind>(format)) << r.name;
    EXPECT_EQ(std::get<FormatKind>(format), FormatKind::Record) << r.name;
    auto read = ReadAnyRecord(path);
    ASSERT_TRUE(std::holds_alternative<OpenedRecord>(read))
        << r.name << ": " << std::get<FileError>(read).Describe().toStdString();
    EXPECT_TRUE(std::get<OpenedRecord>(read).image->bytes == b.Image().bytes) << r.name;
  }
}

}  // namespace
}  // namespace corvale::formats
