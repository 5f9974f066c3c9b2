// corvale-tool info: the header fields, label texts and lead statistics of records.
#include <QJsonArray>
#include <QJsonDocument>

#include "cli/Cli.h"
#include "info/Info.h"
#include "record/LeadArrays.h"

namespace corvale::cli {
namespace {

int Info(const QStringList& args) {
  bool json = false;
  QStringList files;
  for (const QString& a : args) {
    if (IsHelp(a)) return Help(InfoCommand);
    if (a == u"--json") json = true;
    else if (a.startsWith(u"--")) return Usage(InfoCommand, QStringLiteral("unknown option %1").arg(a));
    else files << a;
  }
  if (files.isEmpty()) return Usage(InfoCommand, QStringLiteral("info needs at least one file"));
  int status = 0;
  QJsonArray reports;
  auto arrays = std::make_unique<LeadArrays>();
  for (const QString& file : files) {
    const std::unique_ptr<RecordImage> image = LoadRecord(file);
    if (!image) {
      status = 1;
      continue;
    }
    DeriveLeadArrays(*image, *arrays);
    const QJsonObject info = RecordInfoJson(file, *image, *arrays);
    if (json) reports.append(info);
    else Out(RecordInfoText(info) + (files.size() > 1 ? QStringLiteral("\n") : QString()));
  }
  if (json) {
    const QJsonDocument doc = files.size() == 1
                                  ? (reports.isEmpty() ? QJsonDocument() : QJsonDocument(reports[0].toObject()))
                                  : QJsonDocument(reports);
    if (!doc.isNull()) Out(QString::fromUtf8(doc.toJson(QJsonDocument::Indented)));
  }
  return status;
}

}  // namespace

const Command InfoCommand{"info", "  corvale-tool info FILE... [--json]\n",
                          "info prints every header field, every label text the viewer would show and each\n"
                          "lead's range and zero share, as text or as JSON, for a record of any format\n"
                          "export reads; what the reader derived goes to standard error. Control characters\n"
                          "in a text are shown escaped (\\u001b), never passed to the terminal.\n",
                          Info};

}  // namespace corvale::cli
