// A file in memory for readers that take a path: each input is written to an
// anonymous memfd and read through its /proc/self/fd name, so that no input
// touches the disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>
#include <QString>
#include <cstdint>
#include <cstdlib>

#include "FuzzCheck.h"

class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : fd_(memfd_create(name, MFD_CLOEXEC)) {
    Check(fd_ >= 0, "memfd_create failed");
    path_ = QStringLiteral("/proc/self/fd/%1").arg(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  ~MemoryFile() { ::close(fd_); }

  /// The file now holds exactly these bytes.
  const QString& Hold(const uint8_t* data, size_t size) const {
    Check(::ftruncate(fd_, 0) == 0, "cannot empty the memory file");
    size_t done = 0;
    while (done < size) {
      const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      Check(n > 0, "cannot write the memory file");
      done += static_cast<size_t>(n);
    }
    return path_;
  }

 private:
  int fd_;
  QString path_;
};
