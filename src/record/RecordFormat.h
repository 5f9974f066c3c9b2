// The record file layout: one table of header fields that every other piece of
// code reads and writes through, and the position of the waveform samples.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace corvale {

inline constexpr std::size_t RecordFileSize = 120424;
inline constexpr std::size_t HeaderSize = 400;
inline constexpr int LeadCount = 12;
inline constexpr int SamplesPerLead = 5000;
inline constexpr std::size_t LeadBlockSize = 10002;  // lead word + 5000 samples
inline constexpr std::size_t LeadWordSize = 2;

static_assert(HeaderSize + LeadCount * LeadBlockSize == RecordFileSize);

/// A sample unit is 4.88 uV: the header's LsbSize holds it in hundredths of a
/// microvolt. Every conversion between units and microvolts uses these two.
inline constexpr int SampleUnitHundredthsOfMicrovolt = 488;
inline constexpr double MicrovoltsPerUnit = SampleUnitHundredthsOfMicrovolt / 100.0;
/// Samples are 2 ms apart: 500 Hz, 10 s a record.
inline constexpr int SamplingIntervalMs = 2;
inline constexpr double RecordSamplingRate = 1000.0 / SamplingIntervalMs;
inline constexpr double RecordSeconds = SamplesPerLead / RecordSamplingRate;

/// Lead names in record order; the index is the lead index everywhere.
inline constexpr std::array<std::string_view, LeadCount> LeadNames{"I",  "II", "III", "aVR", "aVL", "aVF",
                                                                   "V1", "V2", "V3",  "V4",  "V5",  "V6"};

enum class FieldEncoding {
  Character,  // single-byte text, ends at the field's end or the first NUL
  Digits,     // ASCII digits, read like Character
  ShiftJis,   // cp932 text, ends at the field's end or the first NUL
  UInt16LE,   // unsigned 16-bit little-endian (a longer field uses its first two bytes)
  Unused,     // neither shown nor validated; copied unchanged
};

/// One header field. A field of `count` > 1 is an array of equal elements
/// (the finding and Minnesota codes), element k at offset + k * length / count.
struct FieldLayout {
  std::string_view name;
  std::size_t offset;
  std::size_t length;
  FieldEncoding encoding;
  int count = 1;

  constexpr std::size_t ElementLength() const { return length / static_cast<std::size_t>(count); }
  constexpr std::size_t ElementOffset(int k) const { return offset + static_cast<std::size_t>(k) * ElementLength(); }
};

namespace Field {
using E = FieldEncoding;
inline constexpr FieldLayout ProcessingResult{"ProcessingResult", 0, 1, E::Character};
inline constexpr FieldLayout DataType{"DataType", 1, 1, E::Character};
inline constexpr FieldLayout RecordingDate{"RecordingDate", 2, 6, E::Digits};
inline constexpr FieldLayout RecordingTime{"RecordingTime", 8, 6, E::Digits};
inline constexpr FieldLayout Unused14{"Unused14", 14, 11, E::Unused};
inline constexpr FieldLayout PatientId{"PatientId", 25, 8, E::Character};
inline constexpr FieldLayout Age{"Age", 33, 3, E::Character};
inline constexpr FieldLayout AgeUnit{"AgeUnit", 36, 1, E::Character};
inline constexpr FieldLayout Sex{"Sex", 37, 1, E::Character};
inline constexpr FieldLayout Height{"Height", 38, 3, E::Character};
inline constexpr FieldLayout Weight{"Weight", 41, 3, E::Character};
inline constexpr FieldLayout BloodPressure{"BloodPressure", 44, 6, E::Character};
inline constexpr FieldLayout AffiliationCode1{"AffiliationCode1", 50, 4, E::Character};
inline constexpr FieldLayout AffiliationCode2{"AffiliationCode2", 54, 4, E::Character};
inline constexpr FieldLayout Symptoms{"Symptoms", 58, 2, E::Character};
inline constexpr FieldLayout Medication{"Medication", 60, 2, E::Character};
inline constexpr FieldLayout PatientName{"PatientName", 62, 24, E::ShiftJis};
inline constexpr FieldLayout Unused86{"Unused86", 86, 5, E::Unused};
inline constexpr FieldLayout LoadInfo{"LoadInfo", 91, 14, E::Character};
inline constexpr FieldLayout RecordingYearHigh{"RecordingYearHigh", 105, 2, E::Digits};
inline constexpr FieldLayout HeartRate{"HeartRate", 107, 4, E::Character};
inline constexpr FieldLayout RrInterval{"RrInterval", 111, 4, E::Character};
inline constexpr FieldLayout PrInterval{"PrInterval", 115, 4, E::Character};
inline constexpr FieldLayout QrsDuration{"QrsDuration", 119, 4, E::Character};
inline constexpr FieldLayout QrsAxis{"QrsAxis", 123, 4, E::Character};
inline constexpr FieldLayout QtInterval{"QtInterval", 127, 4, E::Character};
inline constexpr FieldLayout QtcInterval{"QtcInterval", 131, 4, E::Character};
inline constexpr FieldLayout Sv1Amplitude{"Sv1Amplitude", 135, 4, E::Character};
inline constexpr FieldLayout LateralLeadSelector{"LateralLeadSelector", 139, 1, E::Character};
inline constexpr FieldLayout RvAmplitude{"RvAmplitude", 140, 4, E::Character};
inline constexpr FieldLayout Unused144{"Unused144", 144, 20, E::Unused};
inline constexpr FieldLayout FindingCodes{"FindingCodes", 164, 36, E::Character, 9};
inline constexpr FieldLayout MinnesotaCodes{"MinnesotaCodes", 200, 56, E::Character, 14};
inline constexpr FieldLayout Unused256{"Unused256", 256, 128, E::Unused};
inline constexpr FieldLayout SamplingInterval{"SamplingInterval", 384, 2, E::UInt16LE};
inline constexpr FieldLayout LsbSize{"LsbSize", 386, 2, E::UInt16LE};
inline constexpr FieldLayout FilterInfo{"FilterInfo", 388, 2, E::UInt16LE};
inline constexpr FieldLayout LowFrequency{"LowFrequency", 390, 2, E::UInt16LE};
inline constexpr FieldLayout HighFrequency{"HighFrequency", 392, 2, E::UInt16LE};
inline constexpr FieldLayout StoredLeadCount{"StoredLeadCount", 394, 2, E::UInt16LE};
// Bytes 398 and 399 belong to the field but never reach its value.
inline constexpr FieldLayout SampleCount{"SampleCount", 396, 4, E::UInt16LE};
}  // namespace Field

