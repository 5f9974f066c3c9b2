// Any bytes as a record file: the reader, the header texts and the lead arrays.
#include <QString>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "record/HeaderPresentation.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"

#include "FuzzCheck.h"
#include "MemoryFile.h"

using namespace corvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto image = std::make_unique<RecordImage>();
  static auto other = std::make_unique<RecordImage>();
  static auto leads = std::make_unique<LeadArrays>();
  static const MemoryFile file("record_fuzz");
  const QString& path = file.Hold(data, size);
  image->bytes.fill(0xA5);  // a previous record's bytes
  static const std::array<uint8_t, RecordFileSize> zeros{};
  const auto error = ReadRecordFile(path, *image);
  if (size < RecordFileSize) {
    Check(error.has_value(), "a short file reads without error");
    Check(std::memcmp(image->bytes.data(), zeros.data(), RecordFileSize) == 0,
          "bytes of a previous record survive a failed read");
    Check(error->reason.contains(QString::number(size)), "the error does not say the file's size");
    return 0;
  }
  Check(!error, "a whole record fails to read");
  Check(std::memcmp(image->bytes.data(), data, RecordFileSize) == 0, "the record is not the file's first bytes");

  // Each field's text depends on its own bytes only: with every other header
  // byte changed, the text stays.
  *other = *image;
  for (std::size_t i = 0; i < HeaderSize; ++i) other->bytes[i] = static_cast<uint8_t>(~image->bytes[i]);
  for (const FieldLayout& f : RecordFields) {
    if (f.encoding == FieldEncoding::Unused || f.encoding == FieldEncoding::UInt16LE) continue;
    std::memcpy(other->bytes.data() + f.offset, image->bytes.data() + f.offset, f.length);
    for (int k = 0; k < f.count; ++k)
      Check(FieldText(*image, f, k) == FieldText(*other, f, k), "a field's text reads another field");
    for (std::size_t i = f.offset; i < f.offset + f.length; ++i)
      other->bytes[i] = static_cast<uint8_t>(~image->bytes[i]);
  }
  const auto labels = PresentHeader(*image);
  Check(labels.size() == 63, "a label is missing");

  DeriveLeadArrays(*image, *leads);
  for (int lead = 0; lead < LeadCount; ++lead) {
    const double range = leads->LeadRange[static_cast<std::size_t>(lead)];
    const double offset = leads->LeadOffset[static_cast<std::size_t>(lead)];
    Check(std::isfinite(range) && range > 0, "LeadRange not finite and positive");
    Check(std::isfinite(offset) && offset >= 0.0 && offset <= 1.0, "LeadOffset outside [0, 1]");
  }
  return 0;
}
