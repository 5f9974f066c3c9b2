#include "formats/Conversion.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "record/Cp932.h"
#include "record/HeaderValues.h"

namespace corvale {
namespace {

void PutBytes(RecordImage& image, const FieldLayout& field, const QByteArray& bytes, char pad) {
  for (std::size_t i = 0; i < field.length; ++i)
    image.bytes[field.offset + i] =
        static_cast<std::uint8_t>(static_cast<qsizetype>(i) < bytes.size() ? bytes[static_cast<qsizetype>(i)] : pad);
}

void PutUInt16(RecordImage& image, const FieldLayout& field, unsigned value) {
  image.bytes[field.offset] = static_cast<std::uint8_t>(value & 0xFF);
  image.bytes[field.offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// C0 and C1 controls, DEL, and the Unicode line and paragraph separators.
bool IsControl(QChar c) {
  const auto category = c.category();
  return category == QChar::Other_Control || category == QChar::Separator_Line ||
         category == QChar::Separator_Paragraph;
}

bool AllDigits(const QString& s) {
  return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Digits are right-aligned with leading zeros, as the record's own fields are;
// other text is left-aligned with spaces.
std::optional<QString> PutText(RecordImage& image, const FieldLayout& field, const QString& value,
                               const QString& what) {
  const QByteArray latin = value.toLatin1();
  if (latin.size() > static_cast<qsizetype>(field.length) || QString::fromLatin1(latin) != value ||
      std::any_of(latin.begin(), latin.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80 || c < 0x20; }))
    return QStringLiteral("%1 \"%2\" must be at most %3 ASCII characters").arg(what, value).arg(field.length);
  if (AllDigits(value))
    PutBytes(image, field, QByteArray(static_cast<qsizetype>(field.length) - latin.size(), '0') + latin, '0');
  else PutBytes(image, field, latin, ' ');
  return std::nullopt;
}

std::optional<char> SexCode(const QString& s) {
  const QString v = s.trimmed().toLower();
  if (v == u"m" || v == u"male" || v == u"1") return '1';
  if (v == u"f" || v == u"female" || v == u"2") return '2';
  return std::nullopt;
}

std::optional<char> AgeUnitCode(const QString& unit) {
  if (unit == u"y") return '0';
  if (unit == u"m") return '1';
  if (unit == u"d") return '2';
  return std::nullopt;
}

// "YYYY-MM-DD" of a real calendar day, as the record's year-high and YYMMDD digits.
std::optional<QString> CheckDate(const QString& text) {
  static const QRegularExpression re(QStringLiteral(R"(^(\d{4})-(\d\d)-(\d\d)$)"));
  const auto m = re.match(text);
  if (!m.hasMatch()) return QStringLiteral("date \"%1\" must be YYYY-MM-DD").arg(text);
  if (!QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()).isValid())
    return QStringLiteral("date \"%1\" is not a calendar date").arg(text);
  return std::nullopt;
}

std::optional<QString> CheckTime(const QString& text) {
  static const QRegularExpression re(QStringLiteral(R"(^(\d\d):(\d\d):(\d\d)$)"));
  const auto m = re.match(text);
  if (!m.hasMatch()) return QStringLiteral("time \"%1\" must be HH:MM:SS").arg(text);
  if (!QTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()).isValid())
    return QStringLiteral("time \"%1\" is not a time of day (00:00:00 to 23:59:59)").arg(text);
  return std::nullopt;
}

// One value put into the record; `error` is what the user is told when it does not fit.
using Putter = std::optional<QString> (*)(RecordImage&, const QString&);

std::optional<QString> PutId(RecordImage& image, const QString& v) {
  return PutText(image, Field::PatientId, v, QStringLiteral("ID"));
}

std::optional<QString> PutName(RecordImage& image, const QString& v) {
  if (HasControlCharacters(v)) return QStringLiteral("the name \"%1\" has control characters").arg(v);
  const auto bytes = EncodeCp932(v);
  if (!bytes) return QStringLiteral("the name \"%1\" has characters that Shift-JIS cannot hold").arg(v);
  if (bytes->size() > static_cast<qsizetype>(Field::PatientName.length))
    return QStringLiteral("the name \"%1\" takes %2 bytes in Shift-JIS; the field holds 24").arg(v).arg(bytes->size());
  PutBytes(image, Field::PatientName, *bytes, '\0');
  return std::nullopt;
}

std::optional<QString> PutSex(RecordImage& image, const QString& v) {
  const auto code = SexCode(v);
  if (!code) return QStringLiteral("sex \"%1\" must be M or F").arg(v);
  image.bytes[Field::Sex.offset] = static_cast<std::uint8_t>(*code);
  return std::nullopt;
}

std::optional<QString> PutDate(RecordImage& image, const QString& v) {
  if (auto err = CheckDate(v)) return err;
  PutBytes(image, Field::RecordingYearHigh, v.left(2).toLatin1(), ' ');
  PutBytes(image, Field::RecordingDate, (v.mid(2, 2) + v.mid(5, 2) + v.mid(8, 2)).toLatin1(), ' ');
  return std::nullopt;
}

std::optional<QString> PutTime(RecordImage& image, const QString& v) {
  if (auto err = CheckTime(v)) return err;
  PutBytes(image, Field::RecordingTime, (v.left(2) + v.mid(3, 2) + v.mid(6, 2)).toLatin1(), ' ');
  return std::nullopt;
}

template <const FieldLayout& F>
std::optional<QString> PutField(RecordImage& image, const QString& v) {
  return PutText(image, F, v, QString::fromLatin1(F.name.data(), static_cast<qsizetype>(F.name.size())));
}

std::optional<QString> PutRvLead(RecordImage& image, const QString& v) {
  if (v != u"5" && v != u"6") return QStringLiteral("RV lead \"%1\" must be 5 or 6").arg(v);
  image.bytes[Field::LateralLeadSelector.offset] = static_cast<std::uint8_t>(v[0].toLatin1());
  return std::nullopt;
}

struct Rule {
  std::optional<QString> HeaderOptions::*member;
  Putter put;
  bool sourceMustFit;  // a file's value that does not fit refuses the file
};

const Rule kRules[] = {
    {&HeaderOptions::id, PutId, true},
    {&HeaderOptions::name, PutName, true},
    {&HeaderOptions::sex, PutSex, false},
    {&HeaderOptions::date, PutDate, false},
    {&HeaderOptions::time, PutTime, false},
    {&HeaderOptions::height, PutField<Field::Height>, false},
    {&HeaderOptions::weight, PutField<Field::Weight>, false},
    {&HeaderOptions::bloodPressure, PutField<Field::BloodPressure>, false},
    {&HeaderOptions::heartRate, PutField<Field::HeartRate>, false},
    {&HeaderOptions::rrInterval, PutField<Field::RrInterval>, false},
    {&HeaderOptions::prInterval, PutField<Field::PrInterval>, false},
    {&HeaderOptions::qrsDuration, PutField<Field::QrsDuration>, false},
    {&HeaderOptions::qrsAxis, PutField<Field::QrsAxis>, false},
    {&HeaderOptions::qtInterval, PutField<Field::QtInterval>, false},
    {&HeaderOptions::qtcInterval, PutField<Field::QtcInterval>, false},
    {&HeaderOptions::sv1Amplitude, PutField<Field::Sv1Amplitude>, false},
    {&HeaderOptions::rvAmplitude, PutField<Field::RvAmplitude>, false},
    {&HeaderOptions::rvLead, PutRvLead, false},
};

// Age and its unit go together: the user's age with the user's unit (years by
// default), else the file's.
std::optional<QString> PutAge(RecordImage& image, const HeaderOptions& options, const HeaderOptions& source) {
  if (options.ageUnit && !options.age)
    return QStringLiteral("--age-unit %1 was given without --age").arg(*options.ageUnit);
  const bool user = options.age.has_value();
  const HeaderOptions& from = user ? options : source;
  if (!from.age) return std::nullopt;
  const QString unit = from.ageUnit.value_or(QStringLiteral("y"));
  auto put = [&]() -> std::optional<QString> {
    if (!AllDigits(*from.age)) return QStringLiteral("age \"%1\" must be a whole number").arg(*from.age);
    const auto code = AgeUnitCode(unit);
    if (!code) return QStringLiteral("age unit \"%1\" must be y, m or d").arg(unit);
    if (auto err = PutText(image, Field::Age, *from.age, QStringLiteral("age"))) return err;
    image.bytes[Field::AgeUnit.offset] = static_cast<std::uint8_t>(*code);
    return std::nullopt;
  };
  auto err = put();
  if (err && !user) {  // the file's age does not fit: leave it blank
    PutBytes(image, Field::Age, {}, ' ');
    PutBytes(image, Field::AgeUnit, {}, ' ');
    return std::nullopt;
  }
  return err;
}

}  // namespace

bool HasControlCharacters(const QString& text) { return std::any_of(text.begin(), text.end(), IsControl); }

QString WithoutControlCharacters(const QString& text) {
  QString out;
  out.reserve(text.size());
  bool gap = false;
  for (const QChar c : text) {
    if (IsControl(c)) {
      gap = true;
      continue;
    }
    if (gap && !out.isEmpty() && !out.endsWith(u' ') && c != u' ') out += u' ';
    gap = false;
    out += c;
  }
  return out;
}

std::optional<QString> ApplyHeader(RecordImage& image, const HeaderOptions& options, const HeaderOptions& source) {
  for (const Rule& rule : kRules) {
    if (const auto& v = options.*(rule.member)) {
      if (auto err = rule.put(image, *v)) return err;
    } else if (const auto& s = source.*(rule.member)) {
      // A line break in a file's name or ID must not become a field or a line
      // of any output: the patient's identity is kept without it.
      const QString value = rule.sourceMustFit ? WithoutControlCharacters(*s) : *s;
      if (auto err = rule.put(image, value); err && rule.sourceMustFit)
        return QStringLiteral("the patient's identification in the file cannot be kept: %1").arg(*err);
    }
  }
  return PutAge(image, options, source);
}

namespace {

QString StripLeadPrefix(QString s) {
  s = s.trimmed().toUpper();
  for (const char* prefix : {"ECG", "EKG", "LEAD"}) {
    const QLatin1String p(prefix);
    if (s.startsWith(p) && s.size() > p.size() && (s[p.size()] == u' ' || s[p.size()] == u'_' || s[p.size()] == u'-'))
      s = s.mid(p.size() + 1).trimmed();
  }
  return s;
}

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

qint64 InputSamplesNeeded(double fromHz, double toHz, std::size_t count) {
  if (count == 0) return 0;
  const double step = fromHz / toHz;
  if (step == 1.0) return static_cast<qint64>(count);
  const double cutoff = std::min(1.0, toHz / fromHz) * 0.9;
  const double halfWidth = std::ceil(16.0 / cutoff);
  return static_cast<qint64>(std::ceil(static_cast<double>(count - 1) * step + halfWidth)) + 1;
}

std::optional<QString> SamplingRateProblem(double hz) {
  if (hz >= MinSamplingFrequency && hz <= MaxSamplingFrequency) return std::nullopt;
  return QStringLiteral("sampling frequency %1 Hz is outside the %2 Hz to %3 kHz of ECG recorders")
      .arg(hz)
      .arg(MinSamplingFrequency)
      .arg(MaxSamplingFrequency / 1000);
}

std::int16_t ToRecordUnits(double microvolts) {
  const double units = std::round(microvolts / MicrovoltsPerRecordUnit);
  if (!(units >= -32768.0)) return -32768;  // also NaN
  if (units > 32767.0) return 32767;
  return static_cast<std::int16_t>(units);
}

int FindLead(const std::vector<QString>& names, int lead) {
  const auto& n = LeadNames[static_cast<std::size_t>(lead)];
  const QString want = QString::fromLatin1(n.data(), static_cast<qsizetype>(n.size())).toUpper();
  for (int s = 0; s < static_cast<int>(names.size()); ++s)
    if (StripLeadPrefix(names[static_cast<std::size_t>(s)]) == want) return s;
  return -1;
}

std::variant<std::unique_ptr<RecordImage>, QString> BuildRecord(const SignalSet& given, const HeaderOptions& options,
                                                                const HeaderOptions& source, QStringList* notes) {
  // The augmented limb leads and III are sums of I and II: a recorder that
  // stores eight independent leads leaves them out.
  enum { I, II, III, aVR, aVL, aVF };
  constexpr int kDerived[] = {III, aVR, aVL, aVF};
  const bool derive = std::all_of(std::begin(kDerived), std::end(kDerived),
                                  [&](int lead) { return FindLead(given.names, lead) < 0; }) &&
                      FindLead(given.names, I) >= 0 && FindLead(given.names, II) >= 0;
  SignalSet derived;
  if (derive) {
    derived = given;
    const std::vector<double>& i = given.microvolts[static_cast<std::size_t>(FindLead(given.names, I))];
    const std::vector<double>& ii = given.microvolts[static_cast<std::size_t>(FindLead(given.names, II))];
    const auto count = std::min(i.size(), ii.size());
    std::vector<double> iii(count), avr(count), avl(count), avf(count);
    for (std::size_t n = 0; n < count; ++n) {
      iii[n] = ii[n] - i[n];
      avr[n] = -(i[n] + ii[n]) / 2;
      avl[n] = i[n] - ii[n] / 2;
      avf[n] = ii[n] - i[n] / 2;
    }
    for (auto [lead, x] : {std::pair{III, &iii}, {aVR, &avr}, {aVL, &avl}, {aVF, &avf}}) {
      derived.names.push_back(QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data()));
      derived.microvolts.push_back(std::move(*x));
    }
  }
  const SignalSet& signals = derive ? derived : given;
  std::array<int, LeadCount> index{};
  QStringList missing;
  for (int lead = 0; lead < LeadCount; ++lead) {
    index[static_cast<std::size_t>(lead)] = FindLead(signals.names, lead);
    if (index[static_cast<std::size_t>(lead)] < 0)
      missing << QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data()).toUpper();
  }
  if (!missing.isEmpty())
    return QStringLiteral("the record lacks the standard lead(s) %1").arg(missing.join(QStringLiteral(", ")));
  if (derive && notes) *notes << QStringLiteral("III, aVR, aVL and aVF were derived from I and II");

