#include "analysis/Delineation.h"

#include <algorithm>
#include <cmath>

namespace corvale::analysis {
namespace {

double Median(double* first, double* last) {
  const auto n = last - first;
  if (n <= 0) return 0;
  double* mid = first + n / 2;
  std::nth_element(first, mid, last);
  if (n % 2 == 1) return *mid;
  return 0.5 * (*mid + *std::max_element(first, mid));
}

double Correlation(const double* a, const double* b, std::size_t n) {
  if (n == 0) return 0;
  double sa = 0, sb = 0;
  for (std::size_t i = 0; i < n; ++i) sa += a[i], sb += b[i];
  const double ma = sa / static_cast<double>(n), mb = sb / static_cast<double>(n);
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = a[i] - ma, y = b[i] - mb;
    ab += x * y, aa += x * x, bb += y * y;
  }
  if (!(aa > 0 && bb > 0)) return 0;
  return ab / std::sqrt(aa * bb);
}

std::vector<int> ValidLeads(std::span<const bool> valid) {
  std::vector<int> leads;
  for (int L = 0; L < Leads; ++L)
    if (valid[static_cast<std::size_t>(L)]) leads.push_back(L);
  return leads;
}

// The QRS part of one beat, lead after lead, each lead relative to its mean.
void QrsVector(const LeadSignals& s, const std::vector<int>& leads, int centre, int half, double* out) {
  for (int L : leads) {
    double mean = 0;
    for (int t = -half; t <= half; ++t) mean += s.At(L, centre + t);
    mean /= 2 * half + 1;
    for (int t = -half; t <= half; ++t) *out++ = s.At(L, centre + t) - mean;
  }
}

// Zhang's area indicator: the t in [from, to] that maximises the area between
// the curve and its value at t over `window` samples on the wave's side
// (before t when `waveBefore`), i.e. where the wave has ended (or not yet begun).
std::optional<int> AreaBoundary(const std::vector<double>& curve, int from, int to, int window, bool waveBefore) {
  const int n = static_cast<int>(curve.size());
  if (from > to || window < 2) return std::nullopt;
  std::optional<int> best;
  double bestArea = 0;
  for (int t = from; t <= to; ++t) {
    const int a = waveBefore ? t - window + 1 : t, b = waveBefore ? t : t + window - 1;
    if (a < 0 || b >= n) continue;
    double area = 0;
    for (int j = a; j <= b; ++j) area += curve[static_cast<std::size_t>(j)] - curve[static_cast<std::size_t>(t)];
    if (!best || area > bestArea) best = t, bestArea = area;
  }
  if (!best || !(bestArea > 0)) return std::nullopt;
  return best;
}

}  // namespace

