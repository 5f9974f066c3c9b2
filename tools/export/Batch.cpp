#include "export/Batch.h"

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "formats/Formats.h"

namespace corvale::batch {

std::vector<Input> ExpandInputs(const QStringList& names) {
  std::vector<Input> inputs;
  for (const QString& name : names) {
    const QFileInfo info(name);
    if (info.isDir()) {
      QDir dir(name);
      dir.setSorting(QDir::Name | QDir::IgnoreCase);
      for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden))
        if (formats::IsReadableName(entry)) inputs.push_back({dir.filePath(entry), std::nullopt});
    } else if (info.exists() || QFileInfo::exists(name + QStringLiteral(".hea"))) {
      inputs.push_back({name, std::nullopt});
    } else {
      inputs.push_back({name, FileError{name, QStringLiteral("no such file or directory")}});
    }
  }
  return inputs;
}

std::vector<Job> PlanJobs(const std::vector<Input>& inputs, const QString& outDir,
                          const std::function<QString(const QString&)>& nameFor) {
  std::vector<Job> jobs;
  std::map<QString, QString> taken;  // output path -> the input that writes it
  const QDir dir(outDir);
  for (const Input& input : inputs) {
    Job job{input.path, {}, input.error};
    if (!job.error) {
      job.output = dir.filePath(nameFor(input.path));
      const auto [it, fresh] = taken.emplace(QDir::cleanPath(job.output), input.path);
      if (!fresh)
        job.error = FileError{input.path, QStringLiteral("its output %1 would also be written from %2; "
                                                         "export them into different directories")
                                              .arg(job.output, it->second)};
    }
    jobs.push_back(std::move(job));
  }
  return jobs;
}

Summary RunJobs(const std::vector<Job>& jobs, int threads, const Work& work, const Report& report, int group) {
  std::atomic<std::size_t> next{0};
  std::mutex reportMutex, pendingMutex;
  Summary summary;
  struct Written {
    std::size_t job;
    formats::PreparedOutputs outputs;
  };
  std::vector<Written> pending;

  auto finish = [&](std::size_t i, const std::optional<FileError>& error) {
    std::lock_guard lock(reportMutex);
    ++(error ? summary.failed : summary.done);
    if (report) report(jobs[i], error, summary.done, summary.failed);
  };
  // Makes a group durable with one flush, then puts each job's outputs in place.
  auto publish = [&](std::vector<Written> batch) {
    if (batch.empty()) return;
    const std::optional<FileError> synced = SyncFileSystem(batch.front().outputs.front().Path());
    for (Written& w : batch) {
      std::optional<FileError> error = synced;
      if (!error) error = formats::PublishInOrder(w.outputs, false);
      if (synced) error->path = jobs[w.job].output;
      finish(w.job, error);
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
      std::vector<Written> full;
      {
        std::lock_guard lock(pendingMutex);
        pending.push_back({i, std::move(outputs)});
        if (static_cast<int>(pending.size()) >= group) full.swap(pending);
      }
      publish(std::move(full));
    }
  };
  const int n = std::max(1, std::min<int>(threads, static_cast<int>(jobs.size())));
  std::vector<std::thread> pool;
  for (int t = 1; t < n; ++t) pool.emplace_back(worker);
  worker();  // the calling thread works too
  for (std::thread& t : pool) t.join();
  publish(std::move(pending));
  return summary;
}

QString ProgressBar(int done, int total, int failed, int width) {
  const int filled = total > 0 ? static_cast<int>(static_cast<long long>(done) * width / total) : width;
  QString bar = QStringLiteral("[%1%2] %3/%4").arg(QString(filled, u'#'), QString(width - filled, u'.')).arg(done).arg(total);
  if (failed) bar += QStringLiteral("  %1 failed").arg(failed);
  return bar;
}

}  // namespace corvale::batch
