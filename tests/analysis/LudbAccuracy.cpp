#include "analysis/LudbAccuracy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <random>
#include <sstream>

#include "formats/Formats.h"
#include "formats/WfdbAnnotations.h"

namespace corvale::accuracy {
namespace {

constexpr double MsPerSample = 2.0;

struct Wave {
  char kind = 0;  // 'p', 'N', 't'
  int onset = -1, peak = -1, offset = -1;
};

// The waves of one lead: a peak mark with the "(" before it and the ")" after it.
std::vector<Wave> Waves(const std::vector<wfdb::Annotation>& marks) {
  std::vector<Wave> waves;
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const char s = marks[i].symbol;
    if (s != 'p' && s != 'N' && s != 't') continue;
    Wave w;
    w.kind = s;
    w.peak = static_cast<int>(marks[i].sample);
    if (i > 0 && marks[i - 1].symbol == '(') w.onset = static_cast<int>(marks[i - 1].sample);
    if (i + 1 < marks.size() && marks[i + 1].symbol == ')') w.offset = static_cast<int>(marks[i + 1].sample);
    waves.push_back(w);
  }
  return waves;
}

double MedianOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

std::optional<double> MedianIfAny(const std::vector<double>& v) {
  if (v.empty()) return std::nullopt;
  return MedianOf(v);
}

// ludb.csv (or the row subset of it in tests/data): ID, sex, age, rhythms, axis, ...; quoted fields may span lines.
std::map<int, std::array<std::string, 3>> ReadCatalogue(const QString& dir) {
  std::map<int, std::array<std::string, 3>> out;
  QString path;
  for (const char* name : {"ludb.csv", "ludb_subset.csv", "../ludb.csv"})
    if (path.isEmpty() && QFileInfo(QDir(dir).filePath(QString::fromLatin1(name))).isFile())
      path = QDir(dir).filePath(QString::fromLatin1(name));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return out;
  const std::string text = file.readAll().toStdString();
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().push_back(field), field.clear();
    } else if (c == '\n') {
      rows.back().push_back(field), field.clear();
      rows.emplace_back();
    } else if (c != '\r') {
      field += c;
    }
  }
  const auto trim = [](std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.erase(s.begin());
    return s;
  };
  for (std::size_t r = 1; r < rows.size(); ++r) {
    if (rows[r].size() < 5) continue;
    const int id = std::atoi(rows[r][0].c_str());
    std::string axis = trim(rows[r][4]);
    const std::string prefix = "Electric axis of the heart: ";
    if (axis.rfind(prefix, 0) == 0) axis = axis.substr(prefix.size());
    out[id] = {trim(rows[r][3]), axis, rows[r].size() > 8 ? trim(rows[r][8]) : std::string()};
  }
  return out;
}

Difference Stats(const std::vector<double>& v) {
  Difference d;
  d.n = static_cast<int>(v.size());
  if (v.empty()) return d;
  for (double x : v) d.mean += x;
  d.mean /= d.n;
  for (double x : v) d.sd += (x - d.mean) * (x - d.mean);
  d.sd = d.n > 1 ? std::sqrt(d.sd / (d.n - 1)) : 0;
  return d;
}

bool Contains(const std::string& s, const char* what) { return s.find(what) != std::string::npos; }

}  // namespace

