// The representative beat and its delineation: global wave boundaries found on
// all leads at once (the earliest onset and the latest offset of any lead).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "analysis/Filters.h"

namespace corvale::analysis {

/// The beats of a record, aligned on their QRS complexes, and the median beat
/// of the dominant morphology. Median-beat sample t lies at position - pre + t.
struct BeatSet {
  int pre = 0;                           ///< median-beat samples before the QRS position
  int length = 0;                        ///< median-beat samples in all
  std::vector<int> positions;            ///< every beat's QRS position, aligned on the median QRS
  std::vector<std::uint8_t> inDominant;  ///< 1 for beats of the dominant morphology
  int dominant = 0;                      ///< how many
  std::vector<double> median;            ///< sample-major, from the delineation signals
  std::vector<double> amplitude;         ///< sample-major, from the signals before the low-pass (QRS only)
  std::array<double, Leads> noise{};     ///< per lead, the median beat's noise (uV RMS)
  int rr = 0;                            ///< median RR of the dominant beats, samples

  double Median(int lead, int t) const { return median[Index(lead, t)]; }
  double AmplitudeMedian(int lead, int t) const { return amplitude[Index(lead, t)]; }

 private:
  static std::size_t Index(int lead, int t) {
    return static_cast<std::size_t>(t) * Leads + static_cast<std::size_t>(lead);
  }
};

/// Aligns the `detected` beats, finds the dominant morphology and forms its
/// median beat from `delineation` (low-passed) and `amplitude` (not).
BeatSet FormMedianBeat(const LeadSignals& delineation, const LeadSignals& amplitude, std::span<const bool> valid,
                       std::span<const int> detected, int rate);

/// Global fiducial points of the median beat, in median-beat samples.
struct Delineation {
  std::optional<int> pOnset, pPeak, pOffset, qrsOnset, qrsOffset, tPeak, tEnd;
  std::array<double, Leads> isoelectric{};           ///< each lead's level just before the QRS
  std::array<double, Leads> amplitudeIsoelectric{};  ///< the same before the low-pass
};

Delineation Delineate(const BeatSet& set, std::span<const bool> valid, int rate);

/// QRS onset and offset of the single beat at `position` (a beat outside the
/// dominant morphology), on its own spatial velocity; absent near the ends.
std::optional<std::pair<int, int>> QrsBoundsOfBeat(const LeadSignals& delineation, std::span<const bool> valid,
                                                   int position, int rate);

/// Whether the median beat's P wave is there, at a stable PR, in most dominant
/// beats (not so in atrial fibrillation, where the median of the fibrillation
/// waves can still leave a small bump).
bool ConsistentPWave(const BeatSet& set, const Delineation& d, const LeadSignals& delineation,
                     std::span<const bool> valid, int rate);

}  // namespace corvale::analysis
