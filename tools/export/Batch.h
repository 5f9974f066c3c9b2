// Many records through one writer on several threads: the inputs, their
// output names, the pool, and what is reported while it runs.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "formats/Outputs.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "record/SafeOutput.h"

namespace corvale::batch {

/// Files named on the command line, directories replaced by the readable
/// files in them (not their subdirectories), in name order. A WFDB signal
/// file stands for its header, and a record named twice (its header and its
/// signal file) is one input. A name that is neither, or a directory that
/// cannot be listed (its whole listing), gives an entry whose error says so.
struct Input {
  QString path;
  std::optional<FileError> error;
};
std::vector<Input> ExpandInputs(const QStringList& names);

/// One record to do: where it comes from and where it goes.
struct Job {
  QString input;
  QString output;
  std::optional<FileError> error;  // set when the job cannot run at all
};

/// Output paths in `outDir` by `nameFor(input)`, each writing the files
/// `filesOf(output)` (the output alone when not given). A file that an earlier
/// input already writes is an error of the later one, so no file is written
/// twice; a file that another input reads (a WFDB header's signal file, under
/// any name) is an error of the job that would replace it.
std::vector<Job> PlanJobs(const std::vector<Input>& inputs, const QString& outDir,
                          const std::function<QString(const QString& input)>& nameFor,
                          const std::function<QStringList(const QString& output)>& filesOf = {});

/// Reads one input and writes its outputs, closed but not yet in place;
/// called on worker threads.
using Work = std::function<formats::Prepared(const Job& job)>;

/// What the pool reports after each job, on one thread at a time.
using Report = std::function<void(const Job& job, const std::optional<FileError>& error, int done, int failed)>;

struct Summary {
  int done = 0;
  int failed = 0;
};

/// Runs every job on `threads` threads (at least 1). A failed job never stops
/// the others. A thread of its own puts the outputs in place, in rounds: each
/// takes the jobs written since the last (64 of them, or what came within
/// 200 ms), makes their files durable with one flush of the file system (a
/// flush per file would cost more than writing it), renames them into place,
/// flushes their directories, and only then reports them done. Workers pause
/// while `group` written jobs wait.
Summary RunJobs(const std::vector<Job>& jobs, int threads, const Work& work, const Report& report, int group = 512);

/// Lets the memory allocator keep what a record needed for the next one
/// (buffers of a few hundred kilobytes would otherwise go back to the system
/// and come back as fresh pages, a fault each). For a process that runs a batch.
void KeepMemoryBetweenRecords();

/// A progress line for a terminal: "[#####.....] 512/1000  3 failed".
QString ProgressBar(int done, int total, int failed, int width = 30);

}  // namespace corvale::batch
