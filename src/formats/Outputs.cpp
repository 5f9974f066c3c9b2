#include "formats/Outputs.h"

#include <unistd.h>
#include <QFile>
#include <QFileInfo>

#include "record/NativePath.h"

namespace corvale::formats {

std::optional<FileError> PublishInOrder(PreparedOutputs& outputs, bool durable) {
  std::vector<QString> created;
  for (PendingOutput& output : outputs) {
    // Only an output that may replace a file can find one there.
    const bool existed = output.MayReplace() && ::access(NativeOutputPath(output.Path()).constData(), F_OK) == 0;
    auto error = durable ? output.Commit() : output.Publish();
    if (error) {
      for (const QString& path : created) ::unlink(NativeOutputPath(path).constData());
      outputs.clear();  // the others are removed unwritten
      return error;
    }
    if (!existed) created.push_back(output.Path());
  }
  outputs.clear();
  return std::nullopt;
}

std::optional<FileError> CommitPrepared(Prepared prepared) {
  if (auto* error = std::get_if<FileError>(&prepared)) return *error;
  return PublishInOrder(std::get<PreparedOutputs>(prepared), true);
}

}  // namespace corvale::formats
