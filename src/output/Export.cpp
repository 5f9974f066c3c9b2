#include "output/Export.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <filesystem>

#include "record/SafeOutput.h"

namespace corvale {
namespace {

// The loaded record's own file, by identity (another name or a link to it counts).
bool IsSourceFile(const QString& outputPath, const QString& sourcePath) {
  if (sourcePath.isEmpty()) return false;
  std::error_code ec;  // a missing file is simply not the same file
  return std::filesystem::equivalent(std::filesystem::path(QFile::encodeName(outputPath).toStdString()),
                                     std::filesystem::path(QFile::encodeName(sourcePath).toStdString()), ec);
}

FileError OwnFile(const QString& outputPath) {
  return FileError{outputPath, QStringLiteral("this is the loaded record's own file; choose another output name "
                                              "or directory so that the original stays as it is")};
}

OutputPolicy FromSource(const QString& sourcePath) {
  OutputPolicy policy;
  if (!sourcePath.isEmpty()) policy.inputs = {sourcePath};
  return policy;
}

}  // namespace

void CopyImageToClipboard(const Image& image) { QGuiApplication::clipboard()->setImage(image.Qt()); }

std::optional<FileError> SaveBmp(const Image& image, const QString& path, const QString& sourcePath) {
  if (IsSourceFile(path, sourcePath)) return OwnFile(path);
  // Encoded in memory first: the file then receives every byte or stays as it was.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "BMP");
  if (!writer.write(image.Qt()))
    return FileError{path, QStringLiteral("the image could not be encoded: %1").arg(writer.errorString())};
  buffer.close();
  return WriteFileSafely(path, bytes, FromSource(sourcePath));
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
  if (IsSourceFile(outputPath, sourcePath)) return OwnFile(outputPath);
  // Refused targets (a device, a FIFO, a directory) leave the record in memory as it is.
  if (auto error = CheckOutputPath(outputPath, FromSource(sourcePath))) return error;
  if (blank) BlankIdentification(image);
  const QByteArray bytes(reinterpret_cast<const char*>(image.bytes.data()), static_cast<qsizetype>(image.bytes.size()));
  return WriteFileSafely(outputPath, bytes, FromSource(sourcePath));
}

}  // namespace corvale
