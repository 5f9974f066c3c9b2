// Open and export without a window: which chosen or dropped paths are opened,
// the format an export name means, and LoadRecord's choice of reader.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "app/RecordFiles.h"
#include "app/ViewerState.h"
#include "formats/Formats.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(f.write(bytes), bytes.size());
}

TEST(OpenRequest, ReadableFilesOnlyAndOneDirectoryAlone) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  test::RecordBuilder().Write(dir.filePath("a.nrm"));
  test::RecordBuilder().Write(dir.filePath("noext"));  // a record's size, no record extension
  ASSERT_FALSE(formats::WriteRecordAs(test::RecordBuilder().Image(), formats::FormatKind::Wfdb, dir.filePath("w.hea")));
  WriteBytes(dir.filePath("notes.txt"), "not an ECG\n");
  WriteBytes(dir.filePath("lonely.dat"), QByteArray(64, '\1'));  // no header beside it
  ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));

  using Kind = StartRequest::Kind;
  struct Row {
    QStringList paths;
    Kind kind;
    QStringList files;  // relative to the scratch directory
    QStringList problemsHave;
  };
  const Row rows[] = {
      {{"a.nrm", "w.hea"}, Kind::Files, {"a.nrm", "w.hea"}, {}},
      // A signal file stands for its header, and a record is opened once.
      {{"w.dat", "a.nrm", "w.hea"}, Kind::Files, {"w.hea", "a.nrm"}, {}},
      {{"noext"}, Kind::Files, {"noext"}, {}},
      {{"notes.txt", "a.nrm", "lonely.dat"},
       Kind::Files,
       {"a.nrm"},
       {"notes.txt: CORVALE does not read", "lonely.dat"}},
      {{"notes.txt"}, Kind::Default, {}, {"notes.txt: CORVALE does not read"}},
      {{"sub"}, Kind::Directory, {}, {}},
      {{"sub", "a.nrm"}, Kind::Files, {"a.nrm"}, {"sub is a directory"}},
      {{"gone.edf"}, Kind::Default, {}, {"gone.edf: no such file"}},
  };
  for (const Row& r : rows) {
    const std::string where = r.paths.join(' ').toStdString();
    const StartRequest request = OpenRequest(r.paths, dir.path());
    EXPECT_EQ(request.kind, r.kind) << where;
    QStringList expected;
    for (const QString& f : r.files) expected << dir.filePath(f);
    EXPECT_EQ(request.files, expected) << where;
    const QString problems = request.problems.join('\n');
    EXPECT_EQ(request.problems.isEmpty(), r.problemsHave.isEmpty()) << where << ": " << problems.toStdString();
    for (const QString& has : r.problemsHave)
      EXPECT_TRUE(problems.contains(has)) << where << ": " << problems.toStdString();
    if (r.kind == Kind::Directory) {
      EXPECT_EQ(request.directory, dir.filePath("sub"));
    }
  }
}

TEST(ExportFormatFor, ExtensionFirstThenFilter) {
  struct Row {
    const char* path;
    int filter;
    formats::FormatKind format;
  };
  const Row rows[] = {
      {"/x/a.hea", 3, formats::FormatKind::Wfdb},  {"/x/a.EDF", 0, formats::FormatKind::Edf},
      {"/x/a.dcm", 0, formats::FormatKind::Dicom}, {"/x/a.csv", 0, formats::FormatKind::Csv},
      {"/x/a.PNG", 0, formats::FormatKind::Png},   {"/x/a.pdf", 0, formats::FormatKind::Pdf},
      {"/x/a.txt", 3, formats::FormatKind::Csv},   {"/x/a", 1, formats::FormatKind::Edf},
      {"/x/a.txt", 42, formats::FormatKind::Wfdb},
  };
  for (const Row& r : rows) EXPECT_EQ(ExportFormatFor(QString::fromLatin1(r.path), r.filter), r.format) << r.path;
  EXPECT_EQ(ExportNameFilters().size(), 6);
}

