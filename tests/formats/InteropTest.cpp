// Our files as other programs see them: the EDF+ header and data read by a
// parser written here from the format's description (not EDFlib), DICOM checked
// by dciodvfy, and files written by others (plain EDF, BDF, General ECG
// objects, other rates and groups) read by us.
#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dctk.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>

#include "formats/DicomFormat.h"
#include "formats/Formats.h"
#include "support/EdfPlusBuilder.h"
#include "support/RecordBuilder.h"
#include "support/Require.h"

namespace corvale::formats {
namespace {

using test::RecordBuilder;

RecordBuilder Dated() {
  RecordBuilder b;
  b.Set(Field::PatientId, "00000079").Set(Field::Age, "047").Set(Field::AgeUnit, "0").Set(Field::Sex, "1");
  b.Set(Field::RecordingYearHigh, "20").Set(Field::RecordingDate, "030514").Set(Field::RecordingTime, "094107");
  b.Set(Field::HeartRate, "0072").Set(Field::QrsAxis, "-30");
  b.Set(Field::PatientName, "DOE JOHN");
  for (int lead = 0; lead < LeadCount; ++lead)
    b.Lead(lead, [lead](int n) { return static_cast<std::int16_t>((n % 250) * (lead + 1) - 1000); });
  return b;
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) ADD_FAILURE() << "cannot read " << path.toStdString();
  return f.readAll();
}

// --- An EDF reader of our own, from the format's description -----------------

struct EdfFile {
  QByteArray version, patient, recording, startDate, startTime, reserved;
  int headerBytes = 0, records = 0, signals = 0;
  double duration = 0;
  std::vector<QByteArray> label, transducer, dimension, prefilter;
  std::vector<double> physMin, physMax;
  std::vector<int> digMin, digMax, samples;
  std::vector<std::vector<int>> data;  // per signal, all records
};

EdfFile ParseEdf(const QByteArray& b) {
  EdfFile e;
  auto field = [&](int at, int len) { return b.mid(at, len).trimmed(); };
  e.version = b.mid(0, 8);
  e.patient = field(8, 80);
  e.recording = field(88, 80);
  e.startDate = field(168, 8);
  e.startTime = field(176, 8);
  e.headerBytes = field(184, 8).toInt();
  e.reserved = field(192, 44);
  e.records = field(236, 8).toInt();
  e.duration = field(244, 8).toDouble();
  e.signals = field(252, 4).toInt();
  const int ns = e.signals;
  int at = 256;
  auto column = [&](int width, auto&& take) {
    for (int s = 0; s < ns; ++s) take(field(at + s * width, width));
    at += ns * width;
  };
  column(16, [&](const QByteArray& v) { e.label.push_back(v); });
  column(80, [&](const QByteArray& v) { e.transducer.push_back(v); });
  column(8, [&](const QByteArray& v) { e.dimension.push_back(v); });
  column(8, [&](const QByteArray& v) { e.physMin.push_back(v.toDouble()); });
  column(8, [&](const QByteArray& v) { e.physMax.push_back(v.toDouble()); });
  column(8, [&](const QByteArray& v) { e.digMin.push_back(v.toInt()); });
  column(8, [&](const QByteArray& v) { e.digMax.push_back(v.toInt()); });
  column(80, [&](const QByteArray& v) { e.prefilter.push_back(v); });
  column(8, [&](const QByteArray& v) { e.samples.push_back(v.toInt()); });
  at += ns * 32;  // reserved
  EXPECT_EQ(at, e.headerBytes);
  e.data.resize(static_cast<std::size_t>(ns));
  for (int r = 0; r < e.records; ++r)
    for (int s = 0; s < ns; ++s)
      for (int i = 0; i < e.samples[static_cast<std::size_t>(s)]; ++i, at += 2)
        e.data[static_cast<std::size_t>(s)].push_back(
            static_cast<std::int16_t>(static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8)));
  EXPECT_EQ(at, b.size()) << "the file holds exactly what its header declares";
  return e;
}

