#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "analysis/DisplayFilters.h"
#include "record/RecordFile.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

constexpr double kMvPerUnit = 4.88e-3;

FilterSettings Parse(const char* text) {
  const FilterParse p = ParseFilterSettings(QString::fromUtf8(text));
  EXPECT_TRUE(p.Ok()) << text << ": " << p.problem.toStdString();
  return p.settings;
}

// Every lead gets `wave(lead, t)`, t in seconds.
std::unique_ptr<LeadArrays> Synthetic(const std::function<double(int, double)>& wave) {
  auto a = std::make_unique<LeadArrays>();
  for (int n = 0; n < SamplesPerLead; ++n)
    for (int l = 0; l < LeadCount; ++l)
      a->LeadSamples[static_cast<std::size_t>(n * LeadCount + l)] = wave(l, n / RecordSamplingRate);
  return a;
}

// Gain in dB of a sine through `settings`, over the whole 10 s (ends
// included), the worst of twelve phases.
double SineGainDb(const FilterSettings& settings, double hz, bool worstIsLoudest = true) {
  const double amplitude = 400.0;
  auto a =
      Synthetic([&](int lead, double t) { return amplitude * std::sin(2 * std::numbers::pi * hz * t + 0.5 * lead); });
  FilterLeadSamples(settings, a->LeadSamples);
  double worst = worstIsLoudest ? -1e9 : 1e9;
  for (int l = 0; l < LeadCount; ++l) {
    double energy = 0;
    for (int n = 0; n < SamplesPerLead; ++n) energy += a->Sample(l, n) * a->Sample(l, n);
    const double db = 20 * std::log10(std::sqrt(energy / SamplesPerLead) / (amplitude / std::sqrt(2.0)));
    worst = worstIsLoudest ? std::max(worst, db) : std::min(worst, db);
  }
  return worst;
}

std::vector<FilterSettings> EverySetting() {
  std::vector<FilterSettings> all;
  for (auto b : {BaselineFilter::Off, BaselineFilter::HighPass067, BaselineFilter::HighPass005})
    for (auto m : {MainsFilter::Off, MainsFilter::Notch50, MainsFilter::Notch60})
      for (auto u : {MuscleFilter::Off, MuscleFilter::LowPass25, MuscleFilter::LowPass35, MuscleFilter::LowPass40})
        all.push_back({b, m, u});
  return all;
}

TEST(Filters, TenHertzPassesEverySettingButMuscle25) {
  for (const FilterSettings& s : EverySetting()) {
    if (s.muscle == MuscleFilter::LowPass25) continue;
    const QString name = FormatFilterSettings(s);
    EXPECT_LE(SineGainDb(s, 10.0, true), 0.5) << name.toStdString();
    EXPECT_GE(SineGainDb(s, 10.0, false), -0.5) << name.toStdString();
  }
}

TEST(Filters, StopBands) {
  struct Row {
    const char* filters;
    double hz;
    double atMostDb;
  };
  const Row rows[] = {
      {"mains=50", 50, -30},
      {"mains=50", 100, -30},
      {"mains=50", 150, -30},
      {"mains=60", 60, -30},
      {"mains=60", 120, -30},
      {"baseline,mains=50,muscle=40", 50, -30},
      {"baseline=0.05,mains=60,muscle=35", 60, -30},
      {"baseline", 0.1, -20},
      {"baseline,mains=60,muscle=25", 0.1, -20},
      {"muscle=25", 60, -30},
      {"muscle=40", 100, -30},
  };
  for (const Row& r : rows) EXPECT_LE(SineGainDb(Parse(r.filters), r.hz), r.atMostDb) << r.filters << " at " << r.hz;
}

TEST(Filters, MuscleCornersAreThreeDecibelsDown) {
  for (const char* f : {"muscle=25", "muscle=35", "muscle=40"}) {
    const FilterSettings s = Parse(f);
    const double corner = HighCornerHz(s);
    EXPECT_NEAR(SineGainDb(s, corner), -3.0, 0.3) << f;
  }
}

