// The message boxes, the disagree overlay and the window animator under
// Wine: what each box shows (reviewed pictures), which button closed it, and
// the zoom that opens and shuts it in 12 frames each way.
#include <gtest/gtest.h>

#include <cstring>
#include <array>
#include <optional>
#include <string>

#include "deploy_config.h"
#include "tests/win/test_support_win.h"
#include "tests/windows/windows_test_support_win.h"
#include "windows/disagree_dialog_win.h"
#include "windows/message_boxes_win.h"
#include "windows/web_pages_win.h"

namespace tw {
namespace {

using test::Click;
using test::Script;

class DialogsTest : public testing::Test {
 protected:
  void SetUp() override { test::UseInstallerResources(); }
};

MsgboxParams RebootNotice() {
  MsgboxParams params;
  params.text = L"您安装Tarnwick Zorn后尚未重新启动系统，重启后\n即可享受Tarnwick Zorn的全面保护！";
  params.right_label = L"我知道了";
  params.flags = kBoxRightButton;
  params.icon_kind = 2;
  params.classes[0] = L"common_dlg_btn_cancel";
  params.classes[1] = L"common_dlg_btn_ok";
  params.classes[2] = L"common_dlg_btn_cancel_text";
  params.classes[3] = L"common_dlg_btn_ok_text";
  return params;
}

MsgboxParams LeaveQuestion(int flags = kBoxLeftButton | kBoxRightButton) {
  MsgboxParams params;
  params.text = L"退出安装程序将不能保护您的系统安全，\n您确定退出吗？";
  params.flags = flags;
  return params;
}

TEST_F(DialogsTest, MessageBoxesShowTheirTextIconAndButtons) {
  TwNewMsgbox notice(RebootNotice());
  notice.EnableShadow(false);
  ASSERT_NE(notice.Create(nullptr), nullptr);
  EXPECT_TRUE(notice.View().IsControlShown(1010, true));
  EXPECT_FALSE(notice.View().IsControlShown(1008, true));
  EXPECT_TRUE(notice.View().IsControlShown(1004, true)) << "the second line";
  EXPECT_EQ(notice.View().FindControlById(1011)->Text(), L"我知道了");
  auto picture = ux::win::PrintWindowPixels(notice.View().Hwnd());
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(test::MatchesPicture(*picture, "reboot_notice", test::WindowPictures()));

  TwLiteMsgbox question(LeaveQuestion());
  question.EnableShadow(false);
  ASSERT_NE(question.Create(nullptr), nullptr);
  wchar_t title[64] = {};
  ::GetWindowTextW(question.Hwnd(), title, 64);
  EXPECT_EQ(std::wstring(title), L"Tarnwick Zorn");
  EXPECT_TRUE(question.View().IsControlShown(108, true) && question.View().IsControlShown(110, true));
  picture = ux::win::PrintWindowPixels(question.View().Hwnd());
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(test::MatchesPicture(*picture, "leave_question", test::WindowPictures()));
}

// Waits until the box has zoomed open, checks the frames, then presses.
void OpenThenPress(Script& script, TwMsgboxBase& box, std::function<void()> press) {
  script.Then([&box] { return box.Hwnd() && ::IsWindowVisible(box.Hwnd()) && !box.Animator().Running(); })
      .Do([&box, press] {
        EXPECT_EQ(box.Animator().FramesDrawn(), 12) << "12 frames open it";
        press();
      });
}

TEST_F(DialogsTest, ResultsTellWhichButtonClosedTheBox) {
  struct Case {
    int flags;
    std::function<void(TwLiteMsgbox&)> press;
    INT_PTR result;
  } cases[] = {
      {kBoxLeftButton | kBoxRightButton, [](TwLiteMsgbox& b) { Click(b.View(), 110); }, 2},
      {kBoxLeftButton | kBoxRightButton, [](TwLiteMsgbox& b) { Click(b.View(), 108); }, 1},
      {0, [](TwLiteMsgbox& b) { Click(b.View(), 100); }, 32},
      {0, [](TwLiteMsgbox& b) { ::PostMessageW(b.View().Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0); }, 32},
      {kBoxLeftButton | kBoxRightButton, [](TwLiteMsgbox& b) { ::PostMessageW(b.Hwnd(), WM_CLOSE, 0, 0); }, 32},
  };
  for (const Case& c : cases) {
    TwLiteMsgbox box(LeaveQuestion(c.flags));
    box.EnableShadow(false);
    Script script([&] { box.EndDialog(-1); });
    OpenThenPress(script, box, [&] { c.press(box); });
    script.Start();
    EXPECT_EQ(box.DoModal(nullptr), c.result) << c.flags;
    EXPECT_EQ(box.Animator().FramesDrawn(), 12) << "12 frames shut it before the result";
  }
}

class RecordingDisagree : public TwDisagreeInstallDlg {
 public:
  std::vector<std::wstring> opened;

