// The internet-cafe survey against masked union files and real evidence in
// the Wine prefix: registry values, shortcuts, processes and files.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win/com_win.h"
#include "survey/internet_cafe.h"
#include "platform/win/path_macros_win.h"
#include "tests/win/test_support_win.h"

namespace anti_cheat {
namespace {

std::string Masked(const std::string& xml) {
  std::string bytes = ".tmp";
  for (char c : xml) bytes += static_cast<char>(c ^ 0x3E);
  return bytes;
}

std::string Utf8(const std::wstring& text) {
  std::string out(
      static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  out.pop_back();
  return out;
}

class CafeTest : public testing::Test {
 protected:
  // The verdict of a union file holding `softs` inside root/cybercafe,
  // after the sections in `before`.
  std::optional<int> Verdict(const std::string& softs, const std::string& root = "root",
                             const std::string& before = "") {
    const std::wstring path = m_dir.Path() + L"unioncfg.dat";
    EXPECT_TRUE(tw::test::WriteWholeFile(
        path, Masked("<" + root + ">" + before + "<cybercafe>" + softs + "</cybercafe></" + root + ">")));
    return ComputeInternetCafeVerdict(path);
  }
  std::string ExistingFile(const wchar_t* name) {
    const std::wstring path = m_dir.Path() + name;
    EXPECT_TRUE(tw::test::WriteWholeFile(path, "x"));
    return Utf8(path);
  }
  tw::test::ScratchDir m_dir;
};

TEST_F(CafeTest, DocumentRules) {
  const std::string hit = "<env filepath=\"" + ExistingFile(L"found.txt") + "\"/>";
  EXPECT_EQ(Verdict("<soft id=\"1\" name=\"a\">" + hit + "</soft>"), 1);
  EXPECT_EQ(Verdict("<soft id=\"1\" name=\"a\"><env filepath=\"C:\\nowhere.txt\"/></soft>"), 0);
  EXPECT_EQ(Verdict("<soft id=\"0\">" + hit + "</soft><soft name=\"no id\">" + hit + "</soft>"), 0)
      << "rules with id 0 or none are ignored";
  EXPECT_EQ(Verdict("<soft id=\"2\"><rgistry x=\"1\"/><ENV filepath=\"" + ExistingFile(L"f2.txt") + "\"/></soft>"), 1)
      << "a misspelt check is skipped, the others count; check names ignore case";
  EXPECT_EQ(Verdict("<soft id=\"1\">" + hit + "</soft>", "ROOT"), 1) << "the root's name ignores case";
  EXPECT_EQ(Verdict("<soft id=\"1\">" + hit + "</soft>", "rules"), 0);
  EXPECT_EQ(Verdict("<soft id=\"1\">" + hit + "</soft>", "root", "<other><soft id=\"9\"/></other>"), 1)
      << "another section before the cafe rules";

  const std::wstring path = m_dir.Path() + L"unioncfg.dat";
  ASSERT_TRUE(tw::test::WriteWholeFile(path, "XXXX" + Masked("<root/>").substr(4)));
  EXPECT_EQ(ComputeInternetCafeVerdict(path), 0) << "wrong magic: verdict 0";
  ASSERT_TRUE(tw::test::WriteWholeFile(path, ""));
  EXPECT_EQ(ComputeInternetCafeVerdict(path), 0) << "empty file";
  ASSERT_TRUE(tw::test::WriteWholeFile(path, Masked("<root><cybercafe><soft id=\"1\">")));
  EXPECT_EQ(ComputeInternetCafeVerdict(path), 0) << "truncated XML";
  EXPECT_FALSE(ComputeInternetCafeVerdict(m_dir.Path() + L"missing.dat").has_value());
}

TEST_F(CafeTest, RegistryCheckFindsTheLibraryBesideTheExecutable) {
  ExistingFile(L"cafe.dll");
  const std::wstring command = L"\"" + m_dir.Path() + L"cafe.exe\" -tray";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\TwCafeTest", L"InstallPath", REG_SZ, command.c_str(),
                              static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  const std::string reg =
      R"(<reg instRootKey="3" dirReg="Software\TwCafeTest" instSubKeyName="InstallPath" filename=")";
  EXPECT_EQ(Verdict("<soft id=\"1\">" + reg + "cafe.dll\"/></soft>"), 1);
  EXPECT_EQ(Verdict("<soft id=\"1\">" + reg + "other.dll\"/></soft>"), 0);
  EXPECT_EQ(Verdict("<soft id=\"1\">" + reg + "\"/></soft>"), 0) << "an empty file name never matches";
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TwCafeTest");
}

// A value that exactly fills the rule's 261 bytes, stored without a
// terminator (the 261st byte a backslash, half a character): its text ends
// inside the buffer, so the executable's folder is the one named.
TEST_F(CafeTest, RegistryCheckReadsAnExactlyFullUnterminatedValue) {
  ExistingFile(L"cafe.dll");
  std::wstring text = m_dir.Path() + L"cafe";
  ASSERT_LT(text.size(), 130u);
  text.resize(130, L' ');  // blanks the rule trims
  std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  bytes += '\\';
  ASSERT_EQ(bytes.size(), 261u);
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\TwCafeTest", L"InstallPath", REG_SZ, bytes.data(),
                              static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  const std::string reg =
      R"(<reg instRootKey="3" dirReg="Software\TwCafeTest" instSubKeyName="InstallPath" filename=")";
  EXPECT_EQ(Verdict("<soft id=\"1\">" + reg + "cafe.dll\"/></soft>"), 1);
  bytes += "xy";  // 263 bytes: larger than the rule reads
  ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\TwCafeTest", L"InstallPath", REG_SZ, bytes.data(),
                    static_cast<DWORD>(bytes.size()));
  EXPECT_EQ(Verdict("<soft id=\"1\">" + reg + "cafe.dll\"/></soft>"), 0);
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TwCafeTest");
}

