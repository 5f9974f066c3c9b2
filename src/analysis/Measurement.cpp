// The measurement pipeline: clean the leads, find the beats, form a median beat
// of the dominant morphology, delineate it on the spatial velocity and spatial
// magnitude of all leads, and measure on it. docs/measurement.md gives the
// methods and the published work they follow.
#include "analysis/Measurement.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>

#include "analysis/Delineation.h"
#include "analysis/Filters.h"
#include "analysis/QrsDetection.h"

namespace corvale {
namespace {

using analysis::Leads;
using analysis::LeadSignals;

constexpr int Rate = MeasurementRate;
constexpr double MsPerSample = 1000.0 / Rate;
constexpr int Ms(int ms) { return ms * Rate / 1000; }

// Lead indices in record order.
constexpr int LeadI = 0, LeadII = 1, LeadAvf = 5, LeadV1 = 6, LeadV5 = 10, LeadV6 = 11;

// A lead whose samples span less than this carries no ECG.
constexpr double FlatRangeUv = 20.0;
// Beyond this a value is no body-surface potential: the converter's limit.
constexpr double SaturationUv = 1.0e6;
// A lead at its limits for more than this share of the record is unusable.
constexpr double SaturatedShare = 0.01;

// Pacing spikes: a sample this far from the mean of its neighbours two samples
// away, in any lead, is steeper than any QRS slope at 500 Hz.
constexpr double SpikeUv = 1500.0;

// Baseline 0.67 Hz (zero phase, no ST distortion), mains 50 Hz, and 40 Hz for
// delineation; amplitudes are read before the low-pass.
constexpr double HighPassHz = 0.67, MainsHz = 50.0, LowPassHz = 40.0, MainsQ = 8.0;

// A median beat needs three beats of its morphology, and so many that it is
// the record's rhythm rather than a few complexes that happen to look alike.
constexpr int MinDominantBeats = 3;
constexpr double MinDominantShare = 0.4;
// A complex closer to either end of the record than this is incomplete: it
// cannot be told from an artefact of the record's cut.
constexpr int EdgeMs = 100;

bool Finite(double v) { return std::isfinite(v); }

// Replaces each pacing spike by a straight line across it, so that the QRS
// detector and the median beat see the heart's own waves, and returns the
// spikes found (sample indices, one per spike).
std::vector<int> RemovePacingSpikes(LeadSignals& leads, const std::array<bool, Leads>& valid) {
  std::vector<int> spikes;
  const int n = leads.samples;
  constexpr int Reach = 2, Blank = 3;
  // Two leads per step (the compiler's generic vectors: SIMD where there is
  // some), all twelve without an early exit. One mask per lane takes the
  // magnitude of a usable lead's value and zeroes the others'. A lane keeps
  // its value unless the next is larger, as std::max does, so a NaN never
  // enters it.
  using Two = double __attribute__((vector_size(16)));
  using Bits = std::uint64_t __attribute__((vector_size(16)));
  static_assert(Leads % 2 == 0 && sizeof(Two) == sizeof(Bits));
  std::array<std::uint64_t, Leads> keep{};
  for (std::size_t L = 0; L < Leads; ++L) keep[L] = valid[L] ? ~(std::uint64_t{1} << 63) : 0;
  const auto load = [](const double* p) {
    Two v;
    std::memcpy(&v, p, sizeof v);
    return v;
  };
  const auto masked = [](Two v, const std::uint64_t* mask) {
    Bits bits, m;
    std::memcpy(&bits, &v, sizeof bits), std::memcpy(&m, mask, sizeof m);
    bits &= m;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  };
  for (int i = 0; i < n; ++i) {
    // Neighbours two samples away; at the record's ends, the one that exists.
    const int left = i - Reach >= 0 ? i - Reach : i + Reach, right = i + Reach < n ? i + Reach : i - Reach;
    if (left < 0 || left >= n || right < 0 || right >= n) break;
    const double* here = leads.Frame(i);
    const double* before = leads.Frame(left);
    const double* after = leads.Frame(right);
    Two lanes{};
    for (std::size_t L = 0; L < Leads; L += 2) {
      const Two v = masked(load(here + L) - 0.5 * (load(before + L) + load(after + L)), keep.data() + L);
      lanes = lanes < v ? v : lanes;
    }
    const double steepest = std::max(lanes[0], lanes[1]);
    if (!(steepest > SpikeUv)) continue;
    // A straight line between the samples either side (held level at an end);
    // the test fires up to two samples before a spike, so the line reaches
    // further on.
    const int from = std::max(0, i - Blank), to = std::min(n - 1, i + Reach + Blank);
    for (int L = 0; L < Leads; ++L) {
      double a = leads.At(L, from), b = leads.At(L, to);
      if (from > i - Blank) a = b;
      if (to < i + Reach + Blank) b = a;
      for (int k = from; k <= to; ++k) {
        if ((k == from && from == i - Blank) || (k == to && to == i + Reach + Blank)) continue;
        leads.values[static_cast<std::size_t>(k) * Leads + static_cast<std::size_t>(L)] =
            a + (b - a) * (k - from) / std::max(1, to - from);
      }
    }
    if (spikes.empty() || i - spikes.back() > Ms(40)) spikes.push_back(i);
    i = to;
  }
  return spikes;
}

std::optional<double> Axis(double lateral, double inferior, double minimum) {
  // Lead I reads E cos(a), aVF reads (sqrt 3 / 2) E sin(a) (the hexaxial frame).
  const double x = lateral, y = inferior * 2 / std::numbers::sqrt3;
  if (!(std::hypot(x, y) >= minimum)) return std::nullopt;
  double a = std::atan2(y, x) * 180 / std::numbers::pi;
  if (a <= -180) a += 360;
  return a;
}

// Lead I's gain relative to lead II. True limb leads obey Einthoven's and
// Goldberger's laws: III = II - I, aVR = -(I + II) / 2, aVL = I - II / 2,
// aVF = II - I / 2. Some databases store each lead at a gain of its own; each
// of the four derived leads is then its own multiple of (a I / r + b II), r
// being I's gain over II's. The r that lets all four fit best (least squares
// over the QRS and T, each lead's share of its energy left over) brings I back
// to II's scale. Where the law does not fit (leads recorded apart), or no
// derived lead is there, the gain stays 1.
double LimbLeadGain(const analysis::BeatSet& set, const analysis::Delineation& d,
                    const std::array<bool, Leads>& valid) {
  constexpr int LeadIII = 2, LeadAvr = 3, LeadAvl = 4;
  if (!valid[LeadI] || !valid[LeadII] || !d.qrsOnset || !d.qrsOffset) return 1.0;
  struct Derived {
    int lead;
    double a, b;  // x = a I + b II
  };
  constexpr std::array<Derived, 4> Derivations{
      {{LeadIII, -1, 1}, {LeadAvr, -0.5, -0.5}, {LeadAvl, 1, -0.5}, {LeadAvf, -0.5, 1}}};
  // Dot products over the QRS and T of I, II and each derived lead.
  const int from = *d.qrsOnset, to = d.tEnd ? *d.tEnd : *d.qrsOffset;
  double s11 = 0, s12 = 0, s22 = 0;
  std::array<double, 4> s1k{}, s2k{}, skk{};
  const auto level = [&](int lead, int t) {
    return set.Median(lead, t) - d.isoelectric[static_cast<std::size_t>(lead)];
  };
  for (int t = from; t <= to; ++t) {
    const double x1 = level(LeadI, t), x2 = level(LeadII, t);
    s11 += x1 * x1, s12 += x1 * x2, s22 += x2 * x2;
    for (std::size_t k = 0; k < Derivations.size(); ++k) {
      if (!valid[static_cast<std::size_t>(Derivations[k].lead)]) continue;
      const double xk = level(Derivations[k].lead, t);
      s1k[k] += x1 * xk, s2k[k] += x2 * xk, skk[k] += xk * xk;
    }
  }
  // The share of the derived leads' energy that u = a I / r + b II leaves.
  const auto misfit = [&](double r) {
    double left = 0;
    int used = 0;
    for (std::size_t k = 0; k < Derivations.size(); ++k) {
      if (!valid[static_cast<std::size_t>(Derivations[k].lead)] || !(skk[k] > 0)) continue;
      const double a = Derivations[k].a / r, b = Derivations[k].b;
      const double uu = a * a * s11 + 2 * a * b * s12 + b * b * s22, uy = a * s1k[k] + b * s2k[k];
      if (!(uu > 0)) return 1.0;
      left += 1 - uy * uy / (uu * skk[k]);
      ++used;
    }
    return used ? left / used : 1.0;
  };
  // Gains from a fifth to five times, on a logarithmic grid of 1 % steps.
  constexpr double MaxResidual = 0.05, MaxGainLog = 1.6094, GainStep = 0.01;
  double best = 1.0, bestMisfit = misfit(1.0);
  for (double g = -MaxGainLog; g <= MaxGainLog; g += GainStep) {
    const double r = std::exp(g), m = misfit(r);
    if (m < bestMisfit) best = r, bestMisfit = m;
  }
  if (!(bestMisfit < MaxResidual)) return 1.0;
  return 1.0 / best;
}

std::optional<double> InRange(double v, double lo, double hi) {
  if (!Finite(v) || v < lo || v > hi) return std::nullopt;
  return v;
}

// A lead neither held at the converter's limits nor flat.
bool CarriesSignal(int railed, double rangeUv, int samples) {
  return railed <= SaturatedShare * samples && rangeUv >= FlatRangeUv;
}

// Usable leads of microvolts that may hold anything: finite, off the
// converter's limits, and not flat. Non-finite values become 0 so that
// nothing downstream sees them.
std::array<bool, Leads> UsableLeads(LeadSignals& amp, const std::array<bool, Leads>& flagged) {
  const int samples = amp.samples;
  std::array<double, Leads> lo{}, hi{};
  std::array<int, Leads> railed{}, nonFinite{};
  lo.fill(std::numeric_limits<double>::max());
  hi.fill(std::numeric_limits<double>::lowest());
  for (int i = 0; i < samples; ++i) {
    double* frame = amp.values.data() + static_cast<std::size_t>(i) * Leads;
    for (std::size_t L = 0; L < Leads; ++L) {
      const bool finite = Finite(frame[L]);
      nonFinite[L] += finite ? 0 : 1;
      const double v = finite ? frame[L] : 0.0;
      frame[L] = v;
      railed[L] += std::abs(v) >= SaturationUv ? 1 : 0;
      lo[L] = std::min(lo[L], v);
      hi[L] = std::max(hi[L], v);
    }
  }
  std::array<bool, Leads> valid{};
  for (std::size_t L = 0; L < Leads; ++L)
    valid[L] = nonFinite[L] == 0 && !flagged[L] && CarriesSignal(railed[L], hi[L] - lo[L], samples);
  return valid;
}

// Measures sample-major microvolts in `amp` (consumed) from the leads marked
// in `valid`.
Measurements Measure(LeadSignals& amp, const std::array<bool, Leads>& valid) {
  Measurements m;
  const int samples = amp.samples;
  if (samples < 2 * Rate) return m;
  if (std::none_of(valid.begin(), valid.end(), [](bool v) { return v; })) return m;

  const std::vector<int> spikes = RemovePacingSpikes(amp, valid);

  analysis::FilterScratch filterScratch;
  const std::array<analysis::Biquad, 2> baseline{analysis::ButterworthHighPass(HighPassHz, Rate),
                                                 analysis::Notch(MainsHz, Rate, MainsQ)};
  analysis::FilterZeroPhase(amp, baseline, filterScratch);
  LeadSignals del;
  const std::array<analysis::Biquad, 1> smooth{analysis::ButterworthLowPass(LowPassHz, Rate)};
  analysis::FilterZeroPhase(amp, del, smooth, filterScratch);
  std::vector<double> scratch;

  std::vector<int> detected = analysis::DetectQrs(del, valid, Rate, scratch);
  std::erase_if(detected, [&](int at) { return at < Ms(EdgeMs) || at >= samples - Ms(EdgeMs); });
  if (detected.size() < static_cast<std::size_t>(MinDominantBeats)) return m;

  analysis::BeatSet set = analysis::FormMedianBeat(del, amp, valid, detected, Rate);

  if (set.dominant < MinDominantBeats || set.dominant < MinDominantShare * static_cast<double>(detected.size()))
    return m;
  const analysis::Delineation d = analysis::Delineate(set, valid, Rate);
  if (!d.qrsOnset || !d.qrsOffset) return m;

  // Paced: a spike shortly before most dominant beats.
  int pacedBeats = 0;
  for (std::size_t b = 0; b < set.positions.size(); ++b) {
    if (!set.inDominant[b]) continue;
    const int on = set.positions[b] + *d.qrsOnset - set.pre;
    const auto it = std::lower_bound(spikes.begin(), spikes.end(), on - Ms(300));
    if (it != spikes.end() && *it <= on + Ms(20)) ++pacedBeats;
  }
  m.paced = 2 * pacedBeats > set.dominant;

  m.beats = set.positions;
  const int n = static_cast<int>(m.beats.size());
  const double rr = static_cast<double>(m.beats.back() - m.beats.front()) / (n - 1) * MsPerSample;
  m.rrMs = rr;
  m.hrBpm = 60000.0 / rr;

  const int t0 = set.pre;
  const auto ms = [](int samplesSpan) { return samplesSpan * MsPerSample; };
  m.qrsMs = InRange(ms(*d.qrsOffset - *d.qrsOnset), 30, 250);
  if (d.tEnd) m.qtMs = InRange(ms(*d.tEnd - *d.qrsOnset), 180, 750);
  if (m.qtMs) {
    m.qtcMs = *m.qtMs / std::sqrt(rr / 1000);
    m.qtcfMs = *m.qtMs / std::cbrt(rr / 1000);
  }
  const bool pWave = d.pOnset && d.pOffset && !m.paced && analysis::ConsistentPWave(set, d, del, valid, Rate);
  if (pWave) {
    m.pMs = InRange(ms(*d.pOffset - *d.pOnset), 20, 250);
    m.prMs = InRange(ms(*d.qrsOnset - *d.pOnset), 50, 600);
    if (!m.pMs || !m.prMs) m.pMs.reset(), m.prMs.reset();
  }

  // Frontal axes from the net deflection (largest positive plus largest
  // negative, relative to the level before the QRS) in I and aVF = II - I/2.
  const auto net = [&](int lead, int from, int to) {
    double hi = 0, lo = 0;
    for (int t = from; t <= to; ++t) {
      const double v = set.Median(lead, t) - d.isoelectric[static_cast<std::size_t>(lead)];
      hi = std::max(hi, v), lo = std::min(lo, v);
    }
    return hi + lo;
  };
  const double gainI = LimbLeadGain(set, d, valid);
  const auto axis = [&](int from, int to, double minimum) -> std::optional<double> {
    if (valid[LeadI] && valid[LeadII]) {
      const double i = gainI * net(LeadI, from, to);
      return Axis(i, net(LeadII, from, to) - i / 2, minimum);
    }
    if (valid[LeadI] && valid[LeadAvf]) return Axis(net(LeadI, from, to), net(LeadAvf, from, to), minimum);
    return std::nullopt;
  };
  constexpr double MinAxisUv = 10.0, MinPAxisUv = 5.0;
  m.qrsAxisDeg = axis(*d.qrsOnset, *d.qrsOffset, MinAxisUv);
  if (m.qtMs) m.tAxisDeg = axis(*d.qrsOffset, *d.tEnd, MinAxisUv);
  if (m.prMs && m.pMs) m.pAxisDeg = axis(*d.pOnset, *d.pOffset, MinPAxisUv);

  // Amplitudes from the median beat before its low-pass.
  const auto extreme = [&](int lead, bool highest) -> std::optional<double> {
    if (!valid[static_cast<std::size_t>(lead)]) return std::nullopt;
    double best = 0;
    for (int t = *d.qrsOnset; t <= *d.qrsOffset; ++t) {
      const double v = set.AmplitudeMedian(lead, t) - d.amplitudeIsoelectric[static_cast<std::size_t>(lead)];
      best = highest ? std::max(best, v) : std::max(best, -v);
    }
    return best / 1000.0;
  };
  m.sv1Mv = extreme(LeadV1, false);
  m.rv5Mv = extreme(LeadV5, true);
  m.rv6Mv = extreme(LeadV6, true);

  // Fiducials: the representative beat's, and each dominant beat's at its own
  // position; other (ectopic) beats get QRS bounds of their own.
  BeatFiducials rep;
  rep.qrs = 0;
  rep.qrsOnset = *d.qrsOnset - t0;
  rep.qrsOffset = *d.qrsOffset - t0;
  if (m.qtMs) rep.tEnd = *d.tEnd - t0;
  if (m.prMs && m.pMs) rep.pOnset = *d.pOnset - t0, rep.pOffset = *d.pOffset - t0;
  m.representative = rep;
  m.representativeBeats = set.dominant;
  m.fiducials.reserve(m.beats.size());
  for (std::size_t b = 0; b < m.beats.size(); ++b) {
    BeatFiducials f;
    f.qrs = m.beats[b];
    if (set.inDominant[b]) {
      const auto at = [&](std::optional<int> rel) -> std::optional<int> {
        if (!rel) return std::nullopt;
        const int s = f.qrs + *rel;
        if (s < 0 || s >= samples) return std::nullopt;
        return s;
      };
      f.pOnset = at(rep.pOnset);
      f.pOffset = at(rep.pOffset);
      f.qrsOnset = at(rep.qrsOnset);
      f.qrsOffset = at(rep.qrsOffset);
      f.tEnd = at(rep.tEnd);
      if (f.tEnd && b + 1 < m.beats.size() && *f.tEnd >= m.beats[b + 1] - Ms(40)) f.tEnd.reset();
    } else if (auto bounds = analysis::QrsBoundsOfBeat(del, valid, f.qrs, Rate)) {
      f.qrsOnset = bounds->first;
      f.qrsOffset = bounds->second;
    }
    m.fiducials.push_back(f);
  }
  return m;
}

}  // namespace

Measurements MeasureLeads(std::span<const double> leadMajor, int samples, std::span<const bool> saturated) {
  if (samples < 2 * Rate || leadMajor.size() < static_cast<std::size_t>(samples) * Leads) return {};
  LeadSignals amp;
  amp.samples = samples;
  amp.values.resize(static_cast<std::size_t>(samples) * Leads);
  std::array<bool, Leads> flagged{};
  for (int L = 0; L < Leads; ++L) {
    flagged[static_cast<std::size_t>(L)] =
        static_cast<std::size_t>(L) < saturated.size() && saturated[static_cast<std::size_t>(L)];
    const double* x = leadMajor.data() + static_cast<std::size_t>(L) * static_cast<std::size_t>(samples);
    for (int i = 0; i < samples; ++i)
      amp.values[static_cast<std::size_t>(i) * Leads + static_cast<std::size_t>(L)] = x[i];
  }
  return Measure(amp, UsableLeads(amp, flagged));
}

Measurements MeasureRecord(const RecordImage& image) {
  LeadSignals amp;
  amp.samples = SamplesPerLead;
  amp.values.resize(static_cast<std::size_t>(SamplesPerLead) * Leads);
  // Whole units are always finite and far inside +-1 V: only the converter's
  // limits and a flat lead make a lead unusable, both read off the units.
  static_assert(LeadCount == Leads);
  // A block of frames at a time, lead by lead: each lead's units are read in
  // order and the block's frames stay in cache while all twelve fill them.
  constexpr int Block = 256;
  std::array<int, Leads> railed{}, lo{}, hi{};
  lo.fill(32767), hi.fill(-32768);
  for (int from = 0; from < SamplesPerLead; from += Block) {
    const int to = std::min(SamplesPerLead, from + Block);
    for (std::size_t L = 0; L < Leads; ++L) {
      int r = railed[L], l = lo[L], h = hi[L];
      double* out = amp.values.data() + L;
      const std::uint8_t* units = image.bytes.data() + SampleOffset(static_cast<int>(L), 0);
      for (int i = from; i < to; ++i) {
        // The file's little-endian units as the processor's own where they are the same.
        std::int16_t unit;
        if constexpr (std::endian::native == std::endian::little) {
          std::memcpy(&unit, units + 2 * static_cast<std::size_t>(i), sizeof unit);
        } else {
          unit = image.Sample(static_cast<int>(L), i);
        }
        const int raw = unit;
        r += raw >= 32767 || raw <= -32767 ? 1 : 0;
        l = std::min(l, raw), h = std::max(h, raw);
        out[static_cast<std::size_t>(i) * Leads] = raw * MeasurementUnitMicrovolts;
      }
      railed[L] = r, lo[L] = l, hi[L] = h;
    }
  }
  std::array<bool, Leads> valid{};
  for (std::size_t L = 0; L < Leads; ++L)
    valid[L] = CarriesSignal(railed[L], (hi[L] - lo[L]) * MeasurementUnitMicrovolts, SamplesPerLead);
  return Measure(amp, valid);
}

}  // namespace corvale
