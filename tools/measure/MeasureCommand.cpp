// corvale-tool measure: the automatic measurements of many records, one row each.
#include <QFile>
#include <QThread>
#include <cstdio>

#include "cli/Cli.h"
#include "export/Batch.h"
#include "measure/Measure.h"

namespace corvale::cli {
namespace {

int Measure(const QStringList& args) {
  QStringList names;
  QString formatName = QStringLiteral("text");
  std::optional<QString> listFile;
  int threads = QThread::idealThreadCount();
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (IsHelp(a)) return Help(MeasureCommand);
    bool taken = false;
    if (const auto problem = TakeThreadsOption(args, i, threads, taken)) return Usage(MeasureCommand, *problem);
    if (taken) continue;
    if (a == u"--format" || a == u"--files-from") {
      if (i + 1 >= args.size()) return Usage(MeasureCommand, QStringLiteral("%1 needs a value").arg(a));
      if (a == u"--format") formatName = args[++i];
      else listFile = args[++i];
    } else if (a.startsWith(u'-') && a.size() > 1) {
      return Usage(MeasureCommand, QStringLiteral("unknown option %1").arg(a));
    } else {
      names << a;
    }
  }
  const auto format = measure::ParseFormat(formatName);
  if (!format)
    return Usage(MeasureCommand, QStringLiteral("--format takes text, csv or json (got %1)").arg(formatName));
  if (listFile) {
    QFile list(*listFile);
    const bool opened = *listFile == u"-" ? list.open(stdin, QIODevice::ReadOnly) : list.open(QIODevice::ReadOnly);
    if (!opened) {
      Err(QStringLiteral("%1: %2").arg(*listFile, list.errorString()));
      return 1;
    }
    names << measure::ReadPathList(list);
  }
  if (names.isEmpty()) return Usage(MeasureCommand, QStringLiteral("measure needs FILE|DIR... or --files-from"));

  const std::vector<batch::Input> inputs = batch::ExpandInputs(names);
  batch::KeepMemoryBetweenRecords();
  Out(measure::HeaderLine(*format));
  const int failed = measure::MeasureAll(
      inputs, threads, [&](const measure::Row& row) { Out(measure::RowLine(row, *format)); },
      [](const FileError& error) { Err(error.Describe()); });
  std::fflush(stdout);
  return failed ? 1 : 0;
}

}  // namespace

const Command MeasureCommand{
    "measure", "  corvale-tool measure FILE|DIR... [--format text|csv|json] [-j N] [--files-from LIST|-]\n",
    "measure reads every record given (the files export reads; a directory stands for the\n"
    "readable files in it; --files-from adds the paths listed in LIST, one per line, or on\n"
    "standard input for -) and prints one row per record, in the order given, of what it\n"
    "measures from the waveform: HR (bpm) and RR from the mean RR, P duration, PR, QRS, QT,\n"
    "QTc (Bazett) and QTcF (Fridericia) in ms, the frontal P, QRS and T axes in degrees,\n"
    "SV1, RV5 and RV6 in mV, and the beats as sample indices at 500 Hz. Values are rounded\n"
    "to whole bpm, ms and degrees and to 0.01 mV; a value that cannot be measured is absent.\n"
    "--format text (a table, the default), csv (a header row, then the columns file, hr_bpm,\n"
    "rr_ms, p_ms, pr_ms, qrs_ms, qt_ms, qtc_ms, qtcf_ms, p_axis_deg, qrs_axis_deg, t_axis_deg,\n"
    "sv1_mv, rv5_mv, rv6_mv, beats) or json (one object per line with those keys, null for an\n"
    "absent value, beats as an array). It runs on all cores (-j 1 for one). A file that\n"
    "cannot be read is reported on standard error and the exit status is then 1; the others\n"
    "are still measured. Automatic measurements are an aid; a clinician confirms them.\n",
    Measure};

}  // namespace corvale::cli
