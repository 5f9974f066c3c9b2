// LoadRecord: the one step from the work list to the record in the state,
// with its result in the return value.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "app/ViewerState.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

using Outcome = LoadResult::Outcome;

struct Fixture {
  QTemporaryDir dir;
  std::unique_ptr<ViewerState> state = std::make_unique<ViewerState>();
  Fixture() {
    test::RecordBuilder b;
    b.Set(Field::PatientId, "00000042");
    b.Write(dir.filePath("A0001.nrm"));
    b.Write(dir.filePath("short.msd"), 400);
    state->study.directory = dir.path();
    state->study.work = {"A0001.nrm", "short.msd", "missing.nrm"};
  }
};

TEST(LoadRecord, OutcomesAndWhatTheyLeave) {
  struct Row {
    int current;
    Outcome outcome;
    const char* bmp;
    const char* counter;
    bool zeroRecord;
  };
  const Row rows[] = {
      {0, Outcome::Loaded, "A0001.BMP", "1/3", false},
      {1, Outcome::Unreadable, "short.BMP", "2/3", true},
      {2, Outcome::Unreadable, "missing.BMP", "3/3", true},
  };
  for (const Row& r : rows) {
    Fixture f;
    f.state->record.bytes.fill(0x55);  // an earlier record's bytes
    f.state->study.current = r.current;
    const LoadResult result = LoadRecord(*f.state);
    const QString entry = f.state->study.work[r.current];
    EXPECT_EQ(result.outcome, r.outcome) << r.current;
    EXPECT_EQ(result.names.recordPath, f.dir.path() + "/" + entry);
    EXPECT_EQ(result.names.label147, QString::fromLatin1(r.counter));
    EXPECT_EQ(result.error.has_value(), r.outcome == Outcome::Unreadable);
    if (result.error) {
      EXPECT_EQ(result.error->path, result.names.recordPath);
    }
    ASSERT_TRUE(f.state->shown);
    EXPECT_EQ(f.state->shown->path, result.names.recordPath);
    EXPECT_EQ(f.state->shown->entry, entry);
    EXPECT_EQ(f.state->shown->error.has_value(), result.error.has_value());
    EXPECT_EQ(f.state->output.bmpName, QString::fromLatin1(r.bmp));
    EXPECT_EQ(f.state->output.copyName, entry);
    // PatientId's first byte: the record's "0", or zero; never an earlier record's byte.
    EXPECT_EQ(f.state->record.bytes[25], r.zeroRecord ? 0 : '0') << r.current;
    EXPECT_EQ(f.state->record.bytes[RecordFileSize - 1], 0) << r.current;
  }
}

TEST(LoadRecord, NoEntryChangesNothing) {
  Fixture f;
  f.state->study.current = 0;
  ASSERT_EQ(LoadRecord(*f.state).outcome, Outcome::Loaded);
  for (int current : {3, 7, -1}) {
    f.state->study.current = current;
    const LoadResult result = LoadRecord(*f.state);
    EXPECT_EQ(result.outcome, Outcome::NoEntry) << current;
    EXPECT_FALSE(result.error);
    EXPECT_EQ(f.state->shown->entry, QStringLiteral("A0001.nrm")) << "the record on the screen stays";
    EXPECT_EQ(f.state->output.bmpName, QStringLiteral("A0001.BMP"));
    EXPECT_EQ(f.state->record.bytes[25], '0');
  }
  // An empty work list has no entry either.
  Fixture empty;
  empty.state->study.work.clear();
  EXPECT_EQ(LoadRecord(*empty.state).outcome, Outcome::NoEntry);
  EXPECT_FALSE(empty.state->shown);
  EXPECT_EQ(empty.state->output.copyName, QStringLiteral("filename"));
}

TEST(ShownRecordIsCurrent, OnlyWhileTheWorkListNamesTheRecordOnTheScreen) {
  struct Row {
    const char* change;
    QStringList work;
    QString directory;
    int current;
    bool current_;
  };
  const Row rows[] = {
      {"unchanged", {"A0001.nrm", "short.msd"}, {}, 0, true},
      {"a later entry deleted", {"A0001.nrm"}, {}, 0, true},
      {"its entry deleted", {"short.msd", "missing.nrm"}, {}, 0, false},
      {"the list emptied", {}, {}, 0, false},
      {"the same name in another directory", {"A0001.nrm"}, "/elsewhere", 0, false},
      {"another position", {"A0001.nrm", "A0001.nrm"}, {}, 1, true},
  };
  for (const Row& r : rows) {
    Fixture f;
    EXPECT_FALSE(ShownRecordIsCurrent(*f.state)) << "nothing shown yet";
    ASSERT_EQ(LoadRecord(*f.state).outcome, Outcome::Loaded);
    f.state->study.work = r.work;
    if (!r.directory.isEmpty()) f.state->study.directory = r.directory;
    f.state->study.current = r.current;
    EXPECT_EQ(ShownRecordIsCurrent(*f.state), r.current_) << r.change;
  }
}

TEST(LoadRecord, AFileOfAnotherDirectoryKeepsItsDirectory) {
  Fixture f;
  QTemporaryDir other;
  test::RecordBuilder b;
  b.Set(Field::PatientId, "00000077");
  b.Write(other.filePath("B0001.msd"));
  f.state->study.work = {"A0001.nrm", other.filePath("B0001.msd")};
  f.state->study.current = 1;
  const LoadResult result = LoadRecord(*f.state);
  EXPECT_EQ(result.outcome, Outcome::Loaded);
  EXPECT_EQ(result.names.recordPath, other.filePath("B0001.msd"));
  EXPECT_EQ(result.names.labelFile, QStringLiteral("B0001.msd"));
  EXPECT_EQ(result.names.label147, QStringLiteral("2/2"));
  EXPECT_EQ(f.state->shown->entry, QStringLiteral("B0001.msd"));  // the job's title names the file
  EXPECT_EQ(f.state->output.bmpName, QStringLiteral("B0001.BMP"));
  EXPECT_EQ(f.state->record.bytes[32], '7');
}

TEST(ViewerState, StartValues) {
  auto s = std::make_unique<ViewerState>();
  EXPECT_EQ(s->study.current, 0);
  EXPECT_FALSE(s->study.analysed);
  EXPECT_FALSE(s->shown);
  EXPECT_EQ(s->print.PenWidth, 2);
  EXPECT_EQ(s->print.Margin, 50);
  EXPECT_EQ(s->print.PenPattern, 2);
  EXPECT_EQ(s->print.GridPattern, 2);
  EXPECT_EQ(s->display.LimbLeadMode, 3);
  EXPECT_EQ(s->display.DisplaySpan, 1);
  EXPECT_EQ(s->leads.LeadRange[11], 1.0);
  EXPECT_EQ(s->display.LeadGain[0], 1.0);
  EXPECT_EQ(s->output.bmpName, QStringLiteral("filename"));
  EXPECT_FALSE(s->output.blankIdentification);
}

}  // namespace
}  // namespace corvale
