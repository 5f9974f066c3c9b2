// Any WFDB header and signal bytes through the import: header parser, format
// 16 and 212 readers, lead matching, resampling and the record builder.
// Input: header text, a NUL byte, then the bytes every signal file holds.
#include <QByteArray>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "import/Import.h"
#include "import/Wfdb.h"

#include "FuzzCheck.h"

using namespace corvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* text = reinterpret_cast<const char*>(data);
  const void* nul = std::memchr(data, 0, size);
  const size_t headerSize = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
  const QByteArray header(text, static_cast<qsizetype>(headerSize));
  const QByteArray signal = nul ? QByteArray(text + headerSize + 1, static_cast<qsizetype>(size - headerSize - 1)) : QByteArray();

  auto parsed = wfdb::ParseHeader(header);
  if (auto* err = std::get_if<QString>(&parsed)) {
    Check(!err->isEmpty(), "a refusal without a reason");
    return 0;
  }
  const wfdb::Header& h = std::get<wfdb::Header>(parsed);
  // Keep each run short: at most 60 s of data are worth resampling here.
  if (h.samplingFrequency > 20000 || h.samplingFrequency < 1) return 0;
  std::vector<std::pair<QString, QByteArray>> files;
  for (const auto& s : h.channels)
    if (std::none_of(files.begin(), files.end(), [&](const auto& f) { return f.first == s.fileName; }))
      files.emplace_back(s.fileName, signal);
  auto decoded = wfdb::DecodeSignals(h, files);
  if (std::holds_alternative<QString>(decoded)) return 0;
  const wfdb::Samples& samples = std::get<wfdb::Samples>(decoded);
  Check(samples.microvolts.size() == h.channels.size(), "a signal went missing");
  for (const auto& sig : samples.microvolts) Check(static_cast<qint64>(sig.size()) == samples.count, "signals of unequal length");
  auto built = BuildRecord(h, samples, {});
  if (auto* image = std::get_if<std::unique_ptr<RecordImage>>(&built))
    Check(RecordBytes(**image).size() == static_cast<qsizetype>(RecordFileSize), "a record of the wrong size");
  return 0;
}
