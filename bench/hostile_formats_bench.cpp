// Reading files made to be slow: a DICOM ECG with N one-element waveform
// annotations, and an EDF+ file with N tiny annotations. Reading the DICOM
// object must take time linear in N (it was quadratic: 24 s for 100,000), and
// beyond MaxDicomItems it is refused before parsing; reading the EDF+ file must
// not grow with N at all beyond its annotation bound. Run with
// --benchmark_filter to pick one.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <map>

#include "formats/Formats.h"
#include "support/EdfPlusBuilder.h"

namespace {

using namespace corvale;

QTemporaryDir& Scratch() {
  static QTemporaryDir dir;
  if (!dir.isValid()) std::abort();
  return dir;
}

void WriteOrAbort(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) std::abort();
}

QByteArray Le32(quint32 v) {
  QByteArray b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

// A sample record as DICOM, without measurements (so without a Waveform
// Annotation Sequence), and then with one of `count` items put in before the
// Waveform Sequence: each item holds only a Numeric Value.
QString DicomWithAnnotations(int count) {
  static std::map<int, QString> made;
  if (auto it = made.find(count); it != made.end()) return it->second;
  auto read = formats::ReadAnyRecord(QStringLiteral(CORVALE_SOURCE_DIR "/samples/A0001.nrm"));
  if (!std::holds_alternative<formats::OpenedRecord>(read)) std::abort();
  RecordImage& image = *std::get<formats::OpenedRecord>(read).image;
  for (const FieldLayout& f :
       {Field::HeartRate, Field::RrInterval, Field::PrInterval, Field::QrsDuration, Field::QrsAxis, Field::QtInterval,
        Field::QtcInterval, Field::Sv1Amplitude, Field::RvAmplitude})
    for (std::size_t i = 0; i < f.length; ++i) image.bytes[f.offset + i] = ' ';
  const QString plain = Scratch().filePath(QStringLiteral("plain.dcm"));
  if (formats::WriteRecordAs(image, formats::FormatKind::Dicom, plain)) std::abort();
  QFile in(plain);
  if (!in.open(QIODevice::ReadOnly)) std::abort();
  QByteArray bytes = in.readAll();
  const qsizetype waveforms = bytes.indexOf(QByteArray("\x00\x54\x00\x01SQ", 6));
  if (waveforms < 0) std::abort();
  const QByteArray element = QByteArray("\x40\x00\x0A\xA3", 4) + "DS" + QByteArray("\x02\x00", 2) + "1 ";
  const QByteArray item = QByteArray("\xFE\xFF\x00\xE0", 4) + Le32(static_cast<quint32>(element.size())) + element;
  QByteArray sequence = QByteArray("\x40\x00\x20\xB0", 4) + "SQ" + QByteArray(2, '\0') + Le32(0xFFFFFFFFu);
  sequence += item.repeated(count);
  sequence += QByteArray("\xFE\xFF\xDD\xE0", 4) + Le32(0);
  bytes.insert(waveforms, sequence);
  const QString path = Scratch().filePath(QStringLiteral("annotated%1.dcm").arg(count));
  WriteOrAbort(path, bytes);
  made[count] = path;
  return path;
}

// An EDF+C file of twelve flat leads, 10 records of 1 s at 500 Hz, whose
// annotation signal holds `count` one-letter annotations spread over them.
QString EdfWithAnnotations(int count) {
  static std::map<int, QString> made;
  if (auto it = made.find(count); it != made.end()) return it->second;
  const int records = 10;
  const int perRecord = ((count / records + 1) * 7 + 16) / 2 * 2;
  const std::vector<QList<QByteArray>> annotations(records, QList<QByteArray>(count / records, "x"));
  const std::optional<QByteArray> bytes = test::MakeEdfPlus(annotations, perRecord);
  if (!bytes) std::abort();
  const QString path = Scratch().filePath(QStringLiteral("annotated%1.edf").arg(count));
  WriteOrAbort(path, *bytes);
  made[count] = path;
  return path;
}

void BM_ReadDicomAnnotations(benchmark::State& state) {
  const QString path = DicomWithAnnotations(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto read = formats::ReadAnyRecord(path);
    if (!std::holds_alternative<formats::OpenedRecord>(read)) state.SkipWithError("the object was refused");
    benchmark::DoNotOptimize(read);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadDicomAnnotations)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Arg(80000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// Beyond MaxDicomItems the object is refused before it is parsed.
void BM_RefuseDicomOfManyItems(benchmark::State& state) {
  const QString path = DicomWithAnnotations(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto read = formats::ReadAnyRecord(path);
    if (!std::holds_alternative<FileError>(read)) state.SkipWithError("the object was read");
    benchmark::DoNotOptimize(read);
  }
}
BENCHMARK(BM_RefuseDicomOfManyItems)->Arg(200000)->Arg(3000000)->Unit(benchmark::kMillisecond);

void BM_ReadEdfAnnotations(benchmark::State& state) {
  const QString path = EdfWithAnnotations(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto read = formats::ReadAnyRecord(path);
    if (!std::holds_alternative<formats::OpenedRecord>(read)) state.SkipWithError("the file was refused");
    benchmark::DoNotOptimize(read);
  }
}
BENCHMARK(BM_ReadEdfAnnotations)->Arg(1000)->Arg(100000)->Arg(4000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
