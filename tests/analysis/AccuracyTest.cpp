// Accuracy against the cardiologists' marks of the annotated development
// records copied into tests/data/ludb: a change that makes the measurements
// worse fails here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <variant>

#include "analysis/LudbAccuracy.h"
#include "analysis/Measurement.h"
#include "formats/Formats.h"
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

// Records of other databases (their own readers' rhythm statements): a P wave
// and PR where the rhythm has P waves, none in flutter or with a pacemaker, and
// any P wave of a plausible length (not the 196 ms that the bundle branch
// block's previous T wave, run on into its QRS, once gave).
TEST(Accuracy, PWavesOnOtherDatabasesRecordsFollowTheirRhythm) {
  struct Case {
    const char* record;
    const char* rhythm;
    std::optional<bool> pWave;  ///< empty: present or not, only plausible
  };
  for (const Case& c :
       {Case{"ptb-xl/00079_hr", "sinus, 59 per minute", true}, Case{"ptb-xl/00490_hr", "sinus, 89 per minute", true},
        Case{"ningbo/JS20008", "sinus arrhythmia, 93 per minute", true},
        Case{"ptb-xl/00298_hr", "sinus, left ventricular hypertrophy", true},
        Case{"ptb-xl/00424_hr", "sinus, right bundle branch block", true},
        Case{"ptb-diagnostic/s0010_re", "sinus", true},
        Case{"ptb-xl/00180_hr", "sinus, left bundle branch block", std::nullopt},
        Case{"ptb-xl/00018_hr", "flutter, 2:1 at 130 per minute", false}, Case{"ptb-xl/00143_hr", "paced", false}}) {
    SCOPED_TRACE(std::string(c.record) + ": " + c.rhythm);
    auto opened = formats::ReadAnyRecord(test::EcgDataPath(QString::fromLatin1(c.record) + QStringLiteral(".hea")));
    ASSERT_TRUE(std::holds_alternative<formats::OpenedRecord>(opened));
    const Measurements m = MeasureRecord(*std::get<formats::OpenedRecord>(opened).image);
    if (c.pWave) {
      EXPECT_EQ(m.prMs.has_value(), *c.pWave);
    }
    if (m.pMs) {
      EXPECT_LE(*m.pMs, 160.0);
    }
  }
}

}  // namespace
}  // namespace corvale
