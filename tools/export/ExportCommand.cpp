// corvale-tool export: many records into one format, on every core.
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <mutex>

#include "cli/Cli.h"
#include "export/Batch.h"
#include "formats/Formats.h"
#include "info/Info.h"
#include "output/ExportService.h"
#include "record/NativePath.h"

namespace corvale::cli {
namespace {

int Export(const QStringList& args) {
  QStringList names;
  QString to, outDir;
  bool anonymise = false, force = false, strict = false;
  FilterSettings filters;
  int threads = QThread::idealThreadCount();
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (IsHelp(a)) return Help(ExportCommand);
    bool taken = false;
    if (const auto problem = TakeThreadsOption(args, i, threads, taken)) return Usage(ExportCommand, *problem);
    if (taken) continue;
    if (const auto problem = TakeFilterOption(args, i, filters, taken)) return Usage(ExportCommand, *problem);
    if (taken) continue;
    if (a == u"--to" || a == u"-o") {
      if (i + 1 >= args.size()) return Usage(ExportCommand, QStringLiteral("%1 needs a value").arg(a));
      const QString& v = args[++i];
      if (a == u"--to") to = v.toLower();
      else outDir = v;
    } else if (a == u"--anonymise" || a == u"--anonymize") {
      anonymise = true;
    } else if (a == u"--force") {
      force = true;
    } else if (a == u"--strict") {
      strict = true;
    } else if (a.startsWith(u'-') && a.size() > 1) {
      return Usage(ExportCommand, QStringLiteral("unknown option %1").arg(a));
    } else {
      names << a;
    }
  }
  if (names.isEmpty() || to.isEmpty() || outDir.isEmpty())
    return Usage(ExportCommand, QStringLiteral("export needs FILE|DIR..., --to FORMAT and -o OUTDIR"));
  const formats::FileFormat* target = formats::ExportFormatNamed(to);
  if (!target) {
    QStringList names = formats::ExportFormatNames();
    const QString last = names.takeLast();
    return Usage(ExportCommand, QStringLiteral("--to takes %1 or %2 (got %3)").arg(names.join(u", "), last, to));
  }
  const formats::FormatKind format = target->kind;
  const bool outDirExists = PathExists(outDir);
  if (outDirExists && !IsDirectory(outDir)) {
    Err(QStringLiteral("%1: is not a directory").arg(outDir));
    return 1;
  }
  if (outDirExists) SweepTemporaries(outDir);  // what an interrupted run left
  // Made when the first record is ready to be written: a batch that writes
  // nothing leaves no empty directory behind.
  std::once_flag madeDirectory;
  bool directoryMade = false;
  auto ensureDirectory = [&] {
    std::call_once(madeDirectory, [&] { directoryMade = IsDirectory(outDir) || QDir().mkpath(outDir); });
    return directoryMade;
  };

  auto nameFor = [&](const QString& input) { return formats::OutputFileName(input, format); };
  auto filesOf = [&](const QString& output) { return formats::OutputFiles(output, format); };
  const std::vector<batch::Job> jobs = batch::PlanJobs(batch::ExpandInputs(names), outDir, nameFor, filesOf);
  if (jobs.empty()) {
    Err(QStringLiteral("no readable files in %1").arg(names.join(QStringLiteral(", "))));
    return 1;
  }

  // What each reader made up or doubted, said with the job's line. Each job's
  // entry is written by its worker and read after the job is reported done.
  std::vector<QStringList> said(jobs.size());
  auto work = [&](const batch::Job& job) -> formats::Prepared {
    auto read = formats::ReadAnyRecord(job.input);
    if (auto* err = std::get_if<FileError>(&read)) return *err;
    const formats::OpenedRecord& record = std::get<formats::OpenedRecord>(read);
    if (strict && !record.warnings.isEmpty())
      return FileError{job.input, QStringLiteral("%1 (refused with --strict)").arg(record.warnings.join(u"; "))};
    QStringList& notes = said[static_cast<std::size_t>(&job - jobs.data())];
    notes = record.notes;
    for (const QString& warning : record.warnings) notes << QStringLiteral("warning: %1").arg(warning);
    if (!ensureDirectory()) return FileError{outDir, QStringLiteral("the directory cannot be created")};
    ExportOptions options;
    options.anonymise = anonymise;
    options.filters = filters;
    options.name = QFileInfo(job.input).fileName();
    options.policy.overwrite = force;
    options.policy.inputs = record.sourceFiles;
    return PrepareExport(*record.image, format, job.output, options);
  };

