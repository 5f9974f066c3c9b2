#include "export/Batch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <set>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <mutex>
#include <thread>

#include "formats/Formats.h"
#include "record/NativePath.h"
#include "record/RecordName.h"

#include <dirent.h>
#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <variant>

namespace corvale::batch {

namespace {

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The readable files of a directory by their names' bytes, in name order, or
// why the directory cannot be listed.
std::variant<QStringList, FileError> ListDirectory(const QString& directory) {
  const QByteArray native = NativePath(directory);
  DIR* dir = ::opendir(native.constData());
  if (!dir) return FileError{directory, SystemReason(errno)};
  const int dirFd = ::dirfd(dir);
  std::vector<QString> names;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) break;
    const QByteArray name(entry->d_name);
    if (name == "." || name == "..") continue;
    struct stat st {};  // links are followed: a link to a record is a record
    if (::fstatat(dirFd, name.constData(), &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
    const QString shown = ShownFileName(name);
    if (formats::IsReadableName(shown)) names.push_back(shown);
  }
  const int error = errno;
  ::closedir(dir);
  // A directory that fails part-way is not taken as the part that was read.
  if (error != 0) return FileError{directory, SystemReason(error)};
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return CompareFileNames(a, b) < 0; });
  QStringList paths;
  const QDir base(directory);
  for (const QString& name : names) paths << base.filePath(name);
  return paths;
}

// One key per file: its identity when it exists (a second name or a link is
// the same file), else where its name leads. `output`: a file we may create.
QString FileKey(const QString& path, bool output = false) {
  struct stat st {};
  if (::stat((output ? NativeOutputPath(path) : NativePath(path)).constData(), &st) == 0)
    return QStringLiteral("#%1:%2").arg(st.st_dev).arg(st.st_ino);
  const QFileInfo info(path);
  const QString directory = info.absoluteDir().canonicalPath();
  return directory.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : QDir(directory).filePath(info.fileName());
}

}  // namespace

std::vector<Input> ExpandInputs(const QStringList& names) {
  std::vector<Input> inputs;
  // A header, its signal file and its base name are one record: it is done once.
  std::set<QString> records;
  auto add = [&](const QString& path, const QString& record) {
    if (records.insert(FileKey(record)).second) inputs.push_back({path, std::nullopt});
  };
  for (const QString& name : names) {
    if (IsDirectory(name)) {
      auto listed = ListDirectory(name);
      if (auto* error = std::get_if<FileError>(&listed)) inputs.push_back({name, *error});
      else
        for (const QString& path : std::get<QStringList>(listed)) add(path, path);
    } else if (PathExists(name)) {
      const QString record = formats::RecordFileFor(name);
      add(record.isEmpty() ? name : record, record.isEmpty() ? name : record);
    } else if (PathExists(name + QStringLiteral(".hea"))) {
      add(name, name + QStringLiteral(".hea"));
    } else {
      inputs.push_back({name, FileError{name, QStringLiteral("no such file or directory")}});
    }
  }
  return inputs;
}

std::vector<Job> PlanJobs(const std::vector<Input>& inputs, const QString& outDir,
                          const std::function<QString(const QString&)>& nameFor,
                          const std::function<QStringList(const QString&)>& filesOf) {
  // Every file that any job reads, whatever its name (a WFDB header may name
  // any signal file): no output may replace one, or a record would be read
  // with another's samples, depending on which job ran first.
  std::map<QString, QString> read;  // file -> the input that reads it
  for (const Input& input : inputs)
    if (!input.error)
      for (const QString& file : formats::FilesRead(input.path)) read.emplace(FileKey(file), input.path);

  std::vector<Job> jobs;
  std::map<QString, QString> taken;  // output file -> the input that writes it
  const QDir dir(outDir);
  for (const Input& input : inputs) {
    Job job{input.path, {}, input.error};
    if (!job.error) {
      job.output = dir.filePath(nameFor(input.path));
      const QStringList files = filesOf ? filesOf(job.output) : QStringList{job.output};
      for (const QString& file : files) {
        const QString key = FileKey(file, true);
        if (const auto it = taken.find(key); it != taken.end()) {
          job.error = FileError{input.path, QStringLiteral("its output %1 would also be written from %2; "
                                                           "export them into different directories")
                                                .arg(file, it->second)};
          break;
        }
        // Its own input is refused as such when it is written.
        if (const auto it = read.find(key); it != read.end() && it->second != input.path) {
          job.error = FileError{input.path, QStringLiteral("its output %1 would replace a file that %2 reads; "
                                                           "export into another directory")
                                                .arg(file, it->second)};
          break;
        }
      }
      if (!job.error)
        for (const QString& file : files) taken.emplace(FileKey(file, true), input.path);
    }
    jobs.push_back(std::move(job));
  }
  return jobs;
}

