// The installer's windows under the display settings people use: every page
// at 150 % and 200 % as reviewed pictures beside today's, every text within
// its control, a window moved to a monitor of another DPI laid out again at
// its factor, and the high-contrast colours.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/telemetry/telemetry_peer_client.h"
#include "tests/win/test_support_win.h"
#include "tests/windows/windows_test_support_win.h"
#include "ui/base/contrast.h"
#include "ui/base/dpi.h"
#include "ui/controls/static_text.h"
#include "ui/hosts/ux_startup_win.h"
#include "windows/disagree_dialog_win.h"
#include "windows/main_window_ids.h"
#include "windows/main_window_rules.h"
#include "windows/message_boxes_win.h"

namespace tw {
namespace {

namespace id = main_window_id;
using test::Click;
using test::Script;
using test::TestMainWindow;

using QuietWindow = test::QuietMainWindow;

// Every shown text of the host is as wide and as high as its words need.
void ExpectTextsFit(ux::CUxWindow& control, const std::string& where) {
  if (!control.IsVisible(false)) return;
  if (dynamic_cast<ux::CUxStatic*>(&control) && !control.Text().empty() && !control.Rect().IsEmpty()) {
    const ux::UxRect& r = control.Rect();
    const ux::UxSize need = ux::TextMeasurer()->MeasureText(control.Text(), control.Font(), DT_SINGLELINE, r, false, r);
    EXPECT_LE(need.cx, r.Width()) << where << ": " << test::Narrow(control.Text()) << " is clipped";
    EXPECT_LE(need.cy, r.Height()) << where << ": " << test::Narrow(control.Text()) << " is cut";
  }
  if (!control.IsPanel()) return;
  for (auto& child : static_cast<ux::CUxPanel&>(control).Children()) ExpectTextsFit(*child, where);
}

void ExpectTextsFit(ux::win::UxHostCore& host, const std::string& where) {
  host.Layout().ForEachLoadedSection([&](ux::CUxDialog& section) { ExpectTextsFit(section, where); });
}

class HighDpiTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    test::UseInstallerResources();
    ux::win::ApplyDpi(GetParam());
  }
  void TearDown() override { ux::win::ApplyDpi(96); }
  std::string Name(const char* page) const { return std::string(page) + "_" + std::to_string(GetParam()); }
  std::function<void()> Picture(ux::win::UxHostCore& host, const char* page) {
    return [this, &host, page] {
      auto image = ux::win::PrintWindowPixels(host.Hwnd());
      ASSERT_NE(image, nullptr);
      EXPECT_TRUE(test::MatchesPicture(*image, Name(page), test::WindowPictures()));
      ExpectTextsFit(host, Name(page));
    };
  }
};

TEST_P(HighDpiTest, EveryPageScaledAndNoTextClipped) {
  const int dpi = GetParam();
  QuietWindow window(1029, 7);
  Script script([&] { window.EndDialog(-1); });
  script
      .Do([&] {
        RECT client;
        ::GetClientRect(window.Hwnd(), &client);
        EXPECT_EQ(client.right, ::MulDiv(580, dpi, 96));
        EXPECT_EQ(client.bottom, ::MulDiv(410, dpi, 96));
      })
      .Do(Picture(window, "start"))
      .Do([&] { Click(window, id::kCustomInstallButton); })
      .Do([&] {
        RECT client;
        ::GetClientRect(window.Hwnd(), &client);
        EXPECT_EQ(client.bottom, ::MulDiv(470, dpi, 96)) << "the panel unfolds by its scaled height";
      })
      .Do(Picture(window, "panel"))
      .Do([&] { Click(window, id::kCustomInstallButton); })
      .Do([&] { Click(window, id::kAgreeAndInstallButton); })
      .Do([&] { ::SendMessageW(window.Hwnd(), kMsgDownloadProgress, 40, 1536); })
      .Do(Picture(window, "downloading_40"))
      .Do([&] { ::SendMessageW(window.Hwnd(), kMsgInstallSucceeded, 0, 0); })
      .Do(Picture(window, "finished"))
      .Do([&] { Click(window, id::kFinishedButton); });
  script.Start();
  EXPECT_EQ(window.DoModal(nullptr), 0);

  QuietWindow failed(1029, 7);
  Script fails([&] { failed.EndDialog(-1); });
  fails.Do([&] { ::SendMessageW(failed.Hwnd(), kMsgFailedPage, 0, 0); }).Do(Picture(failed, "failed_network")).Do([&] {
    Click(failed, id::kFailedButton);
  });
  fails.Start();
  EXPECT_EQ(failed.DoModal(nullptr), 0);

  MsgboxParams params;
  params.text = L"退出安装程序将不能保护您的系统安全，\n您确定退出吗？";
  params.flags = kBoxLeftButton | kBoxRightButton;
  TwLiteMsgbox question(params);
  question.EnableShadow(false);
  ASSERT_NE(question.Create(nullptr), nullptr);
  Picture(question.View(), "leave_question")();

  TwDisagreeInstallDlg disagree;
  disagree.EnableShadow(false);
  ASSERT_NE(disagree.Create(nullptr), nullptr);
  Picture(disagree, "disagree")();
}