TEST_F(CafeTest, ProcessAndDefaultPathChecks) {
  EXPECT_EQ(Verdict(R"(<soft id="1"><process name="SURVEY_TESTS.EXE"/></soft>)"), 1) << "this very process";
  EXPECT_EQ(Verdict(R"(<soft id="1"><process name="no-such-cafe.exe"/></soft>)"), 0);

  std::wstring folder = L"%PROGRAMFILES%\\TwCafeTest";
  ASSERT_TRUE(tw::ExpandPathMacros(folder, tw::MacroSet::kSurvey));
  ::CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(tw::test::WriteWholeFile(folder + L"\\client.exe", "x"));
  EXPECT_EQ(Verdict(R"(<soft id="1"><defaultpath path="%PROGRAMFILES%/TwCafeTest//client.exe"/></soft>)"), 1);
  EXPECT_EQ(Verdict(R"(<soft id="1"><defaultpath path="%PROGRAMFILES%/TwCafeTest/other.exe"/></soft>)"), 0);
  ::DeleteFileW((folder + L"\\client.exe").c_str());
  ::RemoveDirectoryW(folder.c_str());
}

// A shortcut to `target` named `name` in the shell folder `csidl`; removed by the caller.
std::wstring PlaceShortcut(int csidl, const wchar_t* name, const std::wstring& target) {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, 0, folder))) return L"";
  ::CreateDirectoryW(folder, nullptr);
  const std::wstring link = std::wstring(folder) + L"\\" + name;
  bool saved = false;
  const tw::win::ComApartment com;
  if (SUCCEEDED(com.Result())) {
    tw::win::ComPtr<IShellLinkW> shell;
    if (SUCCEEDED(
            ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shell.PutVoid()))) {
      shell->SetPath(target.c_str());
      tw::win::ComPtr<IPersistFile> file;
      if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, file.PutVoid()))) {
        saved = SUCCEEDED(file->Save(link.c_str(), TRUE));
      }
    }
  }
  return saved ? link : L"";
}

TEST_F(CafeTest, ShortcutChecksLookWhereTheirTypeSays) {
  ExistingFile(L"barclient.exe");
  const std::wstring target = m_dir.Path() + L"barclient.exe";
  const std::wstring onDesktop = PlaceShortcut(CSIDL_COMMON_DESKTOPDIRECTORY, L"TwCafeDesk.lnk", target);
  const std::wstring inPrograms = PlaceShortcut(CSIDL_COMMON_PROGRAMS, L"TwCafeMenu.lnk", target);
  ASSERT_FALSE(onDesktop.empty() || inPrograms.empty());
  const struct {
    const char* soft;
    int verdict;
  } cases[] = {
      {R"(<lnk name="TwCafeDesk.lnk" type="desktop" filename="barclient"/>)", 1},
      {R"(<lnk name="TwCafeDesk.lnk" type="desktop" filename="other"/>)", 0},
      {R"(<lnk name="TwCafeDesk.lnk" type="desktop" filename=""/>)", 1},
      {R"(<lnk name="TwCafeMenu.lnk" type="startup" filename="barclient"/>)", 1},
      {R"(<lnk name="TwCafeMenu.lnk" type="startup" filename="BarClient"/>)", 0},  // case-sensitive
      {R"(<lnk name="TwCafeDesk.lnk" type="startup"/>)", 0},  // the Start menu holds no such shortcut
      {R"(<lnk name="TwCafeMenu.lnk" type="desktop"/>)", 0},  // nor the desktop this one
      {R"(<lnk name="TwCafeDesk.lnk" type="quicklaunch"/>)", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Verdict(std::string(R"(<soft id="1">)") + c.soft + "</soft>"), c.verdict) << c.soft;
  }
  ::DeleteFileW(onDesktop.c_str());
  ::DeleteFileW(inPrograms.c_str());
}

TEST_F(CafeTest, TheVerdictIsComputedOncePerProcess) {
  EXPECT_FALSE(IsInternetCafe(L"")) << "no path: nothing computed";
  EXPECT_FALSE(IsInternetCafe(m_dir.Path() + L"missing.dat"));
  const std::wstring path = m_dir.Path() + L"unioncfg.dat";
  ASSERT_TRUE(tw::test::WriteWholeFile(path, Masked("<root><cybercafe><soft id=\"1\"><env filepath=\"" +
                                                    ExistingFile(L"hit.txt") + "\"/></soft></cybercafe></root>")));
  EXPECT_TRUE(IsInternetCafe(path));
  EXPECT_EQ(InternetCafeVerdict(), 1);
  ::DeleteFileW(path.c_str());
  EXPECT_TRUE(IsInternetCafe(path)) << "the cached verdict survives the file";
  EXPECT_EQ(InternetCafeVerdict(), 1);
}

}  // namespace
}  // namespace anti_cheat
