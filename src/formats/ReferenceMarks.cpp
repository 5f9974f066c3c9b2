#include "formats/ReferenceMarks.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <optional>

#include "formats/InputFile.h"
#include "formats/Wfdb.h"

namespace corvale::wfdb {
namespace {

enum Wave { kP, kQrs, kT, kWaves };

struct Marked {
  std::int64_t peak = 0;
  std::optional<std::int64_t> onset, offset;
};

// The WFDB codes of beats (normal, bundle branch blocks, ectopic, paced,
// fusion, escape, unclassified).
bool IsBeat(int code) {
  return (code >= 1 && code <= 13) || code == 25 || code == 30 || code == 34 || code == 35 || code == 38;
}

std::optional<Wave> WaveOf(const Annotation& a) {
  if (a.symbol == 'p') return kP;
  if (a.symbol == 't') return kT;
  if (IsBeat(a.code)) return kQrs;
  return std::nullopt;
}

// "(" onset, the wave's own label at its peak, ")" offset, in file order.
void Collect(const std::vector<Annotation>& annotations, std::vector<Marked> (&waves)[kWaves]) {
  std::optional<std::int64_t> onset;
  Marked* open = nullptr;
  for (const Annotation& a : annotations) {
    if (a.symbol == '(') {
      onset = a.sample;
      open = nullptr;
    } else if (a.symbol == ')') {
      if (open) open->offset = a.sample;
      open = nullptr;
      onset.reset();
    } else if (const auto wave = WaveOf(a)) {
      waves[*wave].push_back({a.sample, onset, std::nullopt});
      open = &waves[*wave].back();
      onset.reset();
    }
  }
}

}  // namespace

std::vector<int> ReferenceMarks(const std::vector<std::vector<Annotation>>& files, double samplingFrequency) {
  if (!(samplingFrequency > 0)) return {};
  std::vector<Marked> waves[kWaves];
  for (const auto& file : files) Collect(file, waves);
  // One beat's wave in different leads lies within 150 ms of the first lead's.
  const auto window = static_cast<std::int64_t>(std::ceil(0.15 * samplingFrequency));
  const double scale = 500.0 / samplingFrequency;
  auto at500 = [&](std::int64_t sample) { return static_cast<int>(std::lround(static_cast<double>(sample) * scale)); };
  std::vector<int> marks;
  bool anyBoundary = false;
  std::vector<int> beats;
  for (int w = 0; w < kWaves; ++w) {
    auto& list = waves[w];
    std::sort(list.begin(), list.end(), [](const Marked& a, const Marked& b) { return a.peak < b.peak; });
    for (std::size_t i = 0; i < list.size();) {
      std::size_t j = i;
      std::optional<std::int64_t> onset, offset;
      for (; j < list.size() && list[j].peak - list[i].peak <= window; ++j) {
        if (list[j].onset) onset = onset ? std::min(*onset, *list[j].onset) : *list[j].onset;
        if (list[j].offset) offset = offset ? std::max(*offset, *list[j].offset) : *list[j].offset;
      }
      if (onset && w != kT) marks.push_back(at500(*onset));
      if (offset) marks.push_back(at500(*offset));
      anyBoundary = anyBoundary || onset || offset;
      if (w == kQrs) beats.push_back(at500(list[i].peak));
      i = j;
    }
  }
  if (!anyBoundary) marks = beats;
  std::sort(marks.begin(), marks.end());
  return marks;
}

std::vector<int> ReferenceMarksOf(const QString& recordPath) {
  const std::vector<AnnotationFile> found = FindAnnotationFiles(recordPath);
  if (found.empty()) return {};
  std::vector<std::vector<Annotation>> files;
  for (const AnnotationFile& f : found) {
    auto read = ReadAnnotationFile(f.path);
    if (auto* annotations = std::get_if<std::vector<Annotation>>(&read)) files.push_back(std::move(*annotations));
  }
  double frequency = 500.0;
  const QFileInfo info(recordPath);
  const QString header = info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral(".hea"));
  if (QFileInfo(header).isFile()) {
    auto opened = formats::InputFile::Open(header);
    if (auto* file = std::get_if<formats::InputFile>(&opened)) {
      auto text = file->ReadAll(1 << 20);
      if (auto* bytes = std::get_if<QByteArray>(&text))
        if (auto parsed = ParseHeader(*bytes); auto* h = std::get_if<Header>(&parsed)) frequency = h->samplingFrequency;
    }
  }
  return ReferenceMarks(files, frequency);
}

}  // namespace corvale::wfdb
