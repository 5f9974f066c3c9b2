// corvale-tool measure and import --measure, run as a user runs them, and the
// rows' formatting: rounding, absent values, quoting.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "measure/Measure.h"
#include "record/HeaderPresentation.h"
#include "record/RecordFile.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

struct ToolRun {
  int exitCode;
  QByteArray out, err;
};

ToolRun Tool(const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(QStringLiteral(CORVALE_TOOL_PATH), args);
  p.write(input);
  p.closeWriteChannel();
  if (!p.waitForFinished(120000)) {
    p.kill();
    p.waitForFinished();
    ADD_FAILURE() << "corvale-tool did not finish: " << args.join(' ').toStdString();
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
          p.readAllStandardError()};
}

QString Sample(const char* name) { return test::SourcePath(QStringLiteral("samples/") + QLatin1String(name)); }

const QStringList kKeys = {"file",   "hr_bpm", "rr_ms",   "p_ms",       "pr_ms",        "qrs_ms",
                           "qt_ms",  "qtc_ms", "qtcf_ms", "p_axis_deg", "qrs_axis_deg", "t_axis_deg",
                           "sv1_mv", "rv5_mv", "rv6_mv",  "beats"};

TEST(Measure, RowsFormatAsDocumented) {
  Measurements m;
  m.hrBpm = 72.5;
  m.rrMs = 827.4;
  m.qrsAxisDeg = -0.5;
  m.sv1Mv = 1.005;
  m.rv6Mv = 2.0;
  m.beats = {12, 4990};
  const measure::Row row{QStringLiteral("dir, \"x\"/a.nrm"), m};
  struct Case {
    measure::Format format;
    QString header, line;
  };
  const Case cases[] = {
      {measure::Format::Json, QString(),
       QStringLiteral("{\"file\":\"dir, \\\"x\\\"/a.nrm\",\"hr_bpm\":73,\"rr_ms\":827,\"p_ms\":null,\"pr_ms\":null,"
                      "\"qrs_ms\":null,\"qt_ms\":null,\"qtc_ms\":null,\"qtcf_ms\":null,\"p_axis_deg\":null,"
                      "\"qrs_axis_deg\":-1,\"t_axis_deg\":null,\"sv1_mv\":1.00,\"rv5_mv\":null,\"rv6_mv\":2.00,"
                      "\"beats\":[12,4990]}\n")},
      {measure::Format::Csv,
       QStringLiteral("file,hr_bpm,rr_ms,p_ms,pr_ms,qrs_ms,qt_ms,qtc_ms,qtcf_ms,p_axis_deg,qrs_axis_deg,t_axis_deg,"
                      "sv1_mv,rv5_mv,rv6_mv,beats\n"),
       QStringLiteral("\"dir, \"\"x\"\"/a.nrm\",73,827,,,,,,,,-1,,1.00,,2.00,12 4990\n")},
      {measure::Format::Text,
       QStringLiteral(
           "  HR    RR    P   PR  QRS   QT  QTc  QTcF   Pax  QRSax   Tax    SV1    RV5    RV6 beats  file\n"),
       QStringLiteral("  73   827    -    -    -    -    -     -     -     -1     -   1.00      -   2.00     2  "
                      "dir, \"x\"/a.nrm\n")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(measure::HeaderLine(c.format), c.header);
    EXPECT_EQ(measure::RowLine(row, c.format), c.line);
  }
  // A file name's control characters cannot break a JSON line.
  EXPECT_EQ(measure::RowLine({QStringLiteral("a\nb"), {}}, measure::Format::Json).count(u'\n'), 1);
}

TEST(Measure, OneJsonLinePerRecordInOrderAndErrorsOnStandardError) {
  QTemporaryDir dir;
  const QString missing = dir.filePath("missing.nrm");
  const QStringList files = {Sample("A0003.nrm"), Sample("B0001.msd"), missing, Sample("A0001.nrm")};
  const ToolRun run = Tool(QStringList{"measure", "--format", "json", "-j", "2"} + files);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains("missing.nrm")) << run.err.toStdString();
  EXPECT_EQ(run.err.count('\n'), 1);
  const QList<QByteArray> lines = run.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
  const QStringList expectedFiles = {files[0], files[1], files[3]};
  int measuredHr = 0;
  for (int i = 0; i < 3; ++i) {
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(lines[i], &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << lines[i].toStdString();
    QStringList keys = o.keys();
    QStringList want = kKeys;
    keys.sort();
    want.sort();
    EXPECT_EQ(keys, want);
    EXPECT_EQ(o["file"].toString(), expectedFiles[i]);
    for (const QJsonValue b : o["beats"].toArray()) EXPECT_TRUE(b.toInt() >= 0 && b.toInt() < 5000);
    if (o["hr_bpm"].isDouble()) {
      ++measuredHr;
      const double rr = o["rr_ms"].toDouble();
      EXPECT_NEAR(o["hr_bpm"].toDouble(), 60000.0 / rr, 1.0);
    }
  }
  EXPECT_GT(measuredHr, 0) << "no sample record measured";

  // The same rows from a list on standard input or in a file, and from the directory.
  const QByteArray list = (files[0] + '\n' + files[1] + "\r\n\n" + files[3] + '\n').toUtf8();
  EXPECT_EQ(Tool({"measure", "--format", "json", "--files-from", "-"}, list).out, lines.join('\n') + '\n');
  QFile listFile(dir.filePath("list.txt"));
  ASSERT_TRUE(listFile.open(QIODevice::WriteOnly) && listFile.write(list) == list.size());
  listFile.close();
  const ToolRun fromFile = Tool({"measure", "--format", "json", "-j", "1", "--files-from", listFile.fileName()});
  EXPECT_EQ(fromFile.exitCode, 0) << fromFile.err.toStdString();
  EXPECT_EQ(fromFile.out, lines.join('\n') + '\n');
  const ToolRun csv = Tool({"measure", "--format", "csv", test::SourcePath("samples")});
  EXPECT_EQ(csv.exitCode, 0);
  EXPECT_EQ(csv.out.count('\n'), 1 + 11);  // the header and the eleven samples
}

TEST(Measure, UsageErrors) {
  struct Row {
    QStringList args;
    const char* message;
  };
  const Row rows[] = {
      {{"measure"}, "measure needs FILE|DIR... or --files-from"},
      {{"measure", "x", "--format", "xml"}, "--format takes text, csv or json (got xml)"},
      {{"measure", "x", "-j", "0"}, "-j takes 1 to 64 (got 0)"},
      {{"measure", "x", "--bogus"}, "unknown option --bogus"},
  };
  for (const Row& r : rows) {
    const ToolRun run = Tool(r.args);
    EXPECT_EQ(run.exitCode, 2) << r.message;
    EXPECT_TRUE(run.err.startsWith(r.message)) << run.err.toStdString();
  }
}

TEST(ImportMeasure, FillsTheBlankFieldsOnly) {
  QTemporaryDir dir;
  test::RecordBuilder b;
  const QByteArray sample = [] {
    QFile f(Sample("A0001.nrm"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  ASSERT_EQ(sample.size(), static_cast<qsizetype>(RecordFileSize));
  b.SetBytes(0, sample);
  b.Set(Field::QtInterval, "0399");
  b.Write(dir.filePath("in.nrm"));
  const ToolRun json = Tool({"measure", "--format", "json", dir.filePath("in.nrm")});
  const QJsonObject measured = QJsonDocument::fromJson(json.out).object();
  ASSERT_TRUE(measured["hr_bpm"].isDouble()) << json.out.toStdString();

  ASSERT_EQ(Tool({"import", dir.filePath("in.nrm"), "-o", dir.filePath("plain.nrm")}).exitCode, 0);
  const ToolRun run = Tool({"import", dir.filePath("in.nrm"), "-o", dir.filePath("out.nrm"), "--measure"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  auto plain = std::make_unique<RecordImage>(), out = std::make_unique<RecordImage>();
  ASSERT_FALSE(ReadRecordFile(dir.filePath("plain.nrm"), *plain));
  ASSERT_FALSE(ReadRecordFile(dir.filePath("out.nrm"), *out));
  EXPECT_EQ(FieldText(*plain, Field::HeartRate), QStringLiteral("    "));  // as today without --measure
  // Whole numbers as the record keeps them (zero-padded), the recorded QT kept.
  EXPECT_EQ(FieldText(*out, Field::HeartRate),
            QStringLiteral("%1").arg(measured["hr_bpm"].toInt(), 4, 10, QLatin1Char('0')));
  EXPECT_EQ(FieldText(*out, Field::QtInterval), QStringLiteral("0399"));
  if (measured["qrs_axis_deg"].isDouble()) {
    EXPECT_EQ(FieldText(*out, Field::QrsAxis).trimmed().toInt(), measured["qrs_axis_deg"].toInt());
  }
  // The waveform itself is the input's.
  for (int lead = 0; lead < LeadCount; ++lead)
    for (int n : {0, 2500, 4999}) ASSERT_EQ(out->Sample(lead, n), plain->Sample(lead, n));
}

}  // namespace
}  // namespace corvale