  const double fs = signals.samplingFrequency;
  if (auto problem = SamplingRateProblem(fs)) return *problem;
  const qint64 count = signals.Count();
  if (count < static_cast<qint64>(std::ceil(RecordSeconds * fs)))
    return QStringLiteral("the record lasts %1 s; a record needs 10 s").arg(static_cast<double>(count) / fs, 0, 'g', 6);

  std::vector<const std::vector<double>*> leads;
  for (int lead = 0; lead < LeadCount; ++lead) {
    const auto& x = signals.microvolts[static_cast<std::size_t>(index[static_cast<std::size_t>(lead)])];
    if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }))
      return QStringLiteral("lead %1 has samples that are not finite numbers")
          .arg(QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data()));
    leads.push_back(&x);
  }
  auto image = std::make_unique<RecordImage>();
  const auto converted = Resample(leads, fs, RecordSamplingRate, SamplesPerLead);  // a copy at 500 Hz
  for (int lead = 0; lead < LeadCount; ++lead) {
    int clamped = 0;
    for (int n = 0; n < SamplesPerLead; ++n) {
      const double uv = converted[static_cast<std::size_t>(lead)][static_cast<std::size_t>(n)];
      const std::int16_t units = ToRecordUnits(uv);
      if (std::fabs(uv / MicrovoltsPerRecordUnit) > 32768.0) ++clamped;
      image->SetSample(lead, n, units);
    }
    // A lead wholly beyond +-160 mV is a wrong gain or baseline, not an ECG.
    if (clamped == SamplesPerLead)
      return QStringLiteral(
                 "lead %1 lies wholly outside the record's range of +-159.9 mV (first value %2 uV): "
                 "its gain or baseline is wrong")
          .arg(QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data()))
          .arg(converted[static_cast<std::size_t>(lead)].front(), 0, 'g', 6);
  }

  // Header: character fields start as spaces; unused bytes stay zero.
  for (const FieldLayout& f : RecordFields)
    if (f.encoding == FieldEncoding::Character || f.encoding == FieldEncoding::Digits) PutBytes(*image, f, {}, ' ');
  PutBytes(*image, Field::PatientName, {}, '\0');
  PutUInt16(*image, Field::SamplingInterval, SamplingIntervalMs);
  PutUInt16(*image, Field::LsbSize, SampleUnitHundredthsOfMicrovolt);
  PutUInt16(*image, Field::StoredLeadCount, LeadCount);
  PutUInt16(*image, Field::SampleCount, SamplesPerLead);

  if (auto err = ApplyHeader(*image, options, source)) return *err;
  return image;
}

