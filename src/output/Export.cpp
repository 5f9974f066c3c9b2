#include "output/Export.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <filesystem>

namespace corvale {

void CopyImageToClipboard(const Image& image) { QGuiApplication::clipboard()->setImage(image.Qt()); }

std::optional<FileError> SaveBmp(const Image& image, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return FileError{path, file.errorString()};
  QImageWriter writer(&file, "BMP");
  if (!writer.write(image.Qt())) {
    file.cancelWriting();
    return FileError{path, writer.errorString()};
  }
  if (!file.commit()) return FileError{path, file.errorString()};
  return std::nullopt;
}

void BlankIdentification(RecordImage& image) {
  for (std::size_t i = 0; i < Field::PatientId.length; ++i) image.bytes[Field::PatientId.offset + i] = '0';
  static constexpr char kUnknown[] = "unknown";
  for (std::size_t i = 0; i < Field::PatientName.length; ++i)
    image.bytes[Field::PatientName.offset + i] = i < sizeof kUnknown - 1 ? static_cast<std::uint8_t>(kUnknown[i]) : 0;
}

QString OutputFilePath(const QString& directory, const QString& name) { return directory + QDir::separator() + name; }

std::optional<FileError> CopyRecordFile(RecordImage& image, bool blank, const QString& outputPath,
                                        const QString& sourcePath) {
  std::error_code ec;  // a missing file is simply not the same file
  if (!sourcePath.isEmpty() && std::filesystem::equivalent(outputPath.toStdU16String(), sourcePath.toStdU16String(), ec))
    return FileError{outputPath, QStringLiteral("this is the loaded record's own file; choose another output name "
                                                "or directory so that the original stays as it is")};
  if (blank) BlankIdentification(image);
  QSaveFile file(outputPath);
  if (!file.open(QIODevice::WriteOnly)) return FileError{outputPath, file.errorString()};
  const auto size = static_cast<qint64>(image.bytes.size());
  if (file.write(reinterpret_cast<const char*>(image.bytes.data()), size) != size) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return FileError{outputPath, reason};
  }
  if (!file.commit()) return FileError{outputPath, file.errorString()};
  return std::nullopt;
}

}  // namespace corvale
