// The interfaces of the installed suite's domain-transfer module
// ("twdtutil.dll"), which may rewrite the addresses the installer talks to.
// The module comes with the suite; these declarations are the contract.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tw {

// {791AA04A-58F4-4B3B-87CC-BD13883C2E1E}: asked of the module's DllGetClassObject.
constexpr GUID kDomainTransferId = {0x791aa04a, 0x58f4, 0x4b3b, {0x87, 0xcc, 0xbd, 0x13, 0x88, 0x3c, 0x2e, 0x1e}};

// The suite's installation, as the module sees it.
class IProductConfig {
 public:
  virtual const wchar_t* STDMETHODCALLTYPE ProductDir() = 0;  // ends with a backslash
  virtual const wchar_t* STDMETHODCALLTYPE DataDir() = 0;     // ProductDir() + "data"

 protected:
  ~IProductConfig() = default;
};

class IDomainTransfer {
 public:
  // Receives the rewritten address.
  class IFuncCallBack {
   public:
    virtual void STDMETHODCALLTYPE SetUrl(const wchar_t* url) = 0;

   protected:
    ~IFuncCallBack() = default;
  };

  virtual int32_t STDMETHODCALLTYPE Version() = 0;
  virtual int32_t STDMETHODCALLTYPE Reserved() = 0;
  virtual int32_t STDMETHODCALLTYPE Initialize(IProductConfig* config) = 0;  // non-zero: ready
  virtual void STDMETHODCALLTYPE Release() = 0;
  // Non-zero when the module handed a replacement to `callback`.
  virtual int32_t STDMETHODCALLTYPE TransferUrl(const wchar_t* url, IFuncCallBack* callback) = 0;

 protected:
  ~IDomainTransfer() = default;
};

// The module's export "DllGetClassObject" (two arguments, not COM's three).
using DomainTransferFactory = HRESULT(STDAPICALLTYPE*)(const GUID* id, void** instance);

}  // namespace tw
