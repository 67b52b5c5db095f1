#pragma once
// GoogleTest's Notification (used by its own thread helper) is written with
// std::mutex and std::condition_variable, which the win32 thread model of
// MinGW-w64's C++ library does not have. GoogleTest lets a build bring its
// own (GTEST_HAS_NOTIFICATION_): this one is a Win32 event. Included ahead
// of every source of the Windows tests and of GoogleTest itself, so it
// keeps <windows.h> out of them.

namespace testing::internal {

class Notification {
 public:
  Notification();
  ~Notification();
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify();
  void WaitForNotification();

 private:
  void* event_;  // a manual-reset event, set by Notify
};

}  // namespace testing::internal

#define GTEST_HAS_NOTIFICATION_ 1
