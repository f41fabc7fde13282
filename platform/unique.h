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
//
// A traits struct that also says `static constexpr bool kCloseFailedOpen =
// true;` owns a handle that must be closed once it has been asked for, even
// when the creating call left it empty (the registry's keys, whose close is
// issued after a failed open too). Such a handle counts as asked for once
// put() has handed out its address or a value has been given to it.
//
// ScopeExit runs a call when it ends: for states that are entered and left
// rather than owned (an object selected into a device context, the open
// clipboard, a library record between its init and free).
#pragma once

#include <utility>

namespace plat {

namespace detail {

template <class Traits>
constexpr bool CloseFailedOpen() {
  if constexpr (requires { Traits::kCloseFailedOpen; })
    return Traits::kCloseFailedOpen;
  else
    return false;
}

}  // namespace detail

template <class Traits>
class Unique {
 public:
  using Type = typename Traits::Type;

  Unique() = default;
  explicit Unique(Type handle) : handle_(handle), asked_(true) {}
  ~Unique() { Close(); }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : handle_(other.handle_), asked_(std::exchange(other.asked_, false)) {
    other.handle_ = Traits::Empty();
  }
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, Traits::Empty());
      asked_ = std::exchange(other.asked_, false);
    }
    return *this;
  }

  Type get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Empty(); }
  // Closes the handle held, then holds `handle`.
  void reset(Type handle = Traits::Empty()) {
    Close();
    handle_ = handle;
    asked_ = handle != Traits::Empty();
  }
  // Gives up ownership without closing.
  Type release() {
    asked_ = false;
    return std::exchange(handle_, Traits::Empty());
  }
  // For a creating call that writes the handle through a pointer: closes
  // what is held first.
  Type* put() {
    reset();
    asked_ = true;
    return &handle_;
  }

 private:
  void Close() {
    if (handle_ != Traits::Empty() || (detail::CloseFailedOpen<Traits>() && asked_)) Traits::Close(handle_);
    handle_ = Traits::Empty();
    asked_ = false;
  }

  Type handle_ = Traits::Empty();
  bool asked_ = false;
};

// Runs `onExit` when it ends, unless released first. Move-only.
//
//   auto restore = plat::ScopeExit([&] { SelectObject(dc, previous); });
template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F onExit, bool active = true) : onExit_(std::move(onExit)), active_(active) {}
  ~ScopeExit() { reset(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ScopeExit(ScopeExit&& other) noexcept : onExit_(std::move(other.onExit_)), active_(other.release()) {}
  ScopeExit& operator=(ScopeExit&&) = delete;

  // Whether the call is still to run.
  explicit operator bool() const { return active_; }
  // Runs the call now, once.
  void reset() {
    if (std::exchange(active_, false)) onExit_();
  }
  // The call will not run.
  bool release() { return std::exchange(active_, false); }

 private:
  F onExit_;
  bool active_;
};

}  // namespace plat
