// Display filters for baseline wander, mains hum and muscle noise: zero-phase
// biquad cascades run forward and backward over the whole 10 s, the settings
// that choose them, their command-line syntax and the text a page prints.
#pragma once

#include <QString>
#include <span>

#include "record/LeadArrays.h"
#include "record/RecordFormat.h"

namespace corvale {

enum class BaselineFilter { Off, HighPass067, HighPass005 };
enum class MainsFilter { Off, Notch50, Notch60 };
enum class MuscleFilter { Off, LowPass25, LowPass35, LowPass40 };

/// Which filters are on. The default, every filter off, leaves the samples
/// exactly as recorded.
struct FilterSettings {
  BaselineFilter baseline = BaselineFilter::Off;
  MainsFilter mains = MainsFilter::Off;
  MuscleFilter muscle = MuscleFilter::Off;

  bool Any() const {
    return baseline != BaselineFilter::Off || mains != MainsFilter::Off || muscle != MuscleFilter::Off;
  }
  friend bool operator==(const FilterSettings&, const FilterSettings&) = default;
};

/// The outcome of parsing a filter list: the settings, or why the text is wrong.
struct FilterParse {
  FilterSettings settings;
  QString problem;  ///< empty when the text was understood
  bool Ok() const { return problem.isEmpty(); }
};

/// Parses the command-line syntax "baseline[=0.67|0.05],mains=50|60,muscle=25|35|40"
/// (any subset, in any order; "baseline" alone is 0.67 Hz; a value "off" turns
/// one filter off). An empty text, or "none", is every filter off.
FilterParse ParseFilterSettings(const QString& text);

/// The same syntax back: "baseline=0.67,mains=50,muscle=40", or "none".
QString FormatFilterSettings(const FilterSettings& settings);

/// The words the descriptions are made of, %1 standing for the frequency:
/// English by default (files' metadata); the window and the page pass their
/// language's.
struct FilterWords {
  QString notch = QStringLiteral("%1 Hz notch");
  QString baseline = QStringLiteral("baseline %1 Hz");
  QString mains = QStringLiteral("mains %1 Hz");
  QString muscle = QStringLiteral("muscle %1 Hz");
};

/// The frequency response a page prints, e.g. "0.67–40 Hz, 50 Hz notch";
/// "0.05–150 Hz" with every filter off.
QString DescribeFrequencyResponse(const FilterSettings& settings, const FilterWords& words = {});

/// The filters that are on, as a reader names them: "baseline 0.67 Hz,
/// mains 50 Hz, muscle 40 Hz"; empty when none is.
QString DescribeActiveFilters(const FilterSettings& settings, const FilterWords& words = {});

/// Band edges of the response, in hertz (low 0.05 and high 150 when unfiltered).
double LowCornerHz(const FilterSettings& settings);
double HighCornerHz(const FilterSettings& settings);
/// The mains frequency notched, or 0.
int NotchHz(const FilterSettings& settings);

/// Filters twelve leads of 5000 samples at 500 Hz in place, sample-major
/// (lead L at sample n is element n * 12 + L), zero-phase, with the ends
/// padded by reflection. Nothing happens when every filter is off.
void FilterLeadSamples(const FilterSettings& settings,
                       std::span<double, std::size_t{SamplesPerLead} * LeadCount> samples);

/// Filters the samples of `arrays` and derives each lead's range and offset
/// again from the filtered values. Every filter off leaves `arrays` untouched.
void ApplyFilters(const FilterSettings& settings, LeadArrays& arrays);

/// The lead arrays every picture of `image` is drawn from (the views, the
/// clipboard, the page, exported pictures): its samples through `settings`.
/// The record itself is never changed; every filter off gives DeriveLeadArrays'.
void DeriveFilteredLeadArrays(const RecordImage& image, const FilterSettings& settings, LeadArrays& arrays);

/// A copy of `image` whose samples are filtered, rounded to whole units and
/// held to the 16-bit range; the header is kept byte for byte.
void FilterRecordImage(const RecordImage& image, const FilterSettings& settings, RecordImage& filtered);

}  // namespace corvale
