// Raised errors and the skip-on-failure rule.
//
// An operation fails by throwing plat::Error, which carries a number, a
// source and a description. Handlers that run under the skip-on-failure
// rule wrap each step in Step(): a failing step is abandoned without a
// message, the error is kept in the error state, and the next step runs.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>

namespace plat {

// Numbers of the toolkit's own errors.
inline constexpr std::int32_t kErrInvalidArgument = 5;
inline constexpr std::int32_t kErrOverflow = 6;
inline constexpr std::int32_t kErrOutOfMemory = 7;
inline constexpr std::int32_t kErrInternal = 51;
inline constexpr std::int32_t kErrSubscript = 9;
inline constexpr std::int32_t kErrBadFileName = 52;
inline constexpr std::int32_t kErrFileNotFound = 53;
inline constexpr std::int32_t kErrFileAccess = 75;
inline constexpr std::int32_t kErrPathNotFound = 76;
inline constexpr std::int32_t kErrObjectNotSet = 91;
inline constexpr std::int32_t kErrNoPicture = 380;
inline constexpr std::int32_t kErrInvalidPicture = 481;
inline constexpr std::int32_t kErrClipboardBusy = 521;

// lastDllError is the Win32 error code of the system call that caused the
// failure (GetLastError() right after it), 0 when no system call did.
class Error : public std::exception {
 public:
  Error(std::int32_t number, std::u16string source, std::u16string description, std::uint32_t lastDllError = 0);
  std::int32_t number() const { return number_; }
  const std::u16string& source() const { return source_; }
  const std::u16string& description() const { return description_; }
  std::uint32_t lastDllError() const { return lastDllError_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::int32_t number_;
  std::u16string source_;
  std::u16string description_;
  std::uint32_t lastDllError_;
  std::string what_;
};

// Throws an Error; the description defaults to the toolkit's text for the
// number and the source to the application's name.
[[noreturn]] void Raise(std::int32_t number, std::u16string source = {}, std::u16string description = {},
                        std::uint32_t lastDllError = 0);

// The error state: the last error a Step() absorbed.
class ErrorState {
 public:
  std::int32_t Number() const { return number_; }
  const std::u16string& Source() const { return source_; }
  const std::u16string& Description() const { return description_; }
  std::uint32_t LastDllError() const { return lastDllError_; }
  void Clear();
  void Set(const Error& e);

 private:
  std::int32_t number_ = 0;
  std::u16string source_;
  std::u16string description_;
  std::uint32_t lastDllError_ = 0;
};

ErrorState& Err();

// The system's own text for a Win32 error code, one sentence ending in a
// full stop, in the user's language.
std::u16string SystemErrorText(std::uint32_t code);

// Runs `step` and returns the error it raised, as the one error type:
// memory running out becomes kErrOutOfMemory, anything else the standard
// library throws kErrInternal (never the end of the program); nullopt when
// the step succeeded.
template <class F>
std::optional<Error> Attempt(F&& step) {
  try {
    std::forward<F>(step)();
    return std::nullopt;
  } catch (const Error& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return Error(kErrOutOfMemory, {}, u"Out of memory");
  } catch (const std::exception&) {
    return Error(kErrInternal, {}, u"Internal error");
  }
}

// Runs one step under the skip-on-failure rule. Returns false when the
// step raised an error (which is then in Err()).
template <class F>
bool Step(F&& step) {
  auto failed = Attempt(std::forward<F>(step));
  if (failed) Err().Set(*failed);
  return !failed;
}

}  // namespace plat