// Record files keep the record reader even when their bytes look like another
// format; foreign files go through the formats layer and keep their own names.
TEST(LoadRecord, ChoosesTheReaderByNameThenContent) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  test::RecordBuilder look;
  look.Set(Field::PatientId, "00000077");
  look.SetBytes(128, "DICM");  // a DICOM file's mark, inside a record's header
  look.Write(dir.filePath("odd.nrm"));
  test::RecordBuilder wave;
  wave.Set(Field::PatientId, "00000055");
  for (int lead = 0; lead < LeadCount; ++lead)
    wave.Lead(lead, [lead](int n) { return static_cast<std::int16_t>((n % 100) * (lead + 1) - 300); });
  ASSERT_FALSE(formats::WriteRecordAs(wave.Image(), formats::FormatKind::Edf, dir.filePath("e.edf")));
  ASSERT_FALSE(formats::WriteRecordAs(wave.Image(), formats::FormatKind::Wfdb, dir.filePath("w.hea")));

  auto state = std::make_unique<ViewerState>();
  state->study.directory = dir.path();
  state->study.work = {"odd.nrm", "e.edf", "w.hea"};

  state->study.current = 0;
  ASSERT_EQ(LoadRecord(*state).outcome, LoadResult::Outcome::Loaded);
  EXPECT_TRUE(state->record.bytes == look.Image().bytes);  // byte for byte, as before
  EXPECT_EQ(state->shown->sources, QStringList{dir.filePath("odd.nrm")});

  for (int i : {1, 2}) {
    state->record.bytes.fill(0x55);
    state->study.current = i;
    const LoadResult result = LoadRecord(*state);
    const QString entry = state->study.work[i];
    ASSERT_EQ(result.outcome, LoadResult::Outcome::Loaded) << entry.toStdString();
    EXPECT_EQ(result.names.labelFile, entry);
    EXPECT_EQ(state->shown->entry, entry);
    auto read = formats::ReadAnyRecord(dir.filePath(entry));
    ASSERT_TRUE(std::holds_alternative<formats::OpenedRecord>(read));
    EXPECT_TRUE(state->record.bytes == std::get<formats::OpenedRecord>(read).image->bytes) << entry.toStdString();
    for (int n : {0, 1234, 4999}) EXPECT_EQ(state->record.Sample(6, n), wave.Image().Sample(6, n));
    EXPECT_EQ(state->shown->sources, std::get<formats::OpenedRecord>(read).sourceFiles);
    EXPECT_TRUE(result.notes.isEmpty()) << entry.toStdString();
  }
  EXPECT_EQ(state->shown->sources.size(), 2);  // the .hea and the .dat

  // Eight leads: the four made up are said, for the window to show.
  ASSERT_FALSE(formats::WriteRecordAs(wave.Image(), formats::FormatKind::Csv, dir.filePath("twelve.csv")));
  QFile twelve(dir.filePath("twelve.csv"));
  ASSERT_TRUE(twelve.open(QIODevice::ReadOnly));
  QByteArray eight;
  for (const QByteArray& line : twelve.readAll().split('\n')) {
    QList<QByteArray> cells = line.split(',');
    if (cells.size() == 13) cells.remove(3, 4);  // III, aVR, aVL, aVF
    eight += cells.join(',') + '\n';
  }
  WriteBytes(dir.filePath("eight.csv"), eight);
  state->study.work << "eight.csv";
  state->study.current = 3;
  const LoadResult derived = LoadRecord(*state);
  ASSERT_EQ(derived.outcome, LoadResult::Outcome::Loaded);
  EXPECT_EQ(derived.notes, QStringList{"III, aVR, aVL and aVF were derived from I and II"});
  state->study.work.removeLast();

  // A damaged foreign file: the message names it; nothing of the last record stays.
  WriteBytes(dir.filePath("bad.edf"), QByteArray("0       ") + QByteArray(300, 'x'));
  state->study.work << "bad.edf";
  state->study.current = 3;
  const LoadResult bad = LoadRecord(*state);
  EXPECT_EQ(bad.outcome, LoadResult::Outcome::Unreadable);
  ASSERT_TRUE(bad.error);
  EXPECT_TRUE(bad.error->path.endsWith("bad.edf")) << bad.error->path.toStdString();
  EXPECT_TRUE(state->shown->sources.isEmpty());
  EXPECT_TRUE(std::all_of(state->record.bytes.begin(), state->record.bytes.end(), [](auto b) { return b == 0; }));
}

}  // namespace
}  // namespace corvale