  // A bar that redraws itself on a terminal; one line per record otherwise.
  const bool terminal = ::isatty(STDERR_FILENO) == 1;
  QElapsedTimer sinceDraw;
  sinceDraw.start();
  const int total = static_cast<int>(jobs.size());
  auto notesOf = [&](const batch::Job& job) {
    QStringList lines;
    for (const QString& note : said[static_cast<std::size_t>(&job - jobs.data())])
      lines << QStringLiteral("%1: %2").arg(job.input, note);
    return lines;
  };
  auto report = [&](const batch::Job& job, const std::optional<FileError>& error, int done, int failed) {
    const int finished = done + failed;
    if (terminal) {
      if (error) std::fprintf(stderr, "\r\033[K%s\n", EscapeControls(error->Describe()).toUtf8().constData());
      for (const QString& note : notesOf(job))
        std::fprintf(stderr, "\r\033[K%s\n", EscapeControls(note).toUtf8().constData());
      if (error || finished == total || sinceDraw.elapsed() >= 100) {
        std::fprintf(stderr, "\r%s", batch::ProgressBar(finished, total, failed).toUtf8().constData());
        sinceDraw.restart();
      }
      if (finished == total) std::fputc('\n', stderr);
    } else if (error) {
      Err(error->Describe());
    } else {
      // Names are shown, never obeyed: a terminal sequence in one stays text.
      Out(QStringLiteral("%1 -> %2\n").arg(EscapeControls(job.input), EscapeControls(job.output)));
      for (const QString& note : notesOf(job)) Err(EscapeControls(note));
    }
  };
  batch::KeepMemoryBetweenRecords();
  const batch::Summary s = batch::RunJobs(jobs, threads, work, report);
  Out(QStringLiteral("exported %1 of %2 records as %3 to %4").arg(s.done).arg(total).arg(to, EscapeControls(outDir)) +
      (s.failed ? QStringLiteral("; %1 failed\n").arg(s.failed) : QStringLiteral("\n")));
  return s.failed ? 1 : 0;
}

}  // namespace

const Command ExportCommand{"export",
                            "  corvale-tool export FILE|DIR... --to wfdb|edf|dicom|csv|png|pdf -o OUTDIR\n"
                            "               [--anonymise] [-j N] [--force] [--strict]\n"
                            "               [--filter baseline[=0.67|0.05],mains=50|60,muscle=25|35|40]\n",
                            "export writes every record given (record files, WFDB headers, EDF/BDF and DICOM\n"
                            "files; a directory stands for the readable files in it) in one format into OUTDIR,\n"
                            "under its own base name: wfdb (.hea and .dat, format 16), edf (EDF+), dicom\n"
                            "(12-lead ECG waveform), csv (time and twelve leads in uV), png (the main view as\n"
                            "render draws it) or pdf (the printed page as print draws it). It runs on all cores\n"
                            "(-j 1 for one), shows a progress bar on a terminal, keeps existing files unless\n"
                            "--force is given, blanks the patient's name and ID with --anonymise, and ends with\n"
                            "a summary; the exit status is 1 when any record failed (the others are written).\n"
                            "What a reader derived (III, aVR, aVL and aVF of eight leads) or doubted (a WFDB\n"
                            "checksum) is said on stderr; --strict refuses a record with such a doubt.\n"
                            "Data are written as recorded unless --filter is given; filtered, each format says\n"
                            "so where it can (EDF+ prefiltering, DICOM channel filter frequencies, a comment in\n"
                            "the WFDB header, a first line \"# filtered: ...\" in CSV). Pictures show the\n"
                            "filtered signal, and a filtered page names the filters in its margin.\n",
                            Export};

}  // namespace corvale::cli
