#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "analysis/DisplayFilters.h"
#include "display/Render.h"
#include "formats/Conversion.h"
#include "formats/Formats.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "support/RecordBuilder.h"
#include "support/Require.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvale {
namespace {

struct ToolRun {
  int exitCode;
  QByteArray out, err;
};

// Runs the tool; one that does not finish within `seconds` is killed and fails the test.
ToolRun Tool(const QStringList& args, int seconds = 60, const QString& shellPrefix = QString(),
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  QProcess p;
  p.setProcessEnvironment(environment);
  if (shellPrefix.isEmpty()) {
    p.start(QStringLiteral(CORVALE_TOOL_PATH), args);
  } else {
    // sh -c 'PREFIX; exec "$0" "$@"' TOOL ARGS...: limits set in the shell apply to the tool only.
    p.start(QStringLiteral("/bin/sh"),
            QStringList{"-c", shellPrefix + QStringLiteral("; exec \"$0\" \"$@\""), QStringLiteral(CORVALE_TOOL_PATH)} +
                args);
  }
  if (!p.waitForFinished(seconds * 1000)) {
    ADD_FAILURE() << "corvale-tool did not finish within " << seconds << " s: " << args.join(' ').toStdString();
    p.kill();
    p.waitForFinished(5000);
    return {-1, p.readAllStandardOutput(), p.readAllStandardError()};
  }
  const int code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return {code, p.readAllStandardOutput(), p.readAllStandardError()};
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Everything in a scratch directory, hidden temporaries included.
QStringList Entries(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A twelve-lead WFDB record NAME.hea + NAME.dat (format 16, 500 Hz, 10 s) in `dir`.
void WriteWfdb(const QString& dir, const QString& name) {
  static const char* const kLeads[] = {"I", "II", "III", "AVR", "AVL", "AVF", "V1", "V2", "V3", "V4", "V5", "V6"};
  QByteArray header = QStringLiteral("%1 12 500 5000\n").arg(name).toUtf8();
  for (const char* lead : kLeads)
    header += QStringLiteral("%1.dat 16 1000/mV 16 0 0 0 0 %2\n").arg(name, lead).toUtf8();
  QByteArray data;
  for (int n = 0; n < 5000; ++n)
    for (int lead = 0; lead < 12; ++lead) {
      const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>((n % 200) * (lead + 1) - 300));
      data.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
    }
  QFile h(QDir(dir).filePath(name + ".hea")), d(QDir(dir).filePath(name + ".dat"));
  if (!h.open(QIODevice::WriteOnly) || h.write(header) != header.size() || !d.open(QIODevice::WriteOnly) ||
      d.write(data) != data.size())
    ADD_FAILURE() << "cannot write the WFDB fixture";
}

TEST(ToolInfo, JsonOfASample) {
  const QString sample = test::SourcePath("samples/A0001.nrm");
  const ToolRun r = Tool({"info", sample, "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QJsonObject o = QJsonDocument::fromJson(r.out).object();
  EXPECT_EQ(o["file"].toString(), sample);
  const QJsonObject fields = o["fields"].toObject();
  EXPECT_EQ(fields["SampleCount"].toInt(), 5000);
  EXPECT_TRUE(fields["PatientName"].isString());
  EXPECT_EQ(fields["FindingCodes"].toArray().size(), 9);
  EXPECT_EQ(fields["MinnesotaCodes"].toArray().size(), 14);
  EXPECT_FALSE(fields.contains("Unused256"));
  const QJsonObject labels = o["labels"].toObject();
  EXPECT_EQ(labels["Label11"].toString(), fields["PatientName"].toString());
  EXPECT_EQ(labels["Label30"].toString(), QStringLiteral("5000"));
  EXPECT_EQ(labels.size(), 63);
  const QJsonObject leads = o["leads"].toObject();
  ASSERT_EQ(leads.size(), 12);
  for (const QString& lead : leads.keys()) {
    const QJsonObject l = leads[lead].toObject();
    const double range = l["LeadRange"].toDouble(), offset = l["LeadOffset"].toDouble();
    EXPECT_GT(range, 0.0) << lead.toStdString();
    EXPECT_GE(offset, 0.0);
    EXPECT_LE(offset, 1.0);
    EXPECT_LE(l["min"].toDouble(), l["max"].toDouble());
  }
}

TEST(ToolInfo, NullForLabelsLeftAsTheyWere) {
  QTemporaryDir dir;
  test::RecordBuilder b;
  b.Set(Field::AgeUnit, "9").Set(Field::ProcessingResult, "3");
  b.Write(dir.filePath("odd.nrm"));
  const ToolRun r = Tool({"info", "--json", dir.filePath("odd.nrm")});
  ASSERT_EQ(r.exitCode, 0);
  const QJsonObject labels = QJsonDocument::fromJson(r.out).object()["labels"].toObject();
  EXPECT_TRUE(labels["Label14"].isNull());
  EXPECT_TRUE(labels["Label90"].isNull());
  EXPECT_EQ(labels["Label13"].toString(), QStringLiteral("F"));
}

TEST(ToolInfo, ErrorsGoToStderrAndTheRestIsPrinted) {
  QTemporaryDir dir;
  test::RecordBuilder().Write(dir.filePath("short.nrm"), 1000);
  const ToolRun r = Tool({"info", "--json", test::SourcePath("samples/A0001.nrm"), dir.filePath("missing.nrm"),
                          dir.filePath("short.nrm"), test::SourcePath("samples/A0002.nrm")});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_TRUE(r.err.contains("missing.nrm"));
  EXPECT_TRUE(r.err.contains("has 1000 bytes; a record needs 120424 bytes"));
  const QJsonArray reports = QJsonDocument::fromJson(r.out).array();
  ASSERT_EQ(reports.size(), 2);
  EXPECT_TRUE(reports[1].toObject()["file"].toString().endsWith("A0002.nrm"));
}

TEST(ToolImport, WritesOneRecordOrNothing) {
  QTemporaryDir dir;
  const QString out = dir.filePath("X.nrm");
  ToolRun r = Tool(
      {"import", test::EcgDataPath("ptb-xl/00079_hr"), "-o", out, "--name", "見本　太郎", "--sex", "M", "--age", "47"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(QFileInfo(out).size(), static_cast<qint64>(RecordFileSize));
  r = Tool({"info", "--json", out});
  const QJsonObject fields = QJsonDocument::fromJson(r.out).object()["fields"].toObject();
  EXPECT_EQ(fields["PatientName"].toString(), QStringLiteral("見本　太郎"));
  EXPECT_EQ(fields["Age"].toString(), QStringLiteral("047"));

  const QString refused = dir.filePath("Y.nrm");
  r = Tool({"import", test::EcgDataPath("ptb-xl/00079_hr"), "-o", refused, "--sex", "X"});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_TRUE(r.err.contains("must be M or F"));
  EXPECT_FALSE(QFileInfo::exists(refused));
  r = Tool({"import", test::EcgDataPath("ptb-xl/00079_hr"), "-o", refused, "--name", "X\n# HR: 180"});
  EXPECT_NE(r.exitCode, 0);
  EXPECT_TRUE(r.err.contains("has control characters")) << r.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(refused));

  // A checksum that disagrees with the samples: a warning, or with --strict a refusal.
  WriteWfdb(dir.path(), QStringLiteral("sum"));
  QFile header(dir.filePath("sum.hea"));
  ASSERT_TRUE(header.open(QIODevice::ReadWrite));
  const QByteArray text = header.readAll().replace("1000/mV 16 0 0 0 0 V6", "1000/mV 16 0 0 7 0 V6");
  ASSERT_TRUE(header.resize(0));
  ASSERT_EQ(header.write(text), text.size());
  header.close();
  r = Tool({"import", dir.filePath("sum"), "-o", refused});
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("warning: signal 12 (V6): the header's checksum is 7")) << r.err.toStdString();
  EXPECT_TRUE(QFileInfo::exists(refused));
  const QString strict = dir.filePath("Z.nrm");
  r = Tool({"import", dir.filePath("sum"), "-o", strict, "--strict"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains("signal 12 (V6): the header's checksum is 7")) << r.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(strict));
  // export says the same doubt, and refuses the record with --strict.
  for (const bool refuse : {false, true}) {
    const QString out = dir.filePath(refuse ? "strict" : "lenient");
    r = Tool(QStringList{"export", dir.filePath("sum.hea"), "--to", "csv", "-o", out} +
             (refuse ? QStringList{"--strict"} : QStringList{}));
    EXPECT_EQ(r.exitCode, refuse ? 1 : 0) << r.err.toStdString();
    const QString said = refuse ? QStringLiteral(
                                      "the header's checksum is 7, the samples in sum.dat sum to 13552: "
                                      "the file may be damaged (refused with --strict)")
                                : dir.filePath("sum.hea") + ": warning: signal 12 (V6): the header's checksum is 7";
    EXPECT_TRUE(r.err.contains(said.toUtf8())) << r.err.toStdString();
    EXPECT_EQ(QFileInfo::exists(out + "/sum.csv"), !refuse);
  }
}

TEST(ToolRender, SameImagesAsTheScreen) {
  QTemporaryDir dir;
  const QString sample = test::SourcePath("samples/A0005.nrm");
  const ToolRun r =
      Tool({"render", sample, "-o", dir.filePath("t.png"), "--strip", dir.filePath("s.png"), "--gain", "aVR=4",
            "--gain", "ii=2", "--scheme", "3", "--span", "5", "--offset", "1200", "--limb-mode", "2"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  RecordImage image;
  ASSERT_FALSE(ReadRecordFile(sample, image));
  auto leads = std::make_unique<LeadArrays>();
  DeriveLeadArrays(image, *leads);
  DisplayState state;
  state.LeadGain[3] = 4;
  state.LeadGain[1] = 2;
  state.Colors = SchemeColors(3);
  state.TimeOffset = 1200;
  state.LimbLeadMode = 2;
  Image grid(1040, 760), stripGrid(1040, 100), trace(1040, 760), strip(1040, 100);
  RenderGrid(state, *leads, grid, stripGrid);
  RenderTraces(state, *leads, grid, stripGrid, trace, strip);
  EXPECT_EQ(QImage(dir.filePath("t.png")).convertToFormat(QImage::Format_RGB32), trace.Qt());
  EXPECT_EQ(QImage(dir.filePath("s.png")).convertToFormat(QImage::Format_RGB32), strip.Qt());
}

// info, render and print read what export reads, and say what was derived.
TEST(ToolRender, EveryReadableFormatAndWhatWasDerived) {
  QTemporaryDir dir;
  ASSERT_EQ(Tool({"export", test::SourcePath("samples/A0001.nrm"), "--to", "csv", "-o", dir.path()}).exitCode, 0);
  QFile twelve(dir.filePath("A0001.csv"));
  ASSERT_TRUE(twelve.open(QIODevice::ReadOnly));
  QByteArray eight;  // without III, aVR, aVL and aVF
  for (const QByteArray& line : twelve.readAll().split('\n')) {
    if (line.isEmpty()) continue;
    QList<QByteArray> cells = line.split(',');
    cells.remove(3, 4);
    eight += cells.join(',') + '\n';
  }
  QFile out(dir.filePath("eight.csv"));
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(eight);
  out.close();
  const QStringList commands[] = {{"info", dir.filePath("eight.csv")},
                                  {"render", dir.filePath("eight.csv"), "-o", dir.filePath("t.png")},
                                  {"print", dir.filePath("eight.csv"), "-o", dir.filePath("p.pdf")}};
  for (const QStringList& args : commands) {
    const ToolRun r = Tool(args);
    EXPECT_EQ(r.exitCode, 0) << args.first().toStdString() << ": " << r.err.toStdString();
    EXPECT_TRUE(
        r.err.contains((dir.filePath("eight.csv") + ": III, aVR, aVL and aVF were derived from I and II").toUtf8()))
        << args.first().toStdString() << ": " << r.err.toStdString();
  }
  EXPECT_TRUE(QFileInfo(dir.filePath("t.png")).size() > 0 && QFileInfo(dir.filePath("p.pdf")).size() > 0);
}

TEST(ToolPrint, PageAndGeometry) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath("page.pdf");
  const ToolRun r = Tool({"print", test::SourcePath("samples/A0002.nrm"), "-o", pdf, "--paper", "Letter", "--dpi",
                          "300", "--margin", "100", "--pen", "A", "--grid", "A", "--span", "10"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  QMap<QString, double> values;
  for (const QByteArray& line : r.out.split('\n'))
    if (line.contains(": ")) values[QString::fromUtf8(line.split(':')[0])] = line.split(' ')[1].toDouble();
  ASSERT_EQ(values.size(), 5) << r.out.toStdString();
  // Letter at 300 dpi: 2550 x 3300; margin 10 %: the page height sets u (3300 / 2550 < 1040 / 760).
  EXPECT_DOUBLE_EQ(values["pix_X"], 2970);
  EXPECT_DOUBLE_EQ(values["pix_Y"], 2295);
  EXPECT_NEAR(values["u"], 2970.0 / 1040, 1e-12);
  EXPECT_EQ(values["PrintOriginX"], static_cast<int>(100 * 0.1 * 4 * values["u"]));
  EXPECT_EQ(values["PrintOriginY"], static_cast<int>(40 * values["u"]));
  EXPECT_GT(QFileInfo(pdf).size(), 10000);
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.read(5) == "%PDF-");
}

TEST(ToolRender, BadOptionsAreRefused) {
  QTemporaryDir dir;
  const QString sample = test::SourcePath("samples/A0005.nrm");
  for (const QStringList& bad : {QStringList{"--gain", "aVR=3"},
                                 {"--gain", "V7=2"},
                                 {"--scheme", "4"},
                                 {"--span", "7"},
                                 {"--offset", "2500"},
                                 {"--limb-mode", "0"},
                                 {"--filter", "mains=55"},
                                 {"--filter", "hum=50"},
                                 {"--filter"}}) {
    const ToolRun r = Tool(QStringList{"render", sample, "-o", dir.filePath("t.png")} + bad);
    EXPECT_EQ(r.exitCode, 2) << bad.join(' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("t.png")));
  }
}

TEST(ToolHelp, EverySubcommandExplainsItself) {
  struct Row {
    const char* command;
    const char* about;
  };
  const Row rows[] = {
      {"info", "info prints"}, {"import", "import reads"}, {"render", "render writes"}, {"print", "print draws"}};
  for (const Row& r : rows)
    for (const char* flag : {"--help", "-h"}) {
      const ToolRun run = Tool({r.command, flag});
      EXPECT_EQ(run.exitCode, 0) << r.command << " " << flag;
      EXPECT_TRUE(run.out.startsWith("usage:\n  corvale-tool " + QByteArray(r.command))) << run.out.toStdString();
      EXPECT_TRUE(run.out.contains(r.about)) << r.command << " " << flag;
      EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    }
}

TEST(ToolInfo, ControlCharactersNeverReachTheTerminal) {
  QTemporaryDir dir;
  test::RecordBuilder b;
  b.SetBytes(Field::PatientId.offset, QByteArray("\x1b]0;X\x07", 6));  // would retitle the terminal
  b.SetBytes(Field::PatientName.offset, QByteArray("A\x1b[2JB\\C\"D\x7f", 11));
  const QString file = dir.filePath(QStringLiteral("odd\x1b[31m.nrm"));
  b.Write(file);
  const ToolRun text = Tool({"info", file});
  ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
  for (char c : {'\x1b', '\x07', '\x7f'}) EXPECT_FALSE(text.out.contains(c)) << int(c);
  EXPECT_TRUE(text.out.contains("field PatientId: \"\\u001b]0;X\\u0007  \"")) << text.out.toStdString();
  EXPECT_TRUE(text.out.contains("field PatientName: \"A\\u001b[2JB\\\\C\\\"D\\u007f\"")) << text.out.toStdString();
  EXPECT_TRUE(text.out.contains("file: " + QFile::encodeName(dir.filePath("odd\\u001b[31m.nrm"))));
  // The JSON keeps the exact text.
  const ToolRun json = Tool({"info", "--json", file});
  const QJsonObject fields = QJsonDocument::fromJson(json.out).object()["fields"].toObject();
  EXPECT_EQ(fields["PatientName"].toString(), QString::fromLatin1("A\x1b[2JB\\C\"D\x7f"));
  // Error messages name the file escaped as well.
  const ToolRun missing = Tool({"info", dir.filePath(QStringLiteral("gone\x1b[31m.nrm"))});
  EXPECT_NE(missing.exitCode, 0);
  EXPECT_FALSE(missing.err.contains('\x1b')) << missing.err.toStdString();
  EXPECT_TRUE(missing.err.contains("gone\\u001b[31m.nrm"));
}

TEST(ToolRender, TheSuffixChoosesTheImageType) {
  QTemporaryDir dir;
  const QString sample = test::SourcePath("samples/A0003.nrm");
  ASSERT_EQ(Tool({"render", sample, "-o", dir.filePath("reference.png")}).exitCode, 0);
  const QImage reference(dir.filePath("reference.png"));
  ASSERT_FALSE(reference.isNull());
  struct Row {
    const char* name;
    QByteArray format;
    bool lossless;
  };
  const Row rows[] = {{"t.bmp", "bmp", true}, {"t.JPG", "jpeg", false}, {"t.jpeg", "jpeg", false},
                      {"t.ppm", "ppm", true}, {"t.Png", "png", true},   {"noSuffix", "png", true}};
  for (const Row& r : rows) {
    const QString out = dir.filePath(QLatin1String(r.name));
    const ToolRun run = Tool({"render", sample, "-o", out});
    ASSERT_EQ(run.exitCode, 0) << r.name << ": " << run.err.toStdString();
    QImageReader reader(out);
    reader.setDecideFormatFromContent(true);
    EXPECT_EQ(reader.format(), r.format) << r.name;
    const QImage image = reader.read();
    ASSERT_EQ(image.size(), QSize(1040, 760)) << r.name;
    if (r.lossless) {
      EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), reference.convertToFormat(QImage::Format_RGB32)) << r.name;
    }
  }
  for (const char* bad : {"t.xyz", "t.nrm", "t.pdf"}) {
    const ToolRun run = Tool({"render", sample, "-o", dir.filePath(QLatin1String(bad))});
    EXPECT_EQ(run.exitCode, 2) << bad;
    EXPECT_TRUE(run.err.contains("is not an image type")) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QLatin1String(bad)))) << bad;
  }
}

TEST(ToolRun, NothingButOurMessagesOnStandardError) {
  QTemporaryDir dir;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
  environment.remove(QStringLiteral("QT_LOGGING_RULES"));
  const QString sample = test::SourcePath("samples/A0001.nrm");
  const QStringList runs[] = {{"render", sample, "-o", dir.filePath("t.png"), "--strip", dir.filePath("s.png")},
                              {"print", sample, "-o", dir.filePath("p.pdf"), "--dpi", "150"},
                              {"info", sample}};
  for (const QStringList& args : runs) {
    const ToolRun run = Tool(args, 60, QString(), environment);
    EXPECT_EQ(run.exitCode, 0) << args.first().toStdString();
    EXPECT_EQ(run.err, QByteArray()) << args.first().toStdString();
  }
}

#ifdef Q_OS_UNIX
// A scratch directory with a record, a WFDB record (g2.hea, g2.dat), links and a FIFO.
class ToolOutputs : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString Path(const QString& name) const { return dir.filePath(name); }
  void SetUp() override {
    ASSERT_TRUE(QFile::copy(test::SourcePath("samples/A0004.nrm"), Path("in.nrm")));
    WriteWfdb(dir.path(), QStringLiteral("g2"));
    ASSERT_TRUE(QFile::link(Path("in.nrm"), Path("link.png")));
    ASSERT_EQ(::link(QFile::encodeName(Path("in.nrm")).constData(), QFile::encodeName(Path("hard.pdf")).constData()),
              0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.png")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(Path("pipe.png"), Path("pipe.pdf")));
    ASSERT_TRUE(QFile::link(Path("pipe.png"), Path("pipe.nrm")));
    record = ReadAll(Path("in.nrm"));
    header = ReadAll(Path("g2.hea"));
    signal = ReadAll(Path("g2.dat"));
  }
  // The inputs as they were, no FIFO replaced, no file added.
  void ExpectUntouched(const QStringList& before, const std::string& what) const {
    EXPECT_EQ(ReadAll(Path("in.nrm")), record) << what;
    EXPECT_EQ(ReadAll(Path("g2.hea")), header) << what;
    EXPECT_EQ(ReadAll(Path("g2.dat")), signal) << what;
    struct stat st {};
    EXPECT_TRUE(::lstat(QFile::encodeName(Path("pipe.png")).constData(), &st) == 0 && S_ISFIFO(st.st_mode)) << what;
    EXPECT_EQ(Entries(dir.path()), before) << what;
  }
  QByteArray record, header, signal;
};

TEST_F(ToolOutputs, NeverAnInputNorTwiceTheSameFile) {
  const QString in = Path("in.nrm"), g2 = Path("g2");
  struct Row {
    QStringList args;
    const char* reason;
  };
  const Row rows[] = {
      {{"render", in, "-o", Path("t.png"), "--strip", in}, ""},  // refused by its type or its identity
      {{"render", in, "-o", Path("link.png")}, "is the input file"},
      {{"render", in, "-o", Path("t.png"), "--strip", dir.path() + "/./t.png"}, "is also the output"},
      {{"print", in, "-o", in}, "is the input file"},
      {{"print", in, "-o", Path("hard.pdf")}, "is the input file"},
      {{"import", g2, "-o", Path("g2.dat")}, "is the input file"},
      {{"import", g2 + ".hea", "-o", Path("g2.hea")}, "is the input file"},
  };
  const QStringList before = Entries(dir.path());
  for (const Row& r : rows) {
    const ToolRun run = Tool(r.args, 20);
    const std::string what = r.args.join(' ').toStdString();
    EXPECT_NE(run.exitCode, 0) << what;
    EXPECT_TRUE(run.err.contains(r.reason)) << what << ": " << run.err.toStdString();
    ExpectUntouched(before, what);
  }
}

TEST_F(ToolOutputs, NeverReplacesAFifo) {
  const QString in = Path("in.nrm");
  const QStringList runs[] = {{"render", in, "-o", Path("pipe.png")},
                              {"render", in, "-o", Path("t.png"), "--strip", Path("pipe.png")},
                              {"print", in, "-o", Path("pipe.pdf")},
                              {"import", Path("g2"), "-o", Path("pipe.nrm")}};
  const QStringList before = Entries(dir.path());
  for (const QStringList& args : runs) {
    const ToolRun run = Tool(args, 10);  // writing into a FIFO nobody reads would block
    const std::string what = args.join(' ').toStdString();
    EXPECT_NE(run.exitCode, 0) << what;
    EXPECT_TRUE(run.err.contains("not a regular file")) << what << ": " << run.err.toStdString();
    ExpectUntouched(before, what);
  }
}

TEST_F(ToolOutputs, AFullDiskFailsWithTheReasonAndKeepsTheOldFiles) {
  // Old outputs that must survive, then a file-size limit (about 4 KB) that makes writes fail as a full disk does.
  const QByteArray old("an earlier good output");
  for (const char* name : {"keep.png", "keep.pdf", "keep.nrm"}) {
    QFile f(Path(QLatin1String(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(old), old.size());
  }
  const QString in = Path("in.nrm");
  ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
  const QStringList runs[] = {{"render", in, "-o", Path("keep.png")},
                              {"render", in, "-o", Path("keep.png"), "--strip", Path("strip.png")},
                              {"print", in, "-o", Path("keep.pdf")},
                              {"import", Path("g2"), "-o", Path("keep.nrm")},
                              {"export", in, "--to", "edf", "-o", Path("out")},
                              {"export", in, "--to", "dicom", "-o", Path("out")}};
  const QStringList before = Entries(dir.path());
  const QByteArray reason = QByteArray(std::strerror(EFBIG));
  for (const QStringList& args : runs) {
    const ToolRun run = Tool(args, 60, QStringLiteral("ulimit -f 8"));
    const std::string what = args.join(' ').toStdString();
    EXPECT_EQ(run.exitCode, 1) << what;
    EXPECT_TRUE(run.err.contains(reason)) << what << ": " << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("Unknown error")) << what;
    for (const char* name : {"keep.png", "keep.pdf", "keep.nrm"})
      EXPECT_EQ(ReadAll(Path(QLatin1String(name))), old) << what << ": " << name;
    ExpectUntouched(before, what);
    EXPECT_EQ(Entries(Path("out")), QStringList()) << what;
  }
}

TEST_F(ToolOutputs, ImportWritesBesideItsInputs) {
  const ToolRun run = Tool({"import", Path("g2"), "-o", Path("g2.nrm")});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  RecordImage image;
  ASSERT_FALSE(ReadRecordFile(Path("g2.nrm"), image));
  // Lead II, sample 1: (1 % 200) * 2 - 300 = -298 uV at 1000 adu/mV, -298 / 4.88 = -61.07 -> -61.
  EXPECT_EQ(image.Sample(1, 1), -61);
  EXPECT_EQ(ReadAll(Path("g2.dat")), signal);
}

// Names in Shift-JIS bytes (from a Windows medium) on a UTF-8 system: opened by
// the bytes given, not by their lossy decoding.
TEST(ToolInfo, FilesNamedInAnotherEncodingAreOpened) {
  QTemporaryDir dir;
  const QByteArray base = QFile::encodeName(dir.path()) + '/';
  struct Row {
    QByteArray name;
    const char* id;
  };
  // "\x83_" and "\x84_" decode alike: neither can be told apart by its decoded text.
  const Row rows[] = {{"\x83\x5f.nrm", "00000031"}, {"\x82\xa0.msd", "00000032"}, {"\x83_x.nrm", "00000033"}};
  for (const Row& r : rows) {
    test::RecordBuilder b;
    b.Set(Field::PatientId, r.id);
    const QByteArray bytes = b.Bytes();
    const int fd = ::open((base + r.name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())), bytes.size());
    ::close(fd);
  }
  // The shell passes the names as bytes; QProcess would encode them as UTF-8.
  const QString names =
      QStringLiteral("set -- \"$@\" \"$(printf '%1/\\203_.nrm')\" \"$(printf '%1/\\202\\240.msd')\"").arg(dir.path());
  const ToolRun run = Tool({"info"}, 60, names);
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains("00000031")) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains("00000032")) << run.out.toStdString();
  const ToolRun render = Tool({"render", "-o", dir.filePath("v.png")}, 60,
                              QStringLiteral("set -- \"$@\" \"$(printf '%1/\\203_x.nrm')\"").arg(dir.path()));
  EXPECT_EQ(render.exitCode, 0) << render.err.toStdString();
  EXPECT_TRUE(QImage(dir.filePath("v.png")).size() == QSize(1040, 760));
  // Export lists a directory by its names' bytes; import and export take a
  // name by the bytes given, as info does.
  const ToolRun listed = Tool({"export", dir.path(), "--to", "csv", "-o", dir.filePath("csv")});
  EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
  EXPECT_TRUE(listed.out.contains("exported 3 of 3")) << listed.out.toStdString();
  EXPECT_EQ(QDir(dir.filePath("csv")).entryList(QDir::Files).size(), 3);
  const QString secondName = QStringLiteral("set -- \"$@\" \"$(printf '%1/\\202\\240.msd')\"").arg(dir.path());
  const ToolRun exported = Tool({"export", "--to", "edf", "-o", dir.filePath("edf")}, 60, secondName);
  EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
  const ToolRun imported = Tool({"import", "-o", dir.filePath("edf/back.nrm")}, 60, secondName);
  EXPECT_EQ(imported.exitCode, 0) << imported.err.toStdString();
  RecordImage back;
  EXPECT_FALSE(ReadRecordFile(dir.filePath("edf/back.nrm"), back));
  EXPECT_EQ(HeaderFromRecord(back).id, QStringLiteral("00000032"));
  // Two byte names that decode alike in one call: the tool cannot tell which
  // was meant, and says so by failing, rather than showing the wrong patient.
  const ToolRun both =
      Tool({"info"}, 60,
           QStringLiteral("set -- \"$@\" \"$(printf '%1/\\203_.nrm')\" \"$(printf '%1/\\204_.nrm')\"").arg(dir.path()));
  EXPECT_NE(both.exitCode, 0);
  EXPECT_FALSE(both.out.contains("00000031")) << both.out.toStdString();
}