std::optional<Reference> ReadReference(const QString& headerPath) {
  std::vector<std::vector<Wave>> leads;
  for (const wfdb::AnnotationFile& f : wfdb::FindAnnotationFiles(headerPath)) {
    if (f.lead.isEmpty()) continue;
    auto read = wfdb::ReadAnnotationFile(f.path);
    if (auto* marks = std::get_if<std::vector<wfdb::Annotation>>(&read)) leads.push_back(Waves(*marks));
  }
  if (leads.empty()) return std::nullopt;

  // Beats: QRS peaks of all leads within 150 ms of each other.
  std::vector<std::pair<int, std::size_t>> qrs;  // peak, lead
  for (std::size_t L = 0; L < leads.size(); ++L)
    for (const Wave& w : leads[L])
      if (w.kind == 'N') qrs.emplace_back(w.peak, L);
  std::sort(qrs.begin(), qrs.end());
  std::vector<std::vector<int>> clusters;
  int clusterStart = -1000000;
  for (const auto& [peak, lead] : qrs) {
    if (peak - clusterStart > 75) {
      clusters.emplace_back();
      clusterStart = peak;
    }
    clusters.back().push_back(peak);
  }
  Reference ref;
  // [0]: from the outermost lead marks; [1]: from the next ones, as if the
  // outermost lead had not been marked (how much one lead's mark decides).
  std::vector<double> pDur[2], pr[2], qrsDur[2], qt[2];
  std::vector<int> centres;
  for (const auto& c : clusters) {
    std::vector<double> peaks(c.begin(), c.end());
    centres.push_back(static_cast<int>(std::lround(MedianOf(peaks))));
  }
  ref.qrsPeaks = centres;
  // The k-th earliest (or latest) of a beat's marks, -1 when there are too few.
  const auto nth = [](std::vector<int> marks, std::size_t k, bool latest) {
    if (marks.size() <= k) return -1;
    std::sort(marks.begin(), marks.end());
    return latest ? marks[marks.size() - 1 - k] : marks[k];
  };
  for (std::size_t b = 0; b < centres.size(); ++b) {
    const int centre = centres[b];
    const int prev = b > 0 ? centres[b - 1] : centre - 1000;
    const int next = b + 1 < centres.size() ? centres[b + 1] : centre + 1000;
    std::vector<int> qOns, qOffs, pOns, pOffs, tOffs;
    for (const auto& lead : leads) {
      for (const Wave& w : lead) {
        if (w.kind == 'N' && std::abs(w.peak - centre) <= 75) {
          if (w.onset >= 0) qOns.push_back(w.onset);
          if (w.offset >= 0) qOffs.push_back(w.offset);
        } else if (w.kind == 'p' && w.peak < centre && w.peak > prev + 50) {
          if (w.onset >= 0) pOns.push_back(w.onset);
          if (w.offset >= 0) pOffs.push_back(w.offset);
        } else if (w.kind == 't' && w.peak > centre && w.peak < next) {
          if (w.offset >= 0) tOffs.push_back(w.offset);
        }
      }
    }
    for (std::size_t k = 0; k < 2; ++k) {
      const int qOn = nth(qOns, k, false), qOff = nth(qOffs, k, true), pOn = nth(pOns, k, false);
      const int pOff = nth(pOffs, k, true), tOff = nth(tOffs, k, true);
      if (k == 0) {
        ref.pOnsets.push_back(pOn);
        ref.pOffsets.push_back(pOff);
        ref.qrsOnsets.push_back(qOn);
        ref.qrsOffsets.push_back(qOff);
        ref.tEnds.push_back(tOff);
      }
      if (qOff < 0 || qOn < 0) continue;
      qrsDur[k].push_back((qOff - qOn) * MsPerSample);
      if (tOff > 0) qt[k].push_back((tOff - qOn) * MsPerSample);
      if (pOff > 0 && pOn >= 0 && pOn < qOn) {
        pDur[k].push_back((pOff - pOn) * MsPerSample);
        pr[k].push_back((qOn - pOn) * MsPerSample);
      }
    }
  }
  ref.pMs = MedianIfAny(pDur[0]);
  ref.prMs = MedianIfAny(pr[0]);
  ref.qrsMs = MedianIfAny(qrsDur[0]);
  ref.qtMs = MedianIfAny(qt[0]);
  ref.inner = {MedianIfAny(pDur[1]), MedianIfAny(pr[1]), MedianIfAny(qrsDur[1]), MedianIfAny(qt[1])};
  if (centres.size() >= 2) {
    const double rr = (centres.back() - centres.front()) * MsPerSample / static_cast<double>(centres.size() - 1);
    ref.hrBpm = 60000.0 / rr;
    ref.spanFrom = centres.front();
    ref.spanTo = centres.back();
  }
  return ref;
}

void AddNoise(RecordImage& image, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> broadband(0.0, 25.0);
  std::uniform_real_distribution<double> phase(0.0, 2 * std::numbers::pi);
  for (int L = 0; L < LeadCount; ++L) {
    const double wanderPhase = phase(random), humPhase = phase(random);
    for (int i = 0; i < SamplesPerLead; ++i) {
      const double t = i / 500.0;
      const double uv = 500.0 * std::sin(2 * std::numbers::pi * 0.3 * t + wanderPhase) +
                        50.0 * std::sin(2 * std::numbers::pi * 50.0 * t + humPhase) + broadband(random);
      const double raw = std::round(image.Sample(L, i) + uv / MeasurementUnitMicrovolts);
      image.SetSample(L, i, static_cast<std::int16_t>(std::clamp(raw, -32768.0, 32767.0)));
    }
  }
}