/// The whole header, in file order, unused ranges included, so that the table
/// itself can be checked to cover bytes 0..399 without gap or overlap.
inline constexpr std::array RecordFields{Field::ProcessingResult,
                                         Field::DataType,
                                         Field::RecordingDate,
                                         Field::RecordingTime,
                                         Field::Unused14,
                                         Field::PatientId,
                                         Field::Age,
                                         Field::AgeUnit,
                                         Field::Sex,
                                         Field::Height,
                                         Field::Weight,
                                         Field::BloodPressure,
                                         Field::AffiliationCode1,
                                         Field::AffiliationCode2,
                                         Field::Symptoms,
                                         Field::Medication,
                                         Field::PatientName,
                                         Field::Unused86,
                                         Field::LoadInfo,
                                         Field::RecordingYearHigh,
                                         Field::HeartRate,
                                         Field::RrInterval,
                                         Field::PrInterval,
                                         Field::QrsDuration,
                                         Field::QrsAxis,
                                         Field::QtInterval,
                                         Field::QtcInterval,
                                         Field::Sv1Amplitude,
                                         Field::LateralLeadSelector,
                                         Field::RvAmplitude,
                                         Field::Unused144,
                                         Field::FindingCodes,
                                         Field::MinnesotaCodes,
                                         Field::Unused256,
                                         Field::SamplingInterval,
                                         Field::LsbSize,
                                         Field::FilterInfo,
                                         Field::LowFrequency,
                                         Field::HighFrequency,
                                         Field::StoredLeadCount,
                                         Field::SampleCount};

/// Looks a field up by its name.
std::optional<FieldLayout> FindField(std::string_view name);

/// Byte offset of sample n of lead L.
constexpr std::size_t SampleOffset(int lead, int n) {
  return HeaderSize + LeadBlockSize * static_cast<std::size_t>(lead) + LeadWordSize + 2 * static_cast<std::size_t>(n);
}

/// The bytes of one record file, from offset 0.
struct RecordImage {
  std::array<std::uint8_t, RecordFileSize> bytes{};

  void Clear() { bytes.fill(0); }
  std::int16_t Sample(int lead, int n) const {
    const std::size_t at = SampleOffset(lead, n);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8)));
  }
  void SetSample(int lead, int n, std::int16_t value) {
    const std::size_t at = SampleOffset(lead, n);
    const auto u = static_cast<std::uint16_t>(value);
    bytes[at] = static_cast<std::uint8_t>(u & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(u >> 8);
  }
};

}  // namespace corvale
