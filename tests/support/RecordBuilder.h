// Builds record images and files for tests, field by field.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <string_view>

#include "record/RecordFormat.h"

namespace corvale::test {

class RecordBuilder {
 public:
  RecordBuilder();  // every character field spaces, numbers zero, samples zero

  RecordBuilder& Set(const FieldLayout& field, std::string_view bytes, int element = 0);
  RecordBuilder& SetBytes(std::size_t offset, const QByteArray& bytes);
  RecordBuilder& SetNumber(const FieldLayout& field, unsigned value);
  RecordBuilder& Lead(int lead, const std::function<std::int16_t(int n)>& sample);
  RecordBuilder& LeadWord(int lead, std::uint16_t word);

  const RecordImage& Image() const { return image_; }
  QByteArray Bytes() const;
  /// Writes the record (or its first `size` bytes, or more with zero padding) to `path`.
  void Write(const QString& path, qsizetype size = RecordFileSize) const;

 private:
  RecordImage image_;
};

/// A file named by exactly these bytes (a name the system's encoding may not
/// spell, which QTemporaryDir could not remove), removed again with this.
class NativeFile {
 public:
  NativeFile(QByteArray path, const QByteArray& contents = {});
  ~NativeFile();
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;
  bool Made() const { return made_; }

 private:
  QByteArray path_;
  bool created_ = false, made_ = false;
};

/// Absolute path of a file under the source tree.
QString SourcePath(const QString& relative);
/// Absolute path of a file under the WFDB test records (tests/data).
QString EcgDataPath(const QString& relative);

}  // namespace corvale::test
