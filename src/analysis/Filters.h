// Zero-phase filtering of the twelve leads: second-order sections run forward
// and backward, so that no filter moves a wave boundary in time.
#pragma once

#include <span>
#include <vector>

namespace corvale::analysis {

inline constexpr int Leads = 12;

/// A second-order section (transposed direct form II), a0 = 1.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double DcGain() const { return (b0 + b1 + b2) / (1 + a1 + a2); }
};

/// Butterworth sections (Q = 1/sqrt 2) and a notch, from the bilinear transform.
Biquad ButterworthLowPass(double cutoffHz, double rateHz);
Biquad ButterworthHighPass(double cutoffHz, double rateHz);
Biquad Notch(double centreHz, double rateHz, double q);

/// Sample-major signals: sample n of lead L is values[n * Leads + L].
struct LeadSignals {
  int samples = 0;
  std::vector<double> values;
  double At(int lead, int n) const {
    return values[static_cast<std::size_t>(n) * Leads + static_cast<std::size_t>(lead)];
  }
  const double* Frame(int n) const { return values.data() + static_cast<std::size_t>(n) * Leads; }
};

/// Runs `sections` forward then backward over every lead of `signals`, in
/// place, with the ends extended by odd reflection so that the filters start
/// settled. `scratch` is reused between calls.
void FilterZeroPhase(LeadSignals& signals, std::span<const Biquad> sections, std::vector<float>& scratch);
/// The same from `in` to `out` (which may be `in`): saves a copy when both
/// the input and its filtered version are needed.
void FilterZeroPhase(const LeadSignals& in, LeadSignals& out, std::span<const Biquad> sections,
                     std::vector<float>& scratch);

}  // namespace corvale::analysis
