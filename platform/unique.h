// One owner for every kind of operating-system handle: a traits struct
// names the handle type, its empty value and its close call, and
// Unique<Traits> closes the handle on every way out. Move-only.
//
//   struct FileTraits {
//     using Type = HANDLE;
//     static Type Empty() { return INVALID_HANDLE_VALUE; }
//     static void Close(Type h) { ::CloseHandle(h); }
//   };
//   plat::Unique<FileTraits> file(::CreateFileW(...));
#pragma once

#include <utility>

namespace plat {

template <class Traits>
class Unique {
 public:
  using Type = typename Traits::Type;

  Unique() = default;
  explicit Unique(Type handle) : handle_(handle) {}
  ~Unique() { reset(); }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : handle_(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Type get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Empty(); }
  // Closes the handle held, then holds `handle`.
  void reset(Type handle = Traits::Empty()) {
    if (handle_ != Traits::Empty()) Traits::Close(handle_);
    handle_ = handle;
  }
  // Gives up ownership without closing.
  Type release() { return std::exchange(handle_, Traits::Empty()); }
  // For a creating call that writes the handle through a pointer.
  Type* put() {
    reset();
    return &handle_;
  }

 private:
  Type handle_ = Traits::Empty();
};

}  // namespace plat
