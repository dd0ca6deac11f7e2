// The main window as a screen reader sees it: a client on another thread
// asks the window for its accessible object, finds "同意并安装" by name and
// role, installs by invoking its default action and reads the progress bar's
// value while the package downloads.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/com_win.h"
#include "platform/win/unique_handle_win.h"
#include "tests/road/road_fixture.h"
#include "tests/telemetry/telemetry_peer_client.h"
#include "tests/win/test_support_win.h"
#include "tests/windows/windows_test_support_win.h"
#include "windows/main_window_ids.h"
#include "windows/main_window_rules.h"

namespace tw {
namespace {

using namespace test::road;

struct Element {
  VARIANT child;  // VT_I4 child id
  std::wstring name;
  LONG role = 0;
  std::wstring value;
  LONG state = 0;
};

// One of the client's text properties (name, value) of `child`.
template <typename Getter>
std::wstring ReadText(IAccessible& client, Getter getter, const VARIANT& child) {
  BSTR text = nullptr;
  const HRESULT hr = (client.*getter)(child, &text);
  win::OwnedBstr owned(text);
  return SUCCEEDED(hr) && owned ? std::wstring(owned.get()) : std::wstring();
}

// The children of the window's client object that are simple elements.
std::vector<Element> ReadElements(IAccessible& client) {
  LONG count = 0;
  if (FAILED(client.get_accChildCount(&count)) || count <= 0) return {};
  std::vector<VARIANT> children(static_cast<size_t>(count));
  LONG obtained = 0;
  if (FAILED(::AccessibleChildren(&client, 0, count, children.data(), &obtained))) return {};
  std::vector<Element> elements;
  for (LONG i = 0; i < obtained; ++i) {
    VARIANT& child = children[static_cast<size_t>(i)];
    if (child.vt == VT_I4) {
      Element element;
      element.child = child;
      element.name = ReadText(client, &IAccessible::get_accName, child);
      element.value = ReadText(client, &IAccessible::get_accValue, child);
      VARIANT role, state;
      ::VariantInit(&role);
      ::VariantInit(&state);
      if (SUCCEEDED(client.get_accRole(child, &role)) && role.vt == VT_I4) element.role = role.lVal;
      if (SUCCEEDED(client.get_accState(child, &state)) && state.vt == VT_I4) element.state = state.lVal;
      elements.push_back(element);
    }
    ::VariantClear(&child);
  }
  return elements;
}

const Element* FindElement(const std::vector<Element>& elements, LONG role, const std::wstring& name) {
  for (const Element& element : elements) {
    if (element.role == role && (name.empty() || element.name == name)) return &element;
  }
  return nullptr;
}

class AccessibilityTest : public testing::Test {
 protected:
  void SetUp() override {
    test::UseInstallerResources();
    TwInstallTool::SetTelemetryUrl(test::kTelemetryPeerUrl);
    test::ResetTelemetryPeer();
  }
  void TearDown() override { ForgetInstallState(); }
};

TEST_F(AccessibilityTest, AScreenReaderFindsTheInstallButtonInstallsAndHearsTheProgress) {
  const std::string run = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount());
  const std::string md5 = PatternMd5(400000);
  Configure(Tryno(FilePeerEntry("/trickle/400000/100000/reader-" + run, md5, "", "%TEMP%\\twreader\\reader.dll")));

  test::TestMainWindow window(1029, 7);
  std::atomic<bool> reader_done{false};
  std::atomic<HWND> hwnd{nullptr};
  std::wstring install_name, window_name;
  LONG install_state = -1;
  HRESULT invoked = E_FAIL;
  std::vector<std::wstring> progress_values;