std::vector<RecordResult> EvaluateDirectory(const QString& dir, bool noise) {
  QStringList names;
  QFile list(QDir(dir).filePath(QStringLiteral("RECORDS")));
  if (list.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : list.readAll().split('\n'))
      if (!line.trimmed().isEmpty()) names << QString::fromUtf8(line.trimmed());
  } else {
    for (const QFileInfo& f : QDir(dir).entryInfoList({QStringLiteral("*.hea")}, QDir::Files))
      names << f.completeBaseName();
  }
  std::sort(names.begin(), names.end(),
            [](const QString& a, const QString& b) { return a.toInt() != b.toInt() ? a.toInt() < b.toInt() : a < b; });
  const auto catalogue = ReadCatalogue(dir);
  std::vector<RecordResult> results;
  for (const QString& name : names) {
    const QString header = QDir(dir).filePath(name + QStringLiteral(".hea"));
    if (!QFileInfo(header).isFile()) continue;
    auto reference = ReadReference(header);
    if (!reference) continue;
    auto opened = formats::ReadAnyRecord(header);
    if (auto* err = std::get_if<FileError>(&opened)) {
      std::fprintf(stderr, "%s\n", qPrintable(err->Describe()));
      continue;
    }
    RecordImage& image = *std::get<formats::OpenedRecord>(opened).image;
    RecordResult r;
    r.name = name;
    r.reference = *reference;
    if (auto it = catalogue.find(name.toInt()); it != catalogue.end()) {
      r.rhythm = it->second[0];
      r.axisClass = it->second[1];
      r.paced = !it->second[2].empty();
    }
    r.clean = MeasureRecord(image);
    if (noise) {
      AddNoise(image, static_cast<unsigned>(name.toInt()) * 7919U + 17U);
      r.noisy = MeasureRecord(image);
    }
    // Detection inside the annotated stretch, matched within 75 ms.
    const auto& refs = r.reference.qrsPeaks;
    std::vector<bool> used(refs.size(), false);
    for (int beat : r.clean.beats) {
      if (beat < r.reference.spanFrom - 37 || beat > r.reference.spanTo + 37) continue;
      bool matched = false;
      for (std::size_t k = 0; k < refs.size() && !matched; ++k)
        if (!used[k] && std::abs(beat - refs[k]) <= 37) used[k] = true, matched = true;
      matched ? ++r.truePositives : ++r.extra;
    }
    r.missed = static_cast<int>(std::count(used.begin(), used.end(), false));
    results.push_back(std::move(r));
  }
  return results;
}

std::array<std::optional<double>, 5> PointDifferences(const RecordResult& r) {
  const Reference& ref = r.reference;
  std::vector<double> d[5];
  for (const BeatFiducials& f : r.clean.fiducials) {
    for (std::size_t k = 0; k < ref.qrsPeaks.size(); ++k) {
      if (std::abs(ref.qrsPeaks[k] - f.qrs) > 37) continue;
      const std::optional<int> ours[5] = {f.pOnset, f.pOffset, f.qrsOnset, f.qrsOffset, f.tEnd};
      const int theirs[5] = {ref.pOnsets[k], ref.pOffsets[k], ref.qrsOnsets[k], ref.qrsOffsets[k], ref.tEnds[k]};
      for (int i = 0; i < 5; ++i)
        if (ours[i] && theirs[i] >= 0) d[i].push_back((*ours[i] - theirs[i]) * MsPerSample);
    }
  }
  std::array<std::optional<double>, 5> out;
  for (int i = 0; i < 5; ++i) out[static_cast<std::size_t>(i)] = MedianIfAny(d[i]);
  return out;
}

double Summary::Sensitivity() const {
  return truePositives + missed > 0 ? 100.0 * truePositives / (truePositives + missed) : 0.0;
}
double Summary::PositivePredictivity() const {
  return truePositives + extra > 0 ? 100.0 * truePositives / (truePositives + extra) : 0.0;
}

std::string AxisClass(double a) {
  if (a > 90 || a <= -90) return "right axis deviation";
  if (a < 0) return "left axis deviation";
  if (a < 30) return "horizontal";
  if (a < 70) return "normal";
  return "vertical";
}

