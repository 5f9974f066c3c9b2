// The accuracy targets on the annotated development records copied into
// tests/data/ludb: a change that makes the measurements worse fails here.
#include <gtest/gtest.h>

#include <cstdio>

#include "analysis/LudbAccuracy.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

TEST(Accuracy, MeetsTheTargetsOnTheAnnotatedRecords) {
  const auto results = accuracy::EvaluateDirectory(test::EcgDataPath(QStringLiteral("ludb")), true);
  ASSERT_EQ(results.size(), 5U);
  const accuracy::Summary s = accuracy::Summarise(results);
  std::printf("%s", accuracy::Table(s).c_str());
  std::vector<std::string> failures;
  const bool met = accuracy::MeetsTargets(s, &failures);
  for (const auto& f : failures) ADD_FAILURE() << "target missed: " << f;
  EXPECT_TRUE(met);
  // Every record is measured: the targets above count only records with values.
  for (const auto& r : results) {
    SCOPED_TRACE(r.name.toStdString());
    EXPECT_TRUE(r.clean.qrsMs && r.clean.qtMs && r.clean.qrsAxisDeg);
    if (r.axisClass.size() > 0 && r.clean.qrsAxisDeg)
      EXPECT_EQ(accuracy::AxisClass(*r.clean.qrsAxisDeg), r.axisClass) << *r.clean.qrsAxisDeg;
  }
}

}  // namespace
}  // namespace corvale
