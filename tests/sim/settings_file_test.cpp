// Where the settings are kept and in which form, on the simulated platform.
#include <functional>

#include "app/settings_file.h"
#include "platform/api.h"
#include "tests/sim/fixture.h"

namespace varnel::testing {
namespace {

using plat::testing::Utf16File;
using SettingsFileTest = SimMachine;

// "Фото Λήψη": no form in Windows-1252, the simulated ANSI code page.
const std::u16string kFolder = u"C:\\\u0424\u043e\u0442\u043e \u039b\u03ae\u03c8\u03b7";

TEST_F(SettingsFileTest, FileTurnsUnicodeOnlyForAValueTheCodePageLacks) {
  struct Row {
    std::u16string folder;
    std::string ini;
  };
  const Row rows[] = {
      {u"C:\\Caf\u00e9",
       "[other]\r\nkeep=Caf\xe9\r\n[main]\r\nopen=1\r\npath=C:\\Caf\xe9\r\nformat=JPG\r\nnotice=0\r\nscreen=0\r\n"},
      {kFolder, Utf16File(u"[other]\r\nkeep=Caf\u00e9\r\n[main]\r\nopen=1\r\npath=" + kFolder +
                          u"\r\nformat=JPG\r\nnotice=0\r\nscreen=0\r\n")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(plat::ToUtf8(row.folder));
    SetUp();
    WriteIni("[other]\r\nkeep=Caf\xe9\r\n[main]\r\nopen=1\r\n");
    Main& m = Start();
    EXPECT_TRUE(m.settings.AutoOpen);  // read
    sim::ShellTrayMessage(0x203);
    sim::UserType(u"SetFolder", row.folder);
    sim::PressEnter();
    sim::CloseRequest();
    EXPECT_EQ(Ini(), row.ini);

    Main& again = Start();
    EXPECT_FALSE(again.Form().Visible());
    EXPECT_EQ(again.settings.CaptureFolder, row.folder);
    EXPECT_EQ(again.SetFolder.Text(), row.folder);
  }
}

TEST_F(SettingsFileTest, UnwritableExeFolderSendsTheSettingsToTheUser) {
  // A standard user, the exe under Program Files.
  sim::SetStandardUser(true);
  const std::u16string dir = u"C:\\Program Files\\Varnel";
  std::filesystem::create_directories(sim::HostPath(dir));
  sim::DenyWrites("C:\\Program Files\\Varnel");
  sim::SetApp(dir, u"Varnel");

  Main& m = Start();
  EXPECT_TRUE(m.Form().Visible());  // a first run
  sim::UserType(u"SetFolder", u"D:\\Shots");
  sim::PressEnter();
  sim::CloseRequest();
  EXPECT_FALSE(plat::testing::ReadFileBytes(dir + u"\\Varnel.ini").has_value());
  EXPECT_EQ(UserIni(), "[main]\r\npath=D:\\Shots\r\nformat=JPG\r\nopen=0\r\nnotice=0\r\nscreen=0\r\n");

  // The next start is no first run, and start-up stays as the user left it.
  Main& again = Start();
  EXPECT_FALSE(again.Form().Visible());
  EXPECT_EQ(again.settings.CaptureFolder, u"D:\\Shots");
  EXPECT_TRUE(again.settings.RunOnStartUp);
  sim::UserClick(u"SetRunOnStartUp");
  sim::UserClick(u"ApplyButton");
  sim::CloseRequest();
  EXPECT_FALSE(Start().settings.RunOnStartUp);
}

// Two copies side by side: one installed where this user may not write,
// whose settings live per user, and a portable one with its own file. Each
// reads, and writes back to, the file that is its own.
TEST_F(SettingsFileTest, EachCopyKeepsToItsOwnFile) {
  const std::u16string installed = u"C:\\Program Files\\Varnel";
  struct Row {
    const char* what;
    std::u16string dir;
    bool besideReadOnly;
    std::optional<std::string> user;
    const char16_t* folder;  // read at start
    bool toUser;             // and written back per user
  };
  const std::string perUser = "[main]\r\npath=C:\\Installed\r\n";
  const Row rows[] = {
      {"portable, no per-user file", u"C:\\Tools", false, std::nullopt, u"C:\\Beside", false},
      {"portable, another copy's per-user file", u"C:\\Tools", false, perUser, u"C:\\Beside", false},
      {"portable, its own file read-only", u"C:\\Tools", true, perUser, u"C:\\Installed", true},
      {"installed, per-user file", installed, false, perUser, u"C:\\Installed", true},
      {"installed, an empty per-user file", installed, false, std::string(), u"C:\\Beside", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    std::filesystem::create_directories(sim::HostPath(installed));
    sim::SetApp(row.dir, u"Varnel");
    const std::u16string beside = row.dir + u"\\Varnel.ini";
    plat::testing::WriteFileBytes(beside, "[main]\r\npath=C:\\Beside\r\n");
    sim::DenyWrites("C:\\Program Files\\Varnel");
    if (row.besideReadOnly) plat::SetFileAttributesW(beside.c_str(), plat::kFileAttributeReadOnly);
    if (row.user) {
      std::filesystem::create_directories(sim::HostPath(kUserIni).parent_path());
      plat::testing::WriteFileBytes(kUserIni, *row.user);
    }
    Main& m = Start();
    EXPECT_FALSE(m.Form().Visible());
    EXPECT_EQ(m.settings.CaptureFolder, row.folder);
    m.settings.CaptureFolder = u"E:\\New";
    sim::CloseRequest();
    // The edit goes to the copy's own file, and only there.
    const auto besideAfter = plat::testing::ReadFileBytes(beside).value_or("");
    EXPECT_EQ(UserIni().value_or("").find("E:\\New") != std::string::npos, row.toUser);
    EXPECT_EQ(besideAfter.find("E:\\New") != std::string::npos, !row.toUser);
    if (!row.toUser) {
      EXPECT_EQ(UserIni(), row.user);  // another copy's, untouched
    }
  }
}

// A settings file edited by hand and saved in any of the forms Windows
// editors save: read as saved, and written back in that form, with every
// other section, key and comment kept. A byte-order mark is no part of the
// text: a section right after it is read, and the mark is written back.
TEST_F(SettingsFileTest, HandEditedFilesAreReadAndKeptInTheirOwnForm) {
  const std::u16string cyrillic = u"C:\\\u0424\u043e\u0442\u043e";  // "Фото"
  const std::u16string edited = u"; edited by hand\r\n[other]\r\nkeep=Caf\u00e9 \u0424\r\n";
  // Written back: the format chosen, and the notice's key, which the file lacked.
  auto file = [](const std::u16string& head, const std::u16string& folder, bool written) {
    return head + u"[main]\r\npath=" + folder + u"\r\nopen=1\r\n" +
           (written ? u"format=BMP\r\nnotice=0\r\nscreen=0\r\n" : u"");
  };
  auto ansi = [](const std::u16string& text) { return plat::ToAnsi(text); };
  auto utf8 = [](const std::u16string& text) { return plat::ToUtf8(text); };
  auto utf8Marked = [](const std::u16string& text) { return "\xEF\xBB\xBF" + plat::ToUtf8(text); };
  struct Row {
    const char* what;
    std::u16string folder;
    std::function<std::string(const std::u16string&)> form;
    std::u16string read;  // the folder as it is read
    std::u16string head;  // what comes before [main]
  };
  // Not UTF-8: "Фото" in UTF-8 beside an ANSI "é" is read in the code page,
  // as Windows reads it, and goes back as it came.
  const std::u16string mixedRead = plat::FromAnsi(plat::ToUtf8(cyrillic));
  const Row rows[] = {
      {"ANSI", u"C:\\Caf\u00e9", ansi, u"C:\\Caf\u00e9", edited},
      {"UTF-8 without a byte-order mark", cyrillic, utf8, cyrillic, edited},
      {"UTF-8 with a byte-order mark", cyrillic, utf8Marked, cyrillic, edited},
      {"UTF-8 with a byte-order mark, [main] first", cyrillic, utf8Marked, cyrillic, u""},
      {"UTF-16 LE", cyrillic, [](const std::u16string& text) { return Utf16File(text); }, cyrillic, edited},
      {"not valid UTF-8", mixedRead, ansi, mixedRead, edited},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    WriteIni(row.form(file(row.head, row.folder, false)));
    Main& m = Start();
    EXPECT_EQ(m.settings.CaptureFolder, row.read);
    EXPECT_TRUE(m.settings.AutoOpen);
    sim::ShellTrayMessage(0x203);
    sim::UserClick(u"BMPOption");
    sim::PressEnter();
    sim::CloseRequest();
    EXPECT_EQ(Ini(), row.form(file(row.head, row.folder, true)));
    EXPECT_EQ(Start().settings.CaptureFolder, row.read);
  }
}

}  // namespace
}  // namespace varnel::testing
