#include <gtest/gtest.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QMap>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <QImage>

#include "display/Render.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

struct ToolRun {
  int exitCode;
  QByteArray out, err;
};

ToolRun Tool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(CORVALE_TOOL_PATH), args);
  if (!p.waitForFinished(60000)) ADD_FAILURE() << "corvale-tool did not finish";
  return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
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
  ToolRun r = Tool({"import", test::EcgDataPath("ptb-xl/00079_hr"), "-o", out, "--name", "見本　太郎", "--sex", "M",
                "--age", "47"});
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
}

TEST(ToolRender, SameImagesAsTheScreen) {
  QTemporaryDir dir;
  const QString sample = test::SourcePath("samples/A0005.nrm");
  const ToolRun r = Tool({"render", sample, "-o", dir.filePath("t.png"), "--strip", dir.filePath("s.png"), "--gain",
                          "aVR=4", "--gain", "ii=2", "--scheme", "3", "--span", "5", "--offset", "1200", "--limb-mode", "2"});
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

TEST(ToolPrint, PageAndGeometry) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath("page.pdf");
  const ToolRun r = Tool({"print", test::SourcePath("samples/A0002.nrm"), "-o", pdf, "--paper", "Letter", "--dpi", "300",
                          "--margin", "100", "--pen", "A", "--grid", "A", "--span", "10"});
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
  for (const QStringList& bad : {QStringList{"--gain", "aVR=3"}, {"--gain", "V7=2"}, {"--scheme", "4"},
                                 {"--span", "7"}, {"--offset", "2500"}, {"--limb-mode", "0"}}) {
    const ToolRun r = Tool(QStringList{"render", sample, "-o", dir.filePath("t.png")} + bad);
    EXPECT_EQ(r.exitCode, 2) << bad.join(' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("t.png")));
  }
}

}  // namespace
}  // namespace corvale