Summary Summarise(const std::vector<RecordResult>& results) {
  Summary s;
  s.records = static_cast<int>(results.size());
  std::vector<double> p, pr, qrs, qt, nPr, nQrs, nQt, inner[4];
  for (const RecordResult& r : results) {
    const Reference& ref = r.reference;
    const Measurements& m = r.clean;
    const bool fibrillation = Contains(r.rhythm, "fibrillation");
    const bool flutterOrPaced = Contains(r.rhythm, "flutter") || r.paced || m.paced;
    // P and PR are compared where the rhythm has P waves to compare.
    if (!fibrillation && !flutterOrPaced) {
      if (ref.pMs && m.pMs) p.push_back(*m.pMs - *ref.pMs);
      if (ref.prMs && m.prMs) pr.push_back(*m.prMs - *ref.prMs);
    }
    if (ref.qrsMs && m.qrsMs) qrs.push_back(*m.qrsMs - *ref.qrsMs);
    const std::optional<double> outer[4] = {ref.pMs, ref.prMs, ref.qrsMs, ref.qtMs};
    for (std::size_t i = 0; i < 4; ++i)
      if (outer[i] && ref.inner[i] && (i >= 2 || (!fibrillation && !flutterOrPaced)))
        inner[i].push_back(*ref.inner[i] - *outer[i]);
    if (ref.qtMs && m.qtMs) qt.push_back(*m.qtMs - *ref.qtMs);
    if (ref.hrBpm) {
      ++s.hrCompared;
      if (m.hrBpm && std::abs(*m.hrBpm - *ref.hrBpm) <= 2.0) ++s.hrWithin2;
    }
    s.truePositives += r.truePositives, s.missed += r.missed, s.extra += r.extra;
    if (Contains(r.rhythm, "Sinus") || Contains(r.rhythm, "sinus")) {
      if (!flutterOrPaced && !fibrillation) ++s.sinus, s.sinusWithPr += m.prMs ? 1 : 0;
    }
    if (fibrillation) ++s.fibrillation, s.fibrillationWithPr += m.prMs ? 1 : 0;
    else if (flutterOrPaced) ++s.flutterOrPaced, s.flutterOrPacedWithPr += m.prMs ? 1 : 0;
    if (!r.axisClass.empty()) {
      ++s.axisCompared;
      if (m.qrsAxisDeg && AxisClass(*m.qrsAxisDeg) == r.axisClass) ++s.axisAgrees;
      if (m.qrsAxisDeg && (AxisClass(*m.qrsAxisDeg) == r.axisClass || AxisClass(*m.qrsAxisDeg + 10) == r.axisClass ||
                           AxisClass(*m.qrsAxisDeg - 10) == r.axisClass))
        ++s.axisNear;
    }
    if (r.noisy.beats.size() + r.clean.beats.size() > 0) {
      s.withNoise = true;
      if (m.prMs && r.noisy.prMs) nPr.push_back(std::abs(*r.noisy.prMs - *m.prMs));
      if (m.qrsMs && r.noisy.qrsMs) nQrs.push_back(std::abs(*r.noisy.qrsMs - *m.qrsMs));
      if (m.qtMs && r.noisy.qtMs) nQt.push_back(std::abs(*r.noisy.qtMs - *m.qtMs));
    }
  }
  s.withNoise =
      std::any_of(results.begin(), results.end(), [](const RecordResult& r) { return !r.noisy.beats.empty(); });
  s.p = Stats(p), s.pr = Stats(pr), s.qrs = Stats(qrs), s.qt = Stats(qt);
  for (std::size_t i = 0; i < 4; ++i) s.referenceSpread[i] = Stats(inner[i]);
  // Points: each measured beat against the annotated beat within 75 ms.
  std::vector<double> points[5];
  for (const RecordResult& r : results) {
    const auto d = PointDifferences(r);
    for (std::size_t i = 0; i < d.size(); ++i)
      if (d[i]) points[i].push_back(*d[i]);
  }
  s.pOnset = Stats(points[0]), s.pOffset = Stats(points[1]), s.qrsOnset = Stats(points[2]);
  s.qrsOffset = Stats(points[3]), s.tEnd = Stats(points[4]);
  s.noisePr = Stats(nPr), s.noiseQrs = Stats(nQrs), s.noiseQt = Stats(nQt);
  return s;
}

