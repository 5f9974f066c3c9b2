#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

#include "record/SafeOutput.h"

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvale {
namespace {

class SafeOutputTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString Path(const QString& name) const { return dir.filePath(name); }
  void Put(const QString& name, const QByteArray& bytes) const {
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  QByteArray Get(const QString& name) const {
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  // Everything in the scratch directory, hidden files included: no temporary may stay.
  QStringList Entries() const {
    return QDir(dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  }
};

TEST_F(SafeOutputTest, WritesNewAndReplacesExistingFiles) {
  ASSERT_FALSE(WriteFileSafely(Path("new.bin"), "abc"));
  EXPECT_EQ(Get("new.bin"), "abc");
  Put("old.bin", "0123456789");
  ASSERT_FALSE(WriteFileSafely(Path("old.bin"), "xy"));
  EXPECT_EQ(Get("old.bin"), "xy");
  EXPECT_EQ(Entries(), (QStringList{"new.bin", "old.bin"}));
}

TEST_F(SafeOutputTest, RefusesWhatItMustNotReplace) {
  Put("in.nrm", "record");
  Put("keep.png", "picture");
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
#ifdef Q_OS_UNIX
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.nrm")).constData(), 0600), 0);
  ASSERT_EQ(::link(QFile::encodeName(Path("in.nrm")).constData(), QFile::encodeName(Path("hard.nrm")).constData()), 0);
#endif
  ASSERT_TRUE(QFile::link(Path("in.nrm"), Path("soft.nrm")));
  ASSERT_TRUE(QFile::link(Path("nowhere"), Path("dangling.png")));
  OutputPolicy fromInput;
  fromInput.inputs = {Path("in.nrm")};
  OutputPolicy noOverwrite;
  noOverwrite.overwrite = false;
  struct Case {
    const char* target;
    OutputPolicy policy;
    const char* reasonPart;
  };
  const Case cases[] = {
      {"in.nrm", fromInput, "input file"},    {"soft.nrm", fromInput, "input file"},  // another name for the input
#ifdef Q_OS_UNIX
      {"hard.nrm", fromInput, "input file"},  {"pipe.nrm", {}, "not a regular file"},
#endif
      {"folder", {}, "not a regular file"},   {"keep.png", noOverwrite, "already exists"},
      {"dangling.png", {}, "does not exist"}, {"", {}, "no output file name"},
  };
  const QStringList before = Entries();
  for (const Case& c : cases) {
    const QString target = *c.target ? Path(QString::fromLatin1(c.target)) : QString();
    const auto error = WriteFileSafely(target, "evil", c.policy);
    ASSERT_TRUE(error) << c.target;
    EXPECT_TRUE(error->reason.contains(QLatin1String(c.reasonPart))) << c.target << ": " << error->reason.toStdString();
  }
  EXPECT_EQ(Entries(), before);
  EXPECT_EQ(Get("in.nrm"), "record");
  EXPECT_EQ(Get("keep.png"), "picture");
#ifdef Q_OS_UNIX
  struct stat st {};
  ASSERT_EQ(::lstat(QFile::encodeName(Path("pipe.nrm")).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
#endif
}

TEST_F(SafeOutputTest, ALinkedTargetIsWrittenThroughAndTheLinkKept) {
  Put("real.png", "old");
  ASSERT_TRUE(QFile::link(Path("real.png"), Path("link.png")));
  ASSERT_FALSE(WriteFileSafely(Path("link.png"), "new"));
  EXPECT_EQ(Get("real.png"), "new");
  EXPECT_TRUE(QFileInfo(Path("link.png")).isSymLink());
}

TEST_F(SafeOutputTest, UncommittedOrShortOutputsLeaveNothingBehind) {
  Put("target.edf", "previous");
  {
    auto begun = PendingOutput::Begin(Path("target.edf"));
    ASSERT_TRUE(std::holds_alternative<PendingOutput>(begun));
    auto& out = std::get<PendingOutput>(begun);
    ASSERT_FALSE(out.Write("partial"));
    EXPECT_TRUE(QFileInfo::exists(out.TemporaryPath()));
  }  // dropped without a commit
  EXPECT_EQ(Get("target.edf"), "previous");
  EXPECT_EQ(Entries(), QStringList{"target.edf"});

  struct Case {
    QByteArray written;
    std::optional<qint64> expected;
    const char* reasonPart;
  };
  const Case cases[] = {{"12345", 9, "only 5 of 9 bytes"}, {"", std::nullopt, "nothing was written"}};
  for (const Case& c : cases) {
    auto begun = PendingOutput::Begin(Path("target.edf"));
    auto& out = std::get<PendingOutput>(begun);
    ASSERT_FALSE(out.Write(c.written));
    const auto error = out.Commit(c.expected);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->reason.contains(QLatin1String(c.reasonPart))) << error->reason.toStdString();
    EXPECT_EQ(Get("target.edf"), "previous");
    EXPECT_EQ(Entries(), QStringList{"target.edf"});
  }
}

TEST_F(SafeOutputTest, ALibraryMayWriteTheTemporaryFileByName) {
  auto begun = PendingOutput::Begin(Path("out.dcm"), {});
  auto& out = std::get<PendingOutput>(begun);
  {
    QFile byName(out.TemporaryPath());  // as a library would: open by name, truncate, write, close
    ASSERT_TRUE(byName.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(byName.write("DICM"), 4);
  }
  ASSERT_FALSE(out.Commit());
  EXPECT_EQ(Get("out.dcm"), "DICM");
  EXPECT_EQ(Entries(), QStringList{"out.dcm"});
}

TEST_F(SafeOutputTest, WithoutOverwriteATargetThatAppearsMeanwhileIsKept) {
  OutputPolicy policy;
  policy.overwrite = false;
  auto begun = PendingOutput::Begin(Path("race.csv"), policy);
  auto& out = std::get<PendingOutput>(begun);
  ASSERT_FALSE(out.Write("ours"));
  Put("race.csv", "theirs");
  const auto error = out.Commit();
  ASSERT_TRUE(error);
  EXPECT_EQ(Get("race.csv"), "theirs");
  EXPECT_EQ(Entries(), QStringList{"race.csv"});
}

#ifdef Q_OS_UNIX
// A file-size limit makes writes fail as a full disk does, without a device of our own.
TEST_F(SafeOutputTest, AFailedWriteGivesTheSystemReasonAndKeepsTheOldFile) {
  Put("big.bin", "old contents");
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto error = WriteFileSafely(Path("big.bin"), QByteArray(4000, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_TRUE(error);
  EXPECT_FALSE(error->reason.isEmpty());
  EXPECT_FALSE(error->reason.contains(QLatin1String("Unknown error"))) << error->reason.toStdString();
  EXPECT_EQ(Get("big.bin"), "old contents");
  EXPECT_EQ(Entries(), QStringList{"big.bin"});
}
#endif

}  // namespace
}  // namespace corvale
