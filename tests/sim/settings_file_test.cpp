// Where the settings are kept and in which form, on the simulated platform.
#include "app/settings_file.h"
#include "tests/sim/fixture.h"

namespace varnel::testing {
namespace {

using SettingsFileTest = SimMachine;

// "Фото Λήψη": no form in Windows-1252, the simulated ANSI code page.
const std::u16string kFolder = u"C:\\\u0424\u043e\u0442\u043e \u039b\u03ae\u03c8\u03b7";

std::string Marked(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

TEST_F(SettingsFileTest, FileTurnsUnicodeOnlyForAValueTheCodePageLacks) {
  struct Row {
    std::u16string folder;
    std::string ini;
  };
  const Row rows[] = {
      {u"C:\\Caf\u00e9", "[other]\r\nkeep=Caf\xe9\r\n[main]\r\nopen=1\r\npath=C:\\Caf\xe9\r\nformat=JPG\r\n"},
      {kFolder, Marked(u"[other]\r\nkeep=Caf\u00e9\r\n[main]\r\nopen=1\r\npath=" + kFolder + u"\r\nformat=JPG\r\n")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(plat::ToUtf8(row.folder));
    SetUp();
    WriteIni("[other]\r\nkeep=Caf\xe9\r\n[main]\r\nopen=1\r\n");
    Main& m = Start();
    EXPECT_TRUE(m.AutoOpen);  // read
    sim::ShellTrayMessage(0x203);
    sim::UserType(u"SetFolder", row.folder);
    sim::PressEnter();
    sim::CloseRequest();
    EXPECT_EQ(Ini(), row.ini);

    Main& again = Start();
    EXPECT_FALSE(again.Form().Visible());
    EXPECT_EQ(again.CaptureFolder, row.folder);
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
  EXPECT_EQ(UserIni(), "[main]\r\npath=D:\\Shots\r\nformat=JPG\r\nopen=0\r\n");

  // The next start is no first run, and start-up stays as the user left it.
  Main& again = Start();
  EXPECT_FALSE(again.Form().Visible());
  EXPECT_EQ(again.CaptureFolder, u"D:\\Shots");
  EXPECT_TRUE(again.RunOnStartUp);
  sim::UserClick(u"SetRunOnStartUp");
  sim::UserClick(u"ApplyButton");
  sim::CloseRequest();
  EXPECT_FALSE(Start().RunOnStartUp);
}

TEST_F(SettingsFileTest, PerUserFileWinsWhenItHasContent) {
  struct Row {
    const char* name;
    std::optional<std::string> user;
    const char16_t* folder;
  };
  for (const Row& row :
       {Row{"no per-user file", std::nullopt, u"C:\\Beside"}, Row{"an empty one", std::string(), u"C:\\Beside"},
        Row{"one with content", std::string("[main]\r\npath=C:\\Mine\r\n"), u"C:\\Mine"}}) {
    SCOPED_TRACE(row.name);
    SetUp();
    WriteIni("[main]\r\npath=C:\\Beside\r\n");
    if (row.user) {
      std::filesystem::create_directories(sim::HostPath(kUserIni).parent_path());
      plat::testing::WriteFileBytes(kUserIni, *row.user);
    }
    Main& m = Start();
    EXPECT_FALSE(m.Form().Visible());
    EXPECT_EQ(m.CaptureFolder, row.folder);
    m.CaptureFolder = u"E:\\New";
    sim::CloseRequest();
    // The edit goes back to the file it came from, and only there.
    const bool user = row.folder == std::u16string(u"C:\\Mine");
    EXPECT_NE((user ? UserIni() : Ini())->find("E:\\New"), std::string::npos);
    EXPECT_EQ((user ? Ini() : UserIni()).value_or("").find("E:\\New"), std::string::npos);
  }
}

}  // namespace
}  // namespace varnel::testing
