#include "imaging/jpeg_writer.h"

#include "imaging/ijl.h"

#include "platform/api.h"
#include "platform/app_env.h"
#include "platform/checked.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/handles.h"
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
std::uint32_t Cause(IJLERR r) {
  if (r == IJL_MEMORY_ERROR) return plat::kErrorNotEnoughMemory;
  return r == IJL_FILE_ERROR || r == IJL_INVALID_FILENAME ? plat::GetLastError() : 0;
}

// A name holding * or ? stands for no one file: looking it up would report
// whichever file the wildcards match.
bool NamesOneFile(const std::u16string& name) { return name.find_first_of(u"*?") == std::u16string::npos; }

// The library's record for one call: initialised, released on every way
// out once ijlInit has taken it.
class Record {
 public:
  Record() {
    if (const IJLERR r = ijlInit(&props_); r != IJL_OK)
      plat::Raise(kErrJpeg, Source(), u"Failed to initialise the IJL library: " + Decimal(r), Cause(r));
  }
  ~Record() { ijlFree(&props_); }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  JPEG_CORE_PROPERTIES& props() { return props_; }

  // The picture, its JPEG's size and quality.
  void Describe(const ImageView& image, std::int32_t quality) {
    props_.DIBWidth = image.width;
    props_.DIBHeight = plat::CheckedSub(0, image.height);  // bottom-up
    props_.DIBBytes = image.bits;
    props_.DIBPadBytes = plat::CheckedSub(image.stride, plat::CheckedMul(image.width, 3));
    props_.JPGWidth = image.width;
    props_.JPGHeight = image.height;
    props_.jquality = quality;
  }
  void Write(IJLIOTYPE mode) {
    if (const IJLERR r = ijlWrite(&props_, mode); r != IJL_OK)
      plat::Raise(kErrJpeg, Source(), u"Failed to save to JPG " + Decimal(r), Cause(r));
  }

 private:
  JPEG_CORE_PROPERTIES props_{};
};

}  // namespace

EncodedFile EncodeJpeg(const ImageView& image, std::int32_t lQuality) {
  Record record;
  record.Describe(image, lQuality);
  record.Write(IJL_JBUFF_WRITEWHOLEIMAGE);
  EncodedFile file;
  file.pieces.push_back({record.props().JPGBytes, record.props().JPGSizeBytes});
  return file;
}

// sFile is taken by value: the call works on its own copy of the name.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
bool SaveDibAsJpeg(cDIBSection& cDib, std::u16string sFile, std::int32_t lQuality) {
  Record record;

  // The name as the file calls take it: in the long-path form when long.
  const std::u16string callName = plat::ForFileCall(sFile);

  plat::Win32FindDataW replaced{};
  bool existed = false;
  if (NamesOneFile(sFile)) {
    existed = static_cast<bool>(plat::UniqueFind(plat::FindFirstFileW(callName.c_str(), &replaced)));
  }
  if (existed) plat::Kill(sFile);

  record.Describe(cDib.View(), lQuality);
  record.props().JPGFile = sFile.c_str();
  record.Write(IJL_JFILE_WRITEWHOLEIMAGE);

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