BeatSet FormMedianBeat(const LeadSignals& del, const LeadSignals& amp, std::span<const bool> valid,
                       std::span<const int> detected, int rate) {
  const auto ms = [rate](int v) { return v * rate / 1000; };
  BeatSet set;
  set.pre = ms(500);
  set.length = ms(1200);
  const int n = del.samples;
  const int beats = static_cast<int>(detected.size());
  set.positions.assign(detected.begin(), detected.end());
  set.inDominant.assign(detected.size(), 0);
  const std::vector<int> leads = ValidLeads(valid);
  if (leads.empty() || beats == 0) return set;

  // QRS vectors, shifted up to `shift` samples to align them on the median QRS.
  const int half = ms(60), shift = ms(10);
  const std::size_t width = leads.size() * static_cast<std::size_t>(2 * half + 1);
  const auto usable = [&](int at) { return at - half - shift >= 0 && at + half + shift < n; };
  std::vector<double> vectors(width * static_cast<std::size_t>(beats));
  std::vector<double> qrsMedian(width), column(static_cast<std::size_t>(beats)), candidate(width);
  const auto formQrsMedian = [&] {
    for (int b = 0; b < beats; ++b)
      if (usable(set.positions[static_cast<std::size_t>(b)]))
        QrsVector(del, leads, set.positions[static_cast<std::size_t>(b)], half,
                  vectors.data() + width * static_cast<std::size_t>(b));
    for (std::size_t k = 0; k < width; ++k) {
      std::size_t c = 0;
      for (int b = 0; b < beats; ++b)
        if (usable(set.positions[static_cast<std::size_t>(b)]))
          column[c++] = vectors[width * static_cast<std::size_t>(b) + k];
      qrsMedian[k] = Median(column.data(), column.data() + c);
    }
  };
  formQrsMedian();
  for (int b = 0; b < beats; ++b) {
    const int at = set.positions[static_cast<std::size_t>(b)];
    if (!usable(at)) continue;
    int bestShift = 0;
    double best = -2;
    for (int s = -shift; s <= shift; ++s) {
      QrsVector(del, leads, at + s, half, candidate.data());
      const double r = Correlation(candidate.data(), qrsMedian.data(), width);
      if (r > best) best = r, bestShift = s;
    }
    set.positions[static_cast<std::size_t>(b)] = at + bestShift;
  }
  formQrsMedian();
  for (int b = 0; b < beats; ++b) {
    if (!usable(set.positions[static_cast<std::size_t>(b)])) continue;
    const double r = Correlation(vectors.data() + width * static_cast<std::size_t>(b), qrsMedian.data(), width);
    if (r >= 0.9) set.inDominant[static_cast<std::size_t>(b)] = 1, ++set.dominant;
  }
  if (set.dominant == 0) return set;

  // The median beat over the dominant beats, sample by sample.
  set.median.assign(static_cast<std::size_t>(set.length) * Leads, 0.0);
  set.amplitude.assign(static_cast<std::size_t>(set.length) * Leads, 0.0);
  const int ampFrom = set.pre - ms(200), ampTo = set.pre + ms(200);
  for (int t = 0; t < set.length; ++t) {
    for (int L : leads) {
      std::size_t c = 0, ca = 0;
      double* col = column.data();
      for (int b = 0; b < beats; ++b) {
        if (!set.inDominant[static_cast<std::size_t>(b)]) continue;
        const int at = set.positions[static_cast<std::size_t>(b)] - set.pre + t;
        if (at < 0 || at >= n) continue;
        col[c++] = del.At(L, at);
      }
      set.median[static_cast<std::size_t>(t) * Leads + static_cast<std::size_t>(L)] = Median(col, col + c);
      if (t < ampFrom || t > ampTo) continue;
      for (int b = 0; b < beats; ++b) {
        if (!set.inDominant[static_cast<std::size_t>(b)]) continue;
        const int at = set.positions[static_cast<std::size_t>(b)] - set.pre + t;
        if (at < 0 || at >= n) continue;
        col[ca++] = amp.At(L, at);
      }
      set.amplitude[static_cast<std::size_t>(t) * Leads + static_cast<std::size_t>(L)] = Median(col, col + ca);
    }
  }

  // Noise: each dominant beat's distance from the median beat, per lead; the
  // median of those over the beats, shrunk by the number of beats.
  std::vector<double> residuals;
  for (int L : leads) {
    residuals.clear();
    for (int b = 0; b < beats; ++b) {
      if (!set.inDominant[static_cast<std::size_t>(b)]) continue;
      const int start = set.positions[static_cast<std::size_t>(b)] - set.pre;
      if (start < 0 || start + set.length > n) continue;
      double sum = 0;
      for (int t = 0; t < set.length; ++t) {
        const double e = del.At(L, start + t) - set.Median(L, t);
        sum += e * e;
      }
      residuals.push_back(std::sqrt(sum / set.length));
    }
    set.noise[static_cast<std::size_t>(L)] = residuals.empty()
                                                 ? 0.0
                                                 : Median(residuals.data(), residuals.data() + residuals.size()) /
                                                       std::sqrt(static_cast<double>(set.dominant));
  }

  std::vector<double> rrs;
  for (int b = 1; b < beats; ++b)
    if (set.inDominant[static_cast<std::size_t>(b)])
      rrs.push_back(set.positions[static_cast<std::size_t>(b)] - set.positions[static_cast<std::size_t>(b) - 1]);
  if (rrs.empty())
    for (int b = 1; b < beats; ++b)
      rrs.push_back(set.positions[static_cast<std::size_t>(b)] - set.positions[static_cast<std::size_t>(b) - 1]);
  set.rr = rrs.empty() ? rate : static_cast<int>(std::lround(Median(rrs.data(), rrs.data() + rrs.size())));
  return set;
}