TEST(Interop, EdfPlusReadByAnIndependentParser) {
  QTemporaryDir dir;
  const RecordBuilder b = Dated();
  const QString path = dir.filePath("r.edf");
  ASSERT_FALSE(WriteRecordAs(b.Image(), FormatKind::Edf, path));
  const QByteArray bytes = ReadFile(path);
  const EdfFile e = ParseEdf(bytes);
  EXPECT_EQ(e.version, QByteArray("0       "));
  EXPECT_EQ(e.patient, QByteArray("00000079 M X DOE_JOHN Age:47y"));  // code, sex, birth date, name, additional
  EXPECT_TRUE(e.recording.startsWith("Startdate 14-MAY-2003 ")) << e.recording.toStdString();
  EXPECT_EQ(e.startDate, QByteArray("14.05.03"));
  EXPECT_EQ(e.startTime, QByteArray("09.41.07"));
  EXPECT_EQ(e.reserved, QByteArray("EDF+C"));
  EXPECT_EQ(e.records, 10);
  EXPECT_EQ(e.duration, 1.0);
  ASSERT_EQ(e.signals, 13);
  EXPECT_EQ(e.headerBytes, 256 * 14);
  for (int lead = 0; lead < LeadCount; ++lead) {
    const auto s = static_cast<std::size_t>(lead);
    EXPECT_EQ(e.label[s], QByteArray("ECG ") + LeadNames[s].data());
    EXPECT_EQ(e.dimension[s], QByteArray("uV"));
    EXPECT_EQ(e.digMin[s], -32768);
    EXPECT_EQ(e.digMax[s], 32767);
    // The 16-bit range at 4.88 uV per unit, as closely as 8 characters hold it:
    // every reader must find the record's unit and its zero.
    EXPECT_NEAR(e.physMin[s], -32768 * 4.88, 1.0);
    EXPECT_NEAR(e.physMax[s], 32767 * 4.88, 1.0);
    EXPECT_EQ(e.samples[s], 500);
    const double uvPerUnit = (e.physMax[s] - e.physMin[s]) / (e.digMax[s] - e.digMin[s]);
    EXPECT_NEAR(uvPerUnit, 4.88, 1e-5);
    EXPECT_NEAR(e.physMin[s] + (0 - e.digMin[s]) * uvPerUnit, 0.0, 0.05) << "uV at digital 0";
    ASSERT_EQ(e.data[s].size(), 5000u);
    for (int n = 0; n < SamplesPerLead; ++n)
      ASSERT_EQ(e.data[s][static_cast<std::size_t>(n)], b.Image().Sample(lead, n)) << lead << " " << n;
  }
  EXPECT_EQ(e.label[12], QByteArray("EDF Annotations"));
  // The annotation signal of each record: its time keeping "+N", then at most one
  // annotation (EDFlib spreads them over the records), all with onset 0.
  QByteArray tal;
  const int recordBytes = 12 * 1000 + e.samples[12] * 2;
  for (int r = 0; r < e.records; ++r) {
    const QByteArray own = bytes.mid(e.headerBytes + r * recordBytes + 12 * 1000, e.samples[12] * 2);
    EXPECT_TRUE(own.startsWith("+" + QByteArray::number(r) + "\x14\x14")) << r << " " << own.toStdString();
    tal += own;
  }
  EXPECT_TRUE(tal.contains(QByteArray("\0+0\x14HR: 72 bpm\x14", 15))) << tal.toStdString();
  EXPECT_TRUE(tal.contains(QByteArray("\0+0\x14QRS axis: -30 deg\x14", 22))) << tal.toStdString();
}

// --- Files made by others ----------------------------------------------------

