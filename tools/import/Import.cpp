#include "import/Import.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "record/Cp932.h"
#include "record/SafeOutput.h"

namespace corvale {
namespace {

void PutBytes(RecordImage& image, const FieldSpec& field, const QByteArray& bytes, char pad) {
  for (std::size_t i = 0; i < field.length; ++i)
    image.bytes[field.offset + i] =
        static_cast<std::uint8_t>(static_cast<qsizetype>(i) < bytes.size() ? bytes[static_cast<qsizetype>(i)] : pad);
}

void PutUInt16(RecordImage& image, const FieldSpec& field, unsigned value) {
  image.bytes[field.offset] = static_cast<std::uint8_t>(value & 0xFF);
  image.bytes[field.offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

bool AllDigits(const QString& s) {
  return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Digits are right-aligned with leading zeros, as the record's own fields are;
// other text is left-aligned with spaces.
std::optional<QString> PutText(RecordImage& image, const FieldSpec& field, const QString& value, const char* what) {
  const QByteArray latin = value.toLatin1();
  if (latin.size() > static_cast<qsizetype>(field.length) || QString::fromLatin1(latin) != value ||
      std::any_of(latin.begin(), latin.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
    return QStringLiteral("%1 \"%2\" must be at most %3 ASCII characters").arg(what, value).arg(field.length);
  if (AllDigits(value))
    PutBytes(image, field, QByteArray(static_cast<qsizetype>(field.length) - latin.size(), '0') + latin, '0');
  else
    PutBytes(image, field, latin, ' ');
  return std::nullopt;
}

std::optional<char> SexCode(const QString& s) {
  const QString v = s.trimmed().toLower();
  if (v == u"m" || v == u"male" || v == u"1") return '1';
  if (v == u"f" || v == u"female" || v == u"2") return '2';
  return std::nullopt;
}

QString NormalisedLeadName(const QString& s) { return s.trimmed().toUpper(); }

double Blackman(double t) {  // t in [-1, 1]
  const double pi = std::numbers::pi;
  return 0.42 + 0.5 * std::cos(pi * t) + 0.08 * std::cos(2 * pi * t);
}

}  // namespace

std::vector<std::vector<double>> Resample(const std::vector<const std::vector<double>*>& signals, double fromHz,
                                          double toHz, std::size_t count) {
  std::vector<std::vector<double>> out(signals.size(), std::vector<double>(count, 0.0));
  if (signals.empty() || signals.front()->empty()) return out;
  const std::size_t length = signals.front()->size();
  const double step = fromHz / toHz;  // input samples per output sample
  if (step == 1.0) {
    for (std::size_t s = 0; s < signals.size(); ++s)
      for (std::size_t n = 0; n < count; ++n) out[s][n] = (*signals[s])[std::min(n, length - 1)];
    return out;
  }
  // Cut-off as a fraction of the input's Nyquist frequency, a little below the
  // lower of the two rates' Nyquist limits, so that decimation does not alias.
  const double cutoff = std::min(1.0, toHz / fromHz) * 0.9;
  const double halfWidth = std::ceil(16.0 / cutoff);
  const auto last = static_cast<long long>(length) - 1;
  std::vector<double> weights;
  std::vector<std::size_t> taps;
  for (std::size_t n = 0; n < count; ++n) {
    const double centre = static_cast<double>(n) * step;
    const auto lo = static_cast<long long>(std::floor(centre - halfWidth));
    const auto hi = static_cast<long long>(std::ceil(centre + halfWidth));
    weights.clear();
    taps.clear();
    double total = 0.0;
    for (long long k = lo; k <= hi; ++k) {
      const double d = static_cast<double>(k) - centre;
      if (std::fabs(d) >= halfWidth) continue;
      const double arg = std::numbers::pi * cutoff * d;
      const double sinc = d == 0.0 ? 1.0 : std::sin(arg) / arg;
      weights.push_back(sinc * Blackman(d / halfWidth));
      taps.push_back(static_cast<std::size_t>(std::clamp(k, 0LL, last)));  // edges repeat the end samples
      total += weights.back();
    }
    for (std::size_t s = 0; s < signals.size(); ++s) {
      const std::vector<double>& x = *signals[s];
      double sum = 0.0;
      for (std::size_t t = 0; t < taps.size(); ++t) sum += weights[t] * x[taps[t]];
      out[s][n] = total != 0.0 ? sum / total : 0.0;  // unit gain at DC
    }
  }
  return out;
}

std::vector<double> Resample(const std::vector<double>& x, double fromHz, double toHz, std::size_t count) {
  return std::move(Resample(std::vector<const std::vector<double>*>{&x}, fromHz, toHz, count).front());
}

std::int16_t ToRecordUnits(double microvolts) {
  const double units = std::round(microvolts / MicrovoltsPerRecordUnit);
  if (!(units >= -32768.0)) return -32768;  // also NaN
  if (units > 32767.0) return 32767;
  return static_cast<std::int16_t>(units);
}

std::variant<std::unique_ptr<RecordImage>, QString> BuildRecord(const wfdb::Header& header,
                                                                const wfdb::Samples& samples,
                                                                const HeaderOptions& options) {
  // Leads by name, whatever their case.
  std::array<int, LeadCount> source{};
  QStringList missing;
  for (int lead = 0; lead < LeadCount; ++lead) {
    const QString want = NormalisedLeadName(QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data(),
                                                                static_cast<qsizetype>(LeadNames[static_cast<std::size_t>(lead)].size())));
    source[static_cast<std::size_t>(lead)] = -1;
    for (int s = 0; s < static_cast<int>(header.channels.size()); ++s)
      if (NormalisedLeadName(header.channels[static_cast<std::size_t>(s)].description) == want) {
        source[static_cast<std::size_t>(lead)] = s;
        break;
      }
    if (source[static_cast<std::size_t>(lead)] < 0) missing << want;
  }
  if (!missing.isEmpty())
    return QStringLiteral("the record lacks the standard lead(s) %1").arg(missing.join(QStringLiteral(", ")));

  const double fs = header.samplingFrequency;
  const double seconds = static_cast<double>(samples.count) / fs;
  if (samples.count < static_cast<qint64>(std::ceil(10.0 * fs)))
    return QStringLiteral("the record lasts %1 s; a record needs 10 s").arg(seconds, 0, 'g', 6);

  auto image = std::make_unique<RecordImage>();
  std::vector<const std::vector<double>*> leads;
  for (int lead = 0; lead < LeadCount; ++lead)
    leads.push_back(&samples.microvolts[static_cast<std::size_t>(source[static_cast<std::size_t>(lead)])]);
  const auto converted = Resample(leads, fs, RecordSamplingRate, SamplesPerLead);  // a copy at 500 Hz
  for (int lead = 0; lead < LeadCount; ++lead)
    for (int n = 0; n < SamplesPerLead; ++n)
      image->SetSample(lead, n, ToRecordUnits(converted[static_cast<std::size_t>(lead)][static_cast<std::size_t>(n)]));

  // Header: character fields start as spaces; unused bytes stay zero.
  for (const FieldSpec& f : RecordFields)
    if (f.encoding == FieldEncoding::Character || f.encoding == FieldEncoding::Digits) PutBytes(*image, f, {}, ' ');
  PutBytes(*image, Field::PatientName, {}, '\0');
  PutUInt16(*image, Field::SamplingInterval, 2);  // ms per sample
  PutUInt16(*image, Field::LsbSize, 488);         // 4.88 uV, in units of 0.01 uV
  PutUInt16(*image, Field::StoredLeadCount, LeadCount);
  PutUInt16(*image, Field::SampleCount, SamplesPerLead);

  HeaderOptions o = options;
  if (!o.age)
    if (auto a = wfdb::CommentValue(header, QStringLiteral("Age")); a && AllDigits(*a)) o.age = *a;
  if (!o.sex)
    if (auto s = wfdb::CommentValue(header, QStringLiteral("Sex")); s && SexCode(*s)) o.sex = *s;

  if (o.id)
    if (auto err = PutText(*image, Field::PatientId, *o.id, "ID")) return *err;
  if (o.name) {
    const auto bytes = EncodeCp932(*o.name);
    if (!bytes) return QStringLiteral("the name \"%1\" has characters that Shift-JIS cannot hold").arg(*o.name);
    if (bytes->size() > static_cast<qsizetype>(Field::PatientName.length))
      return QStringLiteral("the name \"%1\" takes %2 bytes in Shift-JIS; the field holds 24").arg(*o.name).arg(bytes->size());
    PutBytes(*image, Field::PatientName, *bytes, '\0');
  }
  if (o.sex) {
    const auto code = SexCode(*o.sex);
    if (!code) return QStringLiteral("sex \"%1\" must be M or F").arg(*o.sex);
    image->bytes[Field::Sex.offset] = static_cast<std::uint8_t>(*code);
  }
  if (o.age) {
    if (!AllDigits(*o.age)) return QStringLiteral("age \"%1\" must be a whole number").arg(*o.age);
    if (auto err = PutText(*image, Field::Age, *o.age, "age")) return *err;
    const QString unit = o.ageUnit.value_or(QStringLiteral("y"));
    const char code = unit == u"y" ? '0' : unit == u"m" ? '1' : unit == u"d" ? '2' : '\0';
    if (!code) return QStringLiteral("age unit \"%1\" must be y, m or d").arg(unit);
    image->bytes[Field::AgeUnit.offset] = static_cast<std::uint8_t>(code);
  }
  if (o.date) {
    static const QRegularExpression re(QStringLiteral(R"(^(\d\d)(\d\d)-(\d\d)-(\d\d)$)"));
    const auto m = re.match(*o.date);
    if (!m.hasMatch()) return QStringLiteral("date \"%1\" must be YYYY-MM-DD").arg(*o.date);
    PutBytes(*image, Field::RecordingYearHigh, m.captured(1).toLatin1(), ' ');
    PutBytes(*image, Field::RecordingDate, (m.captured(2) + m.captured(3) + m.captured(4)).toLatin1(), ' ');
  }
  if (o.time) {
    static const QRegularExpression re(QStringLiteral(R"(^(\d\d):(\d\d):(\d\d)$)"));
    const auto m = re.match(*o.time);
    if (!m.hasMatch()) return QStringLiteral("time \"%1\" must be HH:MM:SS").arg(*o.time);
    PutBytes(*image, Field::RecordingTime, (m.captured(1) + m.captured(2) + m.captured(3)).toLatin1(), ' ');
  }
  if (o.height)
    if (auto err = PutText(*image, Field::Height, *o.height, "height")) return *err;
  if (o.weight)
    if (auto err = PutText(*image, Field::Weight, *o.weight, "weight")) return *err;
  if (o.bloodPressure)
    if (auto err = PutText(*image, Field::BloodPressure, *o.bloodPressure, "blood pressure")) return *err;
  return image;
}

std::variant<std::unique_ptr<RecordImage>, QString> ImportRecord(const QString& recordBase,
                                                                 const HeaderOptions& options) {
  QString base = recordBase;
  if (base.endsWith(QLatin1String(".hea"))) base.chop(4);
  QFile headerFile(base + QStringLiteral(".hea"));
  if (!headerFile.open(QIODevice::ReadOnly))
    return QStringLiteral("%1: %2").arg(headerFile.fileName(), headerFile.errorString());
  auto parsed = wfdb::ParseHeader(headerFile.readAll());
  if (auto* err = std::get_if<QString>(&parsed)) return QStringLiteral("%1: %2").arg(headerFile.fileName(), *err);
  const wfdb::Header& header = std::get<wfdb::Header>(parsed);

  const QDir dir = QFileInfo(headerFile.fileName()).dir();
  std::vector<std::pair<QString, QByteArray>> files;
  for (const wfdb::SignalSpec& s : header.channels) {
    if (std::any_of(files.begin(), files.end(), [&](const auto& f) { return f.first == s.fileName; })) continue;
    QFile data(dir.filePath(s.fileName));
    if (!data.open(QIODevice::ReadOnly)) return QStringLiteral("%1: %2").arg(data.fileName(), data.errorString());
    files.emplace_back(s.fileName, data.readAll());
  }
  auto decoded = wfdb::DecodeSignals(header, files);
  if (auto* err = std::get_if<QString>(&decoded)) return QStringLiteral("%1: %2").arg(base, *err);
  auto built = BuildRecord(header, std::get<wfdb::Samples>(decoded), options);
  if (auto* err = std::get_if<QString>(&built)) return QStringLiteral("%1: %2").arg(base, *err);
  return built;
}

QByteArray RecordBytes(const RecordImage& image) {
  return QByteArray(reinterpret_cast<const char*>(image.bytes.data()), static_cast<qsizetype>(image.bytes.size()));
}

std::optional<QString> WriteRecordFile(const QString& path, const RecordImage& image, const QStringList& inputs) {
  OutputPolicy policy;
  policy.inputs = inputs;
  if (auto error = WriteFileSafely(path, RecordBytes(image), policy)) return error->Describe();
  return std::nullopt;
}

}  // namespace corvale
