// What the platform does around each call of the JPEG library
// (imaging/ijl.h): nothing on Windows; on the simulated platform the calls
// go into the call log, and a test can make ijlInit or ijlWrite fail with a
// code of its choice (InjectFault("ijlInit", code)).
#pragma once

#include <cstdint>

namespace plat::jpeg_hooks {

// The record as ijlWrite received it, for the call log.
struct WriteCall {
  std::int32_t iotype;
  const char16_t* file;  // null for a write into memory
  std::int32_t dibWidth, dibHeight, dibPadBytes;
  std::int32_t jpgWidth, jpgHeight, quality;
};

// Called at the start of ijlInit and ijlWrite (after their own argument
// checks); a non-zero result makes the call fail with that code.
std::int32_t OnInit();
std::int32_t OnWrite(const WriteCall& call);
void OnFree();

}  // namespace plat::jpeg_hooks
