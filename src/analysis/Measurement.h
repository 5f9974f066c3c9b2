// Automatic measurement of a resting 12-lead record: the beats, the global
// fiducial points of each beat and of a representative beat, and the global
// intervals, axes and amplitudes that an electrocardiograph prints.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "record/RecordFormat.h"

namespace corvale {

/// Global fiducial points of one beat (earliest onset, latest offset over the
/// twelve leads), as sample indices at 500 Hz from the start of the record.
/// A point that could not be found is absent, never guessed.
struct BeatFiducials {
  int qrs = 0;  ///< the beat's QRS position, as listed in Measurements::beats
  std::optional<int> pOnset, pOffset, qrsOnset, qrsOffset, tEnd;
};

/// Everything measured from the waveform. Each value is absent when the
/// signal does not support it (no P wave, flat or saturated leads, noise).
struct Measurements {
  std::optional<double> hrBpm, rrMs;  ///< from the mean RR over the record
  std::optional<double> pMs, prMs, qrsMs, qtMs;
  std::optional<double> qtcMs;                           ///< Bazett
  std::optional<double> qtcfMs;                          ///< Fridericia
  std::optional<double> pAxisDeg, qrsAxisDeg, tAxisDeg;  ///< frontal, -180 < a <= 180
  std::optional<double> sv1Mv, rv5Mv, rv6Mv;
  std::vector<int> beats;  ///< QRS positions, sample indices; empty when nothing was measured
  /// One per beat, in the order of `beats`: the representative beat's points
  /// at each beat of the dominant morphology; other (ectopic) beats carry
  /// their QRS position and bounds of their own.
  std::vector<BeatFiducials> fiducials;
  /// The representative beat's fiducial points, relative to its QRS position
  /// (qrs = 0, onsets negative); absent when no dominant morphology was found.
  std::optional<BeatFiducials> representative;
  int representativeBeats = 0;  ///< how many beats the representative beat was formed from
  bool paced = false;           ///< pacing spikes were found before most beats
};

/// The record's sampling rate and unit, which the measurement assumes.
inline constexpr int MeasurementRate = 1000 / SamplingIntervalMs;       ///< samples per second
inline constexpr double MeasurementUnitMicrovolts = MicrovoltsPerUnit;  ///< one raw record unit

/// The same for twelve leads already in microvolts: `leadMajor` holds lead 0's
/// `samples` values, then lead 1's, ..., in record lead order, at 500 Hz.
/// `saturated[L]` marks a lead that hit its converter's limits; values beyond
/// +-1 V count as saturated and non-finite values drop their lead. Fewer than
/// 2 s of samples (or fewer values than 12 x `samples`) give no values.
Measurements MeasureLeads(std::span<const double> leadMajor, int samples, std::span<const bool> saturated = {});

/// Measures the twelve leads of `image` (raw units of 4.88 uV, 500 Hz, 5000
/// samples). A pure function: the same bytes always give the same result.
Measurements MeasureRecord(const RecordImage& image);

}  // namespace corvale