// A plain EDF (or BDF) with the given signals, each `perRecord` samples of `value`
// digital units per record, unit scale (1 physical unit per digital unit).
QByteArray MakeEdf(const QStringList& labels, const QByteArray& dimension, int perRecord, int records, double duration,
                   int value, bool bdf = false) {
  const int ns = static_cast<int>(labels.size());
  auto pad = [](const QByteArray& v, int w) { return v.leftJustified(w, ' ', true); };
  QByteArray h = bdf ? QByteArray(
                           "\xff"
                           "BIOSEMI",
                           8)
                     : pad("0", 8);
  h += pad("patient", 80) + pad("recording", 80) + "01.02.2003.04.05" + pad(QByteArray::number(256 * (ns + 1)), 8);
  h += pad(bdf ? "24BIT" : "", 44) + pad(QByteArray::number(records), 8) + pad(QByteArray::number(duration), 8) +
       pad(QByteArray::number(ns), 4);
  const int digMax = bdf ? 8388607 : 32767, digMin = bdf ? -8388608 : -32768;
  for (const QString& l : labels) h += pad(l.toLatin1(), 16);
  for (int s = 0; s < ns; ++s) h += pad("", 80);
  for (int s = 0; s < ns; ++s) h += pad(dimension, 8);
  for (int s = 0; s < ns; ++s) h += pad(QByteArray::number(digMin), 8);
  for (int s = 0; s < ns; ++s) h += pad(QByteArray::number(digMax), 8);
  for (int s = 0; s < ns; ++s) h += pad(QByteArray::number(digMin), 8);
  for (int s = 0; s < ns; ++s) h += pad(QByteArray::number(digMax), 8);
  for (int s = 0; s < ns; ++s) h += pad("", 80);
  for (int s = 0; s < ns; ++s) h += pad(QByteArray::number(perRecord), 8);
  for (int s = 0; s < ns; ++s) h += pad("", 32);
  const int width = bdf ? 3 : 2;
  QByteArray sample;
  for (int k = 0; k < width; ++k) sample += static_cast<char>((value >> (8 * k)) & 0xFF);
  return h + sample.repeated(ns * perRecord * records);
}

QStringList StandardLabels(const QString& prefix = {}) {
  QStringList l;
  for (const auto& n : LeadNames) l << prefix + QString::fromLatin1(n.data());
  return l;
}

TEST(Interop, EdfAndBdfOfOthers) {
  QTemporaryDir dir;
  struct Row {
    const char* what;
    QByteArray bytes;
    const char* message;  // "" when it reads
    std::int16_t sample;  // every sample of every lead when it reads
  };
  QStringList elevenLeads = StandardLabels();
  elevenLeads.removeLast();
  QStringList withTemperature = StandardLabels(QStringLiteral("EEG "));
  const Row rows[] = {
      {"EDF at 250 Hz in mV", MakeEdf(StandardLabels(), "mV", 250, 12, 1, 2), "", 410},  // 2 mV = 409.8 units
      {"EDF at 1000 Hz, 0.5 s records, uV", MakeEdf(StandardLabels(QStringLiteral("ECG ")), "uV", 500, 24, 0.5, 488),
       "", 100},
      {"BDF at 500 Hz in uV", MakeEdf(StandardLabels(), "uV", 500, 10, 1, -4880, true), "", -1000},
      {"a lead missing", MakeEdf(elevenLeads, "uV", 500, 10, 1, 0), "lacks the standard lead(s) V6", 0},
      {"not a voltage", MakeEdf(StandardLabels(), "degC", 500, 10, 1, 0), "has the dimension \"degC\", not a voltage",
       0},
      {"9 s", MakeEdf(StandardLabels(), "uV", 500, 9, 1, 0), "the record lasts 9 s; a record needs 10 s", 0},
      {"truncated", MakeEdf(StandardLabels(), "uV", 500, 10, 1, 0).chopped(7), "is not a valid EDF", 0},
  };
  int i = 0;
  for (const Row& r : rows) {
    const QString path = dir.filePath(QStringLiteral("f%1.edf").arg(i++));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(r.bytes);
    f.close();
    auto read = ReadAnyRecord(path);
    if (*r.message) {
      ASSERT_TRUE(std::holds_alternative<FileError>(read)) << r.what;
      EXPECT_TRUE(std::get<FileError>(read).reason.contains(QString::fromUtf8(r.message)))
          << r.what << ": " << std::get<FileError>(read).reason.toStdString();
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<OpenedRecord>(read))
        << r.what << ": " << std::get<FileError>(read).Describe().toStdString();
    const RecordImage& image = *std::get<OpenedRecord>(read).image;
    for (int lead = 0; lead < LeadCount; ++lead)
      for (int n : {0, 1, 2500, 4999})
        EXPECT_EQ(image.Sample(lead, n), r.sample) << r.what << " lead " << lead << " n " << n;
  }
}

