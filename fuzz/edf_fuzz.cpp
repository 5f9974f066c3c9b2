// Any bytes as an EDF, EDF+, BDF or BDF+ file: EDFlib's header checks under our
// reader, label and dimension matching, rates, annotations and the record.
#include <QString>

#include "formats/EdfFormat.h"

#include "FuzzCheck.h"
#include "MemoryFile.h"

using namespace corvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // EDFlib reads by file name: the input goes to a file in memory.
  static const MemoryFile file("edf_fuzz");
  const QString& path = file.Hold(data, size);
  auto read = formats::ReadEdf(path);
  if (auto* err = std::get_if<FileError>(&read)) {
    Check(!err->reason.isEmpty(), "a refusal without a reason");
    return 0;
  }
  const auto& record = std::get<formats::ReadRecord>(read);
  Check(record.image != nullptr, "success without a record");
  Check(record.image->bytes[Field::SampleCount.offset] == (SamplesPerLead & 0xFF), "a record without 5000 samples");
  return 0;
}
