// Any bytes through the WFDB annotation reader: it refuses with a reason or
// returns annotations in time order inside the sample range it promises.
#include <cstdint>
#include <span>

#include "formats/WfdbAnnotations.h"

#include "FuzzCheck.h"

using namespace corvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parsed = wfdb::ParseAnnotations(std::span(data, size));
  if (const auto* reason = std::get_if<QString>(&parsed)) {
    Check(!reason->isEmpty(), "a refusal without a reason");
    return 0;
  }
  const auto& marks = std::get<std::vector<wfdb::Annotation>>(parsed);
  Check(marks.size() <= size / 2, "more annotations than words");
  for (const auto& a : marks) {
    Check(a.sample >= 0 && a.sample <= (std::int64_t{1} << 40), "a sample outside the promised range");
    Check(a.code >= 0 && a.code < 64, "a code outside six bits");
    Check(a.aux.size() < 1024, "an auxiliary text longer than a word can say");
  }
  return 0;
}