INSTANTIATE_TEST_SUITE_P(At150And200Percent, HighDpiTest, testing::Values(144, 192));

// A window moved to a monitor of another DPI: the system says so with
// WM_DPICHANGED and a suggested rectangle (Wine never sends it, so the test
// does as Windows would).
TEST(HighDpi, AMoveToAnotherMonitorLaysTheWindowOutAtItsFactor) {
  test::UseInstallerResources();
  ux::win::ApplyDpi(96);
  QuietWindow window(1029, 7);
  ux::UxRect at_96, at_144;
  Script script([&] { window.EndDialog(-1); });
  script.Do([&] { at_96 = window.FindControlById(id::kAgreeAndInstallButton)->Rect(); })
      .Do([&] {
        RECT suggested{100, 80, 100 + 870, 80 + 615};
        ::SendMessageW(window.Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        RECT client;
        ::GetClientRect(window.Hwnd(), &client);
        EXPECT_EQ(client.right, 870);
        EXPECT_EQ(client.bottom, 615);
        at_144 = window.FindControlById(id::kAgreeAndInstallButton)->Rect();
        auto image = ux::win::PrintWindowPixels(window.Hwnd());
        ASSERT_NE(image, nullptr);
        EXPECT_TRUE(test::MatchesPicture(*image, "start_144", test::WindowPictures()))
            << "the same window as one started at 144 DPI";
        ExpectTextsFit(window, "moved to 144 DPI");
      })
      .Do([&] { Click(window, id::kCloseButton); });
  window.leave_answer = kBoxClosedRight;
  script.Start();
  window.DoModal(nullptr);
  ux::win::ApplyDpi(96);
  EXPECT_EQ(at_144.left, at_96.left * 3 / 2);
  EXPECT_EQ(at_144.Width(), at_96.Width() * 3 / 2);
}

// Windows' "High Contrast Black": every text in the system's colours on a
// plate of its window colour, the focus cue in its highlight.
TEST(HighContrast, TextsAndTheFocusCueTakeTheSystemsColours) {
  test::UseInstallerResources();
  ux::win::ReadSystemContrast();
  EXPECT_FALSE(ux::HighContrast().on) << "the prefix has it off";
  ux::HighContrastColours black;
  black.on = true;
  black.window = RGB(0, 0, 0);
  black.text = RGB(255, 255, 255);
  black.hot = RGB(255, 255, 0);
  black.gray = RGB(63, 242, 0);
  black.highlight = RGB(26, 235, 255);
  ux::SetHighContrast(black);
  QuietWindow window(1029, 7);
  Script script([&] { window.EndDialog(-1); });
  script.Do([&] { ::SendMessageW(window.Hwnd(), WM_KEYDOWN, VK_TAB, 0); })
      .Do([&] {
        auto image = ux::win::PrintWindowPixels(window.Hwnd());
        ASSERT_NE(image, nullptr);
        EXPECT_TRUE(test::MatchesPicture(*image, "start_high_contrast", test::WindowPictures()));
      })
      .Do([&] { window.EndDialog(0); });
  script.Start();
  window.DoModal(nullptr);
  ux::win::ReadSystemContrast();
}

}  // namespace
}  // namespace tw
