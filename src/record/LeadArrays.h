// Per-lead real sample arrays with each lead's range and zero position.
#pragma once

#include <array>

#include "record/RecordFormat.h"

namespace corvale {

struct LeadArrays {
  /// Sample-major: lead L at sample n is element n * 12 + L.
  std::array<double, std::size_t{SamplesPerLead} * LeadCount> LeadSamples{};
  /// max - min of each lead, both extremes taken with zero included.
  std::array<double, LeadCount> LeadRange{};
  /// Share of the range below zero, 0..1.
  std::array<double, LeadCount> LeadOffset{};

  LeadArrays() { LeadRange.fill(1.0); }

  double Sample(int lead, int n) const {
    return LeadSamples[static_cast<std::size_t>(n) * LeadCount + static_cast<std::size_t>(lead)];
  }
};

/// Fills `arrays` from the waveform block of `image`, without allocating.
/// A lead whose samples are all zero gets range 1.0 and offset 0.0, its
/// values before any record, so that no renderer divides by zero.
void DeriveLeadArrays(const RecordImage& image, LeadArrays& arrays);

/// Derives each lead's range and offset again from `arrays.LeadSamples`, by
/// the same rule, after the samples were changed in place (filtered).
void DeriveLeadRanges(LeadArrays& arrays);

}  // namespace corvale
