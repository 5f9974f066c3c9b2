#include <gtest/gtest.h>

#include "record/RecordFormat.h"

namespace corvale {
namespace {

TEST(RecordFormat, HeaderTableCoversEveryByteOnce) {
  std::size_t next = 0;
  for (const FieldLayout& f : RecordFields) {
    EXPECT_EQ(f.offset, next) << f.name;
    EXPECT_EQ(f.length % static_cast<std::size_t>(f.count), 0u) << f.name;
    next = f.offset + f.length;
  }
  EXPECT_EQ(next, HeaderSize);
}

TEST(RecordFormat, EveryFieldsPlaceAndEncoding) {
  using E = FieldEncoding;
  struct Row {
    std::string_view name;
    std::size_t offset, length;
    E encoding;
    int count;
  };
  const Row rows[] = {
      {"ProcessingResult", 0, 1, E::Character, 1},
      {"DataType", 1, 1, E::Character, 1},
      {"RecordingDate", 2, 6, E::Digits, 1},
      {"RecordingTime", 8, 6, E::Digits, 1},
      {"Unused14", 14, 11, E::Unused, 1},
      {"PatientId", 25, 8, E::Character, 1},
      {"Age", 33, 3, E::Character, 1},
      {"AgeUnit", 36, 1, E::Character, 1},
      {"Sex", 37, 1, E::Character, 1},
      {"Height", 38, 3, E::Character, 1},
      {"Weight", 41, 3, E::Character, 1},
      {"BloodPressure", 44, 6, E::Character, 1},
      {"AffiliationCode1", 50, 4, E::Character, 1},
      {"AffiliationCode2", 54, 4, E::Character, 1},
      {"Symptoms", 58, 2, E::Character, 1},
      {"Medication", 60, 2, E::Character, 1},
      {"PatientName", 62, 24, E::ShiftJis, 1},
      {"Unused86", 86, 5, E::Unused, 1},
      {"LoadInfo", 91, 14, E::Character, 1},
      {"RecordingYearHigh", 105, 2, E::Digits, 1},
      {"HeartRate", 107, 4, E::Character, 1},
      {"RrInterval", 111, 4, E::Character, 1},
      {"PrInterval", 115, 4, E::Character, 1},
      {"QrsDuration", 119, 4, E::Character, 1},
      {"QrsAxis", 123, 4, E::Character, 1},
      {"QtInterval", 127, 4, E::Character, 1},
      {"QtcInterval", 131, 4, E::Character, 1},
      {"Sv1Amplitude", 135, 4, E::Character, 1},
      {"LateralLeadSelector", 139, 1, E::Character, 1},
      {"RvAmplitude", 140, 4, E::Character, 1},
      {"Unused144", 144, 20, E::Unused, 1},
      {"FindingCodes", 164, 36, E::Character, 9},
      {"MinnesotaCodes", 200, 56, E::Character, 14},
      {"Unused256", 256, 128, E::Unused, 1},
      {"SamplingInterval", 384, 2, E::UInt16LE, 1},
      {"LsbSize", 386, 2, E::UInt16LE, 1},
      {"FilterInfo", 388, 2, E::UInt16LE, 1},
      {"LowFrequency", 390, 2, E::UInt16LE, 1},
      {"HighFrequency", 392, 2, E::UInt16LE, 1},
      {"StoredLeadCount", 394, 2, E::UInt16LE, 1},
      {"SampleCount", 396, 4, E::UInt16LE, 1},
  };
  ASSERT_EQ(std::size(rows), RecordFields.size());
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Row& r = rows[i];
    const FieldLayout& f = RecordFields[i];  // in file order
    EXPECT_EQ(f.name, r.name) << i;
    EXPECT_EQ(f.offset, r.offset) << r.name;
    EXPECT_EQ(f.length, r.length) << r.name;
    EXPECT_EQ(f.encoding, r.encoding) << r.name;
    EXPECT_EQ(f.count, r.count) << r.name;
    EXPECT_TRUE(FindField(r.name)) << r.name;
  }
  EXPECT_EQ(Field::FindingCodes.ElementOffset(8), 196u);
  EXPECT_EQ(Field::MinnesotaCodes.ElementOffset(13), 252u);
  EXPECT_FALSE(FindField("NoSuchField"));
}

TEST(RecordFormat, SamplePositions) {
  EXPECT_EQ(SampleOffset(0, 0), 402u);
  EXPECT_EQ(SampleOffset(1, 0), 402u + 10002u);
  EXPECT_EQ(SampleOffset(LeadCount - 1, SamplesPerLead - 1) + 2, RecordFileSize);
}

TEST(RecordFormat, SampleWordsAreSignedLittleEndian) {
  struct Row {
    std::uint8_t lo, hi;
    std::int16_t value;
  };
  const Row rows[] = {
      {0xFF, 0xFF, -1}, {0x00, 0x80, -32768}, {0xFF, 0x7F, 32767}, {0x34, 0x12, 0x1234}, {0x00, 0x00, 0}};
  RecordImage image;
  for (const Row& r : rows) {
    image.bytes[SampleOffset(3, 17)] = r.lo;
    image.bytes[SampleOffset(3, 17) + 1] = r.hi;
    EXPECT_EQ(image.Sample(3, 17), r.value);
    image.SetSample(5, 9, r.value);
    EXPECT_EQ(image.bytes[SampleOffset(5, 9)], r.lo);
    EXPECT_EQ(image.bytes[SampleOffset(5, 9) + 1], r.hi);
  }
}

}  // namespace
}  // namespace corvale