// The ends are padded so that a level and a trend carry on: a straight line
// leaves a low-pass or a notch unchanged and a high-pass at zero, from the
// first sample to the last.
TEST(Filters, StraightLinesHaveNoEdgeEffects) {
  for (const FilterSettings& s : EverySetting()) {
    if (s.baseline == BaselineFilter::HighPass005) continue;  // a ramp is its pass band
    auto a = Synthetic([](int lead, double t) { return -300.0 + 40.0 * lead * t; });
    FilterLeadSamples(s, a->LeadSamples);
    double worst = 0;
    for (int l = 0; l < LeadCount; ++l) {
      for (int n = 0; n < SamplesPerLead; ++n) {
        const double expected = s.baseline == BaselineFilter::Off ? -300.0 + 40.0 * l * n / RecordSamplingRate : 0.0;
        worst = std::max(worst, std::fabs(a->Sample(l, n) - expected));
      }
    }
    EXPECT_LT(worst, 0.01) << FormatFilterSettings(s).toStdString();
  }
}

// The diagnostic low-frequency check: 3 mV for 100 ms; afterwards at most
// 0.1 mV from the baseline and at most 0.3 mV/s of slope.
struct ImpulseAfter {
  double offsetMv = 0, slopeMvPerS = 0;
};
ImpulseAfter ImpulseResponse(const FilterSettings& s, int start) {
  const double height = std::round(3.0 / kMvPerUnit);
  auto a =
      Synthetic([&](int, double t) { return 150.0 + (t >= start / 500.0 && t < (start + 50) / 500.0 ? height : 0); });
  FilterLeadSamples(s, a->LeadSamples);
  ImpulseAfter r;
  const int step = 25;  // slope over 50 ms
  for (int n = start + 50; n < SamplesPerLead; ++n) {
    r.offsetMv = std::max(r.offsetMv, std::fabs(a->Sample(0, n)) * kMvPerUnit);
    if (n + step < SamplesPerLead)
      r.slopeMvPerS =
          std::max(r.slopeMvPerS, std::fabs(a->Sample(0, n + step) - a->Sample(0, n)) * kMvPerUnit * 500.0 / step);
  }
  return r;
}

TEST(Filters, LowFrequencyImpulse) {
  for (int start : {100, 1000, 2500, 4500}) {
    const ImpulseAfter r = ImpulseResponse(Parse("baseline=0.05"), start);
    EXPECT_LE(r.offsetMv, 0.1) << start;
    EXPECT_LE(r.slopeMvPerS, 0.3) << start;
  }
  // A display aid for wander, which the page names: it cannot pass.
  EXPECT_GT(ImpulseResponse(Parse("baseline=0.67"), 2500).offsetMv, 0.1);
}

// QRS amplitude: the median over beats of each lead's swing within 80 ms of
// the beat, beats found on the summed slope of all leads.
std::vector<double> QrsAmplitudes(const LeadArrays& raw, const LeadArrays& shown) {
  std::vector<double> slope(SamplesPerLead, 0.0);
  for (int n = 1; n < SamplesPerLead; ++n)
    for (int l = 0; l < LeadCount; ++l) slope[n] += std::fabs(raw.Sample(l, n) - raw.Sample(l, n - 1));
  const double top = *std::max_element(slope.begin(), slope.end());
  std::vector<int> beats;
  for (int n = 50; n < SamplesPerLead - 50; ++n)
    if (slope[n] > 0.4 * top && (beats.empty() || n - beats.back() > 150)) beats.push_back(n);
  std::vector<double> out;
  for (int l = 0; l < LeadCount; ++l) {
    std::vector<double> swings;
    for (int b : beats) {
      double lo = 1e9, hi = -1e9;
      for (int n = b - 40; n < b + 40; ++n) {
        lo = std::min(lo, shown.Sample(l, n));
        hi = std::max(hi, shown.Sample(l, n));
      }
      swings.push_back(hi - lo);
    }
    std::nth_element(swings.begin(), swings.begin() + swings.size() / 2, swings.end());
    out.push_back(swings[swings.size() / 2]);
  }
  return out;
}

TEST(Filters, NotchKeepsQrsAmplitudeOfSampleRecords) {
  const QStringList files = QDir(test::SourcePath("samples")).entryList({"*.nrm", "*.msd"}, QDir::Files);
  ASSERT_EQ(files.size(), 11);
  for (const char* f : {"mains=50", "mains=60"}) {
    for (const QString& file : files) {
      RecordImage image;
      ASSERT_FALSE(ReadRecordFile(test::SourcePath("samples/" + file), image).has_value()) << file.toStdString();
      auto raw = std::make_unique<LeadArrays>();
      DeriveLeadArrays(image, *raw);
      auto shown = std::make_unique<LeadArrays>(*raw);
      ApplyFilters(Parse(f), *shown);
      const std::vector<double> before = QrsAmplitudes(*raw, *raw);
      const std::vector<double> after = QrsAmplitudes(*raw, *shown);
      for (int l = 0; l < LeadCount; ++l) {
        if (before[l] * kMvPerUnit < 0.2) continue;  // no QRS to speak of (flat leads)
        EXPECT_NEAR(after[l] / before[l], 1.0, 0.05) << f << " " << file.toStdString() << " lead " << l;
      }
    }
  }
}

