#include "cli/Cli.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <variant>

#include "display/ViewGeometry.h"
#include "formats/Formats.h"
#include "info/Info.h"
#include "record/NativePath.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "record/SafeOutput.h"

namespace corvale::cli {

void Out(const QString& s) { std::fputs(s.toUtf8().constData(), stdout); }
void Err(const QString& s) { std::fputs((EscapeControls(s, u"\n\t") + u'\n').toUtf8().constData(), stderr); }

void PrepareProcess() {
  // The tool reports through Err; Qt's debug, info and warning notes are not
  // for its user. Critical and fatal messages still reach standard error.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg) return;
    std::fputs((EscapeControls(message, u"\n\t") + u'\n').toUtf8().constData(), stderr);
  });
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the size limit then fails with EFBIG
#endif
  RemoveTemporariesWhenInterrupted();  // before any thread exists, so every thread leaves the signals to it
}

int Usage(const Command& command, const QString& problem) {
  if (!problem.isEmpty()) Err(problem);
  std::fputs("usage:\n", stderr);
  std::fputs(command.usage, stderr);
  return 2;
}

bool IsHelp(const QString& arg) { return arg == u"--help" || arg == u"-h"; }

int Help(const Command& command) {
  std::fputs("usage:\n", stdout);
  std::fputs(command.usage, stdout);
  std::fputs("\n", stdout);
  std::fputs(command.about, stdout);
  return 0;
}

namespace {

std::filesystem::path FileSystemPath(const QString& path) { return {NativePath(path).toStdString()}; }

// Where a name leads: the file itself when it exists (links followed), else
// its resolved directory and the name.
QString Resolved(const QString& path) {
  const QFileInfo info(path);
  if (info.exists()) return info.canonicalFilePath();
  const QString directory = info.absoluteDir().canonicalPath();
  return directory.isEmpty() ? info.absoluteFilePath() : QDir(directory).filePath(info.fileName());
}

}  // namespace

bool SameFile(const QString& a, const QString& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(FileSystemPath(a), FileSystemPath(b), ec)) return true;
  return Resolved(a) == Resolved(b);
}

bool CheckOutputs(const QStringList& outputs, const QStringList& inputs) {
  for (qsizetype i = 0; i < outputs.size(); ++i) {
    for (const QString& input : inputs)
      if (SameFile(outputs[i], input)) {
        Err(QStringLiteral("%1: is the input file %2; the output would destroy it").arg(outputs[i], input));
        return false;
      }
    for (qsizetype j = 0; j < i; ++j)
      if (SameFile(outputs[i], outputs[j])) {
        Err(QStringLiteral("%1: is also the output %2; name two different files").arg(outputs[i], outputs[j]));
        return false;
      }
    OutputPolicy policy;
    policy.inputs = inputs;
    if (auto error = CheckOutputPath(outputs[i], policy)) {
      Err(error->Describe());
      return false;
    }
  }
  return true;
}

bool WriteOutputs(const std::vector<Output>& outputs, const QStringList& inputs) {
  QStringList paths;
  for (const Output& o : outputs) paths << o.path;
  if (!CheckOutputs(paths, inputs)) return false;
  OutputPolicy policy;
  policy.inputs = inputs;
  std::vector<PendingOutput> pending;
  for (const Output& o : outputs) {
    auto begun = PendingOutput::Begin(o.path, policy);
    if (auto* error = std::get_if<FileError>(&begun)) {
      Err(error->Describe());
      return false;  // the temporaries begun so far are removed with `pending`
    }
    pending.push_back(std::move(std::get<PendingOutput>(begun)));
    if (auto error = pending.back().Write(o.bytes)) {
      Err(error->Describe());
      return false;
    }
  }
  for (std::size_t i = 0; i < outputs.size(); ++i)
    if (auto error = pending[i].Commit(outputs[i].bytes.size())) {
      Err(error->Describe());
      return false;
    }
  return true;
}

std::optional<QString> TakeThreadsOption(const QStringList& args, int& i, int& threads, bool& taken) {
  const QString& a = args[i];
  taken = a == u"-j" || (a.startsWith(u"-j") && a.size() > 2);
  if (!taken) return std::nullopt;
  if (a == u"-j" && i + 1 >= args.size()) return QStringLiteral("-j needs a value");
  const QString value = a == u"-j" ? args[++i] : a.mid(2);
  if (!ParseIntIn(value, 1, MaxThreads, threads))
    return QStringLiteral("-j takes 1 to %1 (got %2)").arg(MaxThreads).arg(value);
  return std::nullopt;
}

