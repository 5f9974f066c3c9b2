#include "formats/Wfdb.h"

#include "formats/Conversion.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <limits>

namespace corvale::wfdb {
namespace {

bool ParseFiniteDouble(const QString& s, double& out) {
  bool ok = false;
  out = s.toDouble(&ok);
  return ok && std::isfinite(out);
}

bool ParseInt(const QString& s, int& out) {
  bool ok = false;
  out = s.toInt(&ok);
  return ok;
}

// "16", "212", "16x1", "16+24", "16x1+24", with an optional ":skew" we refuse.
// Numbers too large for an int are reported as written, never as 0.
std::optional<QString> ParseFormatField(const QString& field, SignalInfo& signal) {
  static const QRegularExpression re(QStringLiteral(R"(^(\d+)(?:x(\d+))?(?::(\d+))?(?:\+(\d+))?$)"));
  const auto m = re.match(field);
  if (!m.hasMatch()) return QStringLiteral("unreadable format field \"%1\"").arg(field);
  if (!ParseInt(m.captured(1), signal.format) || (signal.format != 16 && signal.format != 212))
    return QStringLiteral("format %1 is not supported (only 16 and 212)").arg(m.captured(1));
  if (!m.captured(2).isEmpty() && (!ParseInt(m.captured(2), signal.samplesPerFrame) || signal.samplesPerFrame != 1))
    return QStringLiteral("%1 samples per frame is not supported (only 1)").arg(m.captured(2));
  if (!m.captured(3).isEmpty() && m.captured(3).count(u'0') != m.captured(3).size())
    return QStringLiteral("signal skew is not supported (\"%1\")").arg(field);
  if (!m.captured(4).isEmpty()) {
    bool ok = false;
    signal.byteOffset = m.captured(4).toLongLong(&ok);
    if (!ok || signal.byteOffset < 0) return QStringLiteral("unreadable byte offset in \"%1\"").arg(field);
  }
  return std::nullopt;
}

// "gain", "gain(baseline)", with "/units" after either.
std::optional<QString> ParseGainField(const QString& field, SignalInfo& signal, bool& baselineGiven) {
  static const QRegularExpression re(QStringLiteral(R"(^([-+0-9.eE]+)(?:\(([-+0-9]+)\))?(?:/(\S+))?$)"));
  const auto m = re.match(field);
  if (!m.hasMatch()) return QStringLiteral("unreadable gain field \"%1\"").arg(field);
  double gain = 0;
  if (!ParseFiniteDouble(m.captured(1), gain))
    return QStringLiteral("gain %1 is not a finite number").arg(m.captured(1));
  if (gain < 0) return QStringLiteral("gain %1 is negative; a gain must be positive").arg(m.captured(1));
  signal.gain = gain == 0.0 ? 200.0 : gain;
  signal.gainText = gain == 0.0 ? QStringLiteral("200 (the default for 0)") : m.captured(1);
  if (!m.captured(2).isEmpty()) {
    if (!ParseInt(m.captured(2), signal.baseline))
      return QStringLiteral("baseline %1 is not a whole number that fits 32 bits").arg(m.captured(2));
    baselineGiven = true;
  }
  if (!m.captured(3).isEmpty()) signal.units = m.captured(3);
  return std::nullopt;
}

std::optional<QString> ParseRecordLine(const QStringList& f, Header& header, int& expectedSignals) {
  if (f.size() < 2) return QStringLiteral("the record line needs a name and a signal count");
  header.recordName = f[0];
  if (header.recordName.contains(u'/')) return QStringLiteral("multi-segment records are not supported");
  if (!ParseInt(f[1], expectedSignals) || expectedSignals <= 0 || expectedSignals > 4096)
    return QStringLiteral("unreadable signal count \"%1\"").arg(f[1]);
  if (f.size() > 2) {
    // "fs", "fs/counter", "fs/counter(base)": only the sampling frequency matters.
    const QString fs = f[2].section(u'/', 0, 0).section(u'(', 0, 0);
    if (!ParseFiniteDouble(fs, header.samplingFrequency))
      return QStringLiteral("sampling frequency %1 is not a finite number").arg(fs);
    if (auto problem = SamplingRateProblem(header.samplingFrequency)) return *problem;
  }
  if (f.size() > 3) {
    bool ok = false;
    header.samplesPerSignal = f[3].toLongLong(&ok);
    if (!ok || header.samplesPerSignal < 0) return QStringLiteral("unreadable sample count \"%1\"").arg(f[3]);
  }
  if (f.size() > 4) header.baseTime = f[4];
  if (f.size() > 5) header.baseDate = f[5];
  return std::nullopt;
}

}  // namespace

std::variant<Header, QString> ParseHeader(const QByteArray& text) {
  Header header;
  bool haveRecordLine = false;
  int expectedSignals = 0;
  static const QRegularExpression spaces(QStringLiteral("\\s+"));
  const QStringList lines = QString::fromUtf8(text).split(u'\n');
  for (QString line : lines) {
    line = line.trimmed();
    if (line.isEmpty()) continue;
    if (line.startsWith(u'#')) {
      header.comments.push_back(line.mid(1).trimmed());
      continue;
    }
    const QStringList f = line.split(spaces, Qt::SkipEmptyParts);
    if (!haveRecordLine) {
      haveRecordLine = true;
      if (auto err = ParseRecordLine(f, header, expectedSignals)) return *err;
      continue;
    }
    if (static_cast<int>(header.channels.size()) >= expectedSignals) continue;  // trailing info lines
    const auto number = header.channels.size() + 1;
    if (f.size() < 2) return QStringLiteral("signal line %1 needs a file name and a format").arg(number);
    SignalInfo signal;
    signal.fileName = f[0];
    if (auto err = ParseFormatField(f[1], signal)) return QStringLiteral("signal %1: %2").arg(number).arg(*err);
    bool baselineGiven = false;
    if (f.size() > 2)
      if (auto err = ParseGainField(f[2], signal, baselineGiven))
        return QStringLiteral("signal %1: %2").arg(number).arg(*err);
    // f[3] is the ADC resolution, which the conversion does not need.
    if (f.size() > 4 && !ParseInt(f[4], signal.adcZero))
      return QStringLiteral("signal %1: unreadable ADC zero \"%2\"").arg(number).arg(f[4]);
    if (!baselineGiven) signal.baseline = signal.adcZero;
    // f[5] is the initial value, which the samples themselves give.
    if (f.size() > 6) {
      int checksum = 0;
      if (!ParseInt(f[6], checksum))
        return QStringLiteral("signal %1: unreadable checksum \"%2\"").arg(number).arg(f[6]);
      signal.checksum = checksum;
    }
    if (f.size() > 8) signal.description = f.mid(8).join(u' ');
    header.channels.push_back(signal);
  }
  if (!haveRecordLine) return QStringLiteral("the header has no record line");
  if (static_cast<int>(header.channels.size()) != expectedSignals)
    return QStringLiteral("the header announces %1 signals but describes %2")
        .arg(expectedSignals)
        .arg(header.channels.size());
  return header;
}

std::optional<double> MicrovoltsPerUnit(const QString& units) {
  const QString u = units.toLower();
  if (u == QLatin1String("mv")) return 1000.0;
  if (u == QLatin1String("uv") || u == QStringLiteral("µv") || u == QStringLiteral("μv")) return 1.0;
  if (u == QLatin1String("v")) return 1e6;
  if (u == QLatin1String("nv")) return 1e-3;
  return std::nullopt;
}

std::optional<QString> CommentValue(const Header& header, const QString& key) {
  for (const QString& c : header.comments) {
    const qsizetype colon = c.indexOf(u':');
    if (colon <= 0) continue;
    QString k = c.left(colon).trimmed();
    if (k.startsWith(u'<') && k.endsWith(u'>')) k = k.mid(1, k.size() - 2).trimmed();
    if (k.compare(key, Qt::CaseInsensitive) == 0) return c.mid(colon + 1).trimmed();
  }
  return std::nullopt;
}

qint64 BytesForFrames(const SignalInfo& first, int signalsInFile, qint64 frames) {
  const qint64 values = frames * signalsInFile;
  return first.byteOffset + (first.format == 16 ? values * 2 : (values * 3 + 1) / 2);
}

namespace {

qint64 FramesInBytes(const SignalInfo& first, int signalsInFile, qint64 bytes) {
  const qint64 data = std::max<qint64>(0, bytes - first.byteOffset);
  const qint64 values = first.format == 16 ? data / 2 : data / 3 * 2 + (data % 3 == 2 ? 1 : 0);
  return values / signalsInFile;
}

// Value `v` (counted over all signals of the file) of a format 16 or 212 file,
// and whether it is the format's "no sample" marker.
int AdcAt(int format, const std::uint8_t* p, qint64 v, bool& invalid) {
  if (format == 16) {
    const int adc = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[2 * v] | (p[2 * v + 1] << 8)));
    invalid = adc == -32768;
    return adc;
  }
  const std::uint8_t* g = p + (v / 2) * 3;
  const int raw = (v % 2 == 0) ? (g[0] | ((g[1] & 0x0F) << 8)) : (g[2] | ((g[1] & 0xF0) << 4));
  const int adc = raw >= 2048 ? raw - 4096 : raw;
  invalid = adc == -2048;
  return adc;
}

