#include "formats/CsvFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace corvale::formats {
namespace {

// Every sample value's text, made once: a batch writes 65,000 numbers per
// record, and a look-up and a copy are all each then costs.
struct SampleText {
  char text[11];  // "-159907.84" and room for one more, so copies are of a fixed size
  std::uint8_t length;
};

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

const std::vector<SampleText>& SampleTexts() {
  static const std::vector<SampleText> table = [] {
    std::vector<SampleText> t(65536);
    for (std::size_t i = 0; i < t.size(); ++i) {
      const int v = static_cast<int>(i) - 32768;
      SampleText& e = t[i];
      std::fill(std::begin(e.text), std::end(e.text), '\0');
      e.length = static_cast<std::uint8_t>(
          PutFixed(e.text, static_cast<long long>(v) * SampleUnitHundredthsOfMicrovolt) - e.text);
    }
    return t;
  }();
  return table;
}

}  // namespace

QByteArray CsvText(const RecordImage& image) {
  QByteArray header = "time_s";
  for (const auto& name : LeadNames) header += QByteArray(",") + name.data() + "_uV";
  header += '\n';
  const std::vector<SampleText>& texts = SampleTexts();
  // Longest line: "9.998" and twelve ",-159907.84"; the last copy may reach one
  // text's padding past the end.
  QByteArray text(
      header.size() + qsizetype{SamplesPerLead} * (5 + LeadCount * 11 + 1) + static_cast<qsizetype>(sizeof(SampleText)),
      Qt::Uninitialized);
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
      const SampleText& e = texts[static_cast<std::size_t>(image.Sample(lead, n) + 32768)];
      std::memcpy(out, e.text, sizeof e.text);
      out += e.length;
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
