// Any WFDB header and signal bytes through the import: header parser, format
// 16 and 212 readers, lead matching, resampling and the record builder.
// Input: header text, a NUL byte, then the bytes every signal file holds.
#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "formats/Conversion.h"
#include "formats/Wfdb.h"

#include "FuzzCheck.h"

using namespace corvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* text = reinterpret_cast<const char*>(data);
  const void* nul = std::memchr(data, 0, size);
  const size_t headerSize = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
  const QByteArray header(text, static_cast<qsizetype>(headerSize));
  const QByteArray signal =
      nul ? QByteArray(text + headerSize + 1, static_cast<qsizetype>(size - headerSize - 1)) : QByteArray();

  auto parsed = wfdb::ParseHeader(header);
  if (auto* err = std::get_if<QString>(&parsed)) {
    Check(!err->isEmpty(), "a refusal without a reason");
    return 0;
  }
  const wfdb::Header& h = std::get<wfdb::Header>(parsed);
  Check(h.samplingFrequency >= MinSamplingFrequency && h.samplingFrequency <= MaxSamplingFrequency,
        "a sampling frequency outside the accepted range");
  std::vector<wfdb::SignalFile> files;
  for (const auto& s : h.channels)
    if (std::none_of(files.begin(), files.end(), [&](const auto& f) { return f.name == s.fileName; }))
      files.push_back({s.fileName, signal});
  // As the file reader does: no more frames than 10 s at 500 Hz need.
  const qint64 needed = InputSamplesNeeded(h.samplingFrequency, RecordSamplingRate, SamplesPerLead);
  auto decoded = wfdb::DecodeSignals(h, files, needed);
  if (std::holds_alternative<QString>(decoded)) return 0;
  const wfdb::Samples& samples = std::get<wfdb::Samples>(decoded);
  Check(samples.microvolts.size() == h.channels.size(), "a signal went missing");
  Check(samples.count <= needed, "more frames decoded than asked for");
  SignalSet set;
  set.samplingFrequency = h.samplingFrequency;
  for (const auto& s : h.channels) set.names.push_back(s.description);
  for (const auto& sig : samples.microvolts) {
    Check(static_cast<qint64>(sig.size()) == samples.count, "signals of unequal length");
    set.microvolts.push_back(sig);
  }
  // Converting 10 s to 500 Hz costs the same tens of milliseconds for every
  // whole record under the sanitizers, whatever its bytes: a whole record goes
  // through the filter for a few output samples only. Where the builder
  // refuses before converting, it runs as the reader runs it.
  const bool whole = samples.count >= static_cast<qint64>(std::ceil(RecordSeconds * h.samplingFrequency));
  if (whole) {
    // Signals within +-1 kV (any decoded sample of a sane gain) resample to finite values.
    std::vector<const std::vector<double>*> leads;
    for (const auto& sig : set.microvolts)
      if (std::all_of(sig.begin(), sig.end(), [](double v) { return std::fabs(v) <= 1e9; })) leads.push_back(&sig);
    constexpr std::size_t few = 64;
    for (const auto& out : Resample(leads, h.samplingFrequency, RecordSamplingRate, few)) {
      Check(out.size() == few, "resampling gave another number of samples");
      Check(std::all_of(out.begin(), out.end(), [](double v) { return std::isfinite(v); }),
            "samples within +-1 kV resampled to a value that is not finite");
    }
    return 0;
  }
  auto built = BuildRecord(set, {});
  if (auto* image = std::get_if<std::unique_ptr<RecordImage>>(&built))
    Check(RecordBytes(**image).size() == static_cast<qsizetype>(RecordFileSize), "a record of the wrong size");
  return 0;
}