namespace {

// Only printable ASCII travels to other formats; anything else is not a value.
std::optional<QString> Portable(const std::optional<QString>& text) {
  if (!text || std::any_of(text->begin(), text->end(), [](QChar c) { return c < u' ' || c > u'~'; }))
    return std::nullopt;
  return text;
}

}  // namespace

HeaderOptions HeaderFromRecord(const RecordImage& image) {
  const HeaderValues v = DecodeHeader(image);
  HeaderOptions h;
  h.id = Portable(v.patientId);
  if (v.patientName) {
    // No writer may put a line break of a name into its output.
    const QString name = WithoutControlCharacters(*v.patientName).trimmed();
    if (!name.isEmpty()) h.name = name;
  }
  if (v.sex) h.sex = SexLetter(v.sex);
  if (v.age && IsWholeNumber(*v.age) && v.ageUnit) {
    h.age = *v.age;
    h.ageUnit = QString(QChar(u"ymd"[static_cast<int>(*v.ageUnit)]));
  }
  if (v.date) h.date = v.date->toString(QStringLiteral("yyyy-MM-dd"));
  if (v.time) h.time = v.time->toString(QStringLiteral("HH:mm:ss"));
  h.height = Portable(v.height);
  h.weight = Portable(v.weight);
  h.bloodPressure = Portable(v.bloodPressure);
  h.heartRate = Portable(v.heartRate);
  h.rrInterval = Portable(v.rrInterval);
  h.prInterval = Portable(v.prInterval);
  h.qrsDuration = Portable(v.qrsDuration);
  h.qrsAxis = Portable(v.qrsAxis);
  h.qtInterval = Portable(v.qtInterval);
  h.qtcInterval = Portable(v.qtcInterval);
  h.sv1Amplitude = Portable(v.sv1Amplitude);
  h.rvAmplitude = Portable(v.rvAmplitude);
  if (h.rvAmplitude) h.rvLead = QString::number(v.lateralLead);
  return h;
}

QByteArray RecordBytes(const RecordImage& image) {
  return QByteArray(reinterpret_cast<const char*>(image.bytes.data()), static_cast<qsizetype>(image.bytes.size()));
}

}  // namespace corvale
