#include "record/RecordFormat.h"

namespace corvale {

std::optional<FieldLayout> FindField(std::string_view name) {
  for (const FieldLayout& f : RecordFields)
    if (f.name == name) return f;
  return std::nullopt;
}

}  // namespace corvale
