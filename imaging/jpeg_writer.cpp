#include "imaging/jpeg_writer.h"

#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/checked.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/jpeg.h"
#include "platform/long_path.h"
#include "platform/text.h"

namespace varnel::mIntelJPEGLibrary {

namespace {

std::u16string Source() { return plat::AppExeName() + u".mIntelJPEGLibrary"; }

std::u16string Decimal(std::int32_t n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

// The system's reason behind a library code, for a caller that tells the
// user why: what the system said about the file, or that memory ran out.
std::uint32_t Cause(plat::IJLERR r) {
  if (r == plat::IJL_MEMORY_ERROR) return plat::kErrorNotEnoughMemory;
  return r == plat::IJL_FILE_ERROR || r == plat::IJL_INVALID_FILENAME ? plat::GetLastError() : 0;
}

// A name holding * or ? stands for no one file: looking it up would report
// whichever file the wildcards match.
bool NamesOneFile(const std::u16string& name) { return name.find_first_of(u"*?") == std::u16string::npos; }

}  // namespace

// sFile is taken by value: the call works on its own copy of the name.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
bool SaveDibAsJpeg(cDIBSection& cDib, std::u16string sFile, std::int32_t lQuality) {
  // The library's record for this call, released on every way out once
  // ijlInit has taken it.
  plat::JPEG_CORE_PROPERTIES props{};
  if (const plat::IJLERR r = plat::ijlInit(&props); r != plat::IJL_OK)
    plat::Raise(kErrJpeg, Source(), u"Failed to initialise the IJL library: " + Decimal(r), Cause(r));
  const plat::ScopeExit freed([&props] { plat::ijlFree(&props); });

  // The name as the file calls take it: in the long-path form when long.
  const std::u16string callName = plat::ForFileCall(sFile);

  plat::Win32FindDataW replaced{};
  bool existed = false;
  if (NamesOneFile(sFile)) {
    existed = static_cast<bool>(plat::UniqueFind(plat::FindFirstFileW(callName.c_str(), &replaced)));
  }
  if (existed) plat::Kill(sFile);

  props.DIBWidth = cDib.Width();
  props.DIBHeight = plat::CheckedSub(0, cDib.Height());  // bottom-up
  props.DIBBytes = cDib.DIBSectionBitsPtr();
  props.DIBPadBytes = plat::CheckedSub(cDib.BytesPerScanLine(), plat::CheckedMul(cDib.Width(), 3));
  props.JPGFile = sFile.c_str();
  props.JPGWidth = cDib.Width();
  props.JPGHeight = cDib.Height();
  props.jquality = lQuality;

  if (const plat::IJLERR r = plat::ijlWrite(&props, plat::IJL_JFILE_WRITEWHOLEIMAGE); r != plat::IJL_OK) {
    plat::Raise(kErrJpeg, Source(), u"Failed to save to JPG " + Decimal(r), Cause(r));
  }

  if (existed) {
    plat::UniqueFile f(
        plat::CreateFileW(callName.c_str(), plat::kGenericWrite, plat::kFileShareRead, plat::kOpenExisting, 0));
    if (f) {
      plat::SetFileTime(f.get(), &replaced.ftCreationTime, &replaced.ftLastAccessTime, &replaced.ftLastWriteTime);
      f.reset();
      plat::SetFileAttributesW(callName.c_str(), replaced.dwFileAttributes);
    }
  }

  return true;
}

}  // namespace varnel::mIntelJPEGLibrary
