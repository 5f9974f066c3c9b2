#include "formats/CsvFormat.h"

#include <algorithm>

namespace corvale::formats {
namespace {

// Integers written by hand: a batch writes 65,000 numbers per record.
char* PutFixed(char* out, long long hundredths) {
  if (hundredths < 0) {
    *out++ = '-';
    hundredths = -hundredths;
  }
  char digits[24];
  int n = 0;
  long long whole = hundredths / 100;
  do {
    digits[n++] = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole);
  while (n) *out++ = digits[--n];
  *out++ = '.';
  *out++ = static_cast<char>('0' + hundredths / 10 % 10);
  *out++ = static_cast<char>('0' + hundredths % 10);
  return out;
}

}  // namespace

QByteArray CsvText(const RecordImage& image) {
  QByteArray header = "time_s";
  for (const auto& name : LeadNames) header += QByteArray(",") + name.data() + "_uV";
  header += '\n';
  // Longest line: "9.998" and twelve "-159907.84".
  QByteArray text(header.size() + qsizetype{SamplesPerLead} * (6 + LeadCount * 11 + 1), Qt::Uninitialized);
  char* out = text.data();
  out = std::copy(header.begin(), header.end(), out);
  for (int n = 0; n < SamplesPerLead; ++n) {
    const int ms = n * 2;  // 500 Hz: "s.mmm"
    *out++ = static_cast<char>('0' + ms / 1000);
    *out++ = '.';
    *out++ = static_cast<char>('0' + ms / 100 % 10);
    *out++ = static_cast<char>('0' + ms / 10 % 10);
    *out++ = static_cast<char>('0' + ms % 10);
    for (int lead = 0; lead < LeadCount; ++lead) {
      *out++ = ',';
      out = PutFixed(out, static_cast<long long>(image.Sample(lead, n)) * 488);  // 4.88 uV in hundredths
    }
    *out++ = '\n';
  }
  text.truncate(out - text.data());
  return text;
}

Prepared PrepareCsv(const RecordImage& image, const QString& path, const OutputPolicy& policy) {
  auto begun = PendingOutput::Begin(path, policy);
  if (auto* err = std::get_if<FileError>(&begun)) return *err;
  PendingOutput& output = std::get<PendingOutput>(begun);
  const QByteArray text = CsvText(image);
  if (auto err = output.Write(text)) return *err;
  if (auto err = output.Close(text.size())) return *err;
  PreparedOutputs outputs;
  outputs.push_back(std::move(output));
  return outputs;
}

std::optional<FileError> WriteCsv(const RecordImage& image, const QString& path, const OutputPolicy& policy) {
  return CommitPrepared(PrepareCsv(image, path, policy));
}

}  // namespace corvale::formats
