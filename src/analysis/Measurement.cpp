// The measurement pipeline: clean the leads, find the beats, form a median beat
// of the dominant morphology, delineate it on the spatial velocity and spatial
// magnitude of all leads, and measure on it. docs/measurement.md gives the
// methods and the published work they follow.
#include "analysis/Measurement.h"

#include <algorithm>
#include <array>
#include <cmath>
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

// The dominant morphology: beats whose QRS correlates with the median QRS at
// least this well.
constexpr double SameMorphology = 0.9;
constexpr int MinDominantBeats = 3;

bool Finite(double v) { return std::isfinite(v); }

// Replaces each pacing spike by a straight line across it, so that the QRS
// detector and the median beat see the heart's own waves, and returns the
// spikes found (sample indices, one per spike).
std::vector<int> RemovePacingSpikes(LeadSignals& leads, const std::array<bool, Leads>& valid) {
  std::vector<int> spikes;
  const int n = leads.samples;
  constexpr int Reach = 2, Blank = 3;
  for (int i = Reach; i + Reach < n; ++i) {
    bool spike = false;
    for (int L = 0; L < Leads && !spike; ++L) {
      if (!valid[static_cast<std::size_t>(L)]) continue;
      const double mid = 0.5 * (leads.At(L, i - Reach) + leads.At(L, i + Reach));
      spike = std::abs(leads.At(L, i) - mid) > SpikeUv;
    }
    if (!spike) continue;
    const int from = std::max(0, i - Blank), to = std::min(n - 1, i + Blank);
    for (int L = 0; L < Leads; ++L) {
      const double a = leads.At(L, from), b = leads.At(L, to);
      for (int k = from + 1; k < to; ++k)
        leads.values[static_cast<std::size_t>(k) * Leads + static_cast<std::size_t>(L)] =
            a + (b - a) * (k - from) / (to - from);
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

std::optional<double> InRange(double v, double lo, double hi) {
  if (!Finite(v) || v < lo || v > hi) return std::nullopt;
  return v;
}

}  // namespace

Measurements MeasureLeads(std::span<const double> leadMajor, int samples, std::span<const bool> saturated) {
  Measurements m;
  if (samples < 2 * Rate || leadMajor.size() < static_cast<std::size_t>(samples) * Leads) return m;

  // Sample-major copies, with non-finite values zeroed and their leads dropped.
  LeadSignals amp;
  amp.samples = samples;
  amp.values.resize(static_cast<std::size_t>(samples) * Leads);
  std::array<bool, Leads> valid{};
  for (int L = 0; L < Leads; ++L) {
    const double* x = leadMajor.data() + static_cast<std::size_t>(L) * static_cast<std::size_t>(samples);
    double lo = 0, hi = 0;
    int railed = 0;
    bool finite = true;
    for (int i = 0; i < samples; ++i) {
      double v = x[i];
      if (!Finite(v)) finite = false, v = 0;
      if (std::abs(v) >= SaturationUv) ++railed;
      lo = i == 0 ? v : std::min(lo, v);
      hi = i == 0 ? v : std::max(hi, v);
      amp.values[static_cast<std::size_t>(i) * Leads + static_cast<std::size_t>(L)] = v;
    }
    const bool flagged = static_cast<std::size_t>(L) < saturated.size() && saturated[static_cast<std::size_t>(L)];
    valid[static_cast<std::size_t>(L)] =
        finite && !flagged && railed <= SaturatedShare * samples && hi - lo >= FlatRangeUv;
  }
  if (std::none_of(valid.begin(), valid.end(), [](bool v) { return v; })) return m;

  const std::vector<int> spikes = RemovePacingSpikes(amp, valid);

  std::vector<double> scratch;
  const std::array<analysis::Biquad, 2> baseline{analysis::ButterworthHighPass(HighPassHz, Rate),
                                                 analysis::Notch(MainsHz, Rate, MainsQ)};
  analysis::FilterZeroPhase(amp, baseline, scratch);
  LeadSignals del = amp;
  const std::array<analysis::Biquad, 1> smooth{analysis::ButterworthLowPass(LowPassHz, Rate)};
  analysis::FilterZeroPhase(del, smooth, scratch);

  const std::vector<int> detected = analysis::DetectQrs(del, valid, Rate, scratch);
  if (detected.size() < static_cast<std::size_t>(MinDominantBeats)) return m;

  analysis::BeatSet set = analysis::FormMedianBeat(del, amp, valid, detected, Rate);
  if (set.dominant < MinDominantBeats) return m;
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
  }

  // Axes from net areas in I and aVF, each relative to the level before the QRS.
  const auto area = [&](int lead, int from, int to) {
    double s = 0;
    for (int t = from; t <= to; ++t) s += set.Median(lead, t) - d.isoelectric[static_cast<std::size_t>(lead)];
    return s / std::max(1, to - from + 1);  // the mean level, uV
  };
  const bool frontal = valid[LeadI] && valid[LeadAvf];
  constexpr double MinAxisUv = 10.0;
  if (frontal) {
    m.qrsAxisDeg = Axis(area(LeadI, *d.qrsOnset, *d.qrsOffset), area(LeadAvf, *d.qrsOnset, *d.qrsOffset), MinAxisUv);
    if (d.tEnd) m.tAxisDeg = Axis(area(LeadI, *d.qrsOffset, *d.tEnd), area(LeadAvf, *d.qrsOffset, *d.tEnd), MinAxisUv);
    if (m.prMs) m.pAxisDeg = Axis(area(LeadI, *d.pOnset, *d.pOffset), area(LeadAvf, *d.pOnset, *d.pOffset), 5.0);
  }
  (void)LeadII;

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
  // position; other beats keep only their QRS position.
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
    }
    m.fiducials.push_back(f);
  }
  return m;
}

Measurements MeasureRecord(const RecordImage& image) {
  std::vector<double> leads(static_cast<std::size_t>(LeadCount) * SamplesPerLead);
  std::array<bool, LeadCount> saturated{};
  for (int L = 0; L < LeadCount; ++L) {
    int railed = 0;
    for (int i = 0; i < SamplesPerLead; ++i) {
      const std::int16_t raw = image.Sample(L, i);
      if (raw >= 32767 || raw <= -32767) ++railed;
      leads[static_cast<std::size_t>(L) * SamplesPerLead + static_cast<std::size_t>(i)] =
          raw * MeasurementUnitMicrovolts;
    }
    saturated[static_cast<std::size_t>(L)] = railed > SaturatedShare * SamplesPerLead;
  }
  return MeasureLeads(leads, SamplesPerLead, saturated);
}

}  // namespace corvale
