// Turning foreign signals into a record and a record's header into plain
// values: lead matching, resampling to 500 Hz, conversion to 4.88 uV units,
// and the header fields with their checks.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "record/RecordFormat.h"

namespace corvale {

/// Header values as text. Given on the command line they are checked strictly;
/// taken from a foreign file, a value that the record cannot hold is left out
/// (except the patient's ID and name, whose loss would be refused).
struct HeaderOptions {
  std::optional<QString> id, name, sex, age, ageUnit, date, time, height, weight, bloodPressure;
  // Automatic measurements, as the record's 4-character fields hold them.
  std::optional<QString> heartRate, rrInterval, prInterval, qrsDuration, qrsAxis, qtInterval, qtcInterval, sv1Amplitude,
      rvAmplitude;
  std::optional<QString> rvLead;  // "5" or "6": where rvAmplitude was measured
  // Not a header value: the sampling rate of a file that does not state it (CSV without a time column).
  std::optional<double> samplingRate;
};

/// Microvolts per record unit.
inline constexpr double MicrovoltsPerRecordUnit = MicrovoltsPerUnit;

/// Sampling rates an ECG recorder uses; a file claiming another is damaged.
inline constexpr double MinSamplingFrequency = 50.0;
inline constexpr double MaxSamplingFrequency = 20000.0;

/// Why a file's sampling frequency cannot be an ECG's, if it cannot.
std::optional<QString> SamplingRateProblem(double hz);

/// Band-limited resampling of `x` from `fromHz` to `toHz` (windowed sinc, cut-off
/// below the lower Nyquist frequency), giving `count` samples from time 0.
std::vector<double> Resample(const std::vector<double>& x, double fromHz, double toHz, std::size_t count);

/// The same for several signals of equal length at once (the filter weights
/// are computed once per output sample).
std::vector<std::vector<double>> Resample(const std::vector<const std::vector<double>*>& signals, double fromHz,
                                          double toHz, std::size_t count);

/// Input samples that Resample reads to make `count` output samples: a reader
/// need not read more of a long file than this.
qint64 InputSamplesNeeded(double fromHz, double toHz, std::size_t count);

/// Microvolts to record units: rounded to nearest, clamped to 16 bits.
std::int16_t ToRecordUnits(double microvolts);

/// Named signals at one sampling rate, in microvolts, all of one length.
struct SignalSet {
  double samplingFrequency = 0;
  std::vector<QString> names;
  std::vector<std::vector<double>> microvolts;
  qint64 Count() const { return microvolts.empty() ? 0 : static_cast<qint64>(microvolts.front().size()); }
};

/// Index of the signal that carries the standard lead `lead`, matched by name
/// ("V1", "v1", "ECG V1", "Lead V1", "AVR"...); -1 when there is none.
int FindLead(const std::vector<QString>& names, int lead);

/// Builds the record from twelve named leads of at least 10 s: the first 10 s
/// at 500 Hz. `options` (the user's) win over `source` (the file's own values).
/// Eight independent leads (I, II, V1-V6) are enough: III, aVR, aVL and aVF
/// follow from I and II, and a sentence saying so is added to `notes`.
std::variant<std::unique_ptr<RecordImage>, QString> BuildRecord(const SignalSet& signals, const HeaderOptions& options,
                                                                const HeaderOptions& source = {},
                                                                QStringList* notes = nullptr);

/// Puts header values into the record's fields: `options` checked strictly,
/// `source` values that do not fit left out (an ID or name that does not fit
/// is an error). Fields given by neither stay as they are.
std::optional<QString> ApplyHeader(RecordImage& image, const HeaderOptions& options, const HeaderOptions& source = {});

/// Whether `text` holds a control character (C0, C1, DEL, a line or paragraph separator).
bool HasControlCharacters(const QString& text);

/// `text` with each run of control characters replaced by one space (none at
/// the start or end): what every reader and writer makes of such a name.
QString WithoutControlCharacters(const QString& text);

/// The record's header as plain values: only what it holds and what is valid
/// (a date that is no calendar date, an age without its unit, are left out;
/// control characters in the name are removed).
HeaderOptions HeaderFromRecord(const RecordImage& image);

/// The bytes of a record file.
QByteArray RecordBytes(const RecordImage& image);

}  // namespace corvale