// Only the annotations that map onto header fields are taken, and only from
// the first 64 KiB of annotations: a file of millions of them is read as fast
// as one of a few. A name's line break forges no field.
TEST(Interop, EdfPlusAnnotationsAreReadWithinABound) {
  QTemporaryDir dir;
  const int perRecord = 8192;  // 8 KiB of annotations per record: record 8 starts beyond 64 KiB
  QList<QByteArray> filler;    // annotations of no interest, as many as a record holds
  for (int i = 0; i < perRecord / 8 - 2; ++i) filler << "x";
  std::vector<QList<QByteArray>> annotations(10, filler);
  annotations[0] = {"HR: 72 bpm", "Name: X", "Name: \n# QT: 999"};
  annotations[9] = {"QTc: 400 ms"};  // beyond the bound
  const QString path = dir.filePath("many.edf");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  const std::optional<QByteArray> bytes = test::MakeEdfPlus(annotations, perRecord);
  ASSERT_TRUE(bytes) << "a record holds more annotations than it has room for";
  f.write(*bytes);
  f.close();
  auto read = ReadAnyRecord(path);
  ASSERT_TRUE(std::holds_alternative<OpenedRecord>(read)) << std::get<FileError>(read).Describe().toStdString();
  const HeaderOptions h = HeaderFromRecord(*std::get<OpenedRecord>(read).image);
  EXPECT_EQ(h.heartRate, QStringLiteral("0072"));
  EXPECT_EQ(h.name, QStringLiteral("X # QT: 999"));
  EXPECT_FALSE(h.qtInterval) << h.qtInterval->toStdString();
  EXPECT_FALSE(h.qtcInterval) << "an annotation beyond 64 KiB of annotations: " << h.qtcInterval->toStdString();
}

// Edits a DICOM file of ours in place.
void EditDicom(const QString& path, const std::function<void(DcmDataset*)>& edit) {
  DcmFileFormat file;
  ASSERT_TRUE(file.loadFile(QFile::encodeName(path).constData()).good());
  ASSERT_TRUE(file.loadAllDataIntoMemory().good());  // the file is written over below
  edit(file.getDataset());
  ASSERT_TRUE(file.saveFile(QFile::encodeName(path).constData(), EXS_LittleEndianExplicit).good());
}

DcmItem* Group(DcmDataset* ds, int index) {
  DcmItem* item = nullptr;
  ds->findAndGetSequenceItem(DCM_WaveformSequence, item, index);
  return item;
}

