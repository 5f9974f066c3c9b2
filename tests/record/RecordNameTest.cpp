#include <gtest/gtest.h>

#include "record/RecordName.h"

namespace corvale {
namespace {

TEST(RecordName, PatternsMatchAsciiCaseOnly) {
  struct Row { const char* name; bool nrm, msd; };
  const Row rows[] = {
      {"A0001.nrm", true, false}, {"A0001.NRM", true, false}, {"b.Msd", false, true},  {".nrm", true, false},
      {"nrm", false, false},      {"a.nrm.bak", false, false}, {"a.nrmx", false, false}, {"a_nrm", false, false},
      {"a.m\u017Fd", false, false},  // long s folds to "s" in Unicode, not here
      {"\u00C5.NRM", true, false},  {"", false, false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(IsRecordFileName(QString::fromUtf8(r.name), QLatin1String(".nrm")), r.nrm) << r.name;
    EXPECT_EQ(IsRecordFileName(QString::fromUtf8(r.name), QLatin1String(".msd")), r.msd) << r.name;
  }
}

}  // namespace
}  // namespace corvale
