// corvale-tool export and import from the outside: many inputs, failures
// that leave the others done, no overwriting without --force, anonymising.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <functional>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "export/Batch.h"
#include "formats/Formats.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

struct ToolRun {
  int exitCode;
  QString out, err;
};

// The tool as an ordinary user: run as root, it cannot pass over file modes
// (its bounding set loses the two capabilities that let root do that, so
// the program it runs never has them). A system that refuses ends the child
// with status 77, and the test that needs it is skipped.
constexpr int kCannotDropPrivileges = 77;
void WithoutOverridingFileModes() {
#ifdef Q_OS_LINUX
  if (::geteuid() != 0) return;
  if (::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) != 0 ||
      ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) != 0)
    ::_exit(kCannotDropPrivileges);
#endif
}

ToolRun Tool(const QStringList& args) {
  QProcess p;
  p.setChildProcessModifier(WithoutOverridingFileModes);
  p.start(QStringLiteral(CORVALE_TOOL_PATH), args);
  if (!p.waitForFinished(120000)) ADD_FAILURE() << "corvale-tool did not finish";
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QStringList Files(const QString& dir) {
  return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray Content(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Export, EveryFormatFromADirectoryOnTwoThreads) {
  QTemporaryDir dir;
  const QString samples = test::SourcePath("samples");
  // A PDF page takes about a second: two records are enough for it.
  const QStringList all{samples}, two{samples + "/A0001.nrm", samples + "/B0003.msd"};
  struct Row {
    const char* to;
    QStringList inputs;
    int files;
    const char* first;
  };
  const Row rows[] = {{"wfdb", all, 22, "A0001.dat"}, {"edf", all, 11, "A0001.edf"}, {"dicom", all, 11, "A0001.dcm"},
                      {"csv", all, 11, "A0001.csv"},  {"png", all, 11, "A0001.png"}, {"pdf", two, 2, "A0001.pdf"}};
  for (const Row& r : rows) {
    const QString out = dir.filePath(QString::fromLatin1(r.to));
    const ToolRun run = Tool(QStringList{"export"} + r.inputs + QStringList{"--to", r.to, "-o", out, "-j", "2"});
    EXPECT_EQ(run.exitCode, 0) << r.to << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("exported %1 of %1 records as %2 to %3\n")
                                     .arg(r.inputs.size() == 1 ? 11 : 2)
                                     .arg(QString::fromLatin1(r.to), out)))
        << run.out.toStdString();
    const QStringList files = Files(out);
    EXPECT_EQ(files.size(), r.files) << r.to;
    EXPECT_EQ(files.value(0), QString::fromLatin1(r.first)) << r.to;
  }
  // Pictures drawn one after another by the same threads show their own record
  // only: each is the main view as render draws it.
  for (const char* name : {"A0001.nrm", "A0006.nrm", "B0002.msd"}) {
    const QString reference = dir.filePath(QStringLiteral("reference.png"));
    QFile::remove(reference);
    ASSERT_EQ(Tool({"render", samples + "/" + name, "-o", reference}).exitCode, 0) << name;
    const QImage exported(dir.filePath("png/" + QFileInfo(QString::fromLatin1(name)).completeBaseName() + ".png"));
    ASSERT_FALSE(exported.isNull()) << name;
    EXPECT_EQ(exported.convertToFormat(QImage::Format_RGB32), QImage(reference).convertToFormat(QImage::Format_RGB32))
        << name;
  }
  // Each written record reads back with the samples of its source.
  auto source = formats::ReadAnyRecord(test::SourcePath("samples/B0002.msd"));
  ASSERT_TRUE(std::holds_alternative<formats::OpenedRecord>(source));
  for (const char* written : {"wfdb/B0002.hea", "edf/B0002.edf", "dicom/B0002.dcm"}) {
    auto back = formats::ReadAnyRecord(dir.filePath(QString::fromLatin1(written)));
    ASSERT_TRUE(std::holds_alternative<formats::OpenedRecord>(back)) << written;
    const auto& a = *std::get<formats::OpenedRecord>(source).image;
    const auto& b = *std::get<formats::OpenedRecord>(back).image;
    for (int lead = 0; lead < LeadCount; ++lead)
      for (int n = 0; n < SamplesPerLead; n += 13) ASSERT_EQ(a.Sample(lead, n), b.Sample(lead, n)) << written;
  }
}

