#pragma once
// One small owner per kind of platform object the application shell holds.

#include <objbase.h>
#include <windows.h>

#include <utility>

// An icon loaded for the program's own use, destroyed with it.
class Icon {
 public:
  Icon() = default;
  explicit Icon(HICON icon) : icon_(icon) {}
  ~Icon() { Reset(); }
  Icon(Icon&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
  Icon& operator=(Icon&& other) noexcept {
    if (this != &other) {
      Reset();
      icon_ = std::exchange(other.icon_, nullptr);
    }
    return *this;
  }
  Icon(const Icon&) = delete;
  Icon& operator=(const Icon&) = delete;

  HICON get() const { return icon_; }

 private:
  void Reset() {
    if (icon_ != nullptr) DestroyIcon(icon_);
    icon_ = nullptr;
  }

  HICON icon_ = nullptr;
};

// The component library, initialised for the thread's lifetime of this
// object. Its results are not examined: the program carries on either way.
class ComponentLibrary {
 public:
  ComponentLibrary() { static_cast<void>(CoInitialize(nullptr)); }
  ~ComponentLibrary() { CoUninitialize(); }
  ComponentLibrary(const ComponentLibrary&) = delete;
  ComponentLibrary& operator=(const ComponentLibrary&) = delete;
};