const SignalFile* FindFile(const std::vector<SignalFile>& files, const QString& name) {
  for (const SignalFile& f : files)
    if (f.name == name) return &f;
  return nullptr;
}

}  // namespace

std::vector<QString> ChecksumMismatches(const Header& header, const std::vector<SignalFile>& files) {
  std::vector<QString> out;
  auto grouped = GroupByFile(header);
  if (std::holds_alternative<QString>(grouped) || header.samplesPerSignal <= 0) return out;
  for (const FileSignals& group : std::get<std::vector<FileSignals>>(grouped)) {
    const SignalFile* file = FindFile(files, group.name);
    const SignalInfo& first = header.channels[static_cast<std::size_t>(group.signalIndices.front())];
    const int nsig = static_cast<int>(group.signalIndices.size());
    if (!file || file->start > first.byteOffset ||
        FramesInBytes(first, nsig, file->start + file->bytes.size()) < header.samplesPerSignal)
      continue;
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(nsig), 0);
    const auto* p = reinterpret_cast<const std::uint8_t*>(file->bytes.constData()) + (first.byteOffset - file->start);
    bool invalid = false;
    for (qint64 v = 0; v < header.samplesPerSignal * nsig; ++v)
      sums[static_cast<std::size_t>(v % nsig)] += static_cast<std::uint32_t>(AdcAt(first.format, p, v, invalid));
    for (int i = 0; i < nsig; ++i) {
      const SignalInfo& signal =
          header.channels[static_cast<std::size_t>(group.signalIndices[static_cast<std::size_t>(i)])];
      if (!signal.checksum) continue;
      // Both as 16-bit numbers: writers give the sum signed or unsigned.
      const auto computed = static_cast<std::int16_t>(sums[static_cast<std::size_t>(i)] & 0xFFFF);
      const auto given = static_cast<std::int16_t>(static_cast<std::uint32_t>(*signal.checksum) & 0xFFFF);
      if (computed != given)
        out.push_back(QStringLiteral("signal %1 (%2): the header's checksum is %3, the samples in %4 sum to %5")
                          .arg(group.signalIndices[static_cast<std::size_t>(i)] + 1)
                          .arg(signal.description, QString::number(*signal.checksum), group.name)
                          .arg(computed));
    }
  }
  return out;
}

