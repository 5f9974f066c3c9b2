#include "record/RecordName.h"

namespace corvale {

bool IsRecordFileName(const QString& name, QLatin1String extension) {
  return name.endsWith(extension, Qt::CaseInsensitive);
}

}  // namespace corvale
