#pragma once
// One owner for every handle the program, its tests and the Linux tool must
// release: the handle's type, how it is released and the value that means
// "no handle" are its parameters. Move-only; the last owner releases it,
// once.

#include <utility>

// A release that is a plain function, such as DestroyIcon or close. Its
// result is not examined: nothing is left to do about a release that fails.
template <auto Function>
struct ReleasedBy {
  template <typename Handle>
  void operator()(Handle handle) const {
    static_cast<void>(Function(handle));
  }
};

template <typename Handle, typename Release, Handle kNone = Handle{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle, Release release = Release{}) : handle_(handle), release_(std::move(release)) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.take()), release_(std::move(other.release_)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = other.take();
      release_ = std::move(other.release_);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  bool valid() const { return handle_ != kNone; }

  // Gives the handle up, unreleased: for a caller that must see the result
  // of its release (closing a written file reports a write that failed).
  Handle take() { return std::exchange(handle_, kNone); }

  // Releases the handle now, if there is one.
  void reset() {
    if (handle_ != kNone) release_(take());
  }

 private:
  Handle handle_ = kNone;
  Release release_{};
};
