// The viewer's command line without a window: arguments into paths, and
// paths, looked up in a scratch directory, into what the window opens.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/CommandLine.h"

namespace corvale {
namespace {

TEST(ParseCommandLine, PathsOptionsAndErrors) {
  struct Row {
    QStringList args;  // after the program's name
    QStringList paths;
    const char* errorHas;  // empty: accepted
  };
  const Row rows[] = {
      {{}, {}, ""},
      {{"a.nrm", "dir/b.msd"}, {"a.nrm", "dir/b.msd"}, ""},
      {{"--", "-odd.nrm", "--"}, {"-odd.nrm", "--"}, ""},  // after "--" everything is a name
      {{"-"}, {"-"}, ""},
      {{"--help", "a.nrm", "-v"}, {"a.nrm"}, ""},  // answered before the window
      {{"a.nrm", "--bogus"}, {}, "--bogus"},
      {{"-x"}, {}, "unknown option -x"},
  };
  for (const Row& r : rows) {
    const ParsedCommandLine parsed = ParseCommandLine(QStringList{"corvale"} + r.args);
    EXPECT_EQ(parsed.paths, r.paths) << r.args.join(' ').toStdString();
    if (*r.errorHas) {
      EXPECT_TRUE(parsed.error.contains(QString::fromLatin1(r.errorHas))) << parsed.error.toStdString();
    } else {
      EXPECT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    }
  }
}

TEST(ResolveStartPaths, WhatTheWindowOpens) {
  QTemporaryDir tmp;
  const QDir root(tmp.path());
  ASSERT_TRUE(root.mkpath("ecg/empty") && root.mkpath("other"));
  for (const char* name : {"ecg/A1.nrm", "ecg/A2.nrm", "other/B1.msd"}) {
    QFile f(root.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  ASSERT_EQ(mkfifo(QFile::encodeName(root.filePath("ecg/pipe.nrm")).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(root.filePath("ecg/gone.nrm"), root.filePath("ecg/dangling.nrm")));
  using K = StartRequest::Kind;
  struct Row {
    QStringList paths;
    K kind;
    QString directory;
    QStringList files;
    QStringList problemsHave;  // one piece per expected problem, in order
  };
  const QString ecg = root.filePath("ecg"), other = root.filePath("other");
  const Row rows[] = {
      {{}, K::Default, {}, {}, {}},
      {{"ecg"}, K::Directory, ecg, {}, {}},
      {{"ecg/empty/../"}, K::Directory, ecg, {}, {}},
      {{ecg + "/A2.nrm", "other/B1.msd", "ecg/A1.nrm"},
       K::Files,
       {},
       {ecg + "/A2.nrm", other + "/B1.msd", ecg + "/A1.nrm"},
       {}},
      {{"ecg/A1.nrm", "ecg/missing.nrm"}, K::Files, {}, {ecg + "/A1.nrm"}, {"ecg/missing.nrm: no such file"}},
      {{"missing.nrm"}, K::Default, {}, {}, {"missing.nrm: no such file"}},
      {{"nowhere/"}, K::Default, {}, {}, {"nowhere/: no such file"}},
      {{"ecg", "other/B1.msd"}, K::Files, {}, {other + "/B1.msd"}, {"ecg is a directory"}},
      {{"ecg/pipe.nrm", "ecg/dangling.nrm"}, K::Default, {}, {}, {"not a regular file", "points to nothing"}},
  };
  for (const Row& r : rows) {
    const std::string name = r.paths.join(' ').toStdString();
    const StartRequest got = ResolveStartPaths(r.paths, tmp.path());
    EXPECT_EQ(got.kind, r.kind) << name;
    EXPECT_EQ(got.directory, r.directory) << name;
    EXPECT_EQ(got.files, r.files) << name;
    ASSERT_EQ(got.problems.size(), r.problemsHave.size()) << name << ": " << got.problems.join('|').toStdString();
    for (qsizetype i = 0; i < got.problems.size(); ++i)
      EXPECT_TRUE(got.problems[i].contains(r.problemsHave[i])) << got.problems[i].toStdString();
  }
}

TEST(DefaultStartDirectory, RememberedThenSamplesThenNone) {
  QTemporaryDir tmp;
  const QString last = tmp.filePath("last"), samples = tmp.filePath("samples"), gone = tmp.filePath("gone");
  ASSERT_TRUE(QDir().mkpath(last) && QDir().mkpath(samples));
  QFile file(tmp.filePath("file"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  struct Row {
    QString remembered, samples, expected;
  };
  const Row rows[] = {
      {last, samples, last}, {gone, samples, samples}, {file.fileName(), samples, samples}, {{}, samples, samples},
      {{}, {}, {}},          {gone, gone, {}},
  };
  for (const Row& r : rows)
    EXPECT_EQ(DefaultStartDirectory(r.remembered, r.samples), r.expected) << r.remembered.toStdString();
}

}  // namespace
}  // namespace corvale