std::variant<std::vector<FileSignals>, QString> GroupByFile(const Header& header) {
  std::vector<FileSignals> groups;
  for (int s = 0; s < static_cast<int>(header.channels.size()); ++s) {
    const SignalInfo& signal = header.channels[static_cast<std::size_t>(s)];
    auto it =
        std::find_if(groups.begin(), groups.end(), [&](const FileSignals& g) { return g.name == signal.fileName; });
    if (it == groups.end()) {
      groups.push_back({signal.fileName, {s}});
      continue;
    }
    const SignalInfo& first = header.channels[static_cast<std::size_t>(it->signalIndices.front())];
    if (first.format != signal.format || first.byteOffset != signal.byteOffset)
      return QStringLiteral("signals in %1 disagree on format or offset").arg(signal.fileName);
    it->signalIndices.push_back(s);
  }
  return groups;
}

std::variant<Samples, QString> DecodeSignals(const Header& header, const std::vector<SignalFile>& files,
                                             qint64 maxFrames) {
  auto grouped = GroupByFile(header);
  if (auto* err = std::get_if<QString>(&grouped)) return *err;
  Samples out;
  out.microvolts.resize(header.channels.size());
  qint64 common = std::numeric_limits<qint64>::max();
  for (const FileSignals& group : std::get<std::vector<FileSignals>>(grouped)) {
    const SignalFile* file = FindFile(files, group.name);
    if (!file) return QStringLiteral("signal file %1 was not given").arg(group.name);
    const SignalInfo& first = header.channels[static_cast<std::size_t>(group.signalIndices.front())];
    const int nsig = static_cast<int>(group.signalIndices.size());
    const qint64 onDisk = file->size >= 0 ? file->size : file->start + file->bytes.size();
    if (file->start > first.byteOffset) return QStringLiteral("%1 was not read from its byte offset").arg(group.name);
    if (first.byteOffset > onDisk)
      return QStringLiteral("%1 is shorter than its byte offset %2").arg(group.name).arg(first.byteOffset);
    const qint64 inFile = FramesInBytes(first, nsig, onDisk);
    if (header.samplesPerSignal > inFile)
      return QStringLiteral("the header declares %1 samples per signal but %2 holds only %3")
          .arg(header.samplesPerSignal)
          .arg(group.name)
          .arg(inFile);
    qint64 frames = std::min(inFile, FramesInBytes(first, nsig, file->start + file->bytes.size()));
    if (header.samplesPerSignal > 0) frames = std::min(frames, header.samplesPerSignal);
    if (maxFrames >= 0) frames = std::min(frames, maxFrames);
    common = std::min(common, frames);

    std::vector<std::vector<double>*> dest;
    std::vector<double> scale, base;
    for (int s : group.signalIndices) {
      const SignalInfo& signal = header.channels[static_cast<std::size_t>(s)];
      const auto perUnit = MicrovoltsPerUnit(signal.units);
      if (!perUnit)
        return QStringLiteral("signal %1 has units \"%2\", not a voltage").arg(signal.description, signal.units);
      // The largest |adc - baseline| is below 2^33: the product must stay finite.
      const double k = *perUnit / signal.gain;
      if (!std::isfinite(k) || !std::isfinite(k * 8589934592.0) || k == 0.0)
        return QStringLiteral("signal %1: gain %2 per %3 gives no finite voltages")
            .arg(signal.description, signal.gainText, signal.units);
      out.microvolts[static_cast<std::size_t>(s)].resize(static_cast<std::size_t>(frames));
      dest.push_back(&out.microvolts[static_cast<std::size_t>(s)]);
      scale.push_back(k);
      base.push_back(signal.baseline);
    }
    const auto* p = reinterpret_cast<const std::uint8_t*>(file->bytes.constData()) + (first.byteOffset - file->start);
    for (qint64 v = 0; v < frames * nsig; ++v) {
      bool invalid = false;
      const int adc = AdcAt(first.format, p, v, invalid);
      const std::size_t s = static_cast<std::size_t>(v % nsig);
      (*dest[s])[static_cast<std::size_t>(v / nsig)] = invalid ? 0.0 : (adc - base[s]) * scale[s];
    }
  }
  if (common == std::numeric_limits<qint64>::max()) common = 0;
  for (auto& sig : out.microvolts) sig.resize(static_cast<std::size_t>(common));
  out.count = common;
  return out;
}

}  // namespace corvale::wfdb