TEST(Interop, DicomObjectsOfOthers) {
  QTemporaryDir dir;
  const RecordBuilder b = Dated();
  struct Row {
    const char* what;
    std::function<void(DcmDataset*)> edit;
    const char* message;                                // "" when it reads
    std::function<std::int16_t(int, int)> expect = {};  // the samples read (lead, n); empty: as written
  };
  // 8-bit samples, one per lead and moment.
  auto small = [](int lead, int n) { return static_cast<std::int16_t>((n * 7 + lead * 13) % 200 - 100); };
  const Row rows[] = {
      {"a General ECG object with a median group first",
       [](DcmDataset* ds) {
         ds->putAndInsertString(DCM_SOPClassUID, UID_GeneralECGWaveformStorage);
         // A copy of the rhythm group, cut to 0.6 s and labelled as a median beat, in front.
         auto* median = new DcmItem(*Group(ds, 0));
         median->putAndInsertString(DCM_MultiplexGroupLabel, "MEDIAN BEAT");
         median->putAndInsertUint32(DCM_NumberOfWaveformSamples, 300);
         std::vector<Uint16> zeros(12 * 300, 0);
         median->putAndInsertUint16Array(DCM_WaveformData, zeros.data(), static_cast<unsigned long>(zeros.size()));
         DcmSequenceOfItems* seq = nullptr;
         ds->findAndGetSequence(DCM_WaveformSequence, seq);
         seq->insert(median, 0, OFTrue);
       },
       ""},
      {"another kind of object", [](DcmDataset* ds) { ds->putAndInsertString(DCM_SOPClassUID, UID_CTImageStorage); },
       "is a DICOM object of another kind (SOP class 1.2.840.10008.5.1.4.1.1.2)"},
      {"data shorter than declared",
       [](DcmDataset* ds) {
         std::vector<Uint16> few(100, 0);
         Group(ds, 0)->putAndInsertUint16Array(DCM_WaveformData, few.data(), 100);
       },
       "declares 12 channels of 5000 samples (120000 bytes) but holds 200 bytes"},
      {"5 s at 1000 Hz", [](DcmDataset* ds) { Group(ds, 0)->putAndInsertString(DCM_SamplingFrequency, "1000"); },
       "the record lasts 5 s; a record needs 10 s"},
      {"V6 not identified",
       [](DcmDataset* ds) {
         DcmItem* v6 = nullptr;
         Group(ds, 0)->findAndGetSequenceItem(DCM_ChannelDefinitionSequence, v6, 11);
         v6->findAndDeleteElement(DCM_ChannelSourceSequence);
         v6->putAndInsertString(DCM_ChannelLabel, "V7");
       },
       "lacks the standard lead(s) V6"},
      {"no sensitivity units",
       [](DcmDataset* ds) {
         DcmItem* first = nullptr;
         Group(ds, 0)->findAndGetSequenceItem(DCM_ChannelDefinitionSequence, first, 0);
         first->findAndDeleteElement(DCM_ChannelSensitivityUnitsSequence);
       },
       "channel 1 (I) gives no sensitivity in volts"},
      {"8-bit mu-law samples",
       [](DcmDataset* ds) { Group(ds, 0)->putAndInsertString(DCM_WaveformSampleInterpretation, "MB"); },
       "are not supported"},
      {"more sequence items than an ECG object has",
       [](DcmDataset* ds) {
         auto* many = new DcmSequenceOfItems(DCM_WaveformAnnotationSequence);
         for (int i = 0; i <= 100000; ++i) many->append(new DcmItem());
         ds->insert(many, true);
       },
       "holds more than 100000 sequence items"},
      {"a sampling frequency that is not a number",
       [](DcmDataset* ds) { Group(ds, 0)->putAndInsertString(DCM_SamplingFrequency, "NaN"); },
       "sampling frequency \"NaN\" is not a finite number"},
      {"padding samples",  // -1000 marks "no sample" here, as -32768 does in WFDB
       [](DcmDataset* ds) {
         const Uint16 padding = static_cast<Uint16>(-1000);
         Group(ds, 0)->putAndInsertUint16Array(DCM_WaveformPaddingValue, &padding, 1);
       },
       "",
       [&b](int lead, int n) {
         const std::int16_t v = b.Image().Sample(lead, n);
         return v == -1000 ? std::int16_t{0} : v;
       }},
      {"8-bit samples stored as OW",
       [&small](DcmDataset* ds) {
         DcmItem* g = Group(ds, 0);
         g->putAndInsertUint16(DCM_WaveformBitsAllocated, 8);
         g->putAndInsertString(DCM_WaveformSampleInterpretation, "SB");
         std::vector<Uint16> words(12 * 5000 / 2);
         for (int i = 0; i < 12 * 5000; ++i) {
           const auto byte = static_cast<Uint16>(static_cast<std::uint8_t>(small(i % 12, i / 12)));
           words[static_cast<std::size_t>(i / 2)] |= static_cast<Uint16>(byte << (8 * (i % 2)));
         }
         g->putAndInsertUint16Array(DCM_WaveformData, words.data(), static_cast<unsigned long>(words.size()));
       },
       "", small},
  };
  int i = 0;
  for (const Row& r : rows) {
    const QString path = dir.filePath(QStringLiteral("o%1.dcm").arg(i++));
    ASSERT_FALSE(WriteRecordAs(b.Image(), FormatKind::Dicom, path));
    EditDicom(path, r.edit);
    auto read = ReadAnyRecord(path);
    if (*r.message) {
      ASSERT_TRUE(std::holds_alternative<FileError>(read)) << r.what;
      EXPECT_TRUE(std::get<FileError>(read).reason.contains(QString::fromUtf8(r.message)))
          << r.what << ": " << std::get<FileError>(read).reason.toStdString();
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<OpenedRecord>(read))
        << r.what << ": " << std::get<FileError>(read).Describe().toStdString();
    const RecordImage& image = *std::get<OpenedRecord>(read).image;
    for (int lead = 0; lead < LeadCount; ++lead)
      for (int n = 0; n < SamplesPerLead; n += 5)
        ASSERT_EQ(image.Sample(lead, n), r.expect ? r.expect(lead, n) : b.Image().Sample(lead, n))
            << r.what << " lead " << lead << " n " << n;
  }
  // Not DICOM at all, under a DICOM name.
  const QString junk = dir.filePath("junk.dcm");
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(300, '\x07'));
  f.close();
  auto read = ReadAnyRecord(junk);
  ASSERT_TRUE(std::holds_alternative<FileError>(read));
  EXPECT_TRUE(std::get<FileError>(read).reason.contains(QStringLiteral("DICOM")))
      << std::get<FileError>(read).reason.toStdString();
}