TEST(ToolInfo, AFifoIsRefusedAtOnce) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath("x.nrm");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const ToolRun run = Tool({"info", fifo, test::SourcePath("samples/A0001.nrm")}, 10);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("x.nrm: is a FIFO")) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains("A0001.nrm")) << "the other file is still reported";
}
#endif

}  // namespace
}  // namespace corvale

namespace corvale {
namespace {

// The text a PDF carries, through poppler's pdftotext; empty when it is not installed.
QString PdfText(const QString& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(ToolRender, LeadNamesAreOnUnlessTurnedOff) {
  QTemporaryDir dir;
  const QString sample = test::SourcePath("samples/A0001.nrm");
  ASSERT_EQ(Tool({"render", sample, "-o", dir.filePath("on.png")}).exitCode, 0);
  ASSERT_EQ(Tool({"render", sample, "-o", dir.filePath("off.png"), "--no-lead-names"}).exitCode, 0);
  RecordImage image;
  ASSERT_FALSE(ReadRecordFile(sample, image));
  auto leads = std::make_unique<LeadArrays>();
  DeriveLeadArrays(image, *leads);
  DisplayState state;
  state.LeadNames = false;
  Image grid(1040, 760), stripGrid(1040, 100), trace(1040, 760), strip(1040, 100);
  RenderGrid(state, *leads, grid, stripGrid);
  RenderTraces(state, *leads, grid, stripGrid, trace, strip);
  EXPECT_EQ(QImage(dir.filePath("off.png")).convertToFormat(QImage::Format_RGB32), trace.Qt());
  EXPECT_NE(QImage(dir.filePath("on.png")).convertToFormat(QImage::Format_RGB32), trace.Qt());
}

// The page is the printed page wherever it is made: print, and export --to pdf
// (which once left the margin empty).
TEST(ToolPrint, TheMarginIdentifiesTheRecordUnlessTurnedOff) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
    CORVALE_MISSING("pdftotext (Debian poppler-utils)");
  QTemporaryDir dir;
  const QString sample = test::SourcePath("samples/A0005.nrm");  // ID 00424
  struct Case {
    QStringList options;
    bool id, scale;
    bool batch = false;  // export --to pdf, else print
  };
  const QStringList filtered{"--filter", "baseline,mains=50,muscle=40"};
  const Case cases[] = {{{}, true, true},
                        {{"--delete-id"}, false, true},
                        {{"--no-annotations"}, false, false},
                        {{"--no-annotations", "--no-lead-names"}, false, false},
                        {filtered, true, true},
                        {filtered + QStringList{"--no-annotations"}, false, false},
                        {{}, true, true, true},
                        {{"--anonymise"}, false, true, true},
                        {filtered, true, true, true}};
  for (const Case& c : cases) {
    const QString pdf = dir.filePath(c.batch ? "A0005.pdf" : "page.pdf");
    const ToolRun r = c.batch
                          ? Tool(QStringList{"export", sample, "--to", "pdf", "-o", dir.path(), "--force"} + c.options)
                          : Tool(QStringList{"print", sample, "-o", pdf, "--dpi", "150"} + c.options);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString text = PdfText(pdf);
    const QString options = c.options.join(' ');
    EXPECT_EQ(text.contains(QLatin1String("00424")), c.id) << options.toStdString();
    EXPECT_EQ(text.contains(QLatin1String("25 mm/s")), c.scale) << options.toStdString();
    EXPECT_EQ(text.contains(QLatin1String("A0005.nrm")), c.scale) << options.toStdString();
    // A filtered page names its response and filters; an unfiltered one is as it always was.
    const bool named = c.scale && c.options.contains(QLatin1String("--filter"));
    EXPECT_EQ(text.contains(QStringLiteral("0.67\u201340 Hz, 50 Hz notch")), named) << options.toStdString();
    EXPECT_EQ(text.contains(QLatin1String("Filters: baseline 0.67 Hz, mains 50 Hz, muscle 40 Hz")), named)
        << options.toStdString();
    EXPECT_EQ(text.contains(QLatin1String("Hz")), named) << options.toStdString();
  }
}

TEST(ToolRender, FiltersAsTheScreenShowsThem) {
  QTemporaryDir dir;
  const QString sample = test::SourcePath("samples/A0003.nrm");
  const ToolRun r = Tool({"render", sample, "-o", dir.filePath("t.png"), "--strip", dir.filePath("s.png"), "--filter",
                          "muscle=25,baseline,mains=60", "--span", "10"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  RecordImage image;
  ASSERT_FALSE(ReadRecordFile(sample, image));
  DisplayState state;
  state.DisplaySpan = 2;
  const QImage trace = QImage(dir.filePath("t.png")).convertToFormat(QImage::Format_RGB32);
  const QImage strip = QImage(dir.filePath("s.png")).convertToFormat(QImage::Format_RGB32);
  auto leads = std::make_unique<LeadArrays>();
  Image grid(1040, 760), stripGrid(1040, 100), drawnTrace(1040, 760), drawnStrip(1040, 100);
  for (const FilterSettings& filters :
       {FilterSettings{BaselineFilter::HighPass067, MainsFilter::Notch60, MuscleFilter::LowPass25}, FilterSettings{}}) {
    DeriveFilteredLeadArrays(image, filters, *leads);
    RenderGrid(state, *leads, grid, stripGrid);
    RenderTraces(state, *leads, grid, stripGrid, drawnTrace, drawnStrip);
    EXPECT_EQ(trace == drawnTrace.Qt(), filters.Any());
    EXPECT_EQ(strip == drawnStrip.Qt(), filters.Any());
  }
}

// The diagnostic low-frequency check through an export: a record of 3 mV for
// 100 ms at 2 s, exported as CSV with the 0.05 Hz baseline filter, moves at
// most 0.1 mV from its baseline afterwards, with at most 0.3 mV/s of slope.
TEST(ToolExport, LowFrequencyImpulseThroughCsv) {
  QTemporaryDir dir;
  constexpr int kBaseline = 120;  // units, an offset the filter must not mistake for the impulse
  const auto pulse = static_cast<std::int16_t>(std::lround(3000.0 / MicrovoltsPerUnit));
  test::RecordBuilder b;
  for (int l = 0; l < LeadCount; ++l)
    b.Lead(l, [pulse](int n) { return static_cast<std::int16_t>(kBaseline + (n >= 1000 && n < 1050 ? pulse : 0)); });
  b.Write(dir.filePath("impulse.nrm"));
  const ToolRun r =
      Tool({"export", dir.filePath("impulse.nrm"), "--to", "csv", "-o", dir.path(), "--filter", "baseline=0.05"});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  std::vector<double> mv;  // lead II, after the comment line and the column names
  for (const QByteArray& line : ReadAll(dir.filePath("impulse.csv")).split('\n').mid(2))
    if (!line.isEmpty()) mv.push_back(line.split(',').at(2).toDouble() / 1000.0);
  ASSERT_EQ(mv.size(), 5000u);
  const double before = mv[900];  // the baseline the trace returns to
  double offset = 0, slope = 0;
  constexpr std::size_t kStep = 25;  // slope over 50 ms
  for (std::size_t n = 1050; n < mv.size(); ++n) {
    offset = std::max(offset, std::fabs(mv[n] - before));
    if (n + kStep < mv.size()) slope = std::max(slope, std::fabs(mv[n + kStep] - mv[n]) * 500.0 / kStep);
  }
  EXPECT_LE(offset, 0.1);
  EXPECT_LE(slope, 0.3);
  EXPECT_GT(mv[1025] - before, 2.9) << "the impulse itself passes";
  EXPECT_EQ(ReadAll(dir.filePath("impulse.nrm")), b.Bytes()) << "the record file is never changed";
}

// Each data format holds the filtered samples, which its reader reads back,
// and says where it can that they were filtered; without --filter it holds
// the record's own samples and says nothing.
TEST(ToolExport, FilteredDataSaySo) {
  QTemporaryDir dir;
  const QString sample = test::SourcePath("samples/A0001.nrm");
  RecordImage raw, filtered;
  ASSERT_FALSE(ReadRecordFile(sample, raw));
  FilterRecordImage(raw, {BaselineFilter::HighPass067, MainsFilter::Notch50, MuscleFilter::LowPass40}, filtered);
  struct Row {
    const char* format;
    const char* file;
    QByteArray mark;
  };
  const Row rows[] = {
      {"edf", "A0001.edf", "HP:0.67Hz LP:40Hz N:50Hz"},
      {"wfdb", "A0001.hea",
       "# Filtered: baseline=0.67,mains=50,muscle=40 (0.67\xe2\x80\x93"
       "40 Hz, 50 Hz notch)"},
      {"dicom", "A0001.dcm",
       QByteArray("\x3a\x00\x20\x02"
                  "DS",
                  6)},  // (003A,0220) Filter Low Frequency
      {"csv", "A0001.csv", "# filtered: baseline=0.67,mains=50,muscle=40"},
  };
  for (const Row& row : rows) {
    for (bool filter : {false, true}) {
      const QString out = dir.filePath(QStringLiteral("%1-%2").arg(row.format).arg(filter));
      QStringList args{"export", sample, "--to", row.format, "-o", out};
      if (filter)
        args << "--filter"
             << "baseline,mains=50,muscle=40";
      const ToolRun r = Tool(args);
      ASSERT_EQ(r.exitCode, 0) << row.format << r.err.toStdString();
      const QString file = out + "/" + row.file;
      EXPECT_EQ(ReadAll(file).contains(row.mark), filter) << row.format;
      auto back = formats::ReadAnyRecord(file);
      ASSERT_TRUE(std::holds_alternative<formats::OpenedRecord>(back)) << row.format;
      const RecordImage& want = filter ? filtered : raw;
      const RecordImage& got = *std::get<formats::OpenedRecord>(back).image;
      int differing = 0;
      for (int lead = 0; lead < LeadCount; ++lead)
        for (int n = 0; n < SamplesPerLead; ++n) differing += got.Sample(lead, n) != want.Sample(lead, n);
      EXPECT_EQ(differing, 0) << row.format << (filter ? " filtered" : " raw");
    }
  }
}

}  // namespace
}  // namespace corvale
