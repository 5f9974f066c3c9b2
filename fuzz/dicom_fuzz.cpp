// Any bytes as a DICOM file: DCMTK's parser under our reader, the choice of
// the multiplex group, lead identification, sample decoding and the record.
#include <QByteArray>

#include "formats/DicomFormat.h"

#include "FuzzCheck.h"

using namespace corvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  auto read = formats::ReadDicomBytes(bytes, QStringLiteral("fuzz.dcm"));
  if (auto* err = std::get_if<FileError>(&read)) {
    Check(!err->reason.isEmpty(), "a refusal without a reason");
    Check(err->path == QStringLiteral("fuzz.dcm"), "a refusal that names another file");
    return 0;
  }
  const auto& record = std::get<formats::ReadRecord>(read);
  Check(record.image != nullptr, "success without a record");
  Check(record.image->bytes[Field::StoredLeadCount.offset] == LeadCount, "a record without its twelve leads");
  return 0;
}
