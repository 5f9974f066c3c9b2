// Measurement on beats whose answers are known by construction, and on input
// that is no ECG at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>
#include <random>
#include <span>
#include <vector>

#include "analysis/Delineation.h"
#include "analysis/Filters.h"
#include "analysis/Measurement.h"

namespace corvale {
namespace {

constexpr double Pi = std::numbers::pi;

double Gauss(double t, double centre, double width) {
  const double z = (t - centre) / width;
  return std::exp(-0.5 * z * z);
}

// A frontal heart vector in direction `axisDeg` seen by the six limb leads
// (lead I along 0 deg, aVF along +90 deg), and by V1..V6 along the
// horizontal directions they face.
std::array<double, 12> Project(double magnitude, double axisDeg, double horizontalDeg) {
  const double a = axisDeg * Pi / 180;
  const double i = magnitude * std::cos(a), ii = magnitude * std::cos(a - Pi / 3);
  std::array<double, 12> leads{i, ii, ii - i, -(i + ii) / 2, i - ii / 2, ii - i / 2};
  const double h = horizontalDeg * Pi / 180;
  for (int v = 0; v < 6; ++v) leads[6 + v] = magnitude * std::cos(h - (120.0 - 24.0 * v) * Pi / 180);
  return leads;
}

struct Synthetic {
  double rrMs = 800;
  double qrsAxisDeg = 60;
  bool pWave = true;
  double prMs = 160;          // P onset to QRS onset, roughly
  double rrJitter = 0;        // share of RR, random per beat
  double fibrillationUv = 0;  // irregular atrial activity instead of P waves
  double flutterUv = 0;       // a sawtooth at 300/min instead of P waves (4:1 at the 800 ms RR)
  int onlyLead = -1;          // all other leads zero
  int ectopicEvery = 0;       // every n-th beat (from the second) a wide ventricular complex
  std::array<double, 12> gain{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};  // each lead's, as some databases store them
};

// Twelve leads in microvolts, lead-major, and the QRS times used.
std::vector<double> Make(const Synthetic& s, std::vector<double>* qrsTimes = nullptr) {
  std::vector<double> out(12 * 5000, 0.0);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> jitter(-1, 1);
  const auto add = [&](double tMs, double centreMs, double widthMs, const std::array<double, 12>& amp) {
    const double g = Gauss(tMs, centreMs, widthMs);
    return std::array<double, 12>{g * amp[0], g * amp[1], g * amp[2], g * amp[3], g * amp[4],  g * amp[5],
                                  g * amp[6], g * amp[7], g * amp[8], g * amp[9], g * amp[10], g * amp[11]};
  };
  std::vector<double> beats;
  for (double t = 600; t < 9600; t += s.rrMs * (1 + s.rrJitter * jitter(random))) beats.push_back(t);
  if (qrsTimes) *qrsTimes = beats;
  const auto r = Project(1500, s.qrsAxisDeg, 10), q = Project(-150, s.qrsAxisDeg, 10),
             sw = Project(-300, s.qrsAxisDeg, 10), p = Project(120, 55, 60), tw = Project(300, 40, 40);
  for (int n = 0; n < 5000; ++n) {
    const double tMs = n * 2.0;
    std::array<double, 12> v{};
    for (std::size_t k = 0; k < beats.size(); ++k) {
      const double b = beats[k];
      if (std::abs(tMs - b) > 700) continue;
      const auto sum = [&](const std::array<double, 12>& w) {
        for (int L = 0; L < 12; ++L) v[static_cast<std::size_t>(L)] += w[static_cast<std::size_t>(L)];
      };
      if (s.ectopicEvery > 0 && k % static_cast<std::size_t>(s.ectopicEvery) == 1) {
        sum(add(tMs, b, 35, Project(1800, s.qrsAxisDeg + 150, 200)));
        sum(add(tMs, b + 300, 70, Project(-400, s.qrsAxisDeg + 150, 200)));
        continue;
      }
      if (s.pWave) sum(add(tMs, b - 40 - s.prMs + 50, 22, p));
      sum(add(tMs, b - 25, 8, q));
      sum(add(tMs, b, 10, r));
      sum(add(tMs, b + 25, 9, sw));
      sum(add(tMs, b + 280, 55, tw));
    }
    for (int L = 0; L < 12; ++L) {
      double x = v[static_cast<std::size_t>(L)];
      if (s.fibrillationUv > 0)
        x += s.fibrillationUv * (std::sin(2 * Pi * 6.3 * tMs / 1000 + L) + 0.7 * std::sin(2 * Pi * 8.9 * tMs / 1000));
      if (s.flutterUv > 0) {
        // Slow fall, quick rise, every 200 ms; strongest in the inferior leads.
        const double phase = std::fmod(tMs + 37, 200.0) / 200.0;
        const double saw = phase < 0.8 ? 1 - 2 * phase / 0.8 : -1 + 2 * (phase - 0.8) / 0.2;
        x += s.flutterUv * saw * p[static_cast<std::size_t>(L)] / 120;
      }
      if (s.onlyLead >= 0 && L != s.onlyLead) x = 0;
      out[static_cast<std::size_t>(L) * 5000 + static_cast<std::size_t>(n)] = x * s.gain[static_cast<std::size_t>(L)];
    }
  }
  return out;
}

double AngleBetween(double a, double b) {
  double d = std::fmod(std::abs(a - b), 360.0);
  return d > 180 ? 360 - d : d;
}

TEST(Measurement, HeartRateIsSixtyThousandOverTheMeanRr) {
  for (double rr : {500.0, 800.0, 1000.0, 1200.0}) {
    SCOPED_TRACE(rr);
    Synthetic s;
    s.rrMs = rr;
    const Measurements m = MeasureLeads(Make(s), 5000);
    ASSERT_TRUE(m.rrMs && m.hrBpm);
    EXPECT_DOUBLE_EQ(*m.rrMs, rr);
    EXPECT_DOUBLE_EQ(*m.hrBpm, 60000.0 / rr);
    EXPECT_EQ(m.fiducials.size(), m.beats.size());
  }
}

TEST(Measurement, FrontalAxisFollowsTheDipole) {
  // Also with every limb lead at a gain of its own (the heart's laws between
  // them give lead I's scale back), and with lead III missing as well.
  struct Gains {
    const char* name;
    std::array<double, 12> gain;
  };
  const Gains same{"one gain", Synthetic{}.gain}, own{"own gains", {0.6, 1.7, 1.2, 0.8, 1.5, 0.7, 1, 1, 1, 1, 1, 1}};
  Gains noIii{"own gains, no lead III", own.gain};
  noIii.gain[2] = 0;
  for (const auto& [name, gain] : {same, own, noIii})
    for (double axis : {-75.0, -30.0, 0.0, 45.0, 90.0, 120.0, 180.0}) {
      SCOPED_TRACE(axis);
      SCOPED_TRACE(name);
      Synthetic s;
      s.qrsAxisDeg = axis;
      s.gain = gain;
      const Measurements m = MeasureLeads(Make(s), 5000);
      ASSERT_TRUE(m.qrsAxisDeg);
      EXPECT_LE(AngleBetween(*m.qrsAxisDeg, axis), 5.0) << *m.qrsAxisDeg;
      EXPECT_GT(*m.qrsAxisDeg, -180.0);
      EXPECT_LE(*m.qrsAxisDeg, 180.0);
      ASSERT_TRUE(m.tAxisDeg);
      EXPECT_LE(AngleBetween(*m.tAxisDeg, 40), 10.0) << *m.tAxisDeg;
    }
}

TEST(Measurement, PrOnlyWhereEveryBeatHasAPWave) {
  struct Case {
    const char* name;
    Synthetic s;
    bool expectPr;
  };
  Synthetic sinus, none, fibrillation, arrhythmic, fastArrhythmic, flutter, flutter21;
  none.pWave = false;
  flutter.pWave = false, flutter.flutterUv = 150;
  flutter21 = flutter, flutter21.rrMs = 400;  // every second flutter wave conducted: 150 per minute
  fibrillation.pWave = false, fibrillation.rrJitter = 0.25, fibrillation.fibrillationUv = 40;
  arrhythmic.rrJitter = 0.1;  // sinus arrhythmia: irregular, but a P wave before every beat
  // Fast and irregular: the neighbours' QRS complexes fall within the median
  // beat's span, each beat's elsewhere, and must not count as its noise.
  fastArrhythmic.rrJitter = 0.1, fastArrhythmic.rrMs = 600;
  for (const Case& c :
       {Case{"sinus", sinus, true}, Case{"no P wave", none, false}, Case{"fibrillation", fibrillation, false},
        Case{"sinus arrhythmia", arrhythmic, true}, Case{"sinus arrhythmia at 100 per minute", fastArrhythmic, true},
        Case{"flutter, 4:1", flutter, false}, Case{"flutter, 2:1", flutter21, false}}) {
    SCOPED_TRACE(c.name);
    const Measurements m = MeasureLeads(Make(c.s), 5000);
    ASSERT_TRUE(m.qrsMs) << "the beats themselves are measured";
    EXPECT_EQ(m.prMs.has_value(), c.expectPr)
        << "PR " << m.prMs.value_or(-1) << " ms at " << m.hrBpm.value_or(-1) << " bpm";
    EXPECT_EQ(m.pMs.has_value(), c.expectPr);
    if (!c.expectPr) {
      EXPECT_FALSE(m.pAxisDeg);
      ASSERT_TRUE(m.representative);
      EXPECT_FALSE(m.representative->pOnset);
    }
  }
}

TEST(Measurement, EctopicBeatsCountButStayOutOfTheMedianBeat) {
  Synthetic s;
  s.ectopicEvery = 4;
  std::vector<double> times;
  const Measurements m = MeasureLeads(Make(s, &times), 5000);
  Synthetic plain;
  const Measurements normal = MeasureLeads(Make(plain), 5000);
  ASSERT_TRUE(m.qrsMs && normal.qrsMs && m.prMs);
  ASSERT_EQ(m.beats.size(), times.size()) << "ectopic beats count for the rate";
  EXPECT_NEAR(*m.qrsMs, *normal.qrsMs, 4.0) << "the median beat is the dominant morphology's";
  ASSERT_EQ(m.fiducials.size(), m.beats.size());
  int ectopic = 0;
  for (std::size_t b = 0; b < m.beats.size(); ++b) {
    const BeatFiducials& f = m.fiducials[b];
    if (b % 4 != 1) continue;
    ++ectopic;
    EXPECT_FALSE(f.pOnset) << "no P wave is drawn for a ventricular beat";
    ASSERT_TRUE(f.qrsOnset && f.qrsOffset);
    EXPECT_GT((*f.qrsOffset - *f.qrsOnset) * 2.0, *m.qrsMs + 20) << "its own, wider QRS";
  }
  EXPECT_GE(ectopic, 3);
}

// A reader marks the QRS onset at the earliest lead's deflection, even when
// only one lead shows it; noise in one lead is no deflection.
TEST(Measurement, QrsOnsetIsTheEarliestLeadsButNotItsNoise) {
  std::vector<double> times;
  const std::vector<double> plainLeads = Make(Synthetic{}, &times);
  const Measurements plain = MeasureLeads(plainLeads, 5000);
  ASSERT_TRUE(plain.qrsMs);
  struct Case {
    const char* what;
    double earlyUv;             // a deflection 45 ms before the R wave, in V1 only
    double noiseUv;             // broadband noise (RMS), in V1 only
    double minWider, maxWider;  // QRS duration against the plain record's, ms
  };
  for (const Case& c : {Case{"one lead starts early", 150, 0, 8, 24}, Case{"one lead is noisy", 0, 25, -4, 4}}) {
    SCOPED_TRACE(c.what);
    std::vector<double> leads = plainLeads;
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0, std::max(c.noiseUv, 1.0));
    for (int n = 0; n < 5000; ++n) {
      double x = c.noiseUv > 0 ? noise(random) : 0.0;
      for (double b : times) x += c.earlyUv * Gauss(n * 2.0, b - 45, 6);
      leads[static_cast<std::size_t>(6) * 5000 + static_cast<std::size_t>(n)] += x;
    }
    const Measurements m = MeasureLeads(leads, 5000);
    ASSERT_TRUE(m.qrsMs);
    EXPECT_GE(*m.qrsMs - *plain.qrsMs, c.minWider);
    EXPECT_LE(*m.qrsMs - *plain.qrsMs, c.maxWider);
  }
}

// The representative beat is, sample by sample and lead by lead, the median
// of the dominant beats as they were aligned: for any number of beats, odd or
// even, few or many (the sorting network differs with each count).
TEST(Measurement, MedianBeatIsTheMedianOfItsBeats) {
  for (int beats : {1, 2, 3, 4, 5, 7, 8, 10, 13, 16, 17, 24, 33}) {
    SCOPED_TRACE(beats);
    constexpr int Rr = 400;
    analysis::LeadSignals signals;
    signals.samples = (beats + 2) * Rr;
    signals.values.resize(static_cast<std::size_t>(signals.samples) * analysis::Leads);
    std::mt19937 random(static_cast<unsigned>(beats));
    std::uniform_int_distribution<int> scatter(-40, 40);
    std::vector<int> positions;
    for (int b = 0; b < beats; ++b) positions.push_back(Rr + b * Rr);
    for (int n = 0; n < signals.samples; ++n)
      for (int L = 0; L < analysis::Leads; ++L) {
        // Whole microvolts (exact in single precision, as filter output is):
        // one QRS shape in every beat, and scatter that differs beat by beat.
        const int fromQrs = (n + Rr / 2) % Rr - Rr / 2;
        const int qrs = std::abs(fromQrs) < 20 ? (20 - std::abs(fromQrs)) * (50 + 10 * L) : 0;
        signals.values[static_cast<std::size_t>(n) * analysis::Leads + static_cast<std::size_t>(L)] =
            qrs + scatter(random);
      }
    const std::array<bool, analysis::Leads> valid{true, true, true, true, true, true,
                                                  true, true, true, true, true, true};
    const analysis::BeatSet set = analysis::FormMedianBeat(signals, signals, valid, positions, 500);
    ASSERT_EQ(set.dominant, beats);
    std::vector<double> column;
    int compared = 0;
    for (int t = 0; t < set.length; t += 7)
      for (int L = 0; L < analysis::Leads; ++L) {
        column.clear();
        for (int at : set.positions)
          if (at - set.pre + t >= 0 && at - set.pre + t < signals.samples)
            column.push_back(signals.At(L, at - set.pre + t));
        if (column.empty()) continue;
        std::sort(column.begin(), column.end());
        const std::size_t k = column.size();
        const double expected = k % 2 ? column[k / 2] : 0.5 * (column[k / 2 - 1] + column[k / 2]);
        ASSERT_EQ(set.Median(L, t), expected) << "lead " << L << ", sample " << t;
        ++compared;
      }
    EXPECT_GT(compared, 500);
  }
}

// The detector may put a beat anywhere on the flat top of its envelope, tens
// of ms from where it put the others. However many beats it puts so, every
// beat of the median beat sits at the same place on its complex (beats it
// cannot place are left out), so the median beat holds one QRS complex.
TEST(Measurement, BeatsFoundOffTheirComplexAreAlignedOnIt) {
  struct Case {
    const char* name;
    int every;       ///< every n-th beat is found off its complex
    int offSamples;  ///< by this much
  };
  Synthetic plain;
  std::vector<double> times;
  const std::vector<double> leads = Make(plain, &times);
  analysis::LeadSignals signals;
  signals.samples = 5000;
  signals.values.resize(5000 * analysis::Leads);
  for (int n = 0; n < 5000; ++n)
    for (int L = 0; L < analysis::Leads; ++L)
      signals.values[static_cast<std::size_t>(n) * analysis::Leads + static_cast<std::size_t>(L)] =
          leads[static_cast<std::size_t>(L) * 5000 + static_cast<std::size_t>(n)];
  const std::array<bool, analysis::Leads> valid{true, true, true, true, true, true, true, true, true, true, true, true};
  for (const Case& c : {Case{"every other beat 40 ms late", 2, 20}, Case{"every other beat 30 ms early", 2, -15},
                        Case{"every third beat 40 ms late", 3, 20}, Case{"every other beat 10 ms late", 2, 5}}) {
    SCOPED_TRACE(c.name);
    std::vector<int> truth, found;
    for (std::size_t b = 0; b < times.size(); ++b) {
      truth.push_back(static_cast<int>(std::lround(times[b] / 2)));
      found.push_back(truth.back() + (b % static_cast<std::size_t>(c.every) == 1 ? c.offSamples : 0));
    }
    const analysis::BeatSet set = analysis::FormMedianBeat(signals, signals, valid, found, 500);
    EXPECT_GE(2 * set.dominant, static_cast<int>(found.size()));
    std::optional<int> where;  // a dominant beat's position on its complex
    for (std::size_t b = 0; b < found.size(); ++b) {
      if (!set.inDominant[b]) continue;
      if (!where) where = set.positions[b] - truth[b];
      EXPECT_NEAR(set.positions[b] - truth[b], *where, 1) << "beat " << b;
    }
  }
}

// The zero-phase filter, whatever the number of sections and whether it writes
// in place or to other signals, gives exactly what running one section at a
// time over the padded record gives: the slow, plain form of the same filter.
std::vector<double> OneSectionAtATime(const analysis::LeadSignals& in, std::span<const analysis::Biquad> sections) {
  constexpr int Leads = analysis::Leads;
  const int n = in.samples, pad = std::min(250, n - 1), total = n + 2 * pad;
  std::vector<float> buf(static_cast<std::size_t>(total) * Leads);
  const auto x = [&](int i, int L) { return in.At(L, i); };
  const auto at = [&](int i, int L) -> float& { return buf[static_cast<std::size_t>(i) * Leads + L]; };
  for (int i = 0; i < n; ++i)
    for (int L = 0; L < Leads; ++L) at(pad + i, L) = static_cast<float>(x(i, L));
  for (int i = 1; i <= pad; ++i)
    for (int L = 0; L < Leads; ++L) {
      at(pad - i, L) = static_cast<float>(2 * x(0, L) - x(i, L));
      at(pad + n - 1 + i, L) = static_cast<float>(2 * x(n - 1, L) - x(n - 1 - i, L));
    }
  for (int direction : {+1, -1})
    for (const analysis::Biquad& s : sections)
      for (int L = 0; L < Leads; ++L) {
        const int first = direction > 0 ? 0 : total - 1;
        const double x0 = at(first, L), y0 = s.DcGain() * x0;
        auto z1 = static_cast<float>(y0 - s.b0 * x0), z2 = static_cast<float>(s.b2 * x0 - s.a2 * y0);
        for (int k = 0, i = first; k < total; ++k, i += direction) {
          const float v = at(i, L), y = static_cast<float>(s.b0) * v + z1;
          z1 = static_cast<float>(s.b1) * v - static_cast<float>(s.a1) * y + z2;
          z2 = static_cast<float>(s.b2) * v - static_cast<float>(s.a2) * y;
          at(i, L) = y;
        }
      }
  std::vector<double> out;
  for (int i = 0; i < n; ++i)
    for (int L = 0; L < Leads; ++L) out.push_back(at(pad + i, L));
  return out;
}

TEST(Measurement, ZeroPhaseFilterIsExactlyItsSectionsOneAtATime) {
  analysis::LeadSignals in;
  in.samples = 1500;
  in.values.resize(static_cast<std::size_t>(in.samples) * analysis::Leads);
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, 200);
  for (std::size_t k = 0; k < in.values.size(); ++k)
    in.values[k] = 800 * std::sin(static_cast<double>(k / analysis::Leads) * 0.01 * (1 + k % analysis::Leads)) +
                   noise(random) + 3000.0 * static_cast<double>(k % 5);
  const std::vector<analysis::Biquad> all{analysis::ButterworthHighPass(0.67, 500), analysis::Notch(50, 500, 8),
                                          analysis::ButterworthLowPass(40, 500), analysis::Notch(60, 500, 4),
                                          analysis::ButterworthHighPass(0.05, 500)};
  for (std::size_t count = 0; count <= all.size(); ++count) {
    SCOPED_TRACE(count);
    const std::span<const analysis::Biquad> sections(all.data(), count);
    const std::vector<double> expected = OneSectionAtATime(in, sections);
    analysis::FilterScratch scratch;
    analysis::LeadSignals inPlace = in, other;
    analysis::FilterZeroPhase(inPlace, sections, scratch);
    analysis::FilterZeroPhase(in, other, sections, scratch);
    ASSERT_EQ(other.samples, in.samples);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), inPlace.values.begin(), inPlace.values.end()));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), other.values.begin(), other.values.end()));
  }
}

