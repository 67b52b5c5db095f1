#pragma once
// The one owner of an open file descriptor on the Linux side: the tool, its
// tests and its fuzz target all hold theirs in it.

#include <unistd.h>

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

  // Closes it now: for a written file, whose close can still report a
  // write that failed.
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd);
  }

 private:
  int fd_;
};
