#include "record/RecordFormat.h"

namespace corvale {

std::optional<FieldSpec> FindField(std::string_view name) {
  for (const FieldSpec& f : RecordFields)
    if (f.name == name) return f;
  return std::nullopt;
}

}  // namespace corvale
