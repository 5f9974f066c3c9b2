// Directory entry names against the record patterns.
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "record/RecordName.h"

using namespace corvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString name = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  for (const char* ext : {".nrm", ".msd"}) {
    const bool match = IsRecordFileName(name, QLatin1String(ext));
    const QString tail = name.right(4);
    bool expected = name.size() >= 4;
    for (int i = 0; expected && i < 4; ++i) {
      const QChar c = tail[i];
      expected = c.unicode() < 128 && QChar(c).toLower() == QLatin1Char(ext[i]);
    }
    if (match != expected) {
      std::fprintf(stderr, "name matching disagrees for %s\n", qPrintable(name));
      std::abort();
    }
  }
  return 0;
}
