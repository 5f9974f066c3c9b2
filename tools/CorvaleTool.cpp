// corvale-tool: the viewer's core from the command line.
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>

#include "import/Import.h"
#include "info/Info.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"

namespace {

using namespace corvale;

void Out(const QString& s) { std::fputs(s.toUtf8().constData(), stdout); }
void Err(const QString& s) { std::fputs((s + u'\n').toUtf8().constData(), stderr); }

const char* kUsage =
    "usage:\n"
    "  corvale-tool info FILE... [--json]\n"
    "  corvale-tool import RECORD_BASE -o OUT.nrm [--id ID] [--name NAME] [--sex M|F]\n"
    "               [--age N] [--age-unit y|m|d] [--date YYYY-MM-DD] [--time HH:MM:SS]\n"
    "               [--height CM] [--weight KG] [--bp TEXT]\n"
    "\n"
    "import reads RECORD_BASE.hea and its signal files (format 16, 212, or the .mat form\n"
    "16+24), takes the twelve standard leads by name, converts them to 4.88 uV units at\n"
    "500 Hz and writes the first 10 s. Unset age and sex come from the header's comments;\n"
    "measurements stay blank. SamplingInterval is written as 2 (ms), LsbSize as 488\n"
    "(0.01 uV), StoredLeadCount 12, SampleCount 5000.\n";

int Usage(const QString& problem) {
  if (!problem.isEmpty()) Err(problem);
  std::fputs(kUsage, stderr);
  return 2;
}

int Info(const QStringList& args) {
  bool json = false;
  QStringList files;
  for (const QString& a : args) {
    if (a == u"--json") json = true;
    else if (a.startsWith(u"--")) return Usage(QStringLiteral("unknown option %1").arg(a));
    else files << a;
  }
  if (files.isEmpty()) return Usage(QStringLiteral("info needs at least one file"));
  int status = 0;
  QJsonArray reports;
  auto image = std::make_unique<RecordImage>();
  auto arrays = std::make_unique<LeadArrays>();
  for (const QString& file : files) {
    if (auto err = ReadRecordFile(file, *image)) {
      Err(err->Describe());
      status = 1;
      continue;
    }
    DeriveLeadArrays(*image, *arrays);
    const QJsonObject info = RecordInfoJson(file, *image, *arrays);
    if (json) reports.append(info);
    else Out(RecordInfoText(info) + (files.size() > 1 ? QStringLiteral("\n") : QString()));
  }
  if (json) {
    const QJsonDocument doc = files.size() == 1 ? (reports.isEmpty() ? QJsonDocument() : QJsonDocument(reports[0].toObject()))
                                                : QJsonDocument(reports);
    if (!doc.isNull()) Out(QString::fromUtf8(doc.toJson(QJsonDocument::Indented)));
  }
  return status;
}

int Import(const QStringList& args) {
  QString base, out;
  HeaderOptions options;
  const std::map<QString, std::optional<QString> HeaderOptions::*> opts{
      {QStringLiteral("--id"), &HeaderOptions::id},         {QStringLiteral("--name"), &HeaderOptions::name},
      {QStringLiteral("--sex"), &HeaderOptions::sex},       {QStringLiteral("--age"), &HeaderOptions::age},
      {QStringLiteral("--age-unit"), &HeaderOptions::ageUnit}, {QStringLiteral("--date"), &HeaderOptions::date},
      {QStringLiteral("--time"), &HeaderOptions::time},     {QStringLiteral("--height"), &HeaderOptions::height},
      {QStringLiteral("--weight"), &HeaderOptions::weight}, {QStringLiteral("--bp"), &HeaderOptions::bloodPressure}};
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == u"-o" || opts.count(a)) {
      if (i + 1 >= args.size()) return Usage(QStringLiteral("%1 needs a value").arg(a));
      const QString value = args[++i];
      if (a == u"-o") out = value;
      else options.*(opts.at(a)) = value;
    } else if (a.startsWith(u'-')) {
      return Usage(QStringLiteral("unknown option %1").arg(a));
    } else if (base.isEmpty()) {
      base = a;
    } else {
      return Usage(QStringLiteral("import takes one record"));
    }
  }
  if (base.isEmpty() || out.isEmpty()) return Usage(QStringLiteral("import needs RECORD_BASE and -o OUT"));
  auto built = ImportRecord(base, options);
  if (auto* err = std::get_if<QString>(&built)) {
    Err(*err);
    return 1;
  }
  if (auto err = WriteRecordFile(out, *std::get<std::unique_ptr<RecordImage>>(built))) {
    Err(*err);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  if (args.isEmpty()) return Usage({});
  const QString command = args.takeFirst();
  if (command == u"info") return Info(args);
  if (command == u"import") return Import(args);
  if (command == u"--help" || command == u"-h" || command == u"help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return Usage(QStringLiteral("unknown command %1").arg(command));
}