std::string Table(const Summary& s) {
  std::ostringstream o;
  char line[256];
  o << "Records: " << s.records << "\n\n";
  o << "| measure | records | mean difference (ms) | SD (ms) | target |\n|---|---|---|---|---|\n";
  const auto row = [&](const char* name, const Difference& d, const char* target) {
    std::snprintf(line, sizeof line, "| %s | %d | %+.1f | %.1f | %s |\n", name, d.n, d.mean, d.sd, target);
    o << line;
  };
  row("P duration", s.p, "+-10 / <= 15");
  row("PR", s.pr, "+-10 / <= 10");
  row("QRS duration", s.qrs, "+-6 / <= 10");
  row("QT", s.qt, "+-12 / <= 30");
  row("(P onset)", s.pOnset, "");
  row("(P offset)", s.pOffset, "");
  row("(QRS onset)", s.qrsOnset, "");
  row("(QRS offset)", s.qrsOffset, "");
  row("(T end)", s.tEnd, "");
  // Not a target: how far the reference itself moves when its outermost
  // lead's mark gives way to the next lead's (the cardiologists' scatter).
  o << "\n| the reference without its outermost lead mark, minus the reference | records | mean (ms) | SD (ms) |\n"
       "|---|---|---|---|\n";
  const char* spreadNames[4] = {"P duration", "PR", "QRS duration", "QT"};
  for (std::size_t i = 0; i < 4; ++i) {
    const Difference& d = s.referenceSpread[i];
    std::snprintf(line, sizeof line, "| %s | %d | %+.1f | %.1f |\n", spreadNames[i], d.n, d.mean, d.sd);
    o << line;
  }
  o << "\n| check | result | target |\n|---|---|---|\n";
  std::snprintf(line, sizeof line, "| HR within 2 bpm | %d of %d (%.1f %%) | >= 95 %% |\n", s.hrWithin2, s.hrCompared,
                s.hrCompared ? 100.0 * s.hrWithin2 / s.hrCompared : 0.0);
  o << line;
  std::snprintf(line, sizeof line, "| QRS detection sensitivity | %.2f %% (%d of %d) | >= 99.5 %% |\n", s.Sensitivity(),
                s.truePositives, s.truePositives + s.missed);
  o << line;
  std::snprintf(line, sizeof line, "| QRS detection positive predictivity | %.2f %% (%d extra) | >= 99.5 %% |\n",
                s.PositivePredictivity(), s.extra);
  o << line;
  std::snprintf(line, sizeof line, "| sinus-rhythm records with a PR | %d of %d | >= 95 %% |\n", s.sinusWithPr,
                s.sinus);
  o << line;
  std::snprintf(line, sizeof line, "| atrial fibrillation records with a PR | %d of %d | none |\n",
                s.fibrillationWithPr, s.fibrillation);
  o << line;
  std::snprintf(line, sizeof line, "| flutter or paced records with a PR | %d of %d | none |\n", s.flutterOrPacedWithPr,
                s.flutterOrPaced);
  o << line;
  std::snprintf(line, sizeof line, "| QRS axis in the cardiologists' class | %d of %d (%d within 10 deg) | all |\n",
                s.axisAgrees, s.axisCompared, s.axisNear);
  o << line;
  if (s.withNoise) {
    std::snprintf(line, sizeof line, "| noise: PR moves (mean abs) | %.1f ms (%d records) | <= 10 ms |\n",
                  s.noisePr.mean, s.noisePr.n);
    o << line;
    std::snprintf(line, sizeof line, "| noise: QRS moves (mean abs) | %.1f ms (%d records) | <= 10 ms |\n",
                  s.noiseQrs.mean, s.noiseQrs.n);
    o << line;
    std::snprintf(line, sizeof line, "| noise: QT moves (mean abs) | %.1f ms (%d records) | <= 20 ms |\n",
                  s.noiseQt.mean, s.noiseQt.n);
    o << line;
  }
  return o.str();
}

bool MeetsTargets(const Summary& s, std::vector<std::string>* failures) {
  std::vector<std::string> f;
  const auto need = [&](bool ok, const char* what) {
    if (!ok) f.emplace_back(what);
  };
  need(s.p.n > 0 && std::abs(s.p.mean) <= 10 && s.p.sd <= 15, "P duration");
  need(s.pr.n > 0 && std::abs(s.pr.mean) <= 10 && s.pr.sd <= 10, "PR");
  need(s.qrs.n > 0 && std::abs(s.qrs.mean) <= 6 && s.qrs.sd <= 10, "QRS duration");
  need(s.qt.n > 0 && std::abs(s.qt.mean) <= 12 && s.qt.sd <= 30, "QT");
  need(s.hrCompared > 0 && s.hrWithin2 >= 0.95 * s.hrCompared, "heart rate");
  need(s.Sensitivity() >= 99.5 && s.PositivePredictivity() >= 99.5, "QRS detection");
  need(s.fibrillationWithPr == 0, "no PR in atrial fibrillation");
  need(s.sinus == 0 || s.sinusWithPr >= 0.95 * s.sinus, "PR in sinus rhythm");
  if (s.withNoise) {
    need(s.noisePr.mean <= 10 && s.noiseQrs.mean <= 10, "PR and QRS under noise");
    need(s.noiseQt.mean <= 20, "QT under noise");
  }
  if (failures) *failures = f;
  return f.empty();
}

}  // namespace corvale::accuracy
