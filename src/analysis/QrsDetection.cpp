// After Pan and Tompkins (1985): a slope-energy envelope, integrated over a
// moving window, whose peaks are QRS complexes when they pass a threshold that
// follows the signal and noise peak levels; a refractory period, a T-wave test
// for peaks soon after a beat, and a search back with half the threshold when
// a beat seems missed. The envelope sums all leads, so a QRS complex that is
// small in one lead still counts in the others.
#include "analysis/QrsDetection.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace corvale::analysis {
namespace {

struct Peak {
  int at = 0;
  double height = 0;  // integrated slope energy
  double slope = 0;   // the largest slope energy near the peak
};

}  // namespace

std::vector<int> DetectQrs(const LeadSignals& filtered, std::span<const bool> valid, int rate,
                           std::vector<double>& scratch) {
  const int n = filtered.samples;
  std::vector<int> beats;
  if (n < rate) return beats;
  const int window = (rate * 150 / 1000) | 1;  // 150 ms integration, centred
  const int half = window / 2;
  const int refractory = rate / 5;          // 200 ms
  const int tWaveSpan = rate * 360 / 1000;  // a peak this soon after a beat may be its T wave
  scratch.assign(2 * static_cast<std::size_t>(n), 0.0);
  double* energy = scratch.data();
  double* envelope = scratch.data() + n;
  // Two leads per step (the compiler's generic vectors: SIMD where there is some).
  using Two = double __attribute__((vector_size(16)));
  static_assert(Leads % 2 == 0);
  std::array<double, Leads> weight{};
  for (std::size_t L = 0; L < Leads; ++L) weight[L] = valid[L] ? 1.0 : 0.0;
  for (int i = 1; i + 1 < n; ++i) {
    const double* next = filtered.Frame(i + 1);
    const double* prev = filtered.Frame(i - 1);
    Two e{};
    for (std::size_t L = 0; L < Leads; L += 2) {
      Two a, b, w;
      std::memcpy(&a, next + L, sizeof a), std::memcpy(&b, prev + L, sizeof b);
      std::memcpy(&w, weight.data() + L, sizeof w);
      const Two d = a - b;
      e += w * d * d;
    }
    energy[i] = e[0] + e[1];
  }
  double sum = 0;
  for (int i = 0; i < std::min(half, n); ++i) sum += energy[i];
  for (int i = 0; i < n; ++i) {
    if (i + half < n) sum += energy[i + half];
    if (i - half - 1 >= 0) sum -= energy[i - half - 1];
    envelope[i] = std::max(0.0, sum) / window;
  }

  // Peaks of the envelope, at least a refractory period apart (the higher wins).
  std::vector<Peak> peaks;
  for (int i = 1; i + 1 < n; ++i) {
    if (!(envelope[i] > envelope[i - 1] && envelope[i] >= envelope[i + 1])) continue;
    if (!peaks.empty() && i - peaks.back().at < refractory) {
      if (envelope[i] > peaks.back().height) peaks.back() = {i, envelope[i], 0};
      continue;
    }
    peaks.push_back({i, envelope[i], 0});
  }
  if (peaks.empty()) return beats;
  for (Peak& p : peaks) {
    const int from = std::max(0, p.at - half), to = std::min(n - 1, p.at + half);
    p.slope = *std::max_element(energy + from, energy + to + 1);
  }

  // Starting levels: the third-highest peak is a QRS complex in any record of
  // three beats or more, even with two artefacts larger still.
  std::vector<double> heights;
  heights.reserve(peaks.size());
  for (const Peak& p : peaks) heights.push_back(p.height);
  std::sort(heights.begin(), heights.end(), std::greater<>());
  double signalLevel = heights[std::min<std::size_t>(2, heights.size() - 1)];
  if (!(signalLevel > 0)) return beats;
  std::vector<double> low;
  for (double h : heights)
    if (h < 0.25 * signalLevel) low.push_back(h);
  double noiseLevel = 0;
  if (!low.empty()) {
    std::nth_element(low.begin(), low.begin() + static_cast<std::ptrdiff_t>(low.size() / 2), low.end());
    noiseLevel = low[low.size() / 2];
  }
  const auto threshold = [&] { return noiseLevel + 0.25 * (signalLevel - noiseLevel); };

  std::vector<double> beatSlopes;
  const auto meanRr = [&] {
    const std::size_t k = std::min<std::size_t>(8, beats.size() - 1);
    return static_cast<double>(beats.back() - beats[beats.size() - 1 - k]) / static_cast<double>(k);
  };
  // Looks between the last beat and `until` for a peak above half the threshold.
  std::size_t sinceBeat = 0;  // first peak after the last beat
  const auto searchBack = [&](std::size_t fromPeak, std::size_t toPeak, int until) {
    if (beats.size() < 2 || until - beats.back() <= 1.66 * meanRr()) return;
    const double low2 = 0.5 * threshold();
    std::size_t best = toPeak;
    for (std::size_t k = fromPeak; k < toPeak; ++k) {
      const Peak& p = peaks[k];
      if (p.at - beats.back() < tWaveSpan || until - p.at < refractory) continue;
      if (p.height > low2 && (best == toPeak || p.height > peaks[best].height)) best = k;
    }
    if (best == toPeak) return;
    beats.push_back(peaks[best].at);
    beatSlopes.push_back(peaks[best].slope);
    signalLevel = 0.25 * peaks[best].height + 0.75 * signalLevel;
    sinceBeat = best + 1;
  };

  for (std::size_t k = 0; k < peaks.size(); ++k) {
    const Peak& p = peaks[k];
    searchBack(sinceBeat, k, p.at);
    if (!beats.empty() && p.at <= beats.back()) continue;
    bool isBeat = p.height > threshold();
    if (isBeat && !beats.empty() && p.at - beats.back() < tWaveSpan && p.slope < 0.25 * beatSlopes.back())
      isBeat = false;  // half the slope of the beat before: its T wave
    if (isBeat) {
      beats.push_back(p.at);
      beatSlopes.push_back(p.slope);
      signalLevel = 0.125 * p.height + 0.875 * signalLevel;
      sinceBeat = k + 1;
    } else {
      noiseLevel = 0.125 * p.height + 0.875 * noiseLevel;
    }
  }
  searchBack(sinceBeat, peaks.size(), n + refractory);
  std::sort(beats.begin(), beats.end());
  return beats;
}

}  // namespace corvale::analysis