Summary RunJobs(const std::vector<Job>& jobs, int threads, const Work& work, const Report& report, int group) {
  std::atomic<std::size_t> next{0};
  std::mutex reportMutex;
  Summary summary;
  auto finish = [&](std::size_t i, const std::optional<FileError>& error) {
    std::lock_guard lock(reportMutex);
    ++(error ? summary.failed : summary.done);
    if (report) report(jobs[i], error, summary.done, summary.failed);
  };

  // Written jobs wait here for the publisher; workers pause while `group` wait.
  struct Written {
    std::size_t job;
    formats::PreparedOutputs outputs;
  };
  std::mutex pendingMutex;
  std::condition_variable wakePublisher, wakeWorkers;
  std::vector<Written> pending;
  bool workersDone = false;
  const std::size_t limit = static_cast<std::size_t>(std::max(1, group));

  // One round: the data of every waiting output to the disk (one flush of the
  // file system per output directory, usually one), then the renames, then the
  // directories flushed, and only then the jobs told done.
  auto publishRound = [&](std::vector<Written>& round) {
    std::map<QString, QString> directories;  // directory -> a target in it
    for (const Written& w : round)
      for (const PendingOutput& o : w.outputs) directories.emplace(QFileInfo(o.Path()).path(), o.Path());
    std::optional<FileError> synced;
    for (const auto& [directory, target] : directories)
      if (!synced) synced = SyncFileSystem(target);
    std::vector<std::optional<FileError>> errors(round.size());
    std::vector<std::vector<QString>> dirsOf(round.size());
    for (std::size_t k = 0; k < round.size(); ++k) {
      Written& w = round[k];
      for (const PendingOutput& o : w.outputs) dirsOf[k].push_back(QFileInfo(o.Path()).path());
      if (synced) errors[k] = FileError{jobs[w.job].output, synced->reason};  // the outputs are dropped unwritten
      else errors[k] = formats::PublishInOrder(w.outputs, false);
    }
    std::map<QString, FileError> unsynced;
    if (!synced)
      for (const auto& [directory, target] : directories)
        if (auto error = SyncDirectoryOf(target)) unsynced.emplace(directory, *error);
    for (std::size_t k = 0; k < round.size(); ++k) {
      for (const QString& directory : dirsOf[k]) {
        const auto it = unsynced.find(directory);
        if (!errors[k] && it != unsynced.end())
          errors[k] = FileError{
              jobs[round[k].job].output,
              QStringLiteral("was written, but its directory could not be flushed to disk: %1").arg(it->second.reason)};
      }
      finish(round[k].job, errors[k]);
    }
  };
  // A flush costs milliseconds whatever it carries: a round waits for a few
  // dozen jobs, but never holds finished work back for long.
  const std::size_t roundSize = std::min<std::size_t>(64, limit);
  constexpr auto kLongestWait = std::chrono::milliseconds(200);
  auto publisher = [&]() {
    for (;;) {
      std::vector<Written> round;
      {
        std::unique_lock lock(pendingMutex);
        wakePublisher.wait(lock, [&] { return !pending.empty() || workersDone; });
        if (pending.empty()) return;  // and the workers are done
        wakePublisher.wait_for(lock, kLongestWait, [&] { return pending.size() >= roundSize || workersDone; });
        round.swap(pending);
      }
      wakeWorkers.notify_all();
      publishRound(round);
    }
  };

  auto worker = [&]() {
    for (;;) {
      const std::size_t i = next.fetch_add(1);
      if (i >= jobs.size()) return;
      const Job& job = jobs[i];
      if (job.error) {
        finish(i, job.error);
        continue;
      }
      formats::Prepared prepared = work(job);
      if (auto* error = std::get_if<FileError>(&prepared)) {
        finish(i, *error);
        continue;
      }
      auto& outputs = std::get<formats::PreparedOutputs>(prepared);
      if (outputs.empty()) {  // nothing to put in place
        finish(i, std::nullopt);
        continue;
      }
      {
        std::unique_lock lock(pendingMutex);
        wakeWorkers.wait(lock, [&] { return pending.size() < limit; });
        pending.push_back({i, std::move(outputs)});
      }
      wakePublisher.notify_one();
    }
  };

  // Writing and flushing overlap: the flushes wait on the disk, not on a worker.
  std::thread publishing(publisher);
  const int n = std::max(1, std::min<int>(threads, static_cast<int>(jobs.size())));
  std::vector<std::thread> pool;
  for (int t = 1; t < n; ++t) pool.emplace_back(worker);
  worker();  // the calling thread works too
  for (std::thread& t : pool) t.join();
  {
    std::lock_guard lock(pendingMutex);
    workersDone = true;
  }
  wakePublisher.notify_one();
  publishing.join();
  return summary;
}

void KeepMemoryBetweenRecords() {
#ifdef __GLIBC__
  // Large blocks from the heap rather than their own mappings, and the heap
  // not trimmed: the working set of a record (a few megabytes per thread) stays.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);  // the largest it takes
  mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
}

QString ProgressBar(int done, int total, int failed, int width) {
  const int filled = total > 0 ? static_cast<int>(static_cast<long long>(done) * width / total) : width;
  QString bar =
      QStringLiteral("[%1%2] %3/%4").arg(QString(filled, u'#'), QString(width - filled, u'.')).arg(done).arg(total);
  if (failed) bar += QStringLiteral("  %1 failed").arg(failed);
  return bar;
}

}  // namespace corvale::batch
