// What a user's Windows sees in the file before running it: a 32-bit GUI
// program that asks for administrator rights, with its icons and version.
#include <gtest/gtest.h>

#include <string>

#include "platform/win/unique_handle_win.h"
#include "resources/resource_ids.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

class InstallerFileTest : public testing::Test {
 protected:
  void SetUp() override {
    m_path = test::ProgramDir() + L"twinstall.exe";
    m_module.Reset(
        ::LoadLibraryExW(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(m_module);
  }

  std::string Resource(const wchar_t* type, const wchar_t* name) {
    HRSRC found = ::FindResourceW(m_module.Get(), name, type);
    if (found == nullptr) return {};
    HGLOBAL loaded = ::LoadResource(m_module.Get(), found);
    const char* data = static_cast<const char*>(::LockResource(loaded));
    return data == nullptr ? std::string() : std::string(data, ::SizeofResource(m_module.Get(), found));
  }

  std::wstring m_path;
  win::UniqueLibrary m_module;
};

TEST_F(InstallerFileTest, IsA32BitGuiProgram) {
  if (sizeof(void*) == 8) {
    GTEST_SKIP() << "the test programs' 64-bit build carries a 64-bit copy; the shipped installer's headers are read "
                    "by tests/e2e/test_planted_libraries.py";
  }
  const std::string bytes = test::ReadWholeFile(m_path);
  ASSERT_GT(bytes.size(), 0x200u);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
  ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST_F(InstallerFileTest, ManifestAsksForAdministratorAndCommonControls6) {
  const std::string manifest = Resource(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));  // RT_MANIFEST
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos)
      << manifest;
}

TEST_F(InstallerFileTest, CarriesTheWindowAndTrayIcons) {
  EXPECT_FALSE(Resource(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(IDI_TWINSTALL)).empty());  // RT_GROUP_ICON
  EXPECT_FALSE(Resource(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(IDI_TRAY)).empty());
  EXPECT_FALSE(Resource(MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1)).empty());  // RT_VERSION
}

TEST_F(InstallerFileTest, CarriesTheWindowFrameworkResources) {
  // Skins, styles, strings and the six layouts, as XML; the art as PNG.
  for (int id : {10000, 10001, 10002, 11001, 11002, 11003, 11004, 11005, 11006}) {
    const std::string xml = Resource(L"XML", MAKEINTRESOURCEW(id));
    EXPECT_NE(xml.find('<'), std::string::npos) << id;
  }
  for (int id = 3; id <= 32; ++id) {
    EXPECT_EQ(Resource(L"PNG", MAKEINTRESOURCEW(id)).substr(1, 3), "PNG") << id;
  }
}

}  // namespace
}  // namespace tw
