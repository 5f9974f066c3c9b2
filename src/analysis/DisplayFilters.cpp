#include "analysis/DisplayFilters.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <numeric>
#include <vector>

namespace corvale {

namespace {

constexpr int kLeads = LeadCount;
constexpr int kSamples = SamplesPerLead;
constexpr double kRate = RecordSamplingRate;
// Unfiltered, a record carries the diagnostic band of a resting electrocardiograph.
constexpr double kRecordLowHz = 0.05;
constexpr double kRecordHighHz = 150.0;
// Reflected padding at each end: 1 s outlasts the transients of every filter
// but the 0.05 Hz high-pass, whose start is taken care of by starting each
// pass in the steady state of the first padded value.
constexpr int kPad = 500;
// The hum at each end is estimated over 0.5 s, a whole number of periods of
// 50 and 60 Hz and of their harmonics, so that the estimates are independent;
// the trend over 2 s, enough beats for their waves to average out.
constexpr int kHumWindow = 250;
constexpr int kTrendWindow = 1000;
// Single-pass -3 dB width of each notch. Narrower notches ring longer around
// every QRS; wider ones take more of it.
constexpr double kNotchWidthHz = 1.0;
// Harmonics are notched up to the top of the unfiltered band; a muscle filter
// takes the harmonics down by far more than a notch would.
constexpr int kHarmonicLimitHz = static_cast<int>(kRecordHighHz);
constexpr int kMaxStages = 5;

struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

struct Cascade {
  std::array<Biquad, kMaxStages> stages{};
  int count = 0;
  void Add(const Biquad& b) { stages.at(static_cast<std::size_t>(count++)) = b; }
};

// Forward and backward, a Butterworth filter of order N is taken twice: the
// design corner moves so that the combined response is 3 dB down at `hz`.
double HighPassDesignHz(double hz, int order) { return hz * std::pow(std::numbers::sqrt2 - 1.0, 0.5 / order); }
double LowPassDesignHz(double hz, int order) { return hz / std::pow(std::numbers::sqrt2 - 1.0, 0.5 / order); }

double Prewarp(double hz) { return std::tan(std::numbers::pi * hz / kRate); }

Biquad FirstOrderHighPass(double hz) {
  const double k = Prewarp(hz);
  const double norm = 1.0 / (1.0 + k);
  return {norm, -norm, 0.0, (k - 1.0) * norm, 0.0};
}

Biquad SecondOrderHighPass(double hz, double q) {
  const double k = Prewarp(hz);
  const double norm = 1.0 / (1.0 + k / q + k * k);
  return {norm, -2.0 * norm, norm, 2.0 * (k * k - 1.0) * norm, (1.0 - k / q + k * k) * norm};
}

Biquad SecondOrderLowPass(double hz, double q) {
  const double k = Prewarp(hz);
  const double norm = 1.0 / (1.0 + k / q + k * k);
  const double b0 = k * k * norm;
  return {b0, 2.0 * b0, b0, 2.0 * (k * k - 1.0) * norm, (1.0 - k / q + k * k) * norm};
}

Biquad Notch(double hz, double widthHz) {
  const double k = Prewarp(hz);
  const double q = hz / widthHz;
  const double norm = 1.0 / (1.0 + k / q + k * k);
  const double b0 = (1.0 + k * k) * norm;
  const double b1 = 2.0 * (k * k - 1.0) * norm;
  return {b0, b1, b0, b1, (1.0 - k / q + k * k) * norm};
}

double MuscleHz(MuscleFilter m) {
  switch (m) {
    case MuscleFilter::LowPass25: return 25.0;
    case MuscleFilter::LowPass35: return 35.0;
    case MuscleFilter::LowPass40: return 40.0;
    case MuscleFilter::Off: break;
  }
  return 0.0;
}

double BaselineHz(BaselineFilter b) {
  switch (b) {
    case BaselineFilter::HighPass067: return 0.67;
    case BaselineFilter::HighPass005: return 0.05;
    case BaselineFilter::Off: break;
  }
  return 0.0;
}

// The mains frequencies notched: the fundamental, and its harmonics within the
// band when no low-pass is on.
std::vector<int> NotchedHz(const FilterSettings& s) {
  std::vector<int> hz;
  const int mains = NotchHz(s);
  if (mains == 0) return hz;
  const int limit = s.muscle == MuscleFilter::Off ? kHarmonicLimitHz : mains;
  for (int f = mains; f <= limit; f += mains) hz.push_back(f);
  return hz;
}

Cascade Design(const FilterSettings& s) {
  Cascade c;
  if (s.baseline == BaselineFilter::HighPass067) {
    c.Add(SecondOrderHighPass(HighPassDesignHz(0.67, 2), std::numbers::sqrt2 / 2.0));
  } else if (s.baseline == BaselineFilter::HighPass005) {
    // One pole each way: the smallest undershoot after an impulse.
    c.Add(FirstOrderHighPass(HighPassDesignHz(0.05, 1)));
  }
  for (int hz : NotchedHz(s)) c.Add(Notch(hz, kNotchWidthHz));
  if (s.muscle != MuscleFilter::Off) {
    // Fourth-order Butterworth as two sections.
    const double hz = LowPassDesignHz(MuscleHz(s.muscle), 4);
    c.Add(SecondOrderLowPass(hz, 1.0 / (2.0 * std::cos(std::numbers::pi / 8.0))));
    c.Add(SecondOrderLowPass(hz, 1.0 / (2.0 * std::cos(3.0 * std::numbers::pi / 8.0))));
  }
  return c;
}

// Four leads at a time: the twelve leads of a row run through each section
// as three independent groups, which keeps the vector units busy (a machine
// with 256-bit vectors takes a group in one instruction, others in two).
using Group = double __attribute__((vector_size(32)));
constexpr std::ptrdiff_t kGroupLeads = 4;
constexpr int kGroups = kLeads / kGroupLeads;
using Row = std::array<double, kLeads>;

// Transposed direct form II state of every section for the twelve leads.
struct State {
  std::array<std::array<Group, kGroups>, kMaxStages> s1{}, s2{};
};

// Settles the cascade on an input that has always been the line
// level + slope * m (m = 0 at the next sample, counted in the pass's
// direction) and gives the line that comes out. Stage by stage, a line
// U + S m gives Y + T m with T = G S and Y = G U + K S, where G is the gain at
// DC and K = (G (a1 + 2 a2) - (b1 + 2 b2)) / (1 + a1 + a2) follows from the
// difference equation.
void SettleOnLine(const Cascade& c, const Row& level, const Row& slope, State& st, Row& outLevel, Row& outSlope) {
  Row u = level;
  Row s = slope;
  for (int i = 0; i < c.count; ++i) {
    const Biquad& b = c.stages[static_cast<std::size_t>(i)];
    const double denominator = 1.0 + b.a1 + b.a2;
    const double gain = (b.b0 + b.b1 + b.b2) / denominator;
    const double k = (gain * (b.a1 + 2.0 * b.a2) - (b.b1 + 2.0 * b.b2)) / denominator;
    Row s1{}, s2{};
    for (std::size_t l = 0; l < kLeads; ++l) {
      const double y = gain * u[l] + k * s[l];
      const double t = gain * s[l];
      s1[l] = y - b.b0 * u[l];
      const double nextS1 = (y + t) - b.b0 * (u[l] + s[l]);
      s2[l] = nextS1 - b.b1 * u[l] + b.a1 * y;
      u[l] = y;
      s[l] = t;
    }
    std::memcpy(st.s1[static_cast<std::size_t>(i)].data(), s1.data(), sizeof s1);
    std::memcpy(st.s2[static_cast<std::size_t>(i)].data(), s2.data(), sizeof s2);
  }
  outLevel = u;
  outSlope = s;
}

void Load(Group& g, const double* p) { std::memcpy(&g, p, sizeof g); }

void Store(double* p, const Group& g) { std::memcpy(p, &g, sizeof g); }

// Runs `rows` sample rows through the cascade in place, `step` rows apart
// (1 forward, -1 backward). No fused multiply-add in any version, so every
// machine gives the same bits.
__attribute__((target_clones("avx", "default"))) void Run(const Cascade& c, double* first, int rows, int step,
                                                          State& st) {
  static_assert(kGroups == 3);
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(step) * kLeads;
  double* row = first;
  for (int n = 0; n < rows; ++n, row += stride) {
    Group x0, x1, x2;
    Load(x0, row);
    Load(x1, row + kGroupLeads);
    Load(x2, row + 2 * kGroupLeads);
    for (int i = 0; i < c.count; ++i) {
      const Biquad& b = c.stages[static_cast<std::size_t>(i)];
      auto& s1 = st.s1[static_cast<std::size_t>(i)];
      auto& s2 = st.s2[static_cast<std::size_t>(i)];
      const auto section = [&](Group& x, Group& z1, Group& z2) {
        const Group y = b.b0 * x + z1;
        z1 = b.b1 * x - b.a1 * y + z2;
        z2 = b.b2 * x - b.a2 * y;
        x = y;
      };
      section(x0, s1[0], s2[0]);
      section(x1, s1[1], s2[1]);
      section(x2, s1[2], s2[2]);
    }
    Store(row, x0);
    Store(row + kGroupLeads, x1);
    Store(row + 2 * kGroupLeads, x2);
  }
}

// A line through `count` rows from `first`, `step` rows apart, that a wave or
// a pulse among them does not pull: through the medians of the two halves.
// Its value at `first` and its slope per row, for every lead. Every third row
// is enough, in runs of 50: each run holds whole periods of 50 and 60 Hz and
// their harmonics sampled at every phase, so a hum leaves the medians alone.
void RobustLine(const double* first, int count, int step, Row& level, Row& slope) {
  constexpr int kEvery = 3;
  constexpr int kRun = 50;
  const int half = count / 2;
  const int picks = kRun * (half / (kEvery * kRun));
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(step) * kLeads * kEvery;
  std::vector<double> values(static_cast<std::size_t>(picks));
  const auto median = [&](const double* from, std::size_t lead) {
    for (int t = 0; t < picks; ++t)
      values[static_cast<std::size_t>(t)] = from[stride * t + static_cast<std::ptrdiff_t>(lead)];
    // The mean of the two middle values (the count is even): a periodic wave
    // sampled at a few phases has a gap between them, either alone is biased.
    const auto upper = values.begin() + picks / 2;
    std::nth_element(values.begin(), upper, values.end());
    return (*std::max_element(values.begin(), upper) + *upper) / 2.0;
  };
  const double centre = kEvery * (picks - 1) / 2.0;  // of the first half's picks, in rows
  const double* late = first + static_cast<std::ptrdiff_t>(step) * kLeads * half;
  for (std::size_t l = 0; l < kLeads; ++l) {
    const double early = median(first, l);
    slope[l] = (median(late, l) - early) / half;
    level[l] = early - slope[l] * centre;
  }
}

// Pads one end so that nothing new starts there. The slow trend (a line
// fitted near the end) carries straight on, and what rides on it is mirrored
// about the end sample without turning over, so that level, trend and the
// mean of an oscillation all carry on. Mirrored, a hum would turn its phase
// round at the end and a notch would ring on the jump: the sine part of each
// notched frequency (taken about the end sample) is turned back, so the hum
// carries on as itself. Together: pad(-k) = x(k) - 2 slope k - 2 sum b sin(w k).
// `edge` is the end sample's row, `inward` the row step into the record;
// distance k goes to pad row (k - 1) * outward, counted from `pad`.
// The trend's value at the end sample and its slope per row inward come back
// in `level` and `slope`.
void PadEnd(const double* edge, int inward, const std::vector<std::vector<double>>& sines, double* pad, int outward,
            Row& level, Row& slope) {
  const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(inward) * kLeads;
  RobustLine(edge, kTrendWindow, inward, level, slope);
  std::vector<Row> amplitude(sines.size());
  for (std::size_t h = 0; h < sines.size(); ++h) {
    const std::vector<double>& sine = sines[h];
    Row sum{};
    double trendPart = 0.0;  // what a unit slope adds, taken out again below
    for (int t = 0; t < kHumWindow; ++t) {
      const double* row = edge + step * t;
      const double s = sine[static_cast<std::size_t>(t)];
      trendPart += t * s;
      for (std::size_t l = 0; l < kLeads; ++l) sum[l] += row[l] * s;
    }
    for (std::size_t l = 0; l < kLeads; ++l) amplitude[h][l] = 2.0 / kHumWindow * (sum[l] - slope[l] * trendPart);
  }
  for (int k = 1; k <= kPad; ++k) {
    const double* mirror = edge + step * k;
    Row out;
    for (std::size_t l = 0; l < kLeads; ++l) out[l] = mirror[l] - 2.0 * slope[l] * k;
    for (std::size_t h = 0; h < sines.size(); ++h) {
      const double s = 2.0 * sines[h][static_cast<std::size_t>(k)];
      for (std::size_t l = 0; l < kLeads; ++l) out[l] -= amplitude[h][l] * s;
    }
    std::copy(out.begin(), out.end(), pad + static_cast<std::ptrdiff_t>(k - 1) * outward * kLeads);
  }
}

bool Take(const QString& value, std::initializer_list<std::pair<const char*, int>> choices, int& chosen) {
  for (const auto& [text, id] : choices) {
    if (value == QLatin1String(text)) {
      chosen = id;
      return true;
    }
  }
  return false;
}

QString Number(double hz) { return QString::number(hz, 'g', 3); }

}  // namespace

int NotchHz(const FilterSettings& s) {
  switch (s.mains) {
    case MainsFilter::Notch50: return 50;
    case MainsFilter::Notch60: return 60;
    case MainsFilter::Off: break;
  }
  return 0;
}

double LowCornerHz(const FilterSettings& s) {
  return s.baseline == BaselineFilter::Off ? kRecordLowHz : BaselineHz(s.baseline);
}

double HighCornerHz(const FilterSettings& s) {
  return s.muscle == MuscleFilter::Off ? kRecordHighHz : MuscleHz(s.muscle);
}

QString DescribeFrequencyResponse(const FilterSettings& s, const FilterWords& words) {
  QString text = QStringLiteral("%1\u2013%2 Hz").arg(Number(LowCornerHz(s)), Number(HighCornerHz(s)));
  if (const int notch = NotchHz(s)) text += QStringLiteral(", ") + words.notch.arg(notch);
  return text;
}

QString DescribeActiveFilters(const FilterSettings& s, const FilterWords& words) {
  QStringList items;
  if (s.baseline != BaselineFilter::Off) items << words.baseline.arg(Number(BaselineHz(s.baseline)));
  if (s.mains != MainsFilter::Off) items << words.mains.arg(NotchHz(s));
  if (s.muscle != MuscleFilter::Off) items << words.muscle.arg(Number(MuscleHz(s.muscle)));
  return items.join(QStringLiteral(", "));
}

QString FormatFilterSettings(const FilterSettings& s) {
  QStringList items;
  if (s.baseline != BaselineFilter::Off) items << QStringLiteral("baseline=") + Number(BaselineHz(s.baseline));
  if (s.mains != MainsFilter::Off) items << QStringLiteral("mains=%1").arg(NotchHz(s));
  if (s.muscle != MuscleFilter::Off) items << QStringLiteral("muscle=") + Number(MuscleHz(s.muscle));
  return items.isEmpty() ? QStringLiteral("none") : items.join(QLatin1Char(','));
}

FilterParse ParseFilterSettings(const QString& text) {
  FilterParse result;
  const QString all = text.trimmed();
  if (all.isEmpty() || all.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) return result;
  bool seenBaseline = false, seenMains = false, seenMuscle = false;
  const auto fail = [&](const QString& problem) {
    result.settings = {};
    result.problem = problem;
    return result;
  };
  for (const QString& raw : all.split(QLatin1Char(','))) {
    const QString item = raw.trimmed();
    const qsizetype eq = item.indexOf(QLatin1Char('='));
    const QString name = (eq < 0 ? item : item.left(eq)).trimmed().toLower();
    const bool hasValue = eq >= 0;
    const QString value = hasValue ? item.mid(eq + 1).trimmed().toLower() : QString();
    if (name.isEmpty()) return fail(QStringLiteral("an empty filter in \"%1\"").arg(text));
    int id = 0;
    if (name == QLatin1String("baseline")) {
      if (seenBaseline) return fail(QStringLiteral("baseline is given twice"));
      seenBaseline = true;
      if (!hasValue) {
        result.settings.baseline = BaselineFilter::HighPass067;
      } else if (Take(value, {{"0.67", 1}, {"0.05", 2}, {"off", 0}}, id)) {
        result.settings.baseline = static_cast<BaselineFilter>(id);
      } else {
        return fail(QStringLiteral("baseline takes 0.67 or 0.05 (Hz), not \"%1\"").arg(value));
      }
    } else if (name == QLatin1String("mains")) {
      if (seenMains) return fail(QStringLiteral("mains is given twice"));
      seenMains = true;
      if (!Take(value, {{"50", 1}, {"60", 2}, {"off", 0}}, id))
        return fail(hasValue ? QStringLiteral("mains takes 50 or 60 (Hz), not \"%1\"").arg(value)
                             : QStringLiteral("mains needs its frequency: mains=50 or mains=60"));
      result.settings.mains = static_cast<MainsFilter>(id);
    } else if (name == QLatin1String("muscle")) {
      if (seenMuscle) return fail(QStringLiteral("muscle is given twice"));
      seenMuscle = true;
      if (!Take(value, {{"25", 1}, {"35", 2}, {"40", 3}, {"off", 0}}, id))
        return fail(hasValue ? QStringLiteral("muscle takes 25, 35 or 40 (Hz), not \"%1\"").arg(value)
                             : QStringLiteral("muscle needs its corner: muscle=25, 35 or 40"));
      result.settings.muscle = static_cast<MuscleFilter>(id);
    } else {
      return fail(QStringLiteral("unknown filter \"%1\" (baseline, mains or muscle)").arg(name));
    }
  }
  return result;
}

void FilterLeadSamples(const FilterSettings& settings,
                       std::span<double, std::size_t{SamplesPerLead} * LeadCount> samples) {
  if (!settings.Any()) return;
  const Cascade cascade = Design(settings);

  std::vector<std::vector<double>> sines;
  for (int hz : NotchedHz(settings)) {
    // The mains frequencies divide the sampling rate's whole seconds: one
    // period of samples serves the whole table.
    const int period = static_cast<int>(kRate) / std::gcd(static_cast<int>(kRate), hz);
    std::vector<double> sine(kPad + 1);
    for (int t = 0; t < period; ++t)
      sine[static_cast<std::size_t>(t)] = std::sin(2.0 * std::numbers::pi * hz * t / kRate);
    for (int t = period; t <= kPad; ++t) sine[static_cast<std::size_t>(t)] = sine[static_cast<std::size_t>(t - period)];
    sines.push_back(std::move(sine));
  }

  // Row j of `front` is time -kPad + j; row j of `back` is time kSamples + j.
  std::vector<double> padding(std::size_t{2} * kPad * kLeads);
  double* front = padding.data();
  double* back = padding.data() + std::size_t{kPad} * kLeads;
  double* data = samples.data();
  double* last = data + std::size_t{kSamples - 1} * kLeads;
  double* end = back + std::size_t{kPad - 1} * kLeads;
  Row frontLevel, frontSlope, backLevel, backSlope;
  PadEnd(data, 1, sines, front + std::size_t{kPad - 1} * kLeads, -1, frontLevel, frontSlope);
  PadEnd(last, -1, sines, back, 1, backLevel, backSlope);

  // Each pass starts settled on the trend its input follows at the far end of
  // the padding, so that no level or slope starts there to ring into the
  // record. The 0.05 Hz high-pass answers an everlasting ramp with its whole
  // time constant's worth of offset, and a drift seldom lasts that long: with
  // it, the passes start from rest at the trend's level instead.
  const bool carrySlope = settings.baseline != BaselineFilter::HighPass005;
  State state, scratch;
  Row level, slope, outLevel, outSlope;
  for (std::size_t l = 0; l < kLeads; ++l) {
    level[l] = frontLevel[l] - frontSlope[l] * kPad;
    slope[l] = carrySlope ? frontSlope[l] : 0.0;
  }
  SettleOnLine(cascade, level, slope, state, outLevel, outSlope);
  Run(cascade, front, kPad, 1, state);
  Run(cascade, data, kSamples, 1, state);
  Run(cascade, back, kPad, 1, state);
  // The backward pass reads the forward pass's output: the line that came out
  // where the back padding ends, reversed; from rest, its level there.
  if (carrySlope) {
    for (std::size_t l = 0; l < kLeads; ++l) {
      level[l] = backLevel[l] - backSlope[l] * kPad;
      slope[l] = -backSlope[l];
    }
    SettleOnLine(cascade, level, slope, scratch, outLevel, outSlope);
    for (double& v : outSlope) v = -v;
  } else {
    RobustLine(end, kTrendWindow / 2, -1, outLevel, outSlope);
    outSlope.fill(0.0);
  }
  SettleOnLine(cascade, outLevel, outSlope, state, level, slope);
  Run(cascade, end, kPad, -1, state);
  Run(cascade, last, kSamples, -1, state);
}

void ApplyFilters(const FilterSettings& settings, LeadArrays& arrays) {
  if (!settings.Any()) return;
  FilterLeadSamples(settings, arrays.LeadSamples);
  DeriveLeadRanges(arrays);
}

void DeriveFilteredLeadArrays(const RecordImage& image, const FilterSettings& settings, LeadArrays& arrays) {
  DeriveLeadArrays(image, arrays);
  ApplyFilters(settings, arrays);
}

void FilterRecordImage(const RecordImage& image, const FilterSettings& settings, RecordImage& filtered) {
  filtered = image;
  if (!settings.Any()) return;
  auto arrays = std::make_unique<LeadArrays>();
  DeriveLeadArrays(image, *arrays);
  FilterLeadSamples(settings, arrays->LeadSamples);
  for (int lead = 0; lead < kLeads; ++lead) {
    for (int n = 0; n < kSamples; ++n) {
      const double v = std::clamp(std::round(arrays->Sample(lead, n)), -32768.0, 32767.0);
      filtered.SetSample(lead, n, static_cast<std::int16_t>(v));
    }
  }
}

}  // namespace corvale