TEST(Filters, OffLeavesEverythingAndFilteredImageKeepsHeader) {
  test::RecordBuilder b;
  b.Set(Field::PatientId, "P1234567");
  for (int l = 0; l < LeadCount; ++l)
    b.Lead(l, [l](int n) { return static_cast<std::int16_t>((n % 500 < 20 ? 400 : -200) + l + n / 50); });
  RecordImage out;
  FilterRecordImage(b.Image(), FilterSettings{}, out);
  EXPECT_EQ(out.bytes, b.Image().bytes);

  auto arrays = std::make_unique<LeadArrays>();
  DeriveLeadArrays(b.Image(), *arrays);
  const auto before = std::make_unique<LeadArrays>(*arrays);
  ApplyFilters(FilterSettings{}, *arrays);
  EXPECT_EQ(arrays->LeadSamples, before->LeadSamples);

  FilterRecordImage(b.Image(), Parse("baseline,muscle=25"), out);
  EXPECT_TRUE(std::equal(out.bytes.begin(), out.bytes.begin() + HeaderSize, b.Image().bytes.begin()));
  ApplyFilters(Parse("baseline,muscle=25"), *arrays);
  for (int l = 0; l < LeadCount; ++l) {
    EXPECT_NE(out.Sample(l, 10), b.Image().Sample(l, 10));
    EXPECT_EQ(out.Sample(l, 10), std::lround(arrays->Sample(l, 10))) << "rounded as filtered";
    double lo = 0, hi = 0;
    for (int n = 0; n < SamplesPerLead; ++n) {
      lo = std::min(lo, arrays->Sample(l, n));
      hi = std::max(hi, arrays->Sample(l, n));
    }
    EXPECT_DOUBLE_EQ(arrays->LeadRange[l], hi - lo) << "range of the filtered samples";
    EXPECT_DOUBLE_EQ(arrays->LeadOffset[l], -lo / (hi - lo));
  }
}

TEST(FilterSettings, ParseFormatDescribe) {
  struct Row {
    const char* text;
    const char* formatted;  // nullptr: refused
    const char* response;
  };
  const Row rows[] = {
      {"", "none", "0.05\u2013150 Hz"},
      {"none", "none", "0.05\u2013150 Hz"},
      {"baseline", "baseline=0.67", "0.67\u2013150 Hz"},
      {"baseline=0.67,mains=50,muscle=40", "baseline=0.67,mains=50,muscle=40", "0.67\u201340 Hz, 50 Hz notch"},
      {" muscle=25 , baseline=0.05 ", "baseline=0.05,muscle=25", "0.05\u201325 Hz"},
      {"mains=60", "mains=60", "0.05\u2013150 Hz, 60 Hz notch"},
      {"Muscle=35,mains=off", "muscle=35", "0.05\u201335 Hz"},
      {"baseline=0.5", nullptr, nullptr},
      {"mains", nullptr, nullptr},
      {"mains=55", nullptr, nullptr},
      {"muscle=30", nullptr, nullptr},
      {"baseline,baseline=0.05", nullptr, nullptr},
      {"hum=50", nullptr, nullptr},
      {"baseline,,mains=50", nullptr, nullptr},
  };
  for (const Row& r : rows) {
    const FilterParse p = ParseFilterSettings(QString::fromUtf8(r.text));
    if (!r.formatted) {
      EXPECT_FALSE(p.Ok()) << r.text;
      EXPECT_EQ(p.settings, FilterSettings{}) << r.text;
      continue;
    }
    ASSERT_TRUE(p.Ok()) << r.text << ": " << p.problem.toStdString();
    EXPECT_EQ(FormatFilterSettings(p.settings), QString::fromUtf8(r.formatted)) << r.text;
    EXPECT_EQ(DescribeFrequencyResponse(p.settings), QString::fromUtf8(r.response)) << r.text;
    EXPECT_EQ(ParseFilterSettings(FormatFilterSettings(p.settings)).settings, p.settings) << r.text;
  }
}

}  // namespace
}  // namespace corvale
