// corvale-tool import: a WFDB record into a record file.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>

#include "cli/Cli.h"
#include "import/Import.h"

namespace corvale::cli {
namespace {

// The files an import reads: the header and every signal file it names, so
// that the output can be none of them.
QStringList ImportInputs(QString base) {
  if (base.endsWith(QLatin1String(".hea"))) base.chop(4);
  QStringList inputs{base + QStringLiteral(".hea")};
  QFile header(inputs.first());
  if (!header.open(QIODevice::ReadOnly)) return inputs;
  const auto parsed = wfdb::ParseHeader(header.read(1 << 20));
  if (const auto* h = std::get_if<wfdb::Header>(&parsed)) {
    const QDir dir = QFileInfo(inputs.first()).dir();
    for (const wfdb::SignalSpec& s : h->channels) inputs << dir.filePath(s.fileName);
  }
  return inputs;
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
    if (IsHelp(a)) return Help(ImportCommand);
    if (a == u"-o" || opts.count(a)) {
      if (i + 1 >= args.size()) return Usage(ImportCommand, QStringLiteral("%1 needs a value").arg(a));
      const QString value = args[++i];
      if (a == u"-o") out = value;
      else options.*(opts.at(a)) = value;
    } else if (a.startsWith(u'-')) {
      return Usage(ImportCommand, QStringLiteral("unknown option %1").arg(a));
    } else if (base.isEmpty()) {
      base = a;
    } else {
      return Usage(ImportCommand, QStringLiteral("import takes one record"));
    }
  }
  if (base.isEmpty() || out.isEmpty()) return Usage(ImportCommand, QStringLiteral("import needs RECORD_BASE and -o OUT"));
  auto built = ImportRecord(base, options);
  if (auto* err = std::get_if<QString>(&built)) {
    Err(*err);
    return 1;
  }
  if (auto err = WriteRecordFile(out, *std::get<std::unique_ptr<RecordImage>>(built), ImportInputs(base))) {
    Err(*err);
    return 1;
  }
  return 0;
}

}  // namespace

const Command ImportCommand{
    "import",
    "  corvale-tool import RECORD_BASE -o OUT.nrm [--id ID] [--name NAME] [--sex M|F]\n"
    "               [--age N] [--age-unit y|m|d] [--date YYYY-MM-DD] [--time HH:MM:SS]\n"
    "               [--height CM] [--weight KG] [--bp TEXT]\n",
    "import reads RECORD_BASE.hea and its signal files (format 16, 212, or the .mat form\n"
    "16+24), takes the twelve standard leads by name, converts them to 4.88 uV units at\n"
    "500 Hz and writes the first 10 s. Unset age and sex come from the header's comments;\n"
    "measurements stay blank. SamplingInterval is written as 2 (ms), LsbSize as 488\n"
    "(0.01 uV), StoredLeadCount 12, SampleCount 5000. The output is never one of the\n"
    "files read (the header or a signal file) and replaces an existing record only\n"
    "once it is completely written.\n",
    Import};

}  // namespace corvale::cli