TEST(Measurement, SameInputSameResult) {
  Synthetic s;
  s.rrJitter = 0.1;
  const std::vector<double> leads = Make(s);
  const Measurements a = MeasureLeads(leads, 5000), b = MeasureLeads(leads, 5000);
  EXPECT_EQ(a.beats, b.beats);
  EXPECT_EQ(a.qtMs, b.qtMs);
  EXPECT_EQ(a.prMs, b.prMs);
  EXPECT_EQ(a.qrsAxisDeg, b.qrsAxisDeg);
}

// Values a caller can print: finite and within what a body produces, and
// fiducials inside the record, in order.
void ExpectPlain(const Measurements& m) {
  const auto plain = [](const std::optional<double>& v, double lo, double hi) {
    if (v) {
      EXPECT_TRUE(std::isfinite(*v));
      EXPECT_GE(*v, lo);
      EXPECT_LE(*v, hi);
    }
  };
  plain(m.hrBpm, 15, 350), plain(m.rrMs, 170, 4000), plain(m.pMs, 1, 300), plain(m.prMs, 1, 700);
  plain(m.qrsMs, 1, 300), plain(m.qtMs, 1, 800), plain(m.qtcMs, 1, 1200), plain(m.qtcfMs, 1, 1200);
  for (const auto& a : {m.pAxisDeg, m.qrsAxisDeg, m.tAxisDeg}) plain(a, -179.9999, 180);
  for (const auto& a : {m.sv1Mv, m.rv5Mv, m.rv6Mv}) plain(a, 0, 70);
  EXPECT_EQ(m.fiducials.size(), m.beats.size());
  for (std::size_t b = 0; b < m.beats.size(); ++b) {
    EXPECT_GE(m.beats[b], 0);
    EXPECT_LT(m.beats[b], 5000);
    if (b > 0) {
      EXPECT_LT(m.beats[b - 1], m.beats[b]);
    }
    for (const auto& f :
         {m.fiducials[b].pOnset, m.fiducials[b].qrsOnset, m.fiducials[b].qrsOffset, m.fiducials[b].tEnd})
      if (f) {
        EXPECT_TRUE(*f >= 0 && *f < 5000);
      }
  }
}