  // The reader lets go of every proxy before it says it is done: a release
  // is a call into this thread's apartment, which stops serving calls once
  // the window has closed.
  const win::UniqueHandleObject reader_finished(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(reader_finished);
  auto read = [&] {
    const win::ComApartment apartment(COINIT_MULTITHREADED);
    const ULONGLONG deadline = ::GetTickCount64() + 60000;
    auto within = [&] { return ::GetTickCount64() < deadline; };
    while (within() && !(hwnd.load() && ::IsWindowVisible(hwnd.load()))) ::Sleep(20);
    win::ComPtr<IAccessible> client;
    if (FAILED(::AccessibleObjectFromWindow(hwnd.load(), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                            client.PutVoid())) ||
        !client) {
      return;
    }
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    window_name = ReadText(*client.Get(), &IAccessible::get_accName, self);
    // The start page: the button is there once the window has laid it out.
    const Element* install = nullptr;
    std::vector<Element> elements;
    while (within() && !install) {
      elements = ReadElements(*client.Get());
      install = FindElement(elements, ROLE_SYSTEM_PUSHBUTTON, L"同意并安装");
      if (!install) ::Sleep(50);
    }
    if (install) {
      install_name = install->name;
      install_state = install->state;
      invoked = client->accDoDefaultAction(install->child);
    }
    // The download page: its progress bar's value as the package comes
    // (4 s of trickling), until a share between the ends is heard.
    while (SUCCEEDED(invoked) && within()) {
      elements = ReadElements(*client.Get());
      if (const Element* progress = FindElement(elements, ROLE_SYSTEM_PROGRESSBAR, L"")) {
        if (progress_values.empty() || progress_values.back() != progress->value) {
          progress_values.push_back(progress->value);
        }
        if (progress->value != L"0%" && progress->value != L"100%" && !progress->value.empty()) break;
      }
      ::Sleep(100);
    }
  };
  std::thread reader([&] {
    read();
    reader_done = true;
    ::SetEvent(reader_finished.Get());
  });

  test::Script script([&] { window.EndDialog(-1); });
  script.Do([&] { hwnd = window.Hwnd(); }).Then([&] { return reader_done.load(); }).Do([&] { window.EndDialog(0); });
  script.Start();
  window.DoModal(nullptr);
  // Should the script give up while the reader is inside a call, this
  // thread must go on answering calls until the reader has finished.
  HANDLE finished = reader_finished.Get();
  DWORD signalled = 0;
  EXPECT_EQ(::CoWaitForMultipleHandles(COWAIT_DEFAULT, 120000, 1, &finished, &signalled), S_OK);
  reader.join();

  EXPECT_EQ(window_name.rfind(L"Tarnwick Zorn", 0), 0u) << test::Narrow(window_name);
  EXPECT_EQ(install_name, L"同意并安装");
  EXPECT_EQ(install_state & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE), 0) << install_state;
  EXPECT_TRUE(install_state & STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(invoked, S_OK);
  EXPECT_TRUE(window.UserActions().agreed) << "the default action agreed as a click does";
  bool partway = false;
  for (const std::wstring& value : progress_values) partway |= value != L"0%" && value != L"100%" && !value.empty();
  EXPECT_TRUE(partway) << "the reader heard the download between its ends; values heard: " << progress_values.size();
}

// What a screen reader hears without asking: the focus moving with Tab,
// the download's text and the progress bar's value changing.
struct HeardEvent {
  DWORD event;
  LONG object;
  LONG child;
};
std::vector<HeardEvent>* g_heard = nullptr;
HWND g_listened = nullptr;

void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (g_heard && hwnd == g_listened) g_heard->push_back({event, object, child});
}

using QuietWindow = test::QuietMainWindow;

bool Heard(const std::vector<HeardEvent>& heard, DWORD event, LONG child) {
  for (const HeardEvent& e : heard) {
    if (e.event == event && e.object == OBJID_CLIENT && e.child == child) return true;
  }
  return false;
}

TEST_F(AccessibilityTest, FocusNameAndValueChangesAreAnnounced) {
  std::vector<HeardEvent> heard;
  g_heard = &heard;
  const HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, &Hear,
                                               ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  QuietWindow window(1029, 7);
  LONG install = 0, progress = 0, download_text = 0;
  test::Script script([&] { window.EndDialog(-1); });
  script.Do([&] { g_listened = window.Hwnd(); })
      .Do([&] {
        install = static_cast<LONG>(window.FindControlById(main_window_id::kAgreeAndInstallButton)->Handle());
        ::SendMessageW(window.Hwnd(), WM_KEYDOWN, VK_TAB, 0);
      })
      .Do([&] { ::SendMessageW(window.Hwnd(), WM_KEYDOWN, VK_SPACE, 0); })
      .Do([&] {
        progress = static_cast<LONG>(window.FindControlById(main_window_id::kProgressBar)->Handle());
        download_text = static_cast<LONG>(window.FindControlById(main_window_id::kDownloadText)->Handle());
        ::SendMessageW(window.Hwnd(), kMsgDownloadProgress, 40, 1536);
      })
      .Then([&] { return Heard(heard, EVENT_OBJECT_VALUECHANGE, progress); })
      .Do([&] { window.EndDialog(0); });
  script.Start();
  window.DoModal(nullptr);
  ::UnhookWinEvent(hook);
  g_heard = nullptr;
  EXPECT_TRUE(Heard(heard, EVENT_OBJECT_FOCUS, install)) << "Tab's move to 同意并安装";
  EXPECT_TRUE(window.UserActions().agreed) << "Space pressed it";
  EXPECT_TRUE(Heard(heard, EVENT_OBJECT_NAMECHANGE, download_text)) << "已下载 40%…";
  EXPECT_TRUE(Heard(heard, EVENT_OBJECT_VALUECHANGE, progress)) << "the bar at 40%";
}

}  // namespace
}  // namespace tw
