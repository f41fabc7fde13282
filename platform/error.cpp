#include "platform/error.h"

#include "platform/app_env.h"
#include "platform/text.h"

namespace plat {

namespace {

std::u16string DefaultDescription(std::int32_t number) {
  switch (number) {
    case kErrInvalidArgument: return u"Invalid procedure call or argument";
    case kErrOverflow: return u"Overflow";
    case kErrOutOfMemory: return u"Out of memory";
    case kErrInternal: return u"Internal error";
    case kErrSubscript: return u"Subscript out of range";
    case kErrBadFileName: return u"Bad file name or number";
    case kErrFileNotFound: return u"File not found";
    case kErrFileAccess: return u"Path/File access error";
    case kErrPathNotFound: return u"Path not found";
    case kErrObjectNotSet: return u"Object variable not set";
    case kErrNoPicture: return u"No picture on the clipboard";
    case kErrInvalidPicture: return u"Invalid picture";
    case kErrClipboardBusy: return u"Can't open Clipboard";
    default: return u"Application-defined or object-defined error";
  }
}

}  // namespace

Error::Error(std::int32_t number, std::u16string source, std::u16string description, std::uint32_t lastDllError)
    : number_(number), source_(std::move(source)), description_(std::move(description)), lastDllError_(lastDllError) {
  what_ = std::to_string(number_) + " " + ToUtf8(source_) + ": " + ToUtf8(description_);
}

void Raise(std::int32_t number, std::u16string source, std::u16string description, std::uint32_t lastDllError) {
  if (source.empty()) source = AppExeName();
  if (description.empty()) description = DefaultDescription(number);
  throw Error(number, std::move(source), std::move(description), lastDllError);
}

void ErrorState::Clear() {
  number_ = 0;
  source_.clear();
  description_.clear();
  lastDllError_ = 0;
}

void ErrorState::Set(const Error& e) {
  number_ = e.number();
  source_ = e.source();
  description_ = e.description();
  lastDllError_ = e.lastDllError();
}

ErrorState& Err() {
  static ErrorState state;
  return state;
}

}  // namespace plat
