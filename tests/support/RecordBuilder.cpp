#include "support/RecordBuilder.h"

#include <QFile>
#include <cstdio>
#include <stdexcept>

namespace corvale::test {

RecordBuilder::RecordBuilder() {
  for (const FieldLayout& f : RecordFields)
    if (f.encoding == FieldEncoding::Character || f.encoding == FieldEncoding::Digits)
      for (std::size_t i = 0; i < f.length; ++i) image_.bytes[f.offset + i] = ' ';
}

RecordBuilder& RecordBuilder::Set(const FieldLayout& field, std::string_view bytes, int element) {
  if (bytes.size() > field.ElementLength()) throw std::invalid_argument("value longer than field");
  const std::size_t at = field.ElementOffset(element);
  for (std::size_t i = 0; i < field.ElementLength(); ++i)
    image_.bytes[at + i] = static_cast<std::uint8_t>(
        i < bytes.size() ? bytes[i] : (field.encoding == FieldEncoding::ShiftJis ? '\0' : ' '));
  return *this;
}

RecordBuilder& RecordBuilder::SetBytes(std::size_t offset, const QByteArray& bytes) {
  for (qsizetype i = 0; i < bytes.size(); ++i)
    image_.bytes.at(offset + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(bytes[i]);
  return *this;
}

RecordBuilder& RecordBuilder::SetNumber(const FieldLayout& field, unsigned value) {
  image_.bytes[field.offset] = static_cast<std::uint8_t>(value & 0xFF);
  image_.bytes[field.offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  return *this;
}

RecordBuilder& RecordBuilder::Lead(int lead, const std::function<std::int16_t(int n)>& sample) {
  for (int n = 0; n < SamplesPerLead; ++n) image_.SetSample(lead, n, sample(n));
  return *this;
}

RecordBuilder& RecordBuilder::LeadWord(int lead, std::uint16_t word) {
  const std::size_t at = HeaderSize + LeadBlockSize * static_cast<std::size_t>(lead);
  image_.bytes[at] = static_cast<std::uint8_t>(word & 0xFF);
  image_.bytes[at + 1] = static_cast<std::uint8_t>(word >> 8);
  return *this;
}

QByteArray RecordBuilder::Bytes() const {
  return QByteArray(reinterpret_cast<const char*>(image_.bytes.data()), static_cast<qsizetype>(image_.bytes.size()));
}

void RecordBuilder::Write(const QString& path, qsizetype size) const {
  QByteArray bytes = Bytes();
  if (size < bytes.size()) bytes.truncate(size);
  else bytes.append(QByteArray(size - bytes.size(), '\x5A'));
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
    throw std::runtime_error("cannot write test record " + path.toStdString());
}

NativeFile::NativeFile(QByteArray path, const QByteArray& contents) : path_(std::move(path)) {
  FILE* f = std::fopen(path_.constData(), "wbx");  // never one that was there before
  if (!f) return;
  created_ = true;
  made_ = std::fwrite(contents.constData(), 1, static_cast<std::size_t>(contents.size()), f) ==
          static_cast<std::size_t>(contents.size());
  made_ = std::fclose(f) == 0 && made_;
}

NativeFile::~NativeFile() {
  if (created_) std::remove(path_.constData());
}

QString SourcePath(const QString& relative) { return QStringLiteral(CORVALE_SOURCE_DIR "/") + relative; }
QString EcgDataPath(const QString& relative) { return QStringLiteral(CORVALE_ECG_DATA_DIR "/") + relative; }

}  // namespace corvale::test
