#include "formats/CsvFormat.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

#include "formats/Conversion.h"
#include "formats/InputFile.h"

namespace corvale::formats {
namespace {

// Every sample value's text, made once: a batch writes 65,000 numbers per
// record, and a look-up and a copy are all each then costs.
struct SampleText {
  char text[11];  // "-159907.84" and room for one more, so copies are of a fixed size
  std::uint8_t length;
};

char* PutFixed(char* out, long long hundredths) {
  if (hundredths < 0) {
    *out++ = '-';
    hundredths = -hundredths;
  }
  char digits[24];
  int n = 0;
  long long whole = hundredths / 100;
  do {
    digits[n++] = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole);
  while (n) *out++ = digits[--n];
  *out++ = '.';
  *out++ = static_cast<char>('0' + hundredths / 10 % 10);
  *out++ = static_cast<char>('0' + hundredths % 10);
  return out;
}

const std::vector<SampleText>& SampleTexts() {
  static const std::vector<SampleText> table = [] {
    std::vector<SampleText> t(65536);
    for (std::size_t i = 0; i < t.size(); ++i) {
      const int v = static_cast<int>(i) - 32768;
      SampleText& e = t[i];
      std::fill(std::begin(e.text), std::end(e.text), '\0');
      e.length = static_cast<std::uint8_t>(
          PutFixed(e.text, static_cast<long long>(v) * SampleUnitHundredthsOfMicrovolt) - e.text);
    }
    return t;
  }();
  return table;
}

}  // namespace

QByteArray CsvText(const RecordImage& image) {
  QByteArray header = "time_s";
  for (const auto& name : LeadNames) header += QByteArray(",") + name.data() + "_uV";
  header += '\n';
  const std::vector<SampleText>& texts = SampleTexts();
  // Longest line: "9.998" and twelve ",-159907.84"; the last copy may reach one
  // text's padding past the end.
  QByteArray text(
      header.size() + qsizetype{SamplesPerLead} * (5 + LeadCount * 11 + 1) + static_cast<qsizetype>(sizeof(SampleText)),
      Qt::Uninitialized);
  char* out = text.data();
  out = std::copy(header.begin(), header.end(), out);
  for (int n = 0; n < SamplesPerLead; ++n) {
    const int ms = n * 2;  // 500 Hz: "s.mmm"
    *out++ = static_cast<char>('0' + ms / 1000);
    *out++ = '.';
    *out++ = static_cast<char>('0' + ms / 100 % 10);
    *out++ = static_cast<char>('0' + ms / 10 % 10);
    *out++ = static_cast<char>('0' + ms % 10);
    for (int lead = 0; lead < LeadCount; ++lead) {
      *out++ = ',';
      const SampleText& e = texts[static_cast<std::size_t>(image.Sample(lead, n) + 32768)];
      std::memcpy(out, e.text, sizeof e.text);
      out += e.length;
    }
    *out++ = '\n';
  }
  text.truncate(out - text.data());
  return text;
}

Prepared PrepareCsv(const RecordImage& image, const QString& path, const OutputPolicy& policy,
                    const ExportFiltering& filtering) {
  auto begun = PendingOutput::Begin(path, policy);
  if (auto* err = std::get_if<FileError>(&begun)) return *err;
  PendingOutput& output = std::get<PendingOutput>(begun);
  QByteArray text = CsvText(image);
  // Filtered samples say so before the column names: a reader must not take
  // them for the recording.
  if (filtering.Any()) text.prepend("# filtered: " + filtering.description.toUtf8() + '\n');
  if (auto err = output.Write(text)) return *err;
  if (auto err = output.Close(text.size())) return *err;
  PreparedOutputs outputs;
  outputs.push_back(std::move(output));
  return outputs;
}

std::optional<FileError> WriteCsv(const RecordImage& image, const QString& path, const OutputPolicy& policy) {
  return CommitPrepared(PrepareCsv(image, path, policy));
}

namespace {

// A CSV of 10 s at 20 kHz in thirteen columns is about 30 MB.
constexpr qint64 kMaxCsvBytes = qint64{64} * 1024 * 1024;

struct Column {
  enum Kind { Ignored, Time, Lead } kind = Ignored;
  double scale = 1;  // to microvolts, or to seconds
  QString name;
  int lead = -1;
};

// "I_uV", "V1 (mV)", "aVR [µV]", "time_s", "Time (ms)"; a lead without a unit is ambiguous.
std::variant<Column, QString> ParseColumn(const QString& text) {
  static const QRegularExpression re(
      QStringLiteral(R"(^\s*"?\s*(.*?)\s*[_ ]?[(\[]?\s*(uv|µv|mv|s|ms)?\s*[)\]]?\s*"?\s*$)"),
      QRegularExpression::CaseInsensitiveOption);
  const auto m = re.match(text);
  const QString base = m.captured(1), unit = m.captured(2).toLower();
  Column c;
  c.name = base;
  if (base.compare(u"time", Qt::CaseInsensitive) == 0 || base.compare(u"t", Qt::CaseInsensitive) == 0) {
    if (unit == u"uv" || unit == u"µv" || unit == u"mv") return c;
    c.kind = Column::Time;
    c.scale = unit == u"ms" ? 0.001 : 1.0;
    return c;
  }
  for (int lead = 0; lead < LeadCount; ++lead) {
    if (FindLead({base}, lead) < 0) continue;
    if (unit != u"uv" && unit != u"µv" && unit != u"mv")
      return QStringLiteral("the column \"%1\" does not say its unit: name it %2_uV or %2_mV")
          .arg(text.trimmed(), base);
    c.kind = Column::Lead;
    c.lead = lead;
    c.scale = unit == u"mv" ? 1000.0 : 1.0;
    return c;
  }
  return c;  // another column: left aside
}

}  // namespace

std::variant<ReadRecord, FileError> ReadCsv(const QString& path, const HeaderOptions& options) {
  auto opened = InputFile::Open(path);
  if (auto* err = std::get_if<FileError>(&opened)) return *err;
  auto all = std::get<InputFile>(opened).ReadAll(kMaxCsvBytes);
  if (auto* err = std::get_if<FileError>(&all)) return *err;
  const QString text = QString::fromUtf8(std::get<QByteArray>(all));
  QStringList lines = text.split(u'\n');
  for (QString& l : lines)
    if (l.endsWith(u'\r')) l.chop(1);
  while (!lines.isEmpty() && lines.back().trimmed().isEmpty()) lines.removeLast();
  // Comment lines before the header row ("# filtered: ...", as our filtered exports write).
  qsizetype comments = 0;  // messages count lines of the file
  for (; !lines.isEmpty() && lines.front().startsWith(u'#'); ++comments) lines.removeFirst();
  if (lines.size() < 2) return FileError{path, QStringLiteral("holds no header row and samples")};
  // The header row says the separator: a semicolon file may write decimal commas.
  const QString& head = lines.front();
  const bool semicolon = head.count(u';') > 0 && head.count(u',') == 0;
  if (head.count(u';') > 0 && head.count(u',') > 0)
    return FileError{path, QStringLiteral("its header row holds both commas and semicolons; which one separates "
                                          "the columns is ambiguous")};
  const QChar sep = semicolon ? u';' : u',';
  std::vector<Column> columns;
  SignalSet set;
  int timeColumn = -1;
  std::array<bool, LeadCount> seen{};
  for (const QString& h : head.split(sep)) {
    auto parsed = ParseColumn(h);
    if (auto* problem = std::get_if<QString>(&parsed)) return FileError{path, *problem};
    Column c = std::get<Column>(parsed);
    if (c.kind == Column::Time) {
      if (timeColumn >= 0) return FileError{path, QStringLiteral("it has two time columns")};
      timeColumn = static_cast<int>(columns.size());
    } else if (c.kind == Column::Lead) {
      if (std::exchange(seen[static_cast<std::size_t>(c.lead)], true))
        return FileError{path, QStringLiteral("lead %1 has two columns").arg(c.name)};
      set.names.push_back(c.name);
    }
    columns.push_back(c);
  }
  if (set.names.empty()) return FileError{path, QStringLiteral("its header row names no ECG lead")};
  set.microvolts.resize(set.names.size());
  std::vector<double> times;
  for (qsizetype row = 1; row < lines.size(); ++row) {
    const QStringList cells = lines[row].split(sep);
    if (cells.size() != static_cast<qsizetype>(columns.size()))
      return FileError{path, QStringLiteral("line %1 has %2 columns; the header row has %3")
                                 .arg(row + 1 + comments)
                                 .arg(cells.size())
                                 .arg(columns.size())};
    std::size_t lead = 0;
    for (std::size_t k = 0; k < columns.size(); ++k) {
      if (columns[k].kind == Column::Ignored) continue;
      QString cell = cells[static_cast<qsizetype>(k)].trimmed();
      if (semicolon) cell.replace(u',', u'.');
      bool ok = false;
      const double v = cell.toDouble(&ok);
      if (!ok || !std::isfinite(v))
        return FileError{path, QStringLiteral("line %1, column %2: \"%3\" is not a number")
                                   .arg(row + 1 + comments)
                                   .arg(k + 1)
                                   .arg(cells[static_cast<qsizetype>(k)])};
      if (columns[k].kind == Column::Time) times.push_back(v * columns[k].scale);
      else set.microvolts[lead++].push_back(v * columns[k].scale);
    }
  }
  // The rate from the time column: its steps must be even (within 1 %).
  std::optional<double> fromTime;
  if (times.size() >= 2) {
    const double step = (times.back() - times.front()) / static_cast<double>(times.size() - 1);
    for (std::size_t n = 1; n < times.size(); ++n)
      if (!(step > 0) || std::fabs(times[n] - times[n - 1] - step) > 0.01 * step)
        return FileError{path, QStringLiteral("the time column does not step evenly (line %1): the sampling rate "
                                              "is ambiguous")
                                   .arg(static_cast<qsizetype>(n) + 2 + comments)};
    fromTime = 1.0 / step;
  }
  if (fromTime && options.samplingRate && std::fabs(*fromTime - *options.samplingRate) > 0.01 * *options.samplingRate)
    return FileError{
        path,
        QStringLiteral("its time column gives %1 Hz, but %2 Hz was given").arg(*fromTime).arg(*options.samplingRate)};
  if (!fromTime && !options.samplingRate)
    return FileError{path, QStringLiteral("it has no time column: give the sampling rate (--rate)")};
  set.samplingFrequency = fromTime ? std::round(*fromTime * 1000) / 1000 : *options.samplingRate;
  ReadRecord result;
  auto built = BuildRecord(set, options, {}, &result.notes);
  if (auto* err = std::get_if<QString>(&built)) return FileError{path, *err};
  result.image = std::move(std::get<std::unique_ptr<RecordImage>>(built));
  result.sourceFiles << path;
  return result;
}

}  // namespace corvale::formats
