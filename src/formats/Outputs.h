// Outputs written but not yet in place, so that a batch can make many of them
// durable with one flush of the file system instead of one per file.
#pragma once

#include <QString>
#include <optional>
#include <variant>
#include <vector>

#include "record/SafeOutput.h"

namespace corvale::formats {

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
