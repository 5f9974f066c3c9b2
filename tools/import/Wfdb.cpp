#include "import/Wfdb.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <limits>
#include <map>

namespace corvale::wfdb {
namespace {

bool ParseDouble(const QString& s, double& out) {
  bool ok = false;
  out = s.toDouble(&ok);
  return ok && std::isfinite(out);
}

bool ParseInt64(const QString& s, qint64& out) {
  bool ok = false;
  out = s.toLongLong(&ok);
  return ok;
}

// "16", "212", "16x1", "16+24", "16x1+24", with an optional ":skew" we refuse.
std::optional<QString> ParseFormatField(const QString& field, SignalSpec& signal) {
  static const QRegularExpression re(QStringLiteral(R"(^(\d+)(?:x(\d+))?(?::(\d+))?(?:\+(\d+))?$)"));
  const auto m = re.match(field);
  if (!m.hasMatch()) return QStringLiteral("unreadable format field \"%1\"").arg(field);
  signal.format = m.captured(1).toInt();
  if (!m.captured(2).isEmpty()) signal.samplesPerFrame = m.captured(2).toInt();
  if (!m.captured(3).isEmpty() && m.captured(3).toInt() != 0)
    return QStringLiteral("signal skew is not supported (\"%1\")").arg(field);
  if (!m.captured(4).isEmpty()) {
    bool ok = false;
    signal.byteOffset = m.captured(4).toLongLong(&ok);
    if (!ok || signal.byteOffset < 0) return QStringLiteral("unreadable byte offset in \"%1\"").arg(field);
  }
  if (signal.format != 16 && signal.format != 212)
    return QStringLiteral("format %1 is not supported (only 16 and 212)").arg(signal.format);
  if (signal.samplesPerFrame != 1)
    return QStringLiteral("%1 samples per frame is not supported (only 1)").arg(signal.samplesPerFrame);
  return std::nullopt;
}

// "gain", "gain(baseline)", with "/units" after either.
std::optional<QString> ParseGainField(const QString& field, SignalSpec& signal, bool& baselineGiven) {
  static const QRegularExpression re(QStringLiteral(R"(^([-+0-9.eE]+)(?:\(([-+0-9]+)\))?(?:/(\S+))?$)"));
  const auto m = re.match(field);
  if (!m.hasMatch()) return QStringLiteral("unreadable gain field \"%1\"").arg(field);
  double gain = 0;
  if (!ParseDouble(m.captured(1), gain)) return QStringLiteral("unreadable gain \"%1\"").arg(field);
  signal.gain = gain == 0.0 ? 200.0 : gain;
  if (!m.captured(2).isEmpty()) {
    double baseline = 0;
    if (!ParseDouble(m.captured(2), baseline)) return QStringLiteral("unreadable baseline \"%1\"").arg(field);
    signal.baseline = baseline;
    baselineGiven = true;
  }
  if (!m.captured(3).isEmpty()) signal.units = m.captured(3);
  return std::nullopt;
}

}  // namespace

std::variant<Header, QString> ParseHeader(const QByteArray& text) {
  Header header;
  bool haveRecordLine = false;
  int expectedSignals = 0;
  const QStringList lines = QString::fromUtf8(text).split(u'\n');
  for (QString line : lines) {
    line = line.trimmed();
    if (line.isEmpty()) continue;
    if (line.startsWith(u'#')) {
      header.comments.push_back(line.mid(1).trimmed());
      continue;
    }
    const QStringList f = line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (!haveRecordLine) {
      haveRecordLine = true;
      if (f.size() < 2) return QStringLiteral("the record line needs a name and a signal count");
      header.recordName = f[0];
      if (header.recordName.contains(u'/')) return QStringLiteral("multi-segment records are not supported");
      bool ok = false;
      expectedSignals = f[1].toInt(&ok);
      if (!ok || expectedSignals <= 0 || expectedSignals > 4096)
        return QStringLiteral("unreadable signal count \"%1\"").arg(f[1]);
      if (f.size() > 2) {
        const QString fs = f[2].section(u'/', 0, 0).section(u'(', 0, 0);
        if (!ParseDouble(fs, header.samplingFrequency) || header.samplingFrequency <= 0 ||
            header.samplingFrequency > 1e6)
          return QStringLiteral("unreadable sampling frequency \"%1\"").arg(f[2]);
      }
      if (f.size() > 3 && (!ParseInt64(f[3], header.samplesPerSignal) || header.samplesPerSignal < 0))
        return QStringLiteral("unreadable sample count \"%1\"").arg(f[3]);
      continue;
    }
    if (static_cast<int>(header.channels.size()) >= expectedSignals) continue;  // trailing info lines
    if (f.size() < 2) return QStringLiteral("signal line %1 needs a file name and a format").arg(header.channels.size() + 1);
    SignalSpec signal;
    signal.fileName = f[0];
    if (auto err = ParseFormatField(f[1], signal)) return *err;
    bool baselineGiven = false;
    if (f.size() > 2)
      if (auto err = ParseGainField(f[2], signal, baselineGiven)) return *err;
    // f[3] is the ADC resolution, which the conversion does not need.
    if (f.size() > 4) {
      bool ok = false;
      signal.adcZero = f[4].toInt(&ok);
      if (!ok) return QStringLiteral("unreadable ADC zero \"%1\"").arg(f[4]);
    }
    if (!baselineGiven) signal.baseline = signal.adcZero;
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
    if (colon > 0 && c.left(colon).trimmed().compare(key, Qt::CaseInsensitive) == 0) return c.mid(colon + 1).trimmed();
  }
  return std::nullopt;
}

std::variant<Samples, QString> DecodeSignals(const Header& header,
                                             const std::vector<std::pair<QString, QByteArray>>& files) {
  // Signals of one file are interleaved frame by frame, in header order.
  std::map<QString, std::vector<int>> byFile;
  std::vector<QString> fileOrder;
  for (int s = 0; s < static_cast<int>(header.channels.size()); ++s) {
    const SignalSpec& signal = header.channels[static_cast<std::size_t>(s)];
    auto [it, inserted] = byFile.try_emplace(signal.fileName);
    if (inserted) fileOrder.push_back(signal.fileName);
    else {
      const SignalSpec& first = header.channels[static_cast<std::size_t>(it->second.front())];
      if (first.format != signal.format || first.byteOffset != signal.byteOffset)
        return QStringLiteral("signals in %1 disagree on format or offset").arg(signal.fileName);
    }
    it->second.push_back(s);
  }

  Samples out;
  out.microvolts.resize(header.channels.size());
  qint64 common = std::numeric_limits<qint64>::max();
  for (const QString& name : fileOrder) {
    const QByteArray* data = nullptr;
    for (const auto& [fileName, bytes] : files)
      if (fileName == name) data = &bytes;
    if (!data) return QStringLiteral("signal file %1 was not given").arg(name);
    const std::vector<int>& sigs = byFile[name];
    const SignalSpec& first = header.channels[static_cast<std::size_t>(sigs.front())];
    if (first.byteOffset > data->size())
      return QStringLiteral("%1 is shorter than its byte offset %2").arg(name).arg(first.byteOffset);
    const auto* p = reinterpret_cast<const std::uint8_t*>(data->constData()) + first.byteOffset;
    const qint64 bytes = data->size() - first.byteOffset;
    const qint64 nsig = static_cast<qint64>(sigs.size());
    const qint64 values = first.format == 16 ? bytes / 2 : bytes / 3 * 2;
    qint64 frames = values / nsig;
    if (header.samplesPerSignal > 0) frames = std::min(frames, header.samplesPerSignal);
    common = std::min(common, frames);

    std::vector<std::vector<double>*> dest;
    std::vector<double> scale, base;
    for (int s : sigs) {
      const SignalSpec& signal = header.channels[static_cast<std::size_t>(s)];
      const auto perUnit = MicrovoltsPerUnit(signal.units);
      if (!perUnit) return QStringLiteral("signal %1 has units \"%2\", not a voltage").arg(signal.description, signal.units);
      out.microvolts[static_cast<std::size_t>(s)].resize(static_cast<std::size_t>(frames));
      dest.push_back(&out.microvolts[static_cast<std::size_t>(s)]);
      scale.push_back(*perUnit / signal.gain);
      base.push_back(signal.baseline);
    }
    for (qint64 v = 0; v < frames * nsig; ++v) {
      int adc = 0;
      bool invalid = false;
      if (first.format == 16) {
        adc = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[2 * v] | (p[2 * v + 1] << 8)));
        invalid = adc == -32768;
      } else {
        const std::uint8_t* g = p + (v / 2) * 3;
        const int raw = (v % 2 == 0) ? (g[0] | ((g[1] & 0x0F) << 8)) : (g[2] | ((g[1] & 0xF0) << 4));
        adc = raw >= 2048 ? raw - 4096 : raw;
        invalid = adc == -2048;
      }
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
