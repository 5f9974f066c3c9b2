#include "analysis/Filters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace corvale::analysis {
namespace {

// Half a second of reflected signal at each end: the 0.67 Hz high-pass has
// settled to a few percent by then.
constexpr int PadSamples = 250;

// Up to two sections run together frame by frame: each waits only on its own
// previous output, so the second's recursion overlaps the first's instead of
// taking a pass of its own. Single precision: twelve leads fill three vector
// registers, and its 24-bit mantissa is far below a microvolt at ECG
// amplitudes.
template <std::size_t Count>
class Cascade {
 public:
  explicit Cascade(std::span<const Biquad> sections) : sections_(sections) {
    for (std::size_t k = 0; k < Count; ++k) {
      b0_[k] = static_cast<float>(sections[k].b0), b1_[k] = static_cast<float>(sections[k].b1);
      b2_[k] = static_cast<float>(sections[k].b2);
      a1_[k] = static_cast<float>(sections[k].a1), a2_[k] = static_cast<float>(sections[k].a2);
    }
  }

  /// Settles every section on its input at `frame`, the first one run: the
  /// next section's input there is this one's first output.
  void Settle(const float* frame) {
    for (std::size_t L = 0; L < Leads; ++L) {
      float in = frame[L];
      for (std::size_t k = 0; k < Count; ++k) {
        const Biquad& s = sections_[k];
        const double x = in;
        const double y = s.DcGain() * x;
        z1_[k][L] = static_cast<float>(y - s.b0 * x);
        z2_[k][L] = static_cast<float>(s.b2 * x - s.a2 * y);
        in = b0_[k] * in + z1_[k][L];
      }
    }
  }

  /// Runs `frames` frames from `in` to `out` (which may be `in`), `stride`
  /// values apart (negative: backwards).
  template <typename In, typename Out>
  void Run(const In* in, Out* out, int frames, std::ptrdiff_t stride) {
    // Local state: stores to `out` cannot alias it, so it stays in registers.
    auto z1 = z1_, z2 = z2_;
    for (int i = 0; i < frames; ++i, in += stride, out += stride)
      for (std::size_t L = 0; L < Leads; ++L) {
        auto x = static_cast<float>(in[L]);
        for (std::size_t k = 0; k < Count; ++k) {
          const float y = b0_[k] * x + z1[k][L];
          z1[k][L] = b1_[k] * x - a1_[k] * y + z2[k][L];
          z2[k][L] = b2_[k] * x - a2_[k] * y;
          x = y;
        }
        out[L] = x;
      }
    z1_ = z1, z2_ = z2;
  }

 private:
  std::span<const Biquad> sections_;
  std::array<float, Count> b0_{}, b1_{}, b2_{}, a1_{}, a2_{};
  std::array<std::array<float, Leads>, Count> z1_{}, z2_{};
};

// The padded frames: `pad` reflected frames, the record's `n`, `pad` more.
struct Padded {
  float* buf;
  int pad, n;
  int Total() const { return n + 2 * pad; }
  float* Frame(int i) const { return buf + static_cast<std::ptrdiff_t>(i) * Leads; }
};

// Forward through the padded frames; the record's own frames come from
// `centre` when given, else from the buffer.
template <std::size_t Count>
[[gnu::always_inline]] inline void Forward(std::span<const Biquad> group, const Padded& p, const double* centre) {
  Cascade<Count> c(group);
  c.Settle(p.Frame(0));
  if (!centre) {
    c.Run(p.Frame(0), p.Frame(0), p.Total(), Leads);
  } else {
    c.Run(p.Frame(0), p.Frame(0), p.pad, Leads);
    c.Run(centre, p.Frame(p.pad), p.n, Leads);
    c.Run(p.Frame(p.pad + p.n), p.Frame(p.pad + p.n), p.pad, Leads);
  }
}

// Backward through the padded frames, in place, or, when `centre` is given,
// with the record's own frames written there and the leading padding, whose
// output nothing reads, left out.
template <std::size_t Count>
[[gnu::always_inline]] inline void Backward(std::span<const Biquad> group, const Padded& p, double* centre) {
  Cascade<Count> c(group);
  float* last = p.Frame(p.Total() - 1);
  c.Settle(last);
  if (!centre) {
    c.Run(last, last, p.Total(), -Leads);
  } else {
    c.Run(last, last, p.pad, -Leads);
    c.Run(p.Frame(p.pad + p.n - 1), centre + static_cast<std::ptrdiff_t>(p.n - 1) * Leads, p.n, -Leads);
  }
}

// Two sections' state for twelve leads overflows the sixteen SSE registers;
// where the processor has AVX2, eight leads share a register and it fits. The
// same operations in the same order either way: the results are the same.
// Run-time selection needs an x86 compiler with ifunc support (ELF); elsewhere
// the one default build serves.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__ELF__) && \
    (defined(__clang__) ? __clang_major__ >= 14 : defined(__GNUC__))
#define CORVALE_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define CORVALE_AVX2_CLONES
#endif
CORVALE_AVX2_CLONES void ForwardTwo(std::span<const Biquad> group, const Padded& p, const double* centre) {
  Forward<2>(group, p, centre);
}

CORVALE_AVX2_CLONES void BackwardTwo(std::span<const Biquad> group, const Padded& p, double* centre) {
  Backward<2>(group, p, centre);
}

void ForwardGroup(std::span<const Biquad> group, const Padded& p, const double* centre) {
  switch (group.size()) {
    case 0: return Forward<0>(group, p, centre);
    case 1: return Forward<1>(group, p, centre);
    default: return ForwardTwo(group, p, centre);
  }
}

void BackwardGroup(std::span<const Biquad> group, const Padded& p, double* centre) {
  switch (group.size()) {
    case 0: return Backward<0>(group, p, centre);
    case 1: return Backward<1>(group, p, centre);
    default: return BackwardTwo(group, p, centre);
  }
}

}  // namespace

