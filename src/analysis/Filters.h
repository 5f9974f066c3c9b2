// Zero-phase filtering of the twelve leads: second-order sections run forward
// and backward, so that no filter moves a wave boundary in time.
#pragma once

#include <memory>
#include <new>
#include <span>
#include <type_traits>
#include <utility>
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

/// Leaves the elements a vector adds without a value: signals are written in
/// full by whoever sizes them, and zeroing half a megabyte first costs about
/// as much as a filter pass.
template <typename T>
struct UnsetAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UnsetAllocator<U>;
  };
  UnsetAllocator() = default;
  template <typename U>
  UnsetAllocator(const UnsetAllocator<U>& /*other*/) noexcept {}
  template <typename U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

/// Sample-major signals: sample n of lead L is values[n * Leads + L].
struct LeadSignals {
  int samples = 0;
  std::vector<double, UnsetAllocator<double>> values;  ///< resize() leaves new values unset
  double At(int lead, int n) const {
    return values[static_cast<std::size_t>(n) * Leads + static_cast<std::size_t>(lead)];
  }
  const double* Frame(int n) const { return values.data() + static_cast<std::size_t>(n) * Leads; }
};

/// Working space of the filter, reused between calls.
using FilterScratch = std::vector<float, UnsetAllocator<float>>;

/// Runs `sections` forward then backward over every lead of `signals`, in
/// place, with the ends extended by odd reflection so that the filters start
/// settled. `scratch` is reused between calls.
void FilterZeroPhase(LeadSignals& signals, std::span<const Biquad> sections, FilterScratch& scratch);
/// The same from `in` to `out` (which may be `in`): saves a copy when both
/// the input and its filtered version are needed.
void FilterZeroPhase(const LeadSignals& in, LeadSignals& out, std::span<const Biquad> sections, FilterScratch& scratch);

}  // namespace corvale::analysis
