#include "net/url_rewrite.h"

#include "net/domain_transfer_win.h"
#include "platform/win/com_win.h"
#include "platform/win/unique_handle_win.h"
#include "platform/win/system_info_win.h"
#include "platform/win/proc_address_win.h"

namespace tw {
namespace {

class TwZornProductConfig final : public IProductConfig {
 public:
  TwZornProductConfig() : m_product_dir(GetProductDir()), m_data_dir(m_product_dir + L"data") {}
  const wchar_t* STDMETHODCALLTYPE ProductDir() override { return m_product_dir.c_str(); }
  const wchar_t* STDMETHODCALLTYPE DataDir() override { return m_data_dir.c_str(); }
  bool Installed() const { return !m_product_dir.empty(); }

 private:
  std::wstring m_product_dir;
  std::wstring m_data_dir;
};

class TwZornFuncCallBack final : public IDomainTransfer::IFuncCallBack {
 public:
  void STDMETHODCALLTYPE SetUrl(const wchar_t* url) override { m_url = url != nullptr ? url : L""; }
  const std::wstring& Url() const { return m_url; }

 private:
  std::wstring m_url;
};

// The loaded module and its interface; made once per process.
class DomainTransferModule {
 public:
  DomainTransferModule() {
    if (!m_config.Installed()) return;
    win::UniqueLibrary module(::LoadLibraryW((m_config.ProductDir() + std::wstring(L"twdtutil.dll")).c_str()));
    if (!module) return;
    auto factory = tw::win::GetProc<DomainTransferFactory>(module.Get(), "DllGetClassObject");
    win::ComPtr<IDomainTransfer> transfer;
    if (factory == nullptr || FAILED(factory(&kDomainTransferId, transfer.PutVoid())) || !transfer) return;
    if (transfer->Initialize(&m_config) == 0) return;
    m_module = std::move(module);
    m_transfer = std::move(transfer);
  }
  DomainTransferModule(const DomainTransferModule&) = delete;
  DomainTransferModule& operator=(const DomainTransferModule&) = delete;

  std::wstring Rewrite(const std::wstring& url) {
    if (!m_transfer) return url;
    TwZornFuncCallBack callback;
    return m_transfer->TransferUrl(url.c_str(), &callback) != 0 ? callback.Url() : url;
  }

 private:
  TwZornProductConfig m_config;
  win::UniqueLibrary m_module;
  win::ComPtr<IDomainTransfer> m_transfer;  // released before its module goes
};

}  // namespace

std::wstring RewriteUrl(const std::wstring& url) {
  static DomainTransferModule module;  // thread-safe, one attempt per process
  return module.Rewrite(url);
}

}  // namespace tw
