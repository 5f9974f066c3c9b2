// corvale-tool import: a record of any readable format into a record file.
#include <map>

#include "analysis/MeasurementFields.h"
#include "cli/Cli.h"
#include "formats/Formats.h"

namespace corvale::cli {
namespace {

// The measured values as the file's own values would come: into the fields
// the record leaves blank, and left out where a value does not fit.
void FillBlankMeasurements(RecordImage& image) {
  const Measurements measured = MeasureRecord(image);
  const std::pair<const FieldLayout*, std::optional<QString> HeaderOptions::*> kFields[] = {
      {&Field::HeartRate, &HeaderOptions::heartRate},     {&Field::RrInterval, &HeaderOptions::rrInterval},
      {&Field::PrInterval, &HeaderOptions::prInterval},   {&Field::QrsDuration, &HeaderOptions::qrsDuration},
      {&Field::QrsAxis, &HeaderOptions::qrsAxis},         {&Field::QtInterval, &HeaderOptions::qtInterval},
      {&Field::QtcInterval, &HeaderOptions::qtcInterval}, {&Field::Sv1Amplitude, &HeaderOptions::sv1Amplitude},
      {&Field::RvAmplitude, &HeaderOptions::rvAmplitude}};
  const MeasurementRows rows = CombineMeasurements(image, measured);
  HeaderOptions values;
  for (const MeasurementValue& v : rows.values)
    if (v.source == ValueSource::Measured)
      for (const auto& [field, member] : kFields)
        if (field->offset == v.field.offset) values.*member = v.text;
  if (rows.lateralLeadMeasured) values.rvLead = QString(QLatin1Char(rows.lateralLead));
  (void)ApplyHeader(image, {}, values);  // a measured value that does not fit is left out, not refused
}

int Import(const QStringList& args) {
  QString source, out;
  bool strict = false;
  HeaderOptions options;
  bool measure = false;
  const std::map<QString, std::optional<QString> HeaderOptions::*> opts{
      {QStringLiteral("--id"), &HeaderOptions::id},
      {QStringLiteral("--name"), &HeaderOptions::name},
      {QStringLiteral("--sex"), &HeaderOptions::sex},
      {QStringLiteral("--age"), &HeaderOptions::age},
      {QStringLiteral("--age-unit"), &HeaderOptions::ageUnit},
      {QStringLiteral("--date"), &HeaderOptions::date},
      {QStringLiteral("--time"), &HeaderOptions::time},
      {QStringLiteral("--height"), &HeaderOptions::height},
      {QStringLiteral("--weight"), &HeaderOptions::weight},
      {QStringLiteral("--bp"), &HeaderOptions::bloodPressure}};
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (IsHelp(a)) return Help(ImportCommand);
    if (a == u"--measure") {
      measure = true;
      continue;
    }
    if (a == u"--strict") {
      strict = true;
      continue;
    }
    if (a == u"-o" || opts.count(a)) {
      if (i + 1 >= args.size()) return Usage(ImportCommand, QStringLiteral("%1 needs a value").arg(a));
      const QString& value = args[++i];
      if (a == u"-o") out = value;
      else options.*(opts.at(a)) = value;
    } else if (a == u"--rate") {
      double rate = 0;
      bool ok = false;
      if (i + 1 < args.size()) rate = args[++i].toDouble(&ok);
      if (!ok || SamplingRateProblem(rate))
        return Usage(ImportCommand, QStringLiteral("--rate takes the sampling rate in Hz, %1 to %2")
                                        .arg(MinSamplingFrequency)
                                        .arg(MaxSamplingFrequency));
      options.samplingRate = rate;
    } else if (a.startsWith(u'-')) {
      return Usage(ImportCommand, QStringLiteral("unknown option %1").arg(a));
    } else if (source.isEmpty()) {
      source = a;
    } else {
      return Usage(ImportCommand, QStringLiteral("import takes one record"));
    }
  }
  if (source.isEmpty() || out.isEmpty())
    return Usage(ImportCommand, QStringLiteral("import needs a RECORD and -o OUT"));
  if (options.ageUnit && !options.age)
    return Usage(ImportCommand, QStringLiteral("--age-unit %1 was given without --age").arg(*options.ageUnit));
  auto read = formats::ReadAnyRecord(source, options);
  if (auto* err = std::get_if<FileError>(&read)) {
    Err(err->Describe());
    return 1;
  }
  const formats::OpenedRecord& record = std::get<formats::OpenedRecord>(read);
  for (const QString& warning : record.warnings)
    Err(strict ? QStringLiteral("%1: %2").arg(source, warning)
               : QStringLiteral("%1: warning: %2").arg(source, warning));
  if (strict && !record.warnings.isEmpty()) return 1;
  if (measure) FillBlankMeasurements(*record.image);
  OutputPolicy policy;
  policy.inputs = record.sourceFiles;
  if (auto err = WriteFileSafely(out, RecordBytes(*record.image), policy)) {
    Err(err->Describe());
    return 1;
  }
  for (const QString& note : record.notes) Out(QStringLiteral("%1: %2\n").arg(source, note));
  return 0;
}

}  // namespace

const Command ImportCommand{
    "import",
    "  corvale-tool import RECORD -o OUT.nrm [--id ID] [--name NAME] [--sex M|F]\n"
    "               [--age N] [--age-unit y|m|d] [--date YYYY-MM-DD] [--time HH:MM:SS]\n"
    "               [--height CM] [--weight KG] [--bp TEXT] [--rate HZ] [--strict] [--measure]\n",
    "import reads a WFDB record (RECORD.hea or RECORD: format 16, 212, or the .mat form\n"
    "16+24), an EDF, EDF+ or BDF file, a DICOM 12-lead or general ECG, a CSV file (a\n"
    "header row naming the leads with their unit, I_uV or I_mV, in any order, comma or\n"
    "semicolon separated, with a time column time_s or time_ms or else --rate), or a record\n"
    "file (the format is found from the content and the name), takes the twelve standard\n"
    "leads by name, converts them to 4.88 uV units at 500 Hz and writes the first 10 s.\n"
    "With eight leads (I, II, V1-V6), III, aVR, aVL and aVF are derived and it says so.\n"
    "Unset header values come from the source (WFDB comments, the EDF+ header and\n"
    "annotations, the DICOM patient, study and measurements) or stay blank; with --measure,\n"
    "the measurement fields the source leaves blank get the values measured from the\n"
    "waveform (as corvale-tool measure gives them). SamplingInterval\n"
    "is written as 2 (ms), LsbSize as 488 (0.01 uV), StoredLeadCount 12, SampleCount 5000.\n"
    "The output is never one of the files read (by identity) and replaces an existing\n"
    "record only once it is completely written. A doubt about the source that does not\n"
    "stop the reading (a WFDB checksum that disagrees with the samples) is a warning;\n"
    "--strict refuses the source instead. A name with control characters is refused.\n",
    Import};

}  // namespace corvale::cli