Delineation Delineate(const BeatSet& set, std::span<const bool> valid, int rate) {
  const auto ms = [rate](int v) { return v * rate / 1000; };
  Delineation d;
  const std::vector<int> leads = ValidLeads(valid);
  const int len = set.length;
  if (leads.empty() || set.median.empty()) return d;
  double noiseSq = 0;
  for (int L : leads) noiseSq += set.noise[static_cast<std::size_t>(L)] * set.noise[static_cast<std::size_t>(L)];
  const double noiseMagnitude = std::sqrt(noiseSq);

  // QRS: the spatial velocity (the sum of every lead's absolute slope) above
  // a share of its peak over its floor before the QRS.
  std::vector<double> velocity(static_cast<std::size_t>(len), 0.0);
  for (int t = 1; t + 1 < len; ++t) {
    double v = 0;
    for (int L : leads) v += std::abs(set.Median(L, t + 1) - set.Median(L, t - 1));
    velocity[static_cast<std::size_t>(t)] = 0.5 * v;
  }
  const int t0 = set.pre;
  int peak = t0 - ms(50);
  for (int t = t0 - ms(50); t <= t0 + ms(50); ++t)
    if (velocity[static_cast<std::size_t>(t)] > velocity[static_cast<std::size_t>(peak)]) peak = t;
  const int smooth = std::max(1, ms(10));
  double floor = velocity[static_cast<std::size_t>(peak)];
  for (int t = t0 - ms(300); t + smooth <= t0 - ms(40); ++t) {
    double s = 0;
    for (int k = 0; k < smooth; ++k) s += velocity[static_cast<std::size_t>(t + k)];
    floor = std::min(floor, s / smooth);
  }
  const double top = velocity[static_cast<std::size_t>(peak)];
  if (!(top > 0)) return d;
  const double onThreshold = floor + 0.05 * (top - floor);
  const double offThreshold = floor + 0.05 * (top - floor);
  const auto below = [&](int t, double thr) { return velocity[static_cast<std::size_t>(t)] < thr; };
  for (int t = peak; t - 2 >= t0 - ms(160); --t) {
    if (below(t, onThreshold) && below(t - 1, onThreshold) && below(t - 2, onThreshold)) {
      d.qrsOnset = t + 1;
      break;
    }
  }
  for (int t = peak; t + 2 <= t0 + ms(200); ++t) {
    if (below(t, offThreshold) && below(t + 1, offThreshold) && below(t + 2, offThreshold)) {
      d.qrsOffset = t - 1;
      break;
    }
  }
  if (!d.qrsOnset || !d.qrsOffset || *d.qrsOffset <= *d.qrsOnset) {
    d.qrsOnset.reset(), d.qrsOffset.reset();
    return d;
  }
  const int on = *d.qrsOnset, off = *d.qrsOffset;
  const int isoFrom = std::max(0, on - ms(10));
  for (int L : leads) {
    double s = 0, sa = 0;
    for (int t = isoFrom; t < on; ++t) s += set.Median(L, t), sa += set.AmplitudeMedian(L, t);
    const double count = std::max(1, on - isoFrom);
    d.isoelectric[static_cast<std::size_t>(L)] = s / count;
    d.amplitudeIsoelectric[static_cast<std::size_t>(L)] = sa / count;
  }

  // T end: Zhang's area method on the spatial magnitude after the QRS.
  std::vector<double> magnitude(static_cast<std::size_t>(len), 0.0);
  for (int t = 0; t < len; ++t) {
    double s = 0;
    for (int L : leads) {
      const double v = set.Median(L, t) - d.isoelectric[static_cast<std::size_t>(L)];
      s += v * v;
    }
    magnitude[static_cast<std::size_t>(t)] = std::sqrt(s);
  }
  const int rr = set.rr;
  const int tFrom = off + ms(60);
  const int tTo = std::min(len - 1, on + std::clamp(rr * 6 / 10, ms(200), ms(500)));
  if (tFrom < tTo) {
    int tPeak = tFrom;
    for (int t = tFrom; t <= tTo; ++t)
      if (magnitude[static_cast<std::size_t>(t)] > magnitude[static_cast<std::size_t>(tPeak)]) tPeak = t;
    const double tHeight = magnitude[static_cast<std::size_t>(tPeak)];
    if (tHeight >= std::max(20.0, 3 * noiseMagnitude)) {
      d.tPeak = tPeak;
      const int endTo = std::min({len - 1, tPeak + ms(300), on + rr - ms(100)});
      d.tEnd = AreaBoundary(magnitude, tPeak, endTo, ms(128), true);
    }
  }

  // P wave: the largest bump of the spatial magnitude (leads detrended
  // between the ends of the window) between the previous T end and the QRS.
  int pFrom = on - ms(400);
  if (d.tEnd) pFrom = std::max(pFrom, *d.tEnd - rr + ms(20));
  pFrom = std::max(pFrom, 1);
  const int pTo = on - 1;
  if (pTo - pFrom < ms(60)) return d;
  const int edge = std::max(1, ms(10));
  std::vector<double> pMagnitude(static_cast<std::size_t>(len), 0.0);
  std::array<double, Leads> startLevel{}, endLevel{};
  for (int L : leads) {
    double a = 0, b = 0;
    for (int k = 0; k < edge; ++k) a += set.Median(L, pFrom + k), b += set.Median(L, pTo - k);
    startLevel[static_cast<std::size_t>(L)] = a / edge;
    endLevel[static_cast<std::size_t>(L)] = b / edge;
  }
  const double span = pTo - pFrom;
  for (int t = pFrom; t <= pTo; ++t) {
    double s = 0;
    const double f = (t - pFrom) / span;
    for (int L : leads) {
      const auto l = static_cast<std::size_t>(L);
      const double v = set.Median(L, t) - (startLevel[l] + f * (endLevel[l] - startLevel[l]));
      s += v * v;
    }
    pMagnitude[static_cast<std::size_t>(t)] = std::sqrt(s);
  }
  int pPeak = pFrom + edge;
  for (int t = pFrom + edge; t <= pTo - edge; ++t)
    if (pMagnitude[static_cast<std::size_t>(t)] > pMagnitude[static_cast<std::size_t>(pPeak)]) pPeak = t;
  const double pHeight = pMagnitude[static_cast<std::size_t>(pPeak)];
  if (!(pHeight >= std::max(20.0, 3 * noiseMagnitude))) return d;
  // A wave, not a slope: the bump falls to half its height on both sides.
  bool fallsBefore = false, fallsAfter = false;
  for (int t = pFrom; t < pPeak; ++t) fallsBefore |= pMagnitude[static_cast<std::size_t>(t)] < 0.5 * pHeight;
  for (int t = pPeak + 1; t <= pTo; ++t) fallsAfter |= pMagnitude[static_cast<std::size_t>(t)] < 0.5 * pHeight;
  if (!fallsBefore || !fallsAfter) return d;
  d.pPeak = pPeak;
  const int pWindow = ms(40);
  d.pOnset = AreaBoundary(pMagnitude, pFrom, pPeak - edge, pWindow, false);
  d.pOffset = AreaBoundary(pMagnitude, pPeak + edge, pTo, pWindow, true);
  if (!d.pOnset || !d.pOffset) d.pOnset.reset(), d.pOffset.reset();
  return d;
}