Biquad ButterworthLowPass(double cutoffHz, double rateHz) {
  const double k = std::tan(std::numbers::pi * cutoffHz / rateHz);
  const double q = std::numbers::sqrt2 / 2;
  const double norm = 1 / (1 + k / q + k * k);
  Biquad s;
  s.b0 = k * k * norm;
  s.b1 = 2 * s.b0;
  s.b2 = s.b0;
  s.a1 = 2 * (k * k - 1) * norm;
  s.a2 = (1 - k / q + k * k) * norm;
  return s;
}

Biquad ButterworthHighPass(double cutoffHz, double rateHz) {
  const double k = std::tan(std::numbers::pi * cutoffHz / rateHz);
  const double q = std::numbers::sqrt2 / 2;
  const double norm = 1 / (1 + k / q + k * k);
  Biquad s;
  s.b0 = norm;
  s.b1 = -2 * norm;
  s.b2 = norm;
  s.a1 = 2 * (k * k - 1) * norm;
  s.a2 = (1 - k / q + k * k) * norm;
  return s;
}

Biquad Notch(double centreHz, double rateHz, double q) {
  const double k = std::tan(std::numbers::pi * centreHz / rateHz);
  const double norm = 1 / (1 + k / q + k * k);
  Biquad s;
  s.b0 = (1 + k * k) * norm;
  s.b1 = 2 * (k * k - 1) * norm;
  s.b2 = s.b0;
  s.a1 = s.b1;
  s.a2 = (1 - k / q + k * k) * norm;
  return s;
}

void FilterZeroPhase(const LeadSignals& in, LeadSignals& out, std::span<const Biquad> sections,
                     FilterScratch& scratch) {
  const int n = in.samples;
  if (n < 2) {
    if (&out != &in) out = in;
    return;
  }
  const int pad = std::min(PadSamples, n - 1);
  scratch.resize(static_cast<std::size_t>(n + 2 * pad) * Leads);
  const Padded p{scratch.data(), pad, n};
  const double* x = in.values.data();
  for (int i = 1; i <= pad; ++i) {
    for (int L = 0; L < Leads; ++L) {
      p.Frame(pad - i)[L] = static_cast<float>(2 * x[L] - x[static_cast<std::ptrdiff_t>(i) * Leads + L]);
      p.Frame(pad + n - 1 + i)[L] = static_cast<float>(2 * x[static_cast<std::ptrdiff_t>(n - 1) * Leads + L] -
                                                       x[static_cast<std::ptrdiff_t>(n - 1 - i) * Leads + L]);
    }
  }
  // Two sections a group. The first group forward reads the record itself,
  // the last backward writes the result: `in` is read in full before `out`
  // is written, so the two may be one.
  constexpr std::size_t Group = 2;
  const std::size_t groups = std::max<std::size_t>(1, (sections.size() + Group - 1) / Group);
  const auto group = [&](std::size_t g) {
    const std::size_t from = std::min(g * Group, sections.size());
    return sections.subspan(from, std::min(Group, sections.size() - from));
  };
  for (std::size_t g = 0; g < groups; ++g) ForwardGroup(group(g), p, g == 0 ? x : nullptr);
  out.samples = n;
  out.values.resize(static_cast<std::size_t>(n) * Leads);
  for (std::size_t g = 0; g < groups; ++g) BackwardGroup(group(g), p, g + 1 == groups ? out.values.data() : nullptr);
}

void FilterZeroPhase(LeadSignals& signals, std::span<const Biquad> sections, FilterScratch& scratch) {
  FilterZeroPhase(signals, signals, sections, scratch);
}

}  // namespace corvale::analysis
