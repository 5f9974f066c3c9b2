#include "analysis/Delineation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

namespace corvale::analysis {
namespace {

// A beat belongs to the dominant morphology when its QRS correlates with the
// median QRS at least SameMorphology, or, in a noisy record, no more than
// MorphologyMargin below the typical beat's correlation; never below
// MinMorphology (random complexes reach about 0.3).
constexpr double SameMorphology = 0.9, MorphologyMargin = 0.15, MinMorphology = 0.5;

// Wave boundaries lead by lead. A lead's QRS ends where its slope stays under
// this share of its own steepest QRS slope, and begins where it stays under
// that share plus QuietSlopes times the lead's own noise (its mean absolute
// slope over its quietest 10 ms before the QRS); only leads whose steepest
// slope reaches MinLeadShare of the steepest lead's take part.
constexpr double QrsSlopeShare = 0.05, MinLeadShare = 0.1, QuietSlopes = 3.0;
// From there each bound steps out to the foot of the lead's deflection, at
// most QrsFootMs: the slope rule finds where the deflection is steep, a reader
// marks where it leaves the line. QrsFootMs is the noise measure's window, the
// scale on which a lead is called quiet; further out a lead's slow drift
// belongs to the PR or ST segment.
constexpr int QrsFootMs = 10;
// T and P ends by the area method in the leads whose wave reaches this share
// of the tallest lead's; the area window is about half the wave's width
// (Zhang's 128 ms for T, 60 ms for P).
constexpr double MinWaveLeadShare = 0.2;
constexpr int TAreaWindowMs = 128, PAreaWindowMs = 60;
// A T or P wave smaller than this in the spatial magnitude (uV) is not one:
// a straight line drawn across the tail of a wave leaves a bump about as big.
constexpr double MinWaveUv = 30.0;
// The outermost lead's point counts when a second lead's lies within this.
constexpr int AgreeMs = 10;
// A P wave's peak stands out from the levels on both of its sides by at least
// this share of its height (a P wave on a sloping baseline by half or more, a
// slope's curve by a tenth).
constexpr double MinStandOut = 0.3;

double Median(double* first, double* last) {
  const auto n = last - first;
  if (n <= 0) return 0;
  double* mid = first + n / 2;
  std::nth_element(first, mid, last);
  if (n % 2 == 1) return *mid;
  return 0.5 * (*mid + *std::max_element(first, mid));
}

// The median of a few values (the beats of a 10 s record) by insertion sort,
// which at this size beats any selection algorithm; reorders `v`.
double SmallMedian(double* v, std::size_t n) {
  if (n == 0) return 0;
  if (n > 32) return Median(v, v + n);
  for (std::size_t i = 1; i < n; ++i) {
    const double x = v[i];
    std::size_t j = i;
    for (; j > 0 && v[j - 1] > x; --j) v[j] = v[j - 1];
    v[j] = x;
  }
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Batcher's odd-even merge sorting network for `count` frames, pruned to the
// comparators that feed the middle frame (or frames). Built for the next power
// of two, the network sorts fewer frames too when the missing ones count as
// larger than any, which leaves every comparator that touches them idle: those
// are dropped, and so is every comparator that cannot reach the middle frames.
constexpr std::vector<std::pair<std::size_t, std::size_t>> MedianNetwork(std::size_t count) {
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  if (count < 2) return pairs;
  std::size_t n = 1;
  while (n < count) n *= 2;
  std::vector<std::pair<std::size_t, std::size_t>> all;
  for (std::size_t p = 1; p < n; p *= 2)
    for (std::size_t k = p; k >= 1; k /= 2) {
      for (std::size_t j = k % p; j + k < n; j += 2 * k)
        for (std::size_t i = 0; i < std::min(k, n - j - k); ++i)
          if ((i + j) / (2 * p) == (i + j + k) / (2 * p) && i + j + k < count) all.emplace_back(i + j, i + j + k);
      if (k == 1) break;
    }
  // Backwards from the middle frames: a comparator counts when it feeds one.
  std::vector<std::uint8_t> needed(count, 0);
  needed[count / 2] = 1;
  if (count % 2 == 0) needed[count / 2 - 1] = 1;
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if (needed[it->first] || needed[it->second]) {
      needed[it->first] = needed[it->second] = 1;
      pairs.push_back(*it);
    }
  std::reverse(pairs.begin(), pairs.end());
  return pairs;
}

// The network's size as a constant: the vector is made and freed within the call.
constexpr std::size_t MedianNetworkSize(std::size_t count) {
  const auto pairs = MedianNetwork(count);
  return pairs.size();
}

template <std::size_t Count>
constexpr auto FixedMedianNetwork() {
  std::array<std::pair<std::size_t, std::size_t>, MedianNetworkSize(Count)> fixed{};
  const auto pairs = MedianNetwork(Count);
  std::copy(pairs.begin(), pairs.end(), fixed.begin());
  return fixed;
}

// Medians across beats of all twelve leads at once: the beats' frames go
// through the median network lane by lane, a compare-exchange taking four
// leads per step (the compiler's generic vectors: SIMD where there is some).
// Up to MaxFixed frames the network is laid out at compile time and four
// leads of every frame stay in registers through it; more frames go through
// memory. The frames hold filter output, which is single precision already.
class FrameMedian {
 public:
  explicit FrameMedian(std::size_t maxFrames) : rows_(maxFrames * Leads), networks_(maxFrames + 1) {}
  float* Row(std::size_t k) { return rows_.data() + k * Leads; }
  /// Writes the per-lead median of rows 0..count-1 to `out` (twelve values).
  void Median(std::size_t count, double* out) {
    if (count == 0) return;
    if (count <= MaxFixed) {
      FixedSorts()[count](rows_.data());
    } else {
      if (networks_[count].empty()) networks_[count] = MedianNetwork(count);
      for (const auto& [i, j] : networks_[count]) CompareExchange(Row(i), Row(j));
    }
    const std::size_t mid = count / 2;
    for (std::size_t L = 0; L < Leads; ++L)
      out[L] = count % 2 ? Row(mid)[L] : 0.5 * (static_cast<double>(Row(mid - 1)[L]) + Row(mid)[L]);
  }

 private:
  static constexpr std::size_t MaxFixed = 24;
  using Four = float __attribute__((vector_size(16)));
  static void CompareExchange(Four& x, Four& y) {
    const Four lo = y < x ? y : x, hi = x < y ? y : x;
    x = lo, y = hi;
  }
  static void CompareExchange(float* a, float* b) {
    static_assert(Leads % 4 == 0);
    for (std::size_t L = 0; L < Leads; L += 4) {
      Four x, y;
      std::memcpy(&x, a + L, sizeof x);
      std::memcpy(&y, b + L, sizeof y);
      CompareExchange(x, y);
      std::memcpy(a + L, &x, sizeof x);
      std::memcpy(b + L, &y, sizeof y);
    }
  }
  // The network of `Count` frames unrolled over locals; only the middle
  // frames are written back.
  template <std::size_t Count>
  static void FixedSort(float* rows) {
    static constexpr auto Network = FixedMedianNetwork<Count>();
    for (std::size_t L = 0; L < Leads; L += 4) {
      std::array<Four, Count> r;
      [&]<std::size_t... K>(std::index_sequence<K...>) {
        (std::memcpy(&r[K], rows + K * Leads + L, sizeof(Four)), ...);
      }
      (std::make_index_sequence<Count>{});
      [&]<std::size_t... P>(std::index_sequence<P...>) {
        (CompareExchange(r[Network[P].first], r[Network[P].second]), ...);
      }
      (std::make_index_sequence<Network.size()>{});
      std::memcpy(rows + Count / 2 * Leads + L, &r[Count / 2], sizeof(Four));
      if constexpr (Count % 2 == 0) std::memcpy(rows + (Count / 2 - 1) * Leads + L, &r[Count / 2 - 1], sizeof(Four));
    }
  }
  static const std::array<void (*)(float*), MaxFixed + 1>& FixedSorts() {
    static constexpr auto Sorts = []<std::size_t... C>(std::index_sequence<C...>) {
      return std::array<void (*)(float*), MaxFixed + 1>{nullptr, &FixedSort<C + 1>...};
    }
    (std::make_index_sequence<MaxFixed>{});
    return Sorts;
  }
  std::vector<float> rows_;
  std::vector<std::vector<std::pair<std::size_t, std::size_t>>> networks_;
};

std::vector<int> ValidLeads(std::span<const bool> valid) {
  std::vector<int> leads;
  for (int L = 0; L < Leads; ++L)
    if (valid[static_cast<std::size_t>(L)]) leads.push_back(L);
  return leads;
}

// A reference window of frames for correlation: `width` frames `step`
// samples apart, twelve leads each (leads left out are 0), with each lead's sum
// over the window and the sum of squares about the mean the caller chose.
struct FrameWindow {
  int width = 0, step = 1;
  std::vector<double> frames;
  std::array<double, Leads> leadSum{};
  double centredSquares = 0;
  const double* Frame(int k) const { return frames.data() + static_cast<std::size_t>(k) * Leads; }
  // The sums from the frames, about the mean over all `leadsUsed` leads' samples.
  void Sum(std::size_t leadsUsed) {
    leadSum.fill(0.0);
    double squares = 0, total = 0;
    for (int k = 0; k < width; ++k)
      for (std::size_t L = 0; L < Leads; ++L) {
        const double y = frames[static_cast<std::size_t>(k) * Leads + L];
        leadSum[L] += y, squares += y * y;
      }
    for (double v : leadSum) total += v;
    centredSquares = squares - total * total / (static_cast<double>(leadsUsed) * width);
  }
};

// Correlation of the window of `s` from `start` with `ref`, each lead of `s`
// relative to its own mean over the window (baseline offsets are no wave) and
// the leads `mask` zeroes left out, in one pass over the frames. Six leads at a
// time: the three sums of all twelve do not fit in the vector registers.
double WindowCorrelation(const LeadSignals& s, int start, const FrameWindow& ref,
                         const std::array<double, Leads>& mask) {
  constexpr std::size_t Part = Leads / 2;
  std::array<double, Leads> cross{}, sum{}, squares{};
  for (std::size_t from = 0; from < Leads; from += Part) {
    std::array<double, Part> c{}, m{}, q{}, w{};
    std::copy_n(mask.begin() + static_cast<std::ptrdiff_t>(from), Part, w.begin());
    for (int k = 0; k < ref.width; ++k) {
      const double* frame = s.Frame(start + k * ref.step) + from;
      const double* y = ref.Frame(k) + from;
      for (std::size_t L = 0; L < Part; ++L) {
        const double x = frame[L] * w[L];
        c[L] += x * y[L], m[L] += x, q[L] += x * x;
      }
    }
    for (std::size_t L = 0; L < Part; ++L) cross[from + L] = c[L], sum[from + L] = m[L], squares[from + L] = q[L];
  }
  double ab = 0, aa = 0;
  for (std::size_t L = 0; L < Leads; ++L) {
    ab += cross[L] - sum[L] / ref.width * ref.leadSum[L];
    aa += squares[L] - sum[L] * sum[L] / ref.width;
  }
  if (!(aa > 0 && ref.centredSquares > 0)) return 0.0;
  return ab / std::sqrt(aa * ref.centredSquares);
}

// Zhang's area indicator: the t in [from, to] that maximises the area between
// the curve and its value at t over `window` samples on the wave's side
// (before t when `waveBefore`), i.e. where the wave has ended (or not yet begun).
std::optional<int> AreaBoundary(const std::vector<double>& curve, int from, int to, int window, bool waveBefore) {
  const int n = static_cast<int>(curve.size());
  if (from > to || window < 2) return std::nullopt;
  // Running sums over the stretch the windows cover: each window's sum in O(1).
  const int lo = std::max(0, waveBefore ? from - window + 1 : from);
  const int hi = std::min(n - 1, waveBefore ? to : to + window - 1);
  if (lo > hi) return std::nullopt;
  // running[k] is the sum of curve[lo .. lo + k - 1].
  std::vector<double> running(static_cast<std::size_t>(hi - lo) + 2, 0.0);
  for (int j = lo; j <= hi; ++j) {
    const auto k = static_cast<std::size_t>(j - lo);
    running[k + 1] = running[k] + curve[static_cast<std::size_t>(j)];
  }
  std::optional<int> best;
  double bestArea = 0;
  for (int t = from; t <= to; ++t) {
    const int a = waveBefore ? t - window + 1 : t, b = waveBefore ? t : t + window - 1;
    if (a < 0 || b >= n) continue;
    const auto first = static_cast<std::size_t>(a - lo), last = static_cast<std::size_t>(b - lo);
    const double area = running[last + 1] - running[first] - window * curve[static_cast<std::size_t>(t)];
    if (!best || area > bestArea) best = t, bestArea = area;
  }
  if (!best || !(bestArea > 0)) return std::nullopt;
  return best;
}

// The latest (or earliest) of the leads' points that another lead confirms
// within `agree` samples: the outermost lead decides, unless it stands alone.
std::optional<int> Outermost(std::vector<int> points, bool latest, int agree) {
  if (points.size() < 2) return std::nullopt;
  std::sort(points.begin(), points.end());
  if (latest) std::reverse(points.begin(), points.end());
  for (std::size_t i = 0; i + 1 < points.size(); ++i)
    if (std::abs(points[i] - points[i + 1]) <= agree) return points[i];
  return std::nullopt;
}

// Flutter: the atria beat at 230-350 per minute with no flat baseline between
// their waves, and with a fixed conduction (2:1, 4:1) the median beat keeps
// the sawtooth. Between the T wave and the QRS, where sinus rhythm has one
// P wave on a flat line, the signal then repeats itself an atrial cycle
// later, wave for wave and at the same size. Every second sample: atrial waves have nothing above
// 40 Hz. Needs a window of at least a cycle and a P wave's width.
bool RepeatsAtAtrialCycle(const BeatSet& set, const std::vector<int>& leads, int from, int to, int rate) {
  const auto ms = [rate](int v) { return v * rate / 1000; };
  constexpr int Step = 2;
  for (int lag = ms(170); lag <= ms(260); lag += Step) {
    const int last = to - lag;  // the first stretch [from, last], the second `lag` later
    if (last - from < ms(100)) return false;
    const int count = (last - from) / Step + 1;
    double ab = 0, aa = 0, bb = 0;
    for (int L : leads) {
      double sa = 0, sb = 0, sab = 0, saa = 0, sbb = 0;
      for (int t = from; t <= last; t += Step) {
        const double a = set.Median(L, t), b = set.Median(L, t + lag);
        sa += a, sb += b, sab += a * b, saa += a * a, sbb += b * b;
      }
      ab += sab - sa * sb / count, aa += saa - sa * sa / count, bb += sbb - sb * sb / count;
    }
    // The same shape at the same size (within a factor of two): a P wave
    // and the flat line before it are not that.
    const bool sameSize = aa > 0 && bb > 0 && std::min(aa, bb) >= 0.25 * std::max(aa, bb);
    if (sameSize && ab >= SameMorphology * std::sqrt(aa * bb)) return true;
  }
  return false;
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

  // QRS windows (all leads, each relative to its own mean over the window),
  // shifted up to `shift` samples to align them on the median QRS.
  const int half = ms(60), shift = ms(6), width = 2 * half + 1;
  const auto usable = [&](int at) { return at - half - shift >= 0 && at + half + shift < n; };
  std::array<double, Leads> mask{};
  for (int L : leads) mask[static_cast<std::size_t>(L)] = 1.0;
  const auto leadMeans = [&](int centre) {
    std::array<double, Leads> sum{};
    for (int t = centre - half; t <= centre + half; ++t) {
      const double* frame = del.Frame(t);
      for (std::size_t L = 0; L < Leads; ++L) sum[L] += frame[L];
    }
    for (double& v : sum) v /= width;
    return sum;
  };
  // The median QRS, frame by frame (leads left out are 0), with its sums.
  FrameWindow qrsMedian{width, 1, std::vector<double>(static_cast<std::size_t>(width) * Leads)};
  FrameMedian qrsFrames(static_cast<std::size_t>(beats));
  std::vector<std::array<double, Leads>> means(static_cast<std::size_t>(beats));
  const auto formQrsMedian = [&] {
    for (int b = 0; b < beats; ++b)
      if (usable(set.positions[static_cast<std::size_t>(b)]))
        means[static_cast<std::size_t>(b)] = leadMeans(set.positions[static_cast<std::size_t>(b)]);
    std::fill(qrsMedian.frames.begin(), qrsMedian.frames.end(), 0.0);
    for (int t = 0; t < width; ++t) {
      std::size_t c = 0;
      for (int b = 0; b < beats; ++b) {
        const int at = set.positions[static_cast<std::size_t>(b)];
        if (!usable(at)) continue;
        const double* frame = del.Frame(at - half + t);
        float* row = qrsFrames.Row(c++);
        for (std::size_t L = 0; L < Leads; ++L)
          row[L] = static_cast<float>(frame[L] - means[static_cast<std::size_t>(b)][L]);
      }
      double* out = qrsMedian.frames.data() + static_cast<std::size_t>(t) * Leads;
      qrsFrames.Median(c, out);
      for (std::size_t L = 0; L < Leads; ++L) out[L] *= mask[L];
    }
    qrsMedian.Sum(leads.size());
  };
  const auto match = [&](int centre) { return WindowCorrelation(del, centre - half, qrsMedian, mask); };
  const auto alignNear = [&] {
    for (int b = 0; b < beats; ++b) {
      const int at = set.positions[static_cast<std::size_t>(b)];
      if (!usable(at)) continue;
      int bestShift = 0;
      double best = -2;
      for (int s = -shift; s <= shift; ++s) {
        const double r = match(at + s);
        if (r > best) best = r, bestShift = s;
      }
      set.positions[static_cast<std::size_t>(b)] = at + bestShift;
    }
    formQrsMedian();
  };
  // How well each beat matches the median QRS, and the typical beat's match.
  std::vector<double> matches(static_cast<std::size_t>(beats), -1.0), sorted;
  const auto typicalMatch = [&] {
    std::fill(matches.begin(), matches.end(), -1.0);
    sorted.clear();
    for (int b = 0; b < beats; ++b) {
      if (!usable(set.positions[static_cast<std::size_t>(b)])) continue;
      matches[static_cast<std::size_t>(b)] = match(set.positions[static_cast<std::size_t>(b)]);
      sorted.push_back(matches[static_cast<std::size_t>(b)]);
    }
    return sorted.empty() ? -2.0 : Median(sorted.data(), sorted.data() + sorted.size());
  };
  // The detector's position can sit anywhere on the flat top that its
  // envelope has over a narrow QRS, so beats may lie tens of ms apart on their
  // complexes, beyond the near alignment. Where many do, the median QRS blends
  // their positions and the typical beat matches it worse than beats of one
  // morphology match. Then each beat that does not match the best-matching
  // beat where it is, but does as a beat of one morphology within half a QRS
  // window, moves there. (A few such beats leave the median QRS as it is, and
  // the morphology test below leaves them out.)
  const auto moveToBestMatch = [&] {
    const auto best = std::max_element(matches.begin(), matches.end()) - matches.begin();
    const int at = set.positions[static_cast<std::size_t>(best)];
    if (!usable(at)) return false;
    // The best-matching beat's QRS, every frame and every other frame.
    const auto window = [&](int step) {
      const int frames = (width - 1) / step + 1;
      FrameWindow w{frames, step, std::vector<double>(static_cast<std::size_t>(frames) * Leads)};
      for (int k = 0; k < frames; ++k) {
        const double* frame = del.Frame(at - half + k * step);
        double* out = w.frames.data() + static_cast<std::size_t>(k) * Leads;
        for (std::size_t L = 0; L < Leads; ++L)
          out[L] = (frame[L] - means[static_cast<std::size_t>(best)][L]) * mask[L];
      }
      w.Sum(leads.size());
      return w;
    };
    const FrameWindow one = window(1), sparse = window(2);
    const auto matchOne = [&](int centre) { return WindowCorrelation(del, centre - half, one, mask); };
    bool moved = false;
    for (int b = 0; b < beats; ++b) {
      int& position = set.positions[static_cast<std::size_t>(b)];
      if (b == best || position - 2 * half < 0 || position + 2 * half >= n) continue;
      if (matchOne(position) >= SameMorphology - MorphologyMargin) continue;
      // Every other lag on every other frame (the low-passed QRS is smooth
      // over a sample), then every frame at that lag and the two beside it.
      int coarse = 0;
      double rough = -2;
      for (int s = -half; s <= half; s += 2) {
        if (std::abs(s) <= shift) continue;
        const double r = WindowCorrelation(del, position + s - half, sparse, mask);
        if (r > rough) rough = r, coarse = s;
      }
      int bestShift = 0;
      double far = -2;
      for (int s = coarse - 1; s <= coarse + 1; ++s) {
        if (std::abs(s) <= shift || std::abs(s) > half) continue;
        const double r = matchOne(position + s);
        if (r > far) far = r, bestShift = s;
      }
      if (far >= SameMorphology) position += bestShift, moved = true;
    }
    return moved;
  };
  formQrsMedian();
  alignNear();
  double typical = typicalMatch();
  if (sorted.empty()) return set;
  if (typical < SameMorphology && moveToBestMatch()) {
    formQrsMedian();
    alignNear();
    typical = typicalMatch();
  }
  // The dominant morphology: beats that match the median QRS as well as
  // beats of one morphology do in this record. Noise lowers every beat's
  // match alike; a beat of another morphology matches far worse than the rest.
  const double needed = std::min(SameMorphology, std::max(MinMorphology, typical - MorphologyMargin));
  for (int b = 0; b < beats; ++b)
    if (matches[static_cast<std::size_t>(b)] >= needed) set.inDominant[static_cast<std::size_t>(b)] = 1, ++set.dominant;
  if (set.dominant == 0) return set;

  // The median beat over the dominant beats, sample by sample: the beats'
  // frames at each instant side by side, then a median per lead.
  set.median.assign(static_cast<std::size_t>(set.length) * Leads, 0.0);
  set.amplitude.assign(static_cast<std::size_t>(set.length) * Leads, 0.0);
  const int ampFrom = set.pre - ms(200), ampTo = set.pre + ms(200);
  std::vector<int> starts;
  for (int b = 0; b < beats; ++b)
    if (set.inDominant[static_cast<std::size_t>(b)])
      starts.push_back(set.positions[static_cast<std::size_t>(b)] - set.pre);
  FrameMedian frames(starts.size());
  const auto medianAt = [&](const LeadSignals& signals, int t, std::vector<double>& out) {
    std::size_t c = 0;
    for (int start : starts) {
      const int at = start + t;
      if (at < 0 || at >= n) continue;
      const double* frame = signals.Frame(at);
      float* row = frames.Row(c++);
      for (std::size_t L = 0; L < Leads; ++L) row[L] = static_cast<float>(frame[L]);
    }
    frames.Median(c, out.data() + static_cast<std::size_t>(t) * Leads);
  };
  for (int t = 0; t < set.length; ++t) {
    medianAt(del, t, set.median);
    if (t >= ampFrom && t <= ampTo) medianAt(amp, t, set.amplitude);
  }

  // The median RR ending on a dominant beat; on any beat when none does.
  std::vector<double> rrs;
  for (const bool dominantOnly : {true, false}) {
    for (int b = 1; b < beats; ++b)
      if (!dominantOnly || set.inDominant[static_cast<std::size_t>(b)])
        rrs.push_back(set.positions[static_cast<std::size_t>(b)] - set.positions[static_cast<std::size_t>(b) - 1]);
    if (!rrs.empty()) break;
  }
  set.rr = rrs.empty() ? rate : static_cast<int>(std::lround(Median(rrs.data(), rrs.data() + rrs.size())));

  // Noise: each dominant beat's distance from the median beat, per lead, over
  // its own cycle (half an RR each side of its QRS: further out lie its
  // neighbours' QRS complexes, which never line up, and above about 85 per
  // minute they would count as noise and hide the P wave); the median of those
  // over the beats, shrunk by the number of beats.
  std::vector<std::array<double, Leads>> residuals;
  const int nFrom = std::max(0, set.pre - set.rr / 2), nTo = std::min(set.length, set.pre + set.rr / 2);
  for (int start : starts) {
    if (start + nFrom < 0 || start + nTo > n) continue;
    std::array<double, Leads> sum{};
    for (int t = nFrom; t < nTo; ++t) {
      const double* frame = del.Frame(start + t);
      const double* typicalFrame = set.median.data() + static_cast<std::size_t>(t) * Leads;
      for (std::size_t L = 0; L < Leads; ++L) sum[L] += (frame[L] - typicalFrame[L]) * (frame[L] - typicalFrame[L]);
    }
    residuals.push_back(sum);
  }
  std::vector<double> column2(residuals.size());
  for (int L : leads) {
    for (std::size_t k = 0; k < residuals.size(); ++k)
      column2[k] = std::sqrt(residuals[k][static_cast<std::size_t>(L)] / std::max(1, nTo - nFrom));
    set.noise[static_cast<std::size_t>(L)] =
        residuals.empty() ? 0.0
                          : SmallMedian(column2.data(), column2.size()) / std::sqrt(static_cast<double>(set.dominant));
  }

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
  // a share of its peak over its floor before the QRS finds the complex (and
  // stands when too few leads give bounds of their own).
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
    for (int k = t; k < t + smooth; ++k) s += velocity[static_cast<std::size_t>(k)];
    floor = std::min(floor, s / smooth);
  }
  const double top = velocity[static_cast<std::size_t>(peak)];
  if (!(top > 0)) return d;
  const double onThreshold = floor + QrsSlopeShare * (top - floor);
  const double offThreshold = onThreshold;
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
  // Then lead by lead, as a reader marks them: where each lead's slope stays
  // under a share of its own steepest QRS slope, walking out from that slope.
  // Before the QRS the threshold also stands on the lead's own noise, so that
  // a noisy lead's onset does not wander out with its noise and the earliest
  // lead alone decides the global onset, as it decides a reader's.
  {
    std::vector<int> ons, offs;
    double steepest = 0;
    std::array<double, Leads> slopes{};
    std::array<int, Leads> at{};
    const auto slope = [&](int L, int t) { return std::abs(set.Median(L, t + 1) - set.Median(L, t - 1)); };
    for (int L : leads) {
      for (int t = t0 - ms(60); t <= t0 + ms(60); ++t) {
        const double s = slope(L, t);
        if (s > slopes[static_cast<std::size_t>(L)])
          slopes[static_cast<std::size_t>(L)] = s, at[static_cast<std::size_t>(L)] = t;
      }
      steepest = std::max(steepest, slopes[static_cast<std::size_t>(L)]);
    }
    for (int L : leads) {
      const auto l = static_cast<std::size_t>(L);
      if (slopes[l] < MinLeadShare * steepest) continue;
      // The lead's noise: its quietest stretch before the QRS, as the spatial
      // velocity's floor above.
      double quietest = slopes[l];
      for (int t = t0 - ms(300); t + smooth <= t0 - ms(40); ++t) {
        double s = 0;
        for (int k = t; k < t + smooth; ++k) s += slope(L, k);
        quietest = std::min(quietest, s / smooth);
      }
      const double onThr = QrsSlopeShare * slopes[l] + QuietSlopes * quietest, offThr = QrsSlopeShare * slopes[l];
      const auto quiet = [&](int t) { return slope(L, t) < onThr; };
      const auto quietAfter = [&](int t) { return slope(L, t) < offThr; };
      // The foot: stepping outward (`out` = -1 before the QRS, +1 after it)
      // while the lead keeps going back towards where its deflection started,
      // the furthest point back, until the lead turns by more than three times
      // its noise, or its slope falls to its noise for two samples.
      const double noiseSlope = QuietSlopes * quietest, turn = 3 * set.noise[l];
      const auto foot = [&](int from, int out) {
        const double sign = set.Median(L, from + out) < set.Median(L, from) ? -1.0 : 1.0;
        int best = from;
        double extreme = set.Median(L, from);
        for (int t = from + out, k = 0; k < ms(QrsFootMs) && t - 2 >= 0 && t + 2 < len; t += out, ++k) {
          if (slope(L, t) < noiseSlope && slope(L, t + out) < noiseSlope) break;
          const double v = set.Median(L, t);
          if (sign * (v - extreme) > 0) extreme = v, best = t;
          else if (sign * (extreme - v) > turn) break;
        }
        return best;
      };
      for (int t = at[l]; t - 2 >= t0 - ms(160); --t)
        if (quiet(t) && quiet(t - 1) && quiet(t - 2)) {
          ons.push_back(foot(t + 1, -1));
          break;
        }
      for (int t = at[l]; t + 3 < len && t + 2 <= t0 + ms(200); ++t)
        if (quietAfter(t) && quietAfter(t + 1) && quietAfter(t + 2)) {
          offs.push_back(foot(t - 1, 1));
          break;
        }
    }
    // At least two leads, or the spatial velocity's bounds stand. After the
    // QRS the ST segment is no flat line to measure noise on (it rises into
    // the T wave, and carries the atrial waves of flutter): there a second
    // lead confirms the latest lead's offset instead.
    if (ons.size() >= 2) d.qrsOnset = *std::min_element(ons.begin(), ons.end());
    if (auto o = Outermost(offs, true, ms(AgreeMs))) d.qrsOffset = o;
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

  // T end: Zhang's area method, on the spatial magnitude after the QRS to
  // find the T wave (and as the fallback), then lead by lead.
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
    if (tHeight >= std::max(MinWaveUv, 2 * noiseMagnitude)) {
      d.tPeak = tPeak;
      const int endTo = std::min({len - 1, tPeak + ms(300), on + rr - ms(100)});
      d.tEnd = AreaBoundary(magnitude, tPeak, endTo, ms(TAreaWindowMs), true);
      {
        // Lead by lead, the latest T end of the leads with a clear T wave
        // whose peak lies within the heart's T wave (the spatial magnitude's).
        // A lead's T wave may trail the spatial one, whose end is dominated by
        // the tallest leads, but not by more than half an area window: beyond
        // that a small lead's "end" is a U wave or the next P wave. So bounded,
        // one lead may decide, as one lead decides a reader's latest T end.
        const int spatialEnd = d.tEnd.value_or(endTo);
        std::array<double, Leads> heights{};
        std::array<int, Leads> peaks{};
        double tallest = 0;
        for (int L : leads) {
          const auto l = static_cast<std::size_t>(L);
          for (int t = tFrom; t <= tTo; ++t) {
            const double v = std::abs(set.Median(L, t) - d.isoelectric[l]);
            if (v > heights[l]) heights[l] = v, peaks[l] = t;
          }
          tallest = std::max(tallest, heights[l]);
        }
        std::vector<double> curve(static_cast<std::size_t>(len));
        for (int L : leads) {
          const auto l = static_cast<std::size_t>(L);
          if (heights[l] < MinWaveLeadShare * tallest || heights[l] < 3 * set.noise[l] || peaks[l] > spatialEnd)
            continue;
          const double sign = set.Median(L, peaks[l]) >= d.isoelectric[l] ? 1.0 : -1.0;
          for (int t = 0; t < len; ++t)
            curve[static_cast<std::size_t>(t)] = sign * (set.Median(L, t) - d.isoelectric[l]);
          const int to = std::min(endTo, spatialEnd + ms(TAreaWindowMs) / 2);
          if (auto e = AreaBoundary(curve, peaks[l], to, ms(TAreaWindowMs), true))
            d.tEnd = d.tEnd ? std::max(*e, *d.tEnd) : *e;
        }
      }
    }
  }

  // P wave: the largest bump of the spatial magnitude (leads detrended
  // between the ends of the window) between the previous T end and the QRS.
  int pFrom = on - ms(400);
  if (d.tEnd) pFrom = std::max(pFrom, *d.tEnd - rr + ms(20));
  pFrom = std::max(pFrom, 1);
  const int pTo = on - 1;
  if (pTo - pFrom < ms(60)) {
    return d;
  }
  if (RepeatsAtAtrialCycle(set, leads, pFrom, pTo, rate)) return d;
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
  if (!(pHeight >= std::max(MinWaveUv, 3 * noiseMagnitude))) {
    return d;
  }
  // A wave, not a slope: the bump falls to half its height on both sides.
  bool fallsBefore = false, fallsAfter = false;
  // (away from the window's ends, which the detrending pins to zero).
  for (int t = pFrom + edge; t < pPeak; ++t) fallsBefore |= pMagnitude[static_cast<std::size_t>(t)] < 0.5 * pHeight;
  for (int t = pPeak + 1; t <= pTo - edge; ++t) fallsAfter |= pMagnitude[static_cast<std::size_t>(t)] < 0.5 * pHeight;
  // And a wave that stands out from both of its sides, not the chord across a
  // slope's curve (the tail of the previous T wave, detrended, is a bump too):
  // in each lead the peak lies beyond both ends' levels, by the nearer one.
  double standsOut = 0;
  for (int L : leads) {
    const auto l = static_cast<std::size_t>(L);
    const double v = set.Median(L, pPeak), fromStart = v - startLevel[l], fromEnd = v - endLevel[l];
    if (fromStart * fromEnd > 0) standsOut += std::min(fromStart * fromStart, fromEnd * fromEnd);
  }
  if (!fallsBefore || !fallsAfter || !(std::sqrt(standsOut) >= MinStandOut * pHeight)) {
    return d;
  }
  d.pPeak = pPeak;
  const int pWindow = ms(PAreaWindowMs);
  d.pOnset = AreaBoundary(pMagnitude, pFrom, pPeak - edge, pWindow, false);
  d.pOffset = AreaBoundary(pMagnitude, pPeak + edge, pTo, pWindow, true);
  {
    // Lead by lead, as for the T wave: the area method on each lead with a
    // clear P wave, the earliest onset and latest offset that two leads share.
    std::array<double, Leads> heights{};
    std::array<int, Leads> peaks{};
    double tallest = 0;
    const auto detrended = [&](int L, int t) {
      const auto l = static_cast<std::size_t>(L);
      return set.Median(L, t) - (startLevel[l] + (t - pFrom) / span * (endLevel[l] - startLevel[l]));
    };
    for (int L : leads) {
      const auto l = static_cast<std::size_t>(L);
      for (int t = std::max(pFrom + edge, pPeak - ms(40)); t <= std::min(pTo - edge, pPeak + ms(40)); ++t) {
        const double v = std::abs(detrended(L, t));
        if (v > heights[l]) heights[l] = v, peaks[l] = t;
      }
      tallest = std::max(tallest, heights[l]);
    }
    std::vector<int> ons, offs;
    std::vector<double> curve(static_cast<std::size_t>(len), 0.0);
    for (int L : leads) {
      const auto l = static_cast<std::size_t>(L);
      if (heights[l] < MinWaveLeadShare * tallest || heights[l] < 3 * set.noise[l]) continue;
      const double sign = detrended(L, peaks[l]) >= 0 ? 1.0 : -1.0;
      for (int t = pFrom; t <= pTo; ++t) curve[static_cast<std::size_t>(t)] = sign * detrended(L, t);
      // The area window spans the lead's own rise and fall, twice from half
      // height to the peak, so that a slowly starting wave is not cut at its
      // knee; never shorter than half a P wave's width, nor longer than one.
      int halfBefore = peaks[l], halfAfter = peaks[l];
      const double half = 0.5 * curve[static_cast<std::size_t>(peaks[l])];
      while (halfBefore > pFrom + edge && curve[static_cast<std::size_t>(halfBefore)] > half) --halfBefore;
      while (halfAfter < pTo - edge && curve[static_cast<std::size_t>(halfAfter)] > half) ++halfAfter;
      const int onWindow = std::clamp(2 * (peaks[l] - halfBefore), pWindow, 2 * pWindow);
      const int offWindow = std::clamp(2 * (halfAfter - peaks[l]), pWindow, 2 * pWindow);
      // An onset a whole P wave's width before the spatial one is a small
      // lead's drift from the previous T wave, not its P wave.
      const auto o = AreaBoundary(curve, pFrom, peaks[l] - edge, onWindow, false);
      if (o && (!d.pOnset || *o >= *d.pOnset - 2 * pWindow)) ons.push_back(*o);
      if (auto e = AreaBoundary(curve, peaks[l] + edge, pTo, offWindow, true)) offs.push_back(*e);
    }
    const int agree = ms(AgreeMs);
    if (auto o = Outermost(ons, false, agree)) d.pOnset = o;
    if (auto o = Outermost(offs, true, agree)) d.pOffset = o;
  }
  // Bounds at both ends of the search are the window's, not a wave's: what
  // lies there runs on from the previous T wave into the QRS, with no flat
  // line on either side (the tail of a T wave, or in 2:1 flutter the flutter
  // wave before the QRS, whose neighbour hides in the ST segment).
  if (!d.pOnset || !d.pOffset || (*d.pOnset <= pFrom && *d.pOffset >= pTo)) d.pOnset.reset(), d.pOffset.reset();
  return d;
}

std::optional<std::pair<int, int>> QrsBoundsOfBeat(const LeadSignals& del, std::span<const bool> valid, int position,
                                                   int rate) {
  const auto ms = [rate](int v) { return v * rate / 1000; };
  const int from = position - ms(300), to = position + ms(200);
  if (from < 1 || to + 1 >= del.samples) return std::nullopt;
  std::vector<double> velocity(static_cast<std::size_t>(to - from + 1));
  const auto v = [&](int t) -> double& { return velocity[static_cast<std::size_t>(t - from)]; };
  for (int t = from; t <= to; ++t) {
    const double* next = del.Frame(t + 1);
    const double* prev = del.Frame(t - 1);
    double s = 0;
    for (std::size_t L = 0; L < Leads; ++L) s += valid[L] ? std::abs(next[L] - prev[L]) : 0.0;
    v(t) = 0.5 * s;
  }
  int peak = position - ms(50);
  for (int t = position - ms(50); t <= position + ms(50); ++t)
    if (v(t) > v(peak)) peak = t;
  const int smooth = std::max(1, ms(10));
  double floor = v(peak);
  for (int t = from; t + smooth <= position - ms(40); ++t) {
    double s = 0;
    for (int k = t; k < t + smooth; ++k) s += v(k);
    floor = std::min(floor, s / smooth);
  }
  if (!(v(peak) > floor)) return std::nullopt;
  const double threshold = floor + QrsSlopeShare * (v(peak) - floor);
  std::optional<int> on, off;
  for (int t = peak; t - 2 >= position - ms(160) && !on; --t)
    if (v(t) < threshold && v(t - 1) < threshold && v(t - 2) < threshold) on = t + 1;
  for (int t = peak; t + 2 <= to && !off; ++t)
    if (v(t) < threshold && v(t + 1) < threshold && v(t + 2) < threshold) off = t - 1;
  if (!on || !off || *off <= *on) return std::nullopt;
  return std::pair{*on, *off};
}

bool ConsistentPWave(const BeatSet& set, const Delineation& d, const LeadSignals& del, std::span<const bool> valid,
                     int rate) {
  const auto ms = [rate](int v) { return v * rate / 1000; };
  if (!d.pOnset || !d.pOffset || !d.qrsOnset) return false;
  const std::vector<int> leads = ValidLeads(valid);
  // Every second sample: a P wave has nothing above 40 Hz to lose.
  constexpr int Step = 2;
  const int from = *d.pOnset - ms(10), to = *d.pOffset + ms(10);
  const int width = (to - from) / Step + 1;
  const int lag = ms(10);
  // Median-beat P wave, frame by frame, each lead relative to its mean over
  // the window (leads left out are 0).
  std::array<double, Leads> mask{};
  for (int L : leads) mask[static_cast<std::size_t>(L)] = 1.0;
  FrameWindow reference{width, Step, std::vector<double>(static_cast<std::size_t>(width) * Leads, 0.0)};
  for (int L : leads) {
    double mean = 0;
    for (int t = from; t <= to; t += Step) mean += set.Median(L, t);
    mean /= width;
    for (int t = from, k = 0; t <= to; t += Step, ++k) {
      const double y = set.Median(L, t) - mean;
      reference.frames[static_cast<std::size_t>(k) * Leads + static_cast<std::size_t>(L)] = y;
      reference.centredSquares += y * y;
    }
  }
  // The reference's leads have mean 0 already: its lead sums stay 0.
  const auto match = [&](int start) { return WindowCorrelation(del, start, reference, mask); };
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
      const double r = match(origin + from + s);
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
