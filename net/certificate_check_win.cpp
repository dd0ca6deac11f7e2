#include "net/certificate_check.h"

#include <windows.h>
#include <wincrypt.h>
#define SECURITY_WIN32
#include <security.h>
#include <schannel.h>

#include <memory>

#include "platform/log.h"
#include "net/curl_support.h"
#include "net/transfer_rules.h"
#include "platform/win/ansi_text_win.h"

namespace tw {
namespace {

struct CertificateDeleter {
  void operator()(const CERT_CONTEXT* certificate) const noexcept { ::CertFreeCertificateContext(certificate); }
};
struct ChainDeleter {
  void operator()(const CERT_CHAIN_CONTEXT* chain) const noexcept { ::CertFreeCertificateChain(chain); }
};
using UniqueCertificate = std::unique_ptr<const CERT_CONTEXT, CertificateDeleter>;
using UniqueChain = std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainDeleter>;

// 0 when the chain of `certificate` is trusted for a server named `host`;
// otherwise the policy's error (CERT_E_UNTRUSTEDROOT, CERT_E_CN_NO_MATCH, ...).
DWORD VerifyServerChain(const CERT_CONTEXT* certificate, const std::wstring& host) {
  char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
  char* usages[] = {serverAuth};
  CERT_CHAIN_PARA chainPara{};
  chainPara.cbSize = sizeof chainPara;
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  const CERT_CHAIN_CONTEXT* built = nullptr;
  if (!::CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                                 &built)) {
    return ::GetLastError();
  }
  const UniqueChain chain(built);
  std::wstring name = host;
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.pwszServerName = name.data();
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  if (!::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &status)) {
    return ::GetLastError();
  }
  return status.dwError;
}

int CheckBeforeRequest(void* handle, char*, char*, int, int) {
  CURL* curl = static_cast<CURL*>(handle);
  const char* url = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || url == nullptr) {
    return CURL_PREREQFUNC_ABORT;
  }
  if (!IsHttpsAddress(url)) return CURL_PREREQFUNC_OK;  // plain http: nothing to check
  const std::string host = HostOfUrl(url);
  // libcurl names its TLS backend for every connection; only a TLS one has a context.
  const curl_tlssessioninfo* session = nullptr;
  DWORD verdict = static_cast<DWORD>(SEC_E_INTERNAL_ERROR);
  const CERT_CONTEXT* received = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_TLS_SSL_PTR, &session) == CURLE_OK && session != nullptr &&
      session->backend == CURLSSLBACKEND_SCHANNEL && session->internals != nullptr && !host.empty() &&
      ::QueryContextAttributesW(static_cast<CtxtHandle*>(session->internals), SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                &received) == SEC_E_OK &&
      received != nullptr) {
    const UniqueCertificate certificate(received);
    verdict = VerifyServerChain(certificate.get(), win::AnsiToWide(host));
  }
  if (verdict == 0) return CURL_PREREQFUNC_OK;
  LogWrite("certificate of %s refused: 0x%08lX", host.c_str(), static_cast<unsigned long>(verdict));
  return CURL_PREREQFUNC_ABORT;
}

}  // namespace

int RequireTrustedCertificate(CURL* handle) {
  const CURLcode data = curl_easy_setopt(handle, CURLOPT_PREREQDATA, handle);
  if (data != CURLE_OK) return data;
  return SetCurlCallback<CURLOPT_PREREQFUNCTION>(handle, &CheckBeforeRequest);
}

}  // namespace tw
