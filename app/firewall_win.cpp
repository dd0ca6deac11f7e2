#include "app/firewall_win.h"

#include <netfw.h>

#include "platform/win/com_win.h"

namespace tw {
namespace {

// {304CE942-6E39-40D8-943A-B913C40C9CD4}
constexpr CLSID kClsidNetFwMgr = {0x304ce942, 0x6e39, 0x40d8, {0x94, 0x3a, 0xb9, 0x13, 0xc4, 0x0c, 0x9c, 0xd4}};
// {EC9846B3-2762-4A6B-A214-6ACB603462D2}
constexpr CLSID kClsidNetFwAuthorizedApplication = {
    0xec9846b3, 0x2762, 0x4a6b, {0xa2, 0x14, 0x6a, 0xcb, 0x60, 0x34, 0x62, 0xd2}};

constexpr wchar_t kExceptionName[] = L"TwInstallTool";

// The authorized applications of the current profile.
HRESULT OpenAuthorizedApplications(win::ComPtr<INetFwAuthorizedApplications>& applications) {
  win::ComPtr<INetFwMgr> manager;
  HRESULT hr =
      ::CoCreateInstance(kClsidNetFwMgr, nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwMgr), manager.PutVoid());
  if (FAILED(hr)) return hr;
  win::ComPtr<INetFwPolicy> policy;
  if (FAILED(hr = manager->get_LocalPolicy(policy.Put()))) return hr;
  win::ComPtr<INetFwProfile> profile;
  if (FAILED(hr = policy->get_CurrentProfile(profile.Put()))) return hr;
  return profile->get_AuthorizedApplications(applications.Put());
}

bool IsPresentAndEnabled(INetFwAuthorizedApplications* applications, BSTR path) {
  win::ComPtr<INetFwAuthorizedApplication> existing;
  if (FAILED(applications->Item(path, existing.Put())) || !existing) return false;
  VARIANT_BOOL enabled = VARIANT_FALSE;
  return SUCCEEDED(existing->get_Enabled(&enabled)) && enabled != VARIANT_FALSE;
}

// Runs `step` on the authorized applications inside a COM apartment of its own.
template <typename Step>
HRESULT WithAuthorizedApplications(const std::wstring& imagePath, Step step) {
  win::ComApartment apartment;
  if (FAILED(apartment.Result())) return apartment.Result();
  win::ComPtr<INetFwAuthorizedApplications> applications;
  const HRESULT hr = OpenAuthorizedApplications(applications);
  if (FAILED(hr)) return hr;
  const win::UniqueBstr path(imagePath.c_str());
  return step(applications.Get(), path.Get());
}

}  // namespace

HRESULT AddFirewallException(const std::wstring& imagePath) {
  return WithAuthorizedApplications(imagePath, [](INetFwAuthorizedApplications* applications, BSTR path) {
    if (IsPresentAndEnabled(applications, path)) return S_FALSE;
    win::ComPtr<INetFwAuthorizedApplication> application;
    HRESULT hr = ::CoCreateInstance(kClsidNetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(INetFwAuthorizedApplication), application.PutVoid());
    if (FAILED(hr)) return hr;
    if (FAILED(hr = application->put_ProcessImageFileName(path))) return hr;
    const win::UniqueBstr name(kExceptionName);
    if (FAILED(hr = application->put_Name(name.Get()))) return hr;
    return applications->Add(application.Get());
  });
}

HRESULT RemoveFirewallException(const std::wstring& imagePath) {
  return WithAuthorizedApplications(imagePath, [](INetFwAuthorizedApplications* applications, BSTR path) {
    if (!IsPresentAndEnabled(applications, path)) return S_FALSE;
    return applications->Remove(path);
  });
}

}  // namespace tw
