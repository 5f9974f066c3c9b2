// Automatic measurement of a resting 12-lead record: the beats, the global
// fiducial points of each beat and of a representative beat, and the global
// intervals, axes and amplitudes that an electrocardiograph prints.
#pragma once

#include <optional>
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
  std::optional<double> hrBpm, rrMs;           ///< from the mean RR over the record
  std::optional<double> pMs, prMs, qrsMs, qtMs;
  std::optional<double> qtcMs;                 ///< Bazett
  std::optional<double> qtcfMs;                ///< Fridericia
  std::optional<double> pAxisDeg, qrsAxisDeg, tAxisDeg;  ///< frontal, -180 < a <= 180
  std::optional<double> sv1Mv, rv5Mv, rv6Mv;
  std::vector<int> beats;                   ///< QRS positions, sample indices
  std::vector<BeatFiducials> fiducials;     ///< one per beat, in the order of `beats`
};

/// Measures the twelve leads of `image` (raw units of 4.88 uV, 500 Hz, 5000
/// samples). A pure function: the same bytes always give the same result.
Measurements MeasureRecord(const RecordImage& image);

}  // namespace corvale
