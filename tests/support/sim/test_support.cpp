// The tests' machine on the simulated platform: a fresh sandbox and
// registry for each test, and the simulated registry's and files' raw bytes.
#include "tests/support/test_support.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/sim/sim.h"
#include "platform/text.h"

namespace plat::testing {

void BeginTest() {
  sim::Reset(std::filesystem::temp_directory_path() / ("varnel-sim-" + std::to_string(::getpid())));
  sim::CreateKey(kHKeyCurrentUser, ToUtf8(TestKey()));
  std::filesystem::create_directories(sim::HostPath(TempDir()));
}

std::u16string TempDir() { return u"C:\\scratch"; }
std::u16string TestKey() { return u"Software\\VarnelTests"; }

void WriteRaw(Hkey root, const std::u16string& key, const std::u16string& name, const RawValue& v) {
  sim::SetRawValue(root, ToUtf8(key), ToUtf8(name), {v.type, v.data});
}

std::optional<RawValue> ReadRaw(Hkey root, const std::u16string& key, const std::u16string& name) {
  auto v = sim::GetRawValue(root, ToUtf8(key), ToUtf8(name));
  if (!v) return std::nullopt;
  return RawValue{v->type, v->data};
}

bool KeyExists(Hkey root, const std::u16string& key) { return sim::KeyExists(root, ToUtf8(key)); }

bool UnderWine() { return false; }

std::u16string ShortPathOf(const std::u16string& path) { return sim::ShortPath(path); }
ItemList ItemListOf(const std::u16string& path) { return HandleOf<ItemList>(sim::ItemListFor(path)); }

std::optional<std::string> ReadFileBytes(const std::u16string& path) {
  std::ifstream in(sim::HostPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileBytes(const std::u16string& path, const std::string& bytes) {
  std::ofstream(sim::HostPath(path), std::ios::binary | std::ios::trunc) << bytes;
}

void RemoveFolder(const std::u16string& path) {
  std::error_code ec;
  std::filesystem::remove_all(sim::HostPath(path), ec);
}

void MakeFolder(const std::u16string& path) { std::filesystem::create_directories(sim::HostPath(path)); }

std::string HostPath(const std::u16string& path) { return sim::HostPath(path).string(); }

int RunHostProgram(const std::string& program, const std::vector<std::string>& arguments) {
  // Through the shell, every word in single quotes.
  auto quote = [](const std::string& word) {
    std::string q = "'";
    for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  };
  std::string command = quote(program);
  for (const std::string& a : arguments) command += " " + quote(a);
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace plat::testing
