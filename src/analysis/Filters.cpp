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

// Runs one section over `n` frames of 12 leads from `data` with `step` frames
// (+1 forward, -1 backward), the state settled on the first frame's values.
// Single precision: twelve leads fill three vector registers, and its 24-bit
// mantissa is far below a microvolt at ECG amplitudes.
void RunSection(const Biquad& s, float* data, int n, int step) {
  std::array<float, Leads> z1{}, z2{};
  float* first = step > 0 ? data : data + static_cast<std::ptrdiff_t>(n - 1) * Leads;
  const double gain = s.DcGain();
  for (int L = 0; L < Leads; ++L) {
    const double x = first[L];
    const double y = gain * x;
    z1[static_cast<std::size_t>(L)] = static_cast<float>(y - s.b0 * x);
    z2[static_cast<std::size_t>(L)] = static_cast<float>(s.b2 * x - s.a2 * y);
  }
  const auto b0 = static_cast<float>(s.b0), b1 = static_cast<float>(s.b1), b2 = static_cast<float>(s.b2);
  const auto a1 = static_cast<float>(s.a1), a2 = static_cast<float>(s.a2);
  float* p = first;
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(step) * Leads;
  for (int i = 0; i < n; ++i, p += stride) {
    for (std::size_t L = 0; L < Leads; ++L) {
      const float x = p[L];
      const float y = b0 * x + z1[L];
      z1[L] = b1 * x - a1 * y + z2[L];
      z2[L] = b2 * x - a2 * y;
      p[L] = y;
    }
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

void FilterZeroPhase(LeadSignals& signals, std::span<const Biquad> sections, std::vector<float>& scratch) {
  const int n = signals.samples;
  if (n < 2) return;
  const int pad = std::min(PadSamples, n - 1);
  const int total = n + 2 * pad;
  scratch.resize(static_cast<std::size_t>(total) * Leads);
  float* buf = scratch.data();
  const double* x = signals.values.data();
  const auto frame = [](float* b, int i) { return b + static_cast<std::ptrdiff_t>(i) * Leads; };
  std::transform(x, x + static_cast<std::ptrdiff_t>(n) * Leads, frame(buf, pad),
                 [](double v) { return static_cast<float>(v); });
  for (int i = 1; i <= pad; ++i) {
    for (int L = 0; L < Leads; ++L) {
      frame(buf, pad - i)[L] = static_cast<float>(2 * x[L] - x[static_cast<std::ptrdiff_t>(i) * Leads + L]);
      frame(buf, pad + n - 1 + i)[L] = static_cast<float>(2 * x[static_cast<std::ptrdiff_t>(n - 1) * Leads + L] -
                                                          x[static_cast<std::ptrdiff_t>(n - 1 - i) * Leads + L]);
    }
  }
  for (const Biquad& s : sections) RunSection(s, buf, total, +1);
  for (const Biquad& s : sections) RunSection(s, buf, total, -1);
  std::copy(frame(buf, pad), frame(buf, pad + n), signals.values.begin());
}

}  // namespace corvale::analysis