bool Empty(const Measurements& m) {
  return m.beats.empty() && !m.hrBpm && !m.rrMs && !m.pMs && !m.prMs && !m.qrsMs && !m.qtMs && !m.qtcMs &&
         !m.pAxisDeg && !m.qrsAxisDeg && !m.tAxisDeg && !m.sv1Mv && !m.rv5Mv && !m.rv6Mv;
}

TEST(Measurement, HostileInputGivesAbsentOrPlainValues) {
  struct Case {
    const char* name;
    std::function<std::int16_t(int lead, int n)> sample;
    bool nothing;  // no beat and no value at all
  };
  const auto noise = [](int lead, int n) {
    std::uint32_t x = static_cast<std::uint32_t>(lead * 5000 + n) * 2654435761U;
    x ^= x >> 13, x *= 0x5bd1e995U, x ^= x >> 15;
    return static_cast<std::int16_t>(static_cast<int>(x % 821U) - 410);  // +-2 mV
  };
  const std::vector<double> ecg = Make(Synthetic{});
  const auto realLead = [&](int lead, int n) {
    return static_cast<std::int16_t>(std::lround(ecg[static_cast<std::size_t>(lead) * 5000 + n] / 4.88));
  };
  const std::vector<Case> cases{
      {"flat", [](int, int) { return std::int16_t{0}; }, true},
      {"flat at an offset", [](int, int) { return std::int16_t{1234}; }, true},
      {"pure noise", noise, true},
      {"saturated high", [](int, int) { return std::int16_t{32767}; }, true},
      {"saturated square wave", [](int, int n) { return static_cast<std::int16_t>((n / 250) % 2 ? 32767 : -32768); },
       true},
      {"pacing spikes alone", [](int, int n) { return static_cast<std::int16_t>(n % 400 == 100 ? 1500 : 0); }, true},
      {"pacing spike pairs",
       [](int lead, int n) { return static_cast<std::int16_t>(n % 350 < 2 ? (lead % 2 ? 2000 : -2000) : 0); }, true},
      {"one lead of noise", [&](int lead, int n) { return lead == 7 ? noise(lead, n) : std::int16_t{0}; }, true},
      {"an ECG in lead II alone", [&](int lead, int n) { return lead == 1 ? realLead(1, n) : std::int16_t{0}; }, false},
      {"an ECG with V3 saturated",
       [&](int lead, int n) { return lead == 8 ? std::int16_t{-32768} : realLead(lead, n); }, false},
      {"an ECG under a 60 mV offset",
       [&](int lead, int n) { return static_cast<std::int16_t>(realLead(lead, n) + 12000); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto image = std::make_unique<RecordImage>();
    for (int L = 0; L < LeadCount; ++L)
      for (int n = 0; n < SamplesPerLead; ++n) image->SetSample(L, n, c.sample(L, n));
    const Measurements m = MeasureRecord(*image);
    ExpectPlain(m);
    if (c.nothing) {
      EXPECT_TRUE(Empty(m));
    } else {
      ASSERT_TRUE(m.hrBpm);
      EXPECT_NEAR(*m.hrBpm, 75.0, 0.5);
    }
  }
  // Lead II alone: no lead I and aVF, so no frontal axis.
  auto image = std::make_unique<RecordImage>();
  for (int n = 0; n < SamplesPerLead; ++n) image->SetSample(1, n, realLead(1, n));
  EXPECT_FALSE(MeasureRecord(*image).qrsAxisDeg);
}

TEST(Measurement, MicrovoltEntryRefusesWhatItCannotMeasure) {
  std::vector<double> leads = Make(Synthetic{});
  EXPECT_TRUE(Empty(MeasureLeads(std::span(leads).first(12 * 400), 400)));  // under 2 s
  EXPECT_TRUE(Empty(MeasureLeads(std::span(leads).first(100), 5000)));      // fewer values than said
  // Non-finite values drop their lead; the others still measure.
  for (int n = 0; n < 5000; n += 7) leads[static_cast<std::size_t>(9) * 5000 + n] = std::nan("");
  leads[static_cast<std::size_t>(10) * 5000 + 42] = INFINITY;
  const Measurements m = MeasureLeads(leads, 5000);
  ExpectPlain(m);
  EXPECT_TRUE(m.hrBpm);
  EXPECT_FALSE(m.rv5Mv) << "V5 held an infinity";
}

}  // namespace
}  // namespace corvale
