// A stand-in for the suite's domain-transfer module, placed in the product
// directory by the URL rewriting tests: it sends "rewrite-me.invalid" to
// the loopback file peer and leaves every other address alone.
#include <cwchar>
#include <string>

#include "net/domain_transfer_win.h"

namespace {

class SampleTransfer final : public tw::IDomainTransfer {
 public:
  int32_t STDMETHODCALLTYPE Version() override { return 1; }
  int32_t STDMETHODCALLTYPE Reserved() override { return 0; }
  int32_t STDMETHODCALLTYPE Initialize(tw::IProductConfig* config) override {
    // Refuses to work without a product directory ending in a backslash.
    const wchar_t* dir = config != nullptr ? config->ProductDir() : nullptr;
    return dir != nullptr && *dir != 0 && dir[std::wcslen(dir) - 1] == L'\\' ? 1 : 0;
  }
  void STDMETHODCALLTYPE Release() override {}
  int32_t STDMETHODCALLTYPE TransferUrl(const wchar_t* url, IFuncCallBack* callback) override {
    std::wstring text = url != nullptr ? url : L"";
    const size_t at = text.find(L"rewrite-me.invalid");
    if (at == std::wstring::npos) return 0;
    text.replace(at, 18, L"127.0.0.1");
    callback->SetUrl(text.c_str());
    return 1;
  }
};

SampleTransfer g_transfer;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(const GUID* id, void** instance) {
  if (id == nullptr || instance == nullptr || !IsEqualGUID(*id, tw::kDomainTransferId)) return E_NOINTERFACE;
  *instance = static_cast<tw::IDomainTransfer*>(&g_transfer);
  return S_OK;
}
