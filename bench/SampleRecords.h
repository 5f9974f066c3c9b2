// Many record files for the batch benchmarks, made from the bundled samples.
#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstdlib>
#include <vector>

namespace corvale::bench {

/// Writes `count` record files R00000.nrm ... into `directory`, the samples in
/// turn, and returns their paths. Written directly (a copy through a temporary
/// file would free an inode per file).
inline QStringList WriteSampleRecords(const QString& directory, int count) {
  const QDir samples(QStringLiteral(CORVALE_SOURCE_DIR "/samples"));
  std::vector<QByteArray> records;
  for (const QString& name : samples.entryList({"*.nrm", "*.msd"}, QDir::Files, QDir::Name)) {
    QFile in(samples.filePath(name));
    if (!in.open(QIODevice::ReadOnly)) std::abort();
    records.push_back(in.readAll());
  }
  if (records.empty()) std::abort();
  const QDir dir(directory);
  QStringList paths;
  for (int i = 0; i < count; ++i) {
    QFile out(dir.filePath(QStringLiteral("R%1.nrm").arg(i, 5, 10, QLatin1Char('0'))));
    const QByteArray& bytes = records[static_cast<std::size_t>(i) % records.size()];
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) || out.write(bytes) != bytes.size()) std::abort();
    paths << out.fileName();
  }
  return paths;
}

}  // namespace corvale::bench
