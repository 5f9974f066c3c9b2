// Any bytes as an EDF, EDF+, BDF or BDF+ file: EDFlib's header checks under our
// reader, label and dimension matching, rates, annotations and the record.
#include <unistd.h>
#include <QFile>
#include <QString>
#include <cstdlib>

#include "formats/EdfFormat.h"

#include "FuzzCheck.h"

using namespace corvale;

namespace {

// EDFlib reads by file name: each input is written to this file, removed at exit.
struct Scratch {
  QString path;
  Scratch() {
    const char* dir = std::getenv("TMPDIR");
    path = QStringLiteral("%1/corvale-edf-fuzz-%2.edf").arg(dir ? dir : "/tmp").arg(getpid());
  }
  ~Scratch() { QFile::remove(path); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Scratch scratch;
  {
    QFile f(scratch.path);
    Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the scratch file");
    Check(f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) == static_cast<qint64>(size),
          "cannot write the scratch file");
  }
  auto read = formats::ReadEdf(scratch.path);
  if (auto* err = std::get_if<FileError>(&read)) {
    Check(!err->reason.isEmpty(), "a refusal without a reason");
    return 0;
  }
  const auto& record = std::get<formats::ReadRecord>(read);
  Check(record.image != nullptr, "success without a record");
  Check(record.image->bytes[Field::SampleCount.offset] == (SamplesPerLead & 0xFF), "a record without 5000 samples");
  return 0;
}