TEST(Export, FailuresLeaveTheOthersDoneAndNothingOverwritten) {
  QTemporaryDir dir;
  const QString in = dir.filePath("in"), out = dir.filePath("out");
  QDir().mkpath(in);
  QFile::copy(test::SourcePath("samples/A0001.nrm"), in + "/A0001.nrm");
  QFile::copy(test::SourcePath("samples/A0002.nrm"), in + "/A0002.nrm");
  test::RecordBuilder().Write(in + "/short.nrm", 100);
  QFile::copy(test::SourcePath("samples/A0003.nrm"), in + "/A0001.msd");  // the same output name as A0001.nrm
  const ToolRun first = Tool({"export", in, in + "/missing.nrm", "--to", "csv", "-o", out, "-j", "2"});
  EXPECT_EQ(first.exitCode, 1);
  EXPECT_TRUE(first.out.contains(QStringLiteral("exported 2 of 5 records as csv to %1; 3 failed").arg(out)))
      << first.out.toStdString();
  EXPECT_TRUE(first.err.contains(QStringLiteral("short.nrm: the file has 100 bytes"))) << first.err.toStdString();
  EXPECT_TRUE(first.err.contains(QStringLiteral("missing.nrm: no such file or directory"))) << first.err.toStdString();
  EXPECT_TRUE(first.err.contains(
      QStringLiteral("A0001.nrm: its output %1/A0001.csv would also be written from %2/A0001.msd").arg(out, in)))
      << first.err.toStdString();
  EXPECT_EQ(Files(out), (QStringList{"A0001.csv", "A0002.csv"}));  // no partial or temporary file

  // Again: everything exists, nothing is replaced without --force.
  QFile keep(out + "/A0002.csv");
  ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
  keep.write("mine");
  keep.close();
  const ToolRun again = Tool({"export", in + "/A0002.nrm", "--to", "csv", "-o", out});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_TRUE(again.err.contains(QStringLiteral("already exists"))) << again.err.toStdString();
  EXPECT_EQ(Content(out + "/A0002.csv"), QByteArray("mine"));
  const ToolRun forced = Tool({"export", in + "/A0002.nrm", "--to", "csv", "-o", out, "--force", "-j", "1"});
  EXPECT_EQ(forced.exitCode, 0) << forced.err.toStdString();
  EXPECT_TRUE(Content(out + "/A0002.csv").startsWith("time_s,I_uV"));
}

