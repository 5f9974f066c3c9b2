#include <gtest/gtest.h>

#include "record/RecordFormat.h"

namespace corvale {
namespace {

TEST(RecordFormat, HeaderTableCoversEveryByteOnce) {
  std::size_t next = 0;
  for (const FieldSpec& f : RecordFields) {
    EXPECT_EQ(f.offset, next) << f.name;
    EXPECT_EQ(f.length % static_cast<std::size_t>(f.count), 0u) << f.name;
    next = f.offset + f.length;
  }
  EXPECT_EQ(next, HeaderSize);
}

TEST(RecordFormat, FieldPositions) {
  struct Row { std::string_view name; std::size_t offset, length; };
  const Row rows[] = {{"PatientId", 25, 8},        {"PatientName", 62, 24},     {"LoadInfo", 91, 14},
                      {"RecordingYearHigh", 105, 2}, {"LateralLeadSelector", 139, 1}, {"RvAmplitude", 140, 4},
                      {"FindingCodes", 164, 36},   {"MinnesotaCodes", 200, 56}, {"SamplingInterval", 384, 2},
                      {"SampleCount", 396, 4}};
  for (const Row& r : rows) {
    const auto f = FindField(r.name);
    ASSERT_TRUE(f) << r.name;
    EXPECT_EQ(f->offset, r.offset) << r.name;
    EXPECT_EQ(f->length, r.length) << r.name;
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
  struct Row { std::uint8_t lo, hi; std::int16_t value; };
  const Row rows[] = {{0xFF, 0xFF, -1}, {0x00, 0x80, -32768}, {0xFF, 0x7F, 32767}, {0x34, 0x12, 0x1234}, {0x00, 0x00, 0}};
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
