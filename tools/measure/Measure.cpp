#include "measure/Measure.h"

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <variant>

#include "formats/Formats.h"

namespace corvale::measure {
namespace {

// The columns, in the order of the JSON keys, with how each is rounded.
struct Column {
  const char* key;
  const char* heading;  // in the table
  int width;            // in the table
  const std::optional<double> Measurements::*value;
  int decimals;
};
constexpr Column kColumns[] = {
    {"hr_bpm", "HR", 4, &Measurements::hrBpm, 0},
    {"rr_ms", "RR", 5, &Measurements::rrMs, 0},
    {"p_ms", "P", 4, &Measurements::pMs, 0},
    {"pr_ms", "PR", 4, &Measurements::prMs, 0},
    {"qrs_ms", "QRS", 4, &Measurements::qrsMs, 0},
    {"qt_ms", "QT", 4, &Measurements::qtMs, 0},
    {"qtc_ms", "QTc", 4, &Measurements::qtcMs, 0},
    {"qtcf_ms", "QTcF", 5, &Measurements::qtcfMs, 0},
    {"p_axis_deg", "Pax", 5, &Measurements::pAxisDeg, 0},
    {"qrs_axis_deg", "QRSax", 6, &Measurements::qrsAxisDeg, 0},
    {"t_axis_deg", "Tax", 5, &Measurements::tAxisDeg, 0},
    {"sv1_mv", "SV1", 6, &Measurements::sv1Mv, 2},
    {"rv5_mv", "RV5", 6, &Measurements::rv5Mv, 2},
    {"rv6_mv", "RV6", 6, &Measurements::rv6Mv, 2},
};

QString Number(double v, int decimals) {
  if (!std::isfinite(v)) return {};
  return decimals == 0 ? QString::number(std::lround(v)) : QString::number(v, 'f', decimals);
}

QString JsonString(const QString& s) {
  QString out = QStringLiteral("\"");
  for (QChar c : s) {
    if (c == u'"' || c == u'\\') out += u'\\' + QString(c);
    else if (c.unicode() < 0x20) out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    else out += c;
  }
  return out + u'"';
}

QString CsvField(const QString& s) {
  if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n') && !s.contains(u'\r')) return s;
  return u'"' + QString(s).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString Beats(const std::vector<int>& beats, QChar separator) {
  QStringList parts;
  parts.reserve(static_cast<qsizetype>(beats.size()));
  for (int b : beats) parts << QString::number(b);
  return parts.join(separator);
}

}  // namespace

std::optional<Format> ParseFormat(const QString& name) {
  if (name == u"text") return Format::Text;
  if (name == u"csv") return Format::Csv;
  if (name == u"json") return Format::Json;
  return std::nullopt;
}

QString HeaderLine(Format format) {
  QStringList cells;
  switch (format) {
    case Format::Json: return {};
    case Format::Csv:
      cells << QStringLiteral("file");
      for (const Column& c : kColumns) cells << QString::fromLatin1(c.key);
      cells << QStringLiteral("beats");
      return cells.join(u',') + u'\n';
    case Format::Text: {
      QString line;
      for (const Column& c : kColumns) line += QString::fromLatin1(c.heading).rightJustified(c.width) + u' ';
      return line + QStringLiteral("beats  file\n");
    }
  }
  return {};
}

QString RowLine(const Row& row, Format format) {
  const Measurements& m = row.measured;
  QString line;
  switch (format) {
    case Format::Json:
      line = QStringLiteral("{\"file\":") + JsonString(row.file);
      for (const Column& c : kColumns) {
        const auto& v = m.*(c.value);
        const QString number = v ? Number(*v, c.decimals) : QString();
        line +=
            QStringLiteral(",\"%1\":%2").arg(QLatin1String(c.key), number.isEmpty() ? QStringLiteral("null") : number);
      }
      return line + QStringLiteral(",\"beats\":[") + Beats(m.beats, u',') + QStringLiteral("]}\n");
    case Format::Csv:
      line = CsvField(row.file);
      for (const Column& c : kColumns) {
        const auto& v = m.*(c.value);
        line += u',' + (v ? Number(*v, c.decimals) : QString());
      }
      return line + u',' + Beats(m.beats, u' ') + u'\n';
    case Format::Text:
      for (const Column& c : kColumns) {
        const auto& v = m.*(c.value);
        const QString number = v ? Number(*v, c.decimals) : QString();
        line += (number.isEmpty() ? QStringLiteral("-") : number).rightJustified(c.width) + u' ';
      }
      return line + QString::number(m.beats.size()).rightJustified(5) + QStringLiteral("  ") + row.file + u'\n';
  }
  return line;
}

QStringList ReadPathList(QIODevice& device) {
  QStringList paths;
  while (!device.atEnd()) {
    QByteArray line = device.readLine();
    if (line.endsWith('\n')) line.chop(1);
    if (line.endsWith('\r')) line.chop(1);
    if (!line.isEmpty()) paths << QString::fromLocal8Bit(line);
  }
  return paths;
}

int MeasureAll(const std::vector<batch::Input>& inputs, int threads, const std::function<void(const Row&)>& row,
               const std::function<void(const FileError&)>& error) {
  struct Slot {
    std::optional<Measurements> measured;
    std::optional<FileError> error;
    bool done = false;
  };
  std::vector<Slot> slots(inputs.size());
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable ready;
  auto work = [&] {
    for (std::size_t i = next++; i < inputs.size(); i = next++) {
      Slot result;
      if (inputs[i].error) {
        result.error = inputs[i].error;
      } else {
        auto read = formats::ReadAnyRecord(inputs[i].path);
        if (auto* err = std::get_if<FileError>(&read)) result.error = *err;
        else result.measured = MeasureRecord(*std::get<formats::OpenedRecord>(read).image);
      }
      result.done = true;
      {
        std::lock_guard lock(mutex);
        slots[i] = std::move(result);
      }
      ready.notify_one();
    }
  };
  std::vector<std::thread> pool;
  const int count = std::max(1, std::min<int>(threads, static_cast<int>(inputs.size())));
  pool.reserve(static_cast<std::size_t>(count));
  for (int t = 0; t < count; ++t) pool.emplace_back(work);
  int failed = 0;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    Slot slot;
    {
      std::unique_lock lock(mutex);
      ready.wait(lock, [&] { return slots[i].done; });
      slot = std::move(slots[i]);
    }
    if (slot.error) {
      ++failed;
      if (error) error(*slot.error);
    } else if (row) {
      row({inputs[i].path, std::move(*slot.measured)});
    }
  }
  for (std::thread& t : pool) t.join();
  return failed;
}

}  // namespace corvale::measure
