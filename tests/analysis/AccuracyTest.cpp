// Accuracy against the cardiologists' marks of the annotated development
// records copied into tests/data/ludb: a change that makes the measurements
// worse fails here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "analysis/LudbAccuracy.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

TEST(Accuracy, HoldsTheAccuracyTableOnTheAnnotatedRecords) {
  const auto results = accuracy::EvaluateDirectory(test::EcgDataPath(QStringLiteral("ludb")), true);
  ASSERT_EQ(results.size(), 5U);
  const accuracy::Summary s = accuracy::Summarise(results);
  std::printf("%s", accuracy::Table(s).c_str());

  // Mean difference and SD (ms) against the reference. Where the method does
  // not reach the target yet (docs/measurement.md), the limit is the accuracy
  // it has now, so that a change can only improve it.
  struct Limit {
    const char* name;
    accuracy::Difference difference;
    double mean, sd;
  };
  for (const Limit& l : {Limit{"P duration (target)", s.p, 10, 15}, Limit{"PR (target)", s.pr, 10, 10},
                         Limit{"QRS duration (target 6 / 10)", s.qrs, 12, 15}, Limit{"QT (target)", s.qt, 12, 30}}) {
    SCOPED_TRACE(l.name);
    EXPECT_GE(l.difference.n, 4);
    EXPECT_LE(std::abs(l.difference.mean), l.mean);
    EXPECT_LE(l.difference.sd, l.sd);
  }
  // These meet their targets.
  EXPECT_EQ(s.hrWithin2, s.hrCompared);
  EXPECT_GE(s.Sensitivity(), 99.5);
  EXPECT_GE(s.PositivePredictivity(), 99.5);
  EXPECT_EQ(s.fibrillation, 1);
  EXPECT_EQ(s.fibrillationWithPr, 0);
  EXPECT_EQ(s.sinusWithPr, s.sinus);
  EXPECT_LE(s.noisePr.mean, 10.0);
  EXPECT_LE(s.noiseQrs.mean, 10.0);
  EXPECT_LE(s.noiseQt.mean, 20.0);
  EXPECT_GE(s.axisNear, 5);

  // Every record is measured: the differences above count only records with values.
  for (const auto& r : results) {
    SCOPED_TRACE(r.name.toStdString());
    EXPECT_TRUE(r.clean.qrsMs && r.clean.qtMs && r.clean.qrsAxisDeg);
  }
}

}  // namespace
}  // namespace corvale
