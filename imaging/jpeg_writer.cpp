#include "imaging/jpeg_writer.h"

#include "platform/api.h"
#include "platform/checked.h"
#include "platform/error.h"
#include "platform/jpeg.h"
#include "platform/text.h"
#include "platform/toolkit.h"

namespace varnel::mIntelJPEGLibrary {

namespace {

std::u16string Source() { return plat::AppExeName() + u".mIntelJPEGLibrary"; }

std::u16string Decimal(std::int32_t n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

// The library's record for one call: zero-filled, initialised by Init, and
// released on every way out once Init has succeeded.
class Record {
 public:
  Record() = default;
  ~Record() { Free(); }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;

  plat::IJLERR Init() {
    const plat::IJLERR r = plat::ijlInit(&props_);
    live_ = r == plat::IJL_OK;
    return r;
  }
  void Free() {
    if (live_) plat::ijlFree(&props_);
    live_ = false;
  }
  plat::JPEG_CORE_PROPERTIES& props() { return props_; }

 private:
  plat::JPEG_CORE_PROPERTIES props_{};
  bool live_ = false;
};

// A name holding * or ? stands for no one file (it is how characters
// outside the ANSI code page arrive): looking it up would report whichever
// file the wildcards match.
bool NamesOneFile(const std::string& ansiName) { return ansiName.find_first_of("*?") == std::string::npos; }

}  // namespace

// sFile is taken by value: the call works on its own copy of the name.
bool SaveDibAsJpeg(cDIBSection& cDib, std::u16string sFile, std::int32_t lQuality) {
  Record record;
  if (const plat::IJLERR r = record.Init(); r != plat::IJL_OK)
    plat::Raise(kErrJpeg, Source(), u"Failed to initialise the IJL library: " + Decimal(r));

  // The name as the library and the file calls take it: ANSI, zero-terminated.
  const std::string ansiName = plat::ToAnsi(sFile);

  plat::Win32FindDataA replaced{};
  bool existed = false;
  if (NamesOneFile(ansiName)) {
    const plat::Handle find = plat::FindFirstFileA(ansiName.c_str(), &replaced);
    if (find != plat::kInvalidHandleValue) {
      existed = true;
      plat::FindClose(find);
    }
  }
  if (existed) plat::Kill(sFile);

  plat::JPEG_CORE_PROPERTIES& props = record.props();
  props.DIBWidth = cDib.Width();
  props.DIBHeight = plat::CheckedSub(0, cDib.Height());  // bottom-up
  props.DIBBytes = cDib.DIBSectionBitsPtr();
  props.DIBPadBytes = plat::CheckedSub(cDib.BytesPerScanLine(), plat::CheckedMul(cDib.Width(), 3));
  props.JPGFile = ansiName.c_str();
  props.JPGWidth = cDib.Width();
  props.JPGHeight = cDib.Height();
  props.jquality = lQuality;

  if (const plat::IJLERR r = plat::ijlWrite(&props, plat::IJL_JFILE_WRITEWHOLEIMAGE); r != plat::IJL_OK) {
    record.Free();
    plat::Raise(kErrJpeg, Source(), u"Failed to save to JPG " + Decimal(r));
  }

  if (existed) {
    const plat::HFile f = plat::_lopen(ansiName.c_str(), plat::kOfWrite | plat::kOfShareDenyWrite);
    if (f != plat::kHFileError) {
      plat::SetFileTime(plat::HandleOf(f), &replaced.ftCreationTime, &replaced.ftLastAccessTime,
                        &replaced.ftLastWriteTime);
      plat::_lclose(f);
      plat::SetFileAttributesA(ansiName.c_str(), replaced.dwFileAttributes);
    }
  }

  record.Free();
  return true;
}

}  // namespace varnel::mIntelJPEGLibrary