TEST(Export, NeverWritesOverItsInput) {
  QTemporaryDir dir;
  // A WFDB record exported as WFDB into its own directory would replace itself.
  for (const char* f : {"ptb-xl/00079_hr.hea", "ptb-xl/00079_hr.dat"})
    QFile::copy(test::EcgDataPath(QString::fromLatin1(f)), dir.filePath(QFileInfo(QString::fromLatin1(f)).fileName()));
  const QByteArray before = Content(dir.filePath("00079_hr.dat"));
  const ToolRun run = Tool({"export", dir.filePath("00079_hr.hea"), "--to", "wfdb", "-o", dir.path(), "--force"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains(QStringLiteral("is the input file"))) << run.err.toStdString();
  EXPECT_EQ(Content(dir.filePath("00079_hr.dat")), before);
}

// What one batch must never do, whatever its inputs: replace a file that a job
// reads, report a folder it could not read as done, fail on a long valid name,
// print a name's control characters raw, or leave an empty output directory.
TEST(Export, BatchHazards) {
  QTemporaryDir scratch;
  const QString samples = test::SourcePath("samples");
  struct Row {
    const char* what;
    std::function<QStringList(const QString& dir)> setUp;  // the arguments after "export"
    int exitCode;
    const char* err;
    const char* out;
    std::function<void(const QString& dir)> check;
  };
  // rec.hea reads its samples from sig.dat; sig.nrm would be exported as sig.hea + sig.dat.
  auto signalFileOfAnother = [&](const QString& dir) {
    QByteArray header = Content(test::EcgDataPath("ptb-xl/00079_hr.hea"));
    header.replace("00079_hr.dat", "sig.dat");
    QFile h(dir + "/rec.hea");
    EXPECT_TRUE(h.open(QIODevice::WriteOnly) && h.write(header) == header.size());
    h.close();
    QFile::copy(test::EcgDataPath("ptb-xl/00079_hr.dat"), dir + "/sig.dat");
    QFile::copy(samples + "/A0001.nrm", dir + "/sig.nrm");
  };
  auto locked = [](const QString& dir) {
    QDir().mkpath(dir + "/locked");
    QFile::copy(test::SourcePath("samples/A0002.nrm"), dir + "/locked/A0002.nrm");
    QFile::setPermissions(dir + "/locked", {});
    return dir + "/locked";
  };
  const QString longBase(244, u'n');  // 248 bytes with ".nrm" or ".csv"
  const Row rows[] = {
      {"a signal file that another input reads is kept, even with --force",
       [&](const QString& dir) {
         signalFileOfAnother(dir);
         return QStringList{dir, "--to", "wfdb", "-o", dir, "--force"};
       },
       1, "sig.nrm: its output %1/sig.dat would replace a file that %1/rec.hea reads", "exported 0 of 2",
       [&](const QString& dir) {
         EXPECT_EQ(Content(dir + "/sig.dat"), Content(test::EcgDataPath("ptb-xl/00079_hr.dat")));
         EXPECT_FALSE(QFile::exists(dir + "/sig.hea"));
       }},
      {"an unreadable folder beside a good file fails",
       [&](const QString& dir) {
         return QStringList{locked(dir), samples + "/A0001.nrm", "--to", "csv", "-o", dir + "/out"};
       },
       1, "%1/locked: Permission denied", "exported 1 of 2 records as csv to %1/out; 1 failed",
       [](const QString& dir) { EXPECT_TRUE(QFile::exists(dir + "/out/A0001.csv")); }},
      {"an unreadable folder alone says why, and no output directory is made",
       [&](const QString& dir) {
         return QStringList{locked(dir), "--to", "csv", "-o", dir + "/out"};
       },
       1, "%1/locked: Permission denied", "exported 0 of 1",
       [](const QString& dir) { EXPECT_FALSE(QFileInfo::exists(dir + "/out")); }},
      {"every job failing leaves no output directory",
       [&](const QString& dir) {
         return QStringList{dir + "/missing.nrm", "--to", "edf", "-o", dir + "/out"};
       },
       1, "missing.nrm: no such file or directory", "exported 0 of 1",
       [](const QString& dir) { EXPECT_FALSE(QFileInfo::exists(dir + "/out")); }},
      {"a 248-byte name is written",
       [&](const QString& dir) {
         QFile::copy(samples + "/A0003.nrm", dir + "/" + longBase + ".nrm");
         return QStringList{dir + "/" + longBase + ".nrm", "--to", "csv", "-o", dir + "/out"};
       },
       0, "", "exported 1 of 1",
       [&](const QString& dir) { EXPECT_TRUE(Content(dir + "/out/" + longBase + ".csv").startsWith("time_s,")); }},
      {"a header and its signal file named together are one record; .rec and .dicom files are found",
       [&](const QString& dir) {
         QFile::copy(test::EcgDataPath("ptb-xl/00079_hr.hea"), dir + "/00079_hr.hea");
         QFile::copy(test::EcgDataPath("ptb-xl/00079_hr.dat"), dir + "/00079_hr.dat");
         const auto sample = formats::ReadAnyRecord(samples + "/A0001.nrm");
         const RecordImage& image = *std::get<formats::OpenedRecord>(sample).image;
         EXPECT_FALSE(formats::WriteRecordAs(image, formats::FormatKind::Edf, dir + "/e.edf"));
         EXPECT_FALSE(formats::WriteRecordAs(image, formats::FormatKind::Dicom, dir + "/d.dcm"));
         QDir().mkpath(dir + "/in");
         QFile::rename(dir + "/e.edf", dir + "/in/e.rec");
         QFile::rename(dir + "/d.dcm", dir + "/in/d.dicom");
         return QStringList{dir + "/00079_hr.hea", dir + "/00079_hr.dat", dir + "/in", "--to", "csv", "-o",
                            dir + "/out"};
       },
       0, "", "exported 3 of 3",
       [](const QString& dir) {
         EXPECT_EQ(QDir(dir + "/out").entryList(QDir::Files, QDir::Name),
                   (QStringList{"00079_hr.csv", "d.csv", "e.csv"}));
       }},
      {"control characters in a name are shown escaped",
       [&](const QString& dir) {
         QFile::copy(samples + "/A0004.nrm", dir + "/x\x1b[2J\ny.nrm");
         return QStringList{dir + "/x\x1b[2J\ny.nrm", "--to", "csv", "-o", dir};
       },
       0, "", "x\\u001b[2J\\u000ay.nrm -> %1/x\\u001b[2J\\u000ay.csv", nullptr},
  };
  int n = 0;
  for (const Row& r : rows) {
    const QString dir = scratch.filePath(QString::number(++n));
    QDir().mkpath(dir);
    const ToolRun run = Tool(QStringList{"export"} + r.setUp(dir));
    if (run.exitCode == kCannotDropPrivileges) GTEST_SKIP() << "cannot run the tool without root's file access";
    EXPECT_EQ(run.exitCode, r.exitCode) << r.what << "\n" << run.err.toStdString();
    auto expected = [&](const char* text) { return QString::fromUtf8(text).replace(QStringLiteral("%1"), dir); };
    EXPECT_TRUE(run.err.contains(expected(r.err))) << r.what << "\n" << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(expected(r.out))) << r.what << "\n" << run.out.toStdString();
    EXPECT_FALSE(run.out.contains(u'\x1b') || run.err.contains(u'\x1b')) << r.what;
    if (r.check) r.check(dir);
    QFile::setPermissions(dir + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
}

TEST(Export, AnInterruptedBatchLeavesNoTemporaryFiles) {
  QTemporaryDir dir;
  const QString in = dir.filePath("in");
  QDir().mkpath(in);
  // Copies, not links: a second name of one file is one record, done once.
  const QString sample = test::SourcePath("samples/A0001.nrm");
  for (int i = 0; i < 200; ++i)
    ASSERT_TRUE(QFile::copy(sample, in + QStringLiteral("/r%1.nrm").arg(i, 3, 10, QLatin1Char('0'))));
  auto temporaries = [](const QString& out) {
    return QDir(out).entryList({".corvale-*"}, QDir::Files | QDir::Hidden, QDir::Name);
  };
  // Left by runs that ended, by one still going (this test), and by others.
  const QString dead = ".corvale-7ffffffe-0badcafe.tmp";
  const QString alive =
      QStringLiteral(".corvale-%1-00000001.tmp").arg(QCoreApplication::applicationPid(), 8, 16, QLatin1Char('0'));
  const QStringList others{".A0001.csv.1234abcd.tmp", "notes.tmp", ".corvale-7ffffffe-0badcafe.tmp.txt"};

  for (const int signal : {SIGINT, SIGTERM}) {
    const QString out = dir.filePath(QStringLiteral("out%1").arg(signal));
    QDir().mkpath(out);
    for (const QString& name : QStringList{dead, alive} + others) {
      QFile f(out + "/" + name);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("x");
    }
    QProcess p;
    p.start(QStringLiteral(CORVALE_TOOL_PATH), {"export", in, "--to", "csv", "-o", out, "-j", "2"});
    ASSERT_TRUE(p.waitForStarted());
    // Interrupted once the first records are in place and the rest are being written.
    QByteArray printed;
    while (!printed.contains("->") && p.waitForReadyRead(30000)) printed += p.readAllStandardOutput();
    ASSERT_TRUE(printed.contains("->")) << signal;
    ::kill(static_cast<pid_t>(p.processId()), signal);
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::CrashExit) << "ended by the signal, before the batch was done: " << signal;
    EXPECT_LT(QDir(out).entryList({"*.csv"}, QDir::Files).size(), 200) << signal;
    EXPECT_EQ(temporaries(out), (QStringList{alive, ".corvale-7ffffffe-0badcafe.tmp.txt"})) << signal;
    for (const QString& name : others) EXPECT_TRUE(QFile::exists(out + "/" + name)) << name.toStdString();
  }
}

TEST(Export, AnonymiseBlanksNameAndId) {
  QTemporaryDir dir;
  const ToolRun run =
      Tool({"export", test::SourcePath("samples/A0004.nrm"), "--to", "edf", "-o", dir.path(), "--anonymise"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  auto back = formats::ReadAnyRecord(dir.filePath("A0004.edf"));
  ASSERT_TRUE(std::holds_alternative<formats::OpenedRecord>(back));
  const HeaderOptions h = HeaderFromRecord(*std::get<formats::OpenedRecord>(back).image);
  EXPECT_EQ(h.id, QStringLiteral("00000000"));
  EXPECT_EQ(h.name, QStringLiteral("unknown"));
  EXPECT_EQ(h.sex, QStringLiteral("F"));  // the rest stays
  EXPECT_FALSE(Content(dir.filePath("A0004.edf")).contains("00180")) << "the original ID is nowhere in the file";
}

TEST(Export, CommandLineMistakes) {
  struct Row {
    QStringList args;
    int exitCode;
    const char* message;
  };
  const Row rows[] = {
      {{"export", "x", "--to", "jpeg", "-o", "/tmp"}, 2, "--to takes wfdb, edf, dicom, csv, png or pdf (got jpeg)"},
      {{"export", "x", "--to", "csv"}, 2, "export needs FILE|DIR..., --to FORMAT and -o OUTDIR"},
      {{"export", "x", "--to", "csv", "-o", "/tmp", "-j", "0"}, 2, "-j takes 1 to 64 (got 0)"},
      {{"export", "x", "--to", "csv", "-o", "/tmp", "--fast"}, 2, "unknown option --fast"},
      {{"import", test::EcgDataPath("ptb-xl/00079_hr"), "-o", "/tmp/never.nrm", "--date", "2023-13-45"},
       1,
       "date \"2023-13-45\" is not a calendar date"},
      {{"import", test::EcgDataPath("ptb-xl/00079_hr"), "-o", "/tmp/never.nrm", "--time", "25:61:99"},
       1,
       "time \"25:61:99\" is not a time of day"},
      {{"import", test::EcgDataPath("ptb-xl/00079_hr"), "-o", "/tmp/never.nrm", "--age-unit", "m"},
       2,
       "--age-unit m was given without --age"},
  };
  for (const Row& r : rows) {
    const ToolRun run = Tool(r.args);
    EXPECT_EQ(run.exitCode, r.exitCode) << r.args.join(' ').toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(r.message))) << run.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists("/tmp/never.nrm"));
}

TEST(Batch, PlanProgressAndPool) {
  const std::vector<batch::Input> inputs{
      {"a/x.nrm", {}}, {"b/x.msd", {}}, {"c/y.nrm", {}}, {"gone", FileError{"gone", "no"}}};
  const auto jobs =
      batch::PlanJobs(inputs, "out", [](const QString& p) { return QFileInfo(p).completeBaseName() + ".csv"; });
  ASSERT_EQ(jobs.size(), 4u);
  EXPECT_EQ(jobs[0].output, QStringLiteral("out/x.csv"));
  EXPECT_FALSE(jobs[0].error);
  ASSERT_TRUE(jobs[1].error);
  EXPECT_TRUE(jobs[1].error->reason.contains(QStringLiteral("would also be written from a/x.nrm")));
  EXPECT_FALSE(jobs[2].error);
  EXPECT_TRUE(jobs[3].error);

  struct Bar {
    int done, total, failed;
    const char* text;
  };
  const Bar bars[] = {{0, 10, 0, "[..........] 0/10"},
                      {5, 10, 0, "[#####.....] 5/10"},
                      {10, 10, 2, "[##########] 10/10  2 failed"},
                      {1, 3, 0, "[###.......] 1/3"}};
  for (const Bar& b : bars) EXPECT_EQ(batch::ProgressBar(b.done, b.total, b.failed, 10), QString::fromLatin1(b.text));

  // Every job runs exactly once whatever the thread count; reports come one at a time.
  for (int threads : {1, 2, 7}) {
    std::vector<batch::Job> many(100);
    for (int i = 0; i < 100; ++i) many[static_cast<std::size_t>(i)].input = QString::number(i);
    std::vector<int> runs(100, 0);
    int reports = 0, lastFinished = 0;
    bool ordered = true;
    const auto s = batch::RunJobs(
        many, threads,
        [&](const batch::Job& j) -> formats::Prepared {
          ++runs[static_cast<std::size_t>(j.input.toInt())];  // distinct element per job: no race
          if (j.input.toInt() % 10 == 0) return FileError{j.input, "odd one"};
          return formats::PreparedOutputs{};
        },
        [&](const batch::Job&, const std::optional<FileError>&, int done, int failed) {
          ++reports;
          ordered = ordered && done + failed == lastFinished + 1;
          lastFinished = done + failed;
        });
    EXPECT_EQ(s.done, 90) << threads;
    EXPECT_EQ(s.failed, 10) << threads;
    EXPECT_EQ(reports, 100);
    EXPECT_TRUE(ordered);
    EXPECT_TRUE(std::all_of(runs.begin(), runs.end(), [](int n) { return n == 1; })) << threads;
  }
}

TEST(Batch, OutputsArePutInPlaceInGroups) {
  // Ten records, at most three waiting, on two threads: every output lands and
  // is told done only once it is in place, the one whose name is taken fails
  // alone, and no temporary file is left.
  QTemporaryDir dir;
  const test::RecordBuilder b;
  std::vector<batch::Job> jobs(10);
  for (int i = 0; i < 10; ++i)
    jobs[static_cast<std::size_t>(i)] = {QString::number(i), dir.filePath(QStringLiteral("r%1.csv").arg(i)),
                                         std::nullopt};
  QFile taken(dir.filePath("r4.csv"));
  ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
  taken.write("taken");
  taken.close();
  std::vector<QString> failed;
  const auto s = batch::RunJobs(
      jobs, 2,
      [&](const batch::Job& j) {
        OutputPolicy keep;
        keep.overwrite = false;
        return formats::PrepareRecordAs(b.Image(), formats::FormatKind::Csv, j.output, keep);
      },
      [&](const batch::Job& j, const std::optional<FileError>& e, int, int) {
        if (e) failed.push_back(j.input + ": " + e->reason);
        // Done means in place, complete, under its own name.
        else if (!Content(j.output).startsWith("time_s,")) failed.push_back(j.input + " told done too early");
      },
      3);
  EXPECT_EQ(s.done, 9);
  EXPECT_EQ(s.failed, 1);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_TRUE(failed[0].startsWith(QStringLiteral("4: already exists"))) << failed[0].toStdString();
  QStringList expected;
  for (int i = 0; i < 10; ++i) expected << QStringLiteral("r%1.csv").arg(i);
  EXPECT_EQ(Files(dir.path()), expected);
  EXPECT_EQ(Content(dir.filePath("r4.csv")), QByteArray("taken"));
  EXPECT_TRUE(Content(dir.filePath("r9.csv")).startsWith("time_s,"));
}

}  // namespace
}  // namespace corvale
