// A capture that was read but could not be written is never lost: its
// message offers Save as..., which writes the kept picture wherever the
// user chooses, and Close, which gives it up. The picture is the capture's
// own, whatever the clipboard holds meanwhile, and an exit from the icon
// while pictures are kept asks first.
#include <algorithm>
#include <string>
#include <vector>

#include "app/capture_folder.h"
#include "app/file_formats.h"
#include "app/main_form.h"
#include "platform/api.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/text.h"

namespace varnel {

namespace {

constexpr char16_t kSaveAs[] = u"Save as\u2026";
constexpr char16_t kClose[] = u"Close";

// The file's name without its folder and extension.
std::u16string StemOf(const std::u16string& file) {
  const std::size_t name = file.find_last_of(u'\\') + 1;
  const std::size_t dot = file.rfind(u'.');
  return file.substr(name, dot == std::u16string::npos || dot < name ? std::u16string::npos : dot - name);
}

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EndsWithNoCase(const std::u16string& text, const std::u16string& end) {
  if (text.size() < end.size()) return false;
  for (std::size_t i = 0; i < end.size(); ++i)
    if (Lower(text[text.size() - end.size() + i]) != Lower(end[i])) return false;
  return true;
}

// The user's Pictures folder, empty where Windows has none.
std::u16string PicturesFolder() {
  std::u16string path(plat::kMaxPath, u'\0');
  if (plat::SHGetFolderPathW({}, plat::kCsidlMyPictures, 0, plat::kShgfpTypeCurrent, path.data()) != 0) return {};
  path.resize(path.find(u'\0'));
  return path;
}

}  // namespace

void Main::OfferSaveAs(const std::u16string& prompt, std::uint32_t kept) {
  messages_.Ask(prompt, u"Error", true, {kSaveAs, kClose}, [this, kept](std::size_t button, plat::Hwnd owner) {
    if (button == 0 && !SaveKeptAs(kept, owner)) return false;  // cancelled: the message again
    capture_.GiveUp(kept);                                      // saved (given up already), or closed
    return true;
  });
}

bool Main::SaveKeptAs(std::uint32_t kept, plat::Hwnd owner) {
  const std::u16string* file = capture_.KeptFile(kept);
  const FileFormat* format = capture_.KeptFormat(kept);
  if (!file || !format) return true;  // given up meanwhile: nothing left to save

  plat::SaveFileRequest request{owner, u"Save the capture as", {}, StemOf(*file), {}, 0};
  for (const FileFormat& f : FileFormats()) {
    if (&f == format) request.type = request.types.size();
    request.types.push_back({f.caption, f.extension});
  }
  // The captions carry their access keys.
  for (plat::FileType& t : request.types) std::erase(t.name, u'&');
  // The folder of the last capture that worked, while it is there.
  request.folder = capture_.LastFolder();
  if (request.folder.empty() || !plat::FolderExists(request.folder)) request.folder = PicturesFolder();

  for (;;) {
    std::optional<plat::SaveFileAnswer> answer;
    plat::Attempt([&] { answer = plat::SaveFileDialog(request); });
    if (!answer) return false;
    // The format the name's extension says, else the type chosen.
    const FileFormat* chosen = &FileFormats()[std::min(answer->type, FileFormats().size() - 1)];
    for (const FileFormat& f : FileFormats())
      if (EndsWithNoCase(answer->path, f.extension)) chosen = &f;
    const auto why = capture_.SaveKept(kept, answer->path, *chosen);
    if (!why) return true;
    // Told over the message it belongs to, then the dialog where the user was.
    plat::Attempt([&] { plat::MsgBox(NotSavedPrompt(answer->path, *why), u"Error", owner, true); });
    request.folder = FolderOf(answer->path);
    request.fileName = StemOf(answer->path);
    request.type = static_cast<std::size_t>(chosen - FileFormats().data());
  }
}

void Main::ExitFromIcon() {
  if (const std::size_t n = capture_.KeptCount(); n != 0) {
    const std::u16string count = plat::FromUtf8(std::to_string(n));
    const std::u16string question =
        n == 1 ? u"1 capture was not saved. Exit anyway?" : count + u" captures were not saved. Exit anyway?";
    const std::vector<std::u16string> buttons{u"Yes", u"No"};
    const plat::Hwnd owner = messages_.Owner();
    std::size_t pressed = 1;
    // No is the default: an Enter pressed by habit loses nothing.
    plat::Attempt([&] { pressed = plat::TaskBox(question, u"", owner, true, buttons, 1); });
    if (pressed != 0 || form_.Unloaded()) return;
  }
  form_.Unload();
}

}  // namespace varnel
