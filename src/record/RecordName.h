// Which directory entries are record files.
#pragma once

#include <QString>

namespace corvale {

/// True when `name` ends in `extension` (".nrm" or ".msd", lower case), with
/// ASCII letters compared in any case.
bool IsRecordFileName(const QString& name, QLatin1String extension);

}  // namespace corvale
