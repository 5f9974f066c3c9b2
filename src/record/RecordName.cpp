#include "record/RecordName.h"

namespace corvale {

bool IsRecordFileName(const QString& name, QLatin1String extension) {
  // Case is folded for ASCII letters only, as the record patterns are ASCII:
  // no Unicode folding makes "ſ" or "K" (Kelvin) stand for "s" or "k".
  if (name.size() < extension.size()) return false;
  const qsizetype start = name.size() - extension.size();
  for (qsizetype i = 0; i < extension.size(); ++i) {
    char16_t c = name[start + i].unicode();
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != static_cast<unsigned char>(extension.data()[i])) return false;
  }
  return true;
}

}  // namespace corvale