bool ConsistentPWave(const BeatSet& set, const Delineation& d, const LeadSignals& del, std::span<const bool> valid,
                     int rate) {
  const auto ms = [rate](int v) { return v * rate / 1000; };
  if (!d.pOnset || !d.pOffset || !d.qrsOnset) return false;
  const std::vector<int> leads = ValidLeads(valid);
  const int from = *d.pOnset - ms(10), to = *d.pOffset + ms(10);
  const int width = to - from + 1;
  const int lag = ms(12);
  const std::size_t size = leads.size() * static_cast<std::size_t>(width);
  // Median-beat P wave, each lead relative to its level before the QRS.
  std::vector<double> reference(size), beat(size);
  {
    std::size_t k = 0;
    for (int L : leads)
      for (int t = from; t <= to; ++t) reference[k++] = set.Median(L, t) - d.isoelectric[static_cast<std::size_t>(L)];
  }
  int evaluated = 0, present = 0;
  std::vector<int> lags;
  for (std::size_t b = 0; b < set.positions.size(); ++b) {
    if (!set.inDominant[b]) continue;
    const int origin = set.positions[b] - set.pre;
    if (origin + from - lag < 0 || origin + *d.qrsOnset >= del.samples) continue;
    ++evaluated;
    double best = -2;
    int bestLag = 0;
    for (int s = -lag; s <= lag; ++s) {
      std::size_t k = 0;
      for (int L : leads)
        for (int t = from; t <= to; ++t) beat[k++] = del.At(L, origin + t + s);
      const double r = Correlation(beat.data(), reference.data(), size);
      if (r > best) best = r, bestLag = s;
    }
    if (best >= 0.6) ++present, lags.push_back(bestLag);
  }
  if (evaluated < 3) return false;
  // Atrial fibrillation: irregular RR; there the P wave must be in nearly every beat.
  std::vector<double> rr, steps;
  for (std::size_t b = 1; b < set.positions.size(); ++b) rr.push_back(set.positions[b] - set.positions[b - 1]);
  for (std::size_t b = 1; b < rr.size(); ++b) steps.push_back(std::abs(rr[b] - rr[b - 1]));
  const double medianRr = Median(rr.data(), rr.data() + rr.size());
  const double medianStep = steps.empty() ? 0 : Median(steps.data(), steps.data() + steps.size());
  const bool irregular = medianRr > 0 && medianStep / medianRr > 0.1;
  const double needed = irregular ? 0.9 : 0.75;
  if (present < needed * evaluated) return false;
  double mean = 0;
  for (int l : lags) mean += l;
  mean /= static_cast<double>(lags.size());
  double var = 0;
  for (int l : lags) var += (l - mean) * (l - mean);
  const double sdMs = std::sqrt(var / static_cast<double>(lags.size())) * 1000.0 / rate;
  return sdMs <= 8.0;
}

}  // namespace corvale::analysis