 protected:
  void OpenPage(const std::wstring& address) override { opened.push_back(address); }
};

TEST_F(DialogsTest, DisagreeOverlayAnswersAndOpensThePrivacyStatement) {
  struct Case {
    int id;
    INT_PTR result;
  } cases[] = {{1001, TwDisagreeInstallDlg::kClosed},
               {1003, TwDisagreeInstallDlg::kAgreed},
               {1004, TwDisagreeInstallDlg::kGaveUp}};
  for (const Case& c : cases) {
    RecordingDisagree dialog;
    Script script([&] { dialog.EndDialog(-1); });
    script.Then([&] { return dialog.Exists(); }).Do([&] {
      if (c.id == 1001) {
        auto picture = ux::win::PrintWindowPixels(dialog.Hwnd());
        ASSERT_NE(picture, nullptr);
        EXPECT_TRUE(test::MatchesPicture(*picture, "disagree", test::WindowPictures()));
        EXPECT_EQ(test::PixelAt(*picture, 2, 2) >> 24, 110u) << "the mask lets the main window show through";
        Click(dialog, 1002);
      }
      Click(dialog, c.id);
    });
    script.Start();
    EXPECT_EQ(dialog.DoModal(nullptr), c.result);
    if (c.id == 1001) {
      ASSERT_EQ(dialog.opened.size(), 1u);
      EXPECT_NE(dialog.opened[0].find(L"/privacy/zornPrivacy.html"), std::wstring::npos);
    }
  }
}

// The failed page's customer-service link comes from a file beside the
// installer, which anyone can drop into a Downloads folder: only a web
// address is taken from it, anything else gives the built-in link.
TEST(CustomerServiceLinkFile, OnlyAWebAddressIsTaken) {
  const std::wstring builtIn = std::wstring(L"https://") + deploy::kWEB_CHAT_HOST + L"/FDdK6y0s?_type=wpa&qidian=true";
  test::ScratchDir installer;
  ASSERT_TRUE(::CreateDirectoryW((installer.Path() + L"data").c_str(), nullptr));
  const std::wstring file = installer.Path() + L"data\\operation_contact.dat";
  EXPECT_EQ(CustomerServiceLink(installer.Path()), builtIn) << "no file";
  const struct {
    const char* value;
    bool taken;
  } cases[] = {
      {"https://support.example.com/chat?id=7", true}, {"http://support.example.com/", true},
      {"C:\\Windows\\System32\\calc.exe", false},      {"file:///C:/Windows/System32/calc.exe", false},
      {"\\\\attacker\\share\\tool.exe", false},        {"cmd.exe /c calc", false},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(test::WriteWholeFile(file, std::string("[FeedBack]\r\nVipMarketQQLink=") + c.value + "\r\n"));
    const std::wstring link = CustomerServiceLink(installer.Path());
    EXPECT_EQ(link, c.taken ? std::wstring(c.value, c.value + std::strlen(c.value)) : builtIn) << c.value;
  }
  ::DeleteFileW(file.c_str());
  ::RemoveDirectoryW((installer.Path() + L"data").c_str());
}

// The https handler a process of the user registered for itself, for the
// time of a test: in the user's classes and, since Wine reads only the
// machine's, there too; what the machine had is put back. Written in the
// 32-bit view, which the shipped installer's URL opener reads, and in the
// test program's own: a 64-bit test program starts the 64-bit opener, which
// reads the 64-bit view.
class UsersHttpsHandler {
 public:
  explicit UsersHttpsHandler(const std::wstring& command) {
    for (size_t i = 0; i < kViews.size(); ++i)
      m_saved[i] = test::RegString(HKEY_LOCAL_MACHINE, kMachineKey, nullptr, kViews[i]);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      for (REGSAM view : kViews) {
        EXPECT_TRUE(
            test::SetRegString(root, root == HKEY_CURRENT_USER ? kUserKey : kMachineKey, nullptr, command, view));
      }
    }
  }
  ~UsersHttpsHandler() {
    for (size_t i = 0; i < kViews.size(); ++i) {
      test::DeleteRegTree(HKEY_CURRENT_USER, L"Software\\Classes\\https", kViews[i]);
      if (m_saved[i]) (void)test::SetRegString(HKEY_LOCAL_MACHINE, kMachineKey, nullptr, *m_saved[i], kViews[i]);
    }
  }
  UsersHttpsHandler(const UsersHttpsHandler&) = delete;
  UsersHttpsHandler& operator=(const UsersHttpsHandler&) = delete;

 private:
  static constexpr std::array<REGSAM, 2> kViews = {KEY_WOW64_32KEY, 0};
  static constexpr const wchar_t* kUserKey = L"Software\\Classes\\https\\shell\\open\\command";
  static constexpr const wchar_t* kMachineKey = L"SOFTWARE\\Classes\\https\\shell\\open\\command";
  std::array<std::optional<std::wstring>, 2> m_saved;
};

// The licence, privacy and customer-service pages open in the browser the
// user registered, which any process of the user can choose. Before, the
// elevated installer opened them itself and the handler ran elevated; now
// it runs with the user's unelevated rights (Wine's shell is elevated, and
// its linked limited token serves), or not at all.
TEST(WebPages, TheUsersHandlerRunsUnelevatedOrNotAtAll) {
  const std::wstring name = L"TwWebPage" + std::to_wstring(::GetCurrentProcessId());
  const win::UniqueHandleObject elevated(::CreateEventW(nullptr, TRUE, FALSE, (name + L"-elevated").c_str()));
  const win::UniqueHandleObject limited(::CreateEventW(nullptr, TRUE, FALSE, (name + L"-limited").c_str()));
  const UsersHttpsHandler handler(L"\"" + test::ProgramDir() + L"tw_test_helper.exe\" record-elevation " + name +
                                  L" \"%1\"");
  const bool opened = OpenWebPage(PrivacyPageUrl());
  EXPECT_TRUE(opened) << "Wine gives an unelevated token";
  if (opened) {
    const HANDLE either[] = {elevated.Get(), limited.Get()};
    EXPECT_EQ(::WaitForMultipleObjects(2, either, FALSE, 60000), WAIT_OBJECT_0 + 1) << "the handler ran unelevated";
  }
  EXPECT_NE(::WaitForSingleObject(elevated.Get(), 0), WAIT_OBJECT_0) << "never elevated";
}

}  // namespace
}  // namespace tw
