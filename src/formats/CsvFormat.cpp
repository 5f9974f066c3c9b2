#include "formats/CsvFormat.h"

#include <algorithm>
#include <cstdio>

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
  QByteArray text(header.size() + SamplesPerLead * (6 + LeadCount * 11 + 1), Qt::Uninitialized);
  char* out = text.data();
  out = std::copy(header.begin(), header.end(), out);
  for (int n = 0; n < SamplesPerLead; ++n) {
    const int ms = n * 2;  // 500 Hz
    out += std::snprintf(out, 8, "%d.%03d", ms / 1000, ms % 1000);
    for (int lead = 0; lead < LeadCount; ++lead) {
      *out++ = ',';
      out = PutFixed(out, static_cast<long long>(image.Sample(lead, n)) * 488);  // 4.88 uV in hundredths
    }
    *out++ = '\n';
  }
  text.truncate(out - text.data());
  return text;
}

std::optional<FileError> WriteCsv(const RecordImage& image, const QString& path, const OutputPolicy& policy) {
  return WriteFileSafely(path, CsvText(image), policy);
}

}  // namespace corvale::formats
