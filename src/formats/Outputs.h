// Outputs written but not yet in place, so that a batch can make many of them
// durable with one flush of the file system instead of one per file.
#pragma once

#include <QString>
#include <optional>
#include <variant>
#include <vector>

#include "record/SafeOutput.h"

namespace corvale::formats {

/// How the samples of a data export were filtered, for the formats that have
/// a place to say so. Every field zero or empty: the samples as recorded.
struct ExportFiltering {
  double highPassHz = 0;  ///< the high-pass corner, or 0
  double lowPassHz = 0;   ///< the low-pass corner, or 0
  double notchHz = 0;     ///< the mains notch, or 0
  QString description;    ///< in words, for the formats that take text
  bool Any() const { return highPassHz > 0 || lowPassHz > 0 || notchHz > 0; }
};

/// Closed temporary files, in the order they must be put in place.
using PreparedOutputs = std::vector<PendingOutput>;
using Prepared = std::variant<PreparedOutputs, FileError>;

/// Puts the outputs in place in order: each flushed to disk first, and its
/// directory after, when `durable` (otherwise the caller has flushed the file
/// system before and flushes the directories after). When one
/// fails, those already put in place that did not exist before are removed, so
/// that no half of a set is left behind; the rest are dropped unwritten.
[[nodiscard]] std::optional<FileError> PublishInOrder(PreparedOutputs& outputs, bool durable);

/// Prepare, then PublishInOrder with each output flushed.
[[nodiscard]] std::optional<FileError> CommitPrepared(Prepared prepared);

}  // namespace corvale::formats
