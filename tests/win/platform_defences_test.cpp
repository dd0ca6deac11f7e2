// The platform's defences against what lies beside an elevated installer,
// under Wine for real: the library search narrowed to the system directory,
// files held so that nobody can swap them, registry text ended inside its
// buffer, and key walks that end on any error.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/com_win.h"
#include "platform/win/held_file_win.h"
#include "platform/win/library_loading_win.h"
#include "platform/win/module_path_win.h"
#include "platform/win/registry_win.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3 + 1, '\0');
  out.resize(static_cast<size_t>(
      ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  if (!out.empty()) out.pop_back();
  return out;
}

std::wstring LoadedFrom(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(module, path, MAX_PATH);
  return path;
}

std::wstring SystemDirectory() {
  wchar_t path[MAX_PATH] = {};
  ::GetSystemDirectoryW(path, MAX_PATH);
  return path;
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && ::_wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// A 1x1 PNG through GDI+, as the window framework decodes its art.
bool DecodePicture() {
  static const unsigned char kPng[] = {
      0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
      0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00,
      0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0xF0, 0x1F, 0x00, 0x05, 0x00, 0x01, 0xFF,
      0x89, 0x99, 0x3D, 0x1D, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
  // GDI+ for this one decoding, ended after the bitmap has gone.
  struct GdiplusSession {
    GdiplusSession() { started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok; }
    ~GdiplusSession() {
      if (started) Gdiplus::GdiplusShutdown(token);
    }
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    bool started = false;
  } session;
  if (!session.started) return false;
  bool decoded = false;
  if (const win::ComPtr<IStream> stream(::SHCreateMemStream(kPng, sizeof kPng)); stream) {
    const Gdiplus::Bitmap bitmap(stream.Get());
    decoded = bitmap.GetLastStatus() == Gdiplus::Ok;
  }
  return decoded;
}

// Libraries that mark their loading, planted beside this program and in
// its current directory under names of Windows libraries it has not loaded.
TEST(LibrarySearch, NothingBesideTheProgramOrInTheCurrentDirectoryIsLoaded) {
  const wchar_t* const kNames[] = {L"userenv.dll", L"rasapi32.dll", L"dwmapi.dll",
                                   L"uxtheme.dll", L"winhttp.dll",  L"propsys.dll"};
  test::ScratchDir current;
  const std::wstring mark = test::ProgramDir() + L"tw_mark_library.dll";
  for (const wchar_t* name : kNames) {
    ASSERT_EQ(::GetModuleHandleW(name), nullptr) << "already loaded: the test would prove nothing";
    ASSERT_TRUE(::CopyFileW(mark.c_str(), (test::ProgramDir() + name).c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(mark.c_str(), (current.Path() + name).c_str(), FALSE));
  }
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ::SetCurrentDirectoryW(current.Path().c_str());

  EXPECT_TRUE(win::RestrictLibrarySearch()) << "Wine has SetDefaultDllDirectories";
  win::PreloadSystemLibraries();
  EXPECT_TRUE(DecodePicture()) << "GDI+ decodes a PNG (Wine's loads the imaging codecs for it)";
  HMODULE viaHelper = win::LoadSystemLibrary(L"userenv.dll");
  HMODULE viaHelperNarrow = win::LoadSystemLibrary("rasapi32.dll");
  HMODULE plain = ::LoadLibraryW(L"dwmapi.dll");  // as Windows' own libraries load on demand
  HMODULE plainToo = ::LoadLibraryW(L"uxtheme.dll");
  EXPECT_EQ(win::LoadSystemLibrary(L"..\\winhttp.dll"), nullptr) << "a bare file name only";
  for (HMODULE module : {viaHelper, viaHelperNarrow, plain, plainToo}) {
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(StartsWithNoCase(LoadedFrom(module), SystemDirectory())) << Utf8(LoadedFrom(module));
  }
  ::SetCurrentDirectoryW(previous);
  for (const wchar_t* name : kNames) {
    for (const std::wstring& folder : {test::ProgramDir(), current.Path()}) {
      const std::wstring planted = folder + name;
      EXPECT_EQ(::GetFileAttributesW((planted + L".loaded").c_str()), INVALID_FILE_ATTRIBUTES)
          << Utf8(planted) << " was loaded";
      ::DeleteFileW((planted + L".loaded").c_str());
      ::DeleteFileW(planted.c_str());
    }
  }
}

// What was verified stays what it was: while held, another handle (of any
// process, this one included) can neither write, rename nor delete it.
// The installer's manifest binds comctl32 6.0, which lies apart from the
// system directory's 5.8; its delay-loaded calls must reach the bound copy,
// which a full system path would pass by.
TEST(LibrarySearch, AManifestBoundLibraryIsTheCopyTheManifestBinds) {
  test::ScratchDir folder;
  const std::wstring manifest = folder.Path() + L"bound.manifest";
  const std::string architecture = sizeof(void*) == 4 ? "x86" : "amd64";
  ASSERT_TRUE(test::WriteWholeFile(
      manifest,
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
      "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"><dependency><dependentAssembly>"
      "<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
      "processorArchitecture=\"" +
          architecture +
          "\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>"
          "</dependentAssembly></dependency></assembly>"));
  // The binding is active while this lives, as the manifest's is in the installer.
  struct ActiveBinding {
    explicit ActiveBinding(const std::wstring& path) {
      ACTCTXW description{};
      description.cbSize = sizeof description;
      description.lpSource = path.c_str();
      context = ::CreateActCtxW(&description);
      active = context != INVALID_HANDLE_VALUE && ::ActivateActCtx(context, &cookie);
    }
    ~ActiveBinding() {
      if (active) ::DeactivateActCtx(0, cookie);
      if (context != INVALID_HANDLE_VALUE) ::ReleaseActCtx(context);
    }
    HANDLE context = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie = 0;
    bool active = false;
  } binding(manifest);
  ASSERT_TRUE(binding.active);

  // Wine hands out a loaded comctl32 for either name: the first load decides.
  ASSERT_EQ(::GetModuleHandleW(L"comctl32.dll"), nullptr) << "already loaded: the test would prove nothing";
  HMODULE bound = win::LoadManifestBoundLibrary(L"comctl32.dll");
  ASSERT_NE(bound, nullptr);
  EXPECT_FALSE(StartsWithNoCase(LoadedFrom(bound), SystemDirectory())) << Utf8(LoadedFrom(bound));
  EXPECT_EQ(win::LoadManifestBoundLibrary(L"..\\comctl32.dll"), nullptr) << "a bare file name only";
}

TEST(HeldFile, RefusesWritersRenamersAndDeletersButNotReadersOrStarts) {
  test::ScratchDir dir;
  const std::wstring path = dir.Path() + L"package.exe";
  ASSERT_TRUE(::CopyFileW(win::GetModulePath().c_str(), path.c_str(), FALSE));
  win::HeldFile held = win::HeldFile::Hold(path);
  ASSERT_TRUE(held.IsHeld());

  win::UniqueFile writer(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(writer.IsValid()) << "opened for writing";
  EXPECT_FALSE(::MoveFileExW(path.c_str(), (path + L".aside").c_str(), MOVEFILE_REPLACE_EXISTING)) << "renamed";
  EXPECT_FALSE(::DeleteFileW(path.c_str())) << "deleted";
  EXPECT_TRUE(win::HeldFile::Hold(path).IsHeld()) << "a second reader is welcome";

  size_t bytes = 0;
  EXPECT_TRUE(held.ReadAll([&bytes](const unsigned char*, size_t length) { bytes += length; }));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(bytes, data.nFileSizeLow);

  // The held program still starts (it lists its tests and leaves).
  EXPECT_EQ(test::RunProcess(L"\"" + path + L"\" --gtest_list_tests"), std::optional<DWORD>(0));
  held.Release();
  EXPECT_TRUE(::DeleteFileW(path.c_str())) << "let go, it may go";
}

TEST(HeldFile, AFileSomeoneWritesCannotBeHeld) {
  test::ScratchDir dir;
  const std::wstring path = dir.Path() + L"busy.bin";
  win::UniqueFile writer(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer.IsValid());
  EXPECT_FALSE(win::HeldFile::Hold(path).IsHeld());
  writer.Reset();
  EXPECT_TRUE(win::HeldFile::Hold(path).IsHeld());
  EXPECT_FALSE(win::HeldFile::Hold(dir.Path() + L"missing.bin").IsHeld());
}

class RegistryText : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, m_key.Put(), nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    m_key.Reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  }
  void Store(const std::string& bytes, DWORD type = REG_SZ) {
    ASSERT_EQ(::RegSetValueExW(m_key.Get(), L"v", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  static std::string Utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  }
  static constexpr wchar_t kKey[] = L"Software\\TwPlatformTest";
  win::UniqueRegKey m_key;
};

// Values that exactly fill what the reader takes, stored without their
// terminator: the text ends inside the buffer all the same.
TEST_F(RegistryText, UnterminatedValuesEndInsideTheBuffer) {
  Store(Utf16(std::wstring(130, L'a')));  // 260 bytes, no terminator
  EXPECT_EQ(win::ReadRegStringWithin(m_key.Get(), L"v", 260), std::wstring(130, L'a'));
  Store(Utf16(std::wstring(130, L'b')) + "c");  // 261 bytes: half a character more
  EXPECT_EQ(win::ReadRegStringWithin(m_key.Get(), L"v", 261), std::wstring(130, L'b'));
  Store(Utf16(L"short") + std::string(2, '\0'));
  EXPECT_EQ(win::ReadRegStringWithin(m_key.Get(), L"v", 261), L"short");
  Store(Utf16(std::wstring(131, L'd')));  // 262 bytes: larger than 261
  EXPECT_EQ(win::ReadRegStringWithin(m_key.Get(), L"v", 261), std::nullopt);
  Store(Utf16(L"expand") + std::string(2, '\0'), REG_EXPAND_SZ);
  EXPECT_EQ(win::ReadRegStringWithin(m_key.Get(), L"v", 261), std::nullopt) << "another type";
  Store(Utf16(std::wstring(40, L'e')));
  EXPECT_EQ(win::ReadRegString(m_key.Get(), L"v"), std::wstring(40, L'e'));
}

struct WalkOfDeletedKey {
  HKEY key;
  bool found = true;
  static DWORD WINAPI Run(void* self) {
    auto* walk = static_cast<WalkOfDeletedKey*>(self);
    walk->found = win::AnySubkeyName(walk->key, [](std::wstring_view) { return false; });
    return 0;
  }
};

// The PCI and IDE walks end on any error, not only when the names run out:
// here the key is deleted under the open handle, so every step fails.
TEST(RegistryWalk, AKeyThatFailsForEverEndsTheWalk) {
  constexpr wchar_t kWalked[] = L"Software\\TwWalkTest";
  win::UniqueRegKey child;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kWalked) + L"\\child").c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, child.Put(), nullptr),
            ERROR_SUCCESS);
  child.Reset();
  win::UniqueRegKey opened;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kWalked, 0, KEY_ENUMERATE_SUB_KEYS, opened.Put()), ERROR_SUCCESS);
  std::vector<std::wstring> names;
  EXPECT_TRUE(win::AnySubkeyName(opened.Get(), [&names](std::wstring_view name) {
    names.emplace_back(name);
    return name == L"child";
  }));
  ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, kWalked), ERROR_SUCCESS);
  // On a thread of its own, so a walk that never ends fails the test instead of hanging it.
  WalkOfDeletedKey walking{opened.Get()};
  win::UniqueHandleObject walk(::CreateThread(nullptr, 0, &WalkOfDeletedKey::Run, &walking, 0, nullptr));
  ASSERT_TRUE(walk.IsValid());
  const DWORD waited = ::WaitForSingleObject(walk.Get(), 30000);
  if (waited != WAIT_OBJECT_0) ::TerminateThread(walk.Get(), 1);
  EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "the walk did not end";
  EXPECT_FALSE(walking.found);
}

}  // namespace
}  // namespace tw