// The process's largest address space so far, in KiB (Linux).
static long PeakVirtualKiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmPeak:")) return line.mid(7).trimmed().split(' ').first().toLong();
  return -1;
}

// 22 bytes whose first element claims a 2.3 GB value: refused before any of
// it is reserved.
TEST(Interop, DicomLengthBeyondTheBytesIsNotAllocated) {
  const QByteArray bytes = QByteArray(7, '\0') + QByteArray(15, '\x8a');
  const long before = PeakVirtualKiB();
  if (before < 0) GTEST_SKIP() << "no /proc/self/status";
  auto read = formats::ReadDicomBytes(bytes, QStringLiteral("claims.dcm"));
  ASSERT_TRUE(std::holds_alternative<FileError>(read));
  EXPECT_TRUE(std::get<FileError>(read).reason.contains(QStringLiteral("not a readable DICOM file")))
      << std::get<FileError>(read).reason.toStdString();
  EXPECT_LT(PeakVirtualKiB() - before, 256 * 1024) << "KiB of address space taken for 22 bytes";
}

// Every name and ID the record can hold gives an object that dciodvfy passes
// without a warning, under UIDs of our own root.
TEST(Interop, DicomOfOursPassesDciodvfy) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("dciodvfy"));
  if (tool.isEmpty()) CORVALE_MISSING("dciodvfy (Debian dicom3tools)");
  QTemporaryDir dir;
  struct Row {
    const char* what;
    QByteArray id, name;  // the record's bytes (cp932 for the name)
    ExportFiltering filtering{};
  };
  const Row rows[] = {
      {"family and given name", "00000079", "DOE JOHN"},
      {"one word", "00000079", "DOE"},
      {"three words", "00000079", "DOE JOHN PAUL"},
      {"anonymised", "00000000", QByteArray("unknown").leftJustified(24, '\0')},
      {"blank ID", "        ", "DOE JOHN"},
      {"Japanese name", "00000079", "\x8c\xa9\x96\x7b\x81\x40\x91\xbe\x98\x59"},  // 見本　太郎
      {"line breaks in the name", "00000079", "X\n# HR: 180\n# QT: 999"},
      {"filtered samples", "00000079", "DOE JOHN", {0.67, 40, 50, QStringLiteral("baseline=0.67")}},
  };
  QStringList uids;
  for (const Row& r : rows) {
    RecordBuilder b = Dated();
    b.Set(Field::PatientId, std::string_view(r.id.constData(), static_cast<std::size_t>(r.id.size())));
    b.Set(Field::PatientName, std::string_view(r.name.constData(), static_cast<std::size_t>(r.name.size())));
    const QString path = dir.filePath("ours.dcm");
    QFile::remove(path);
    ASSERT_FALSE(CommitPrepared(PrepareRecordAs(b.Image(), FormatKind::Dicom, path, {}, r.filtering))) << r.what;
    DcmFileFormat file;
    ASSERT_TRUE(file.loadFile(QFile::encodeName(path).constData()).good()) << r.what;
    for (const DcmTagKey& tag : {DCM_StudyInstanceUID, DCM_SeriesInstanceUID, DCM_SOPInstanceUID}) {
      OFString uid;
      file.getDataset()->findAndGetOFString(tag, uid);
      EXPECT_TRUE(QString::fromLatin1(uid.c_str()).startsWith(QLatin1String(DicomUidRoot) + u'.'))
          << r.what << ": " << uid.c_str();
      EXPECT_LE(uid.length(), 64u) << uid.c_str();
      uids << QString::fromLatin1(uid.c_str());
    }
    OFString implementation;
    file.getMetaInfo()->findAndGetOFString(DCM_ImplementationClassUID, implementation);
    EXPECT_EQ(QString::fromLatin1(implementation.c_str()), QLatin1String(DicomUidRoot) + QStringLiteral(".0"));
    QProcess p;
    p.start(tool, {path});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    EXPECT_FALSE(out.contains(QStringLiteral("Error"))) << r.what << ": " << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Warning"))) << r.what << ": " << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("TwelveLeadECG"))) << r.what << ": " << out.toStdString();
  }
  uids.removeDuplicates();
  EXPECT_EQ(uids.size(), std::size(rows) * 3) << "every study, series and instance UID is new";
}

}  // namespace
}  // namespace corvale::formats