bool ParseIntIn(const QString& text, int lo, int hi, int& value) {
  bool ok = false;
  const int v = text.toInt(&ok);
  if (!ok || v < lo || v > hi) return false;
  value = v;
  return true;
}

QByteArray NativePath(const QString& arg) { return corvale::NativePath(arg); }

std::unique_ptr<RecordImage> LoadRecord(const QString& file) {
  auto read = formats::ReadAnyRecord(file);
  if (auto* err = std::get_if<FileError>(&read)) {
    Err(err->Describe());
    return nullptr;
  }
  formats::OpenedRecord& opened = std::get<formats::OpenedRecord>(read);
  for (const QString& note : opened.notes) Err(QStringLiteral("%1: %2").arg(file, note));
  for (const QString& warning : opened.warnings) Err(QStringLiteral("%1: warning: %2").arg(file, warning));
  return std::move(opened.image);
}

std::unique_ptr<LeadArrays> LoadLeads(const QString& file, RecordImage* record) {
  const std::unique_ptr<RecordImage> image = LoadRecord(file);
  if (!image) return nullptr;
  auto leads = std::make_unique<LeadArrays>();
  DeriveLeadArrays(*image, *leads);
  if (record) *record = *image;
  return leads;
}

std::optional<QString> TakeFilterOption(const QStringList& args, int& i, FilterSettings& filters, bool& taken) {
  taken = args[i] == u"--filter";
  if (!taken) return std::nullopt;
  if (i + 1 >= args.size()) return QStringLiteral("--filter needs a list such as baseline,mains=50,muscle=40");
  const FilterParse parsed = ParseFilterSettings(args[++i]);
  if (!parsed.Ok()) return QStringLiteral("--filter: %1").arg(parsed.problem);
  filters = parsed.settings;
  return std::nullopt;
}

std::optional<QString> TakeDisplayOption(const QStringList& args, int& i, DisplayState& state, bool& taken) {
  taken = true;
  const QString& a = args[i];
  if (a == u"--no-lead-names") {
    state.LeadNames = false;
    return std::nullopt;
  }
  auto value = [&]() -> std::optional<QString> {
    if (i + 1 >= args.size()) return std::nullopt;
    return args[++i];
  };
  if (a == u"--gain" || a == u"--scheme" || a == u"--span" || a == u"--offset" || a == u"--limb-mode") {
    const auto v = value();
    if (!v) return QStringLiteral("%1 needs a value").arg(a);
    if (a == u"--gain") {
      const QString lead = v->section(u'=', 0, 0);
      int gain = 0;
      int index = -1;
      for (int l = 0; l < LeadCount; ++l)
        if (lead.compare(QLatin1String(LeadNames[static_cast<std::size_t>(l)].data()), Qt::CaseInsensitive) == 0)
          index = l;
      if (index < 0 || !ParseIntIn(v->section(u'=', 1), 1, 4, gain) || gain == 3)
        return QStringLiteral("--gain takes LEAD=1, LEAD=2 or LEAD=4 with a lead name such as aVR (got %1)").arg(*v);
      state.LeadGain[static_cast<std::size_t>(index)] = gain;
    } else if (a == u"--scheme") {
      int scheme = 0;
      if (!ParseIntIn(*v, 1, 3, scheme)) return QStringLiteral("--scheme takes 1, 2 or 3");
      state.Colors = SchemeColors(scheme);
    } else if (a == u"--span") {
      if (*v == u"5") state.DisplaySpan = 1;
      else if (*v == u"10") state.DisplaySpan = 2;
      else return QStringLiteral("--span takes 5 or 10");
    } else if (a == u"--offset") {
      if (!ParseIntIn(*v, 0, ViewGeometry::LastTimeOffset, state.TimeOffset))
        return QStringLiteral("--offset takes 0 to %1").arg(ViewGeometry::LastTimeOffset);
    } else if (!ParseIntIn(*v, 1, 3, state.LimbLeadMode)) {
      return QStringLiteral("--limb-mode takes 1, 2 or 3");
    }
    return std::nullopt;
  }
  taken = false;
  return std::nullopt;
}

}  // namespace corvale::cli
