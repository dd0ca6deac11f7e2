#include "tests/win/test_support_win.h"

#include <wincrypt.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/file_open.h"
#include "platform/win/module_path_win.h"
#include "platform/win/registry_win.h"

namespace tw::test {

std::wstring ProgramDir() {
  const std::wstring path = win::GetModulePath();
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

ScratchDir::ScratchDir() {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  static LONG counter = 0;
  m_path = std::wstring(temp) + L"twtest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(::InterlockedIncrement(&counter)) + L"\\";
  ::CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchDir::~ScratchDir() {
  WIN32_FIND_DATAW found{};
  const win::UniqueFind search(::FindFirstFileW((m_path + L"*").c_str(), &found));
  if (search) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = m_path + name;
      ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(full.c_str());
    } while (::FindNextFileW(search.Get(), &found));
  }
  ::RemoveDirectoryW(m_path.c_str());
}

std::optional<Child> StartProcess(const std::wstring& commandLine) {
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return std::nullopt;
  }
  const win::UniqueHandleObject thread(info.hThread);
  Child child;
  child.process.Reset(info.hProcess);
  child.processId = info.dwProcessId;
  return child;
}

std::optional<DWORD> WaitForExit(const Child& child, DWORD timeoutMs) {
  if (::WaitForSingleObject(child.process.Get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!::GetExitCodeProcess(child.process.Get(), &code)) return std::nullopt;
  return code;
}

std::optional<DWORD> RunProcess(const std::wstring& commandLine, DWORD timeoutMs) {
  std::optional<Child> child = StartProcess(commandLine);
  if (!child) return std::nullopt;
  std::optional<DWORD> code = WaitForExit(*child, timeoutMs);
  if (!code) ::TerminateProcess(child->process.Get(), 99);
  return code;
}

namespace {

struct CertStoreCloser {
  void operator()(HCERTSTORE store) const noexcept { ::CertCloseStore(store, 0); }
};

}  // namespace

bool TrustRootCertificate(const std::string& pem) {
  BYTE der[8192];
  DWORD length = sizeof der;
  if (!::CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, der, &length,
                              nullptr, nullptr)) {
    return false;
  }
  const std::unique_ptr<void, CertStoreCloser> root(
      ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
  return root && ::CertAddEncodedCertificateToStore(root.get(), X509_ASN_ENCODING, der, length,
                                                    CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
}

std::string ReadWholeFile(const std::wstring& path) {
  std::string bytes;
  const UniqueStdioFile file = OpenFileWide(path, "rb");
  if (!file) return bytes;
  char chunk[4096];
  size_t read = 0;
  while ((read = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, read);
  return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  const UniqueStdioFile file = OpenFileWide(path, "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  return std::fflush(file.get()) == 0 && ok;
}

bool CreateRegKey(HKEY root, const std::wstring& key, REGSAM view) {
  win::UniqueRegKey opened;
  return ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, opened.Put(), nullptr) ==
         ERROR_SUCCESS;
}

bool SetRegValue(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD bytes,
                 REGSAM view) {
  win::UniqueRegKey opened;
  return ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, opened.Put(), nullptr) ==
             ERROR_SUCCESS &&
         ::RegSetValueExW(opened.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
}

bool SetRegValue32(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
  return SetRegValue(root, key, name, type, data, bytes, KEY_WOW64_32KEY);
}

bool SetRegString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text, REGSAM view) {
  return SetRegValue(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                     view);
}

std::optional<std::wstring> RegString(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view) {
  win::UniqueRegKey opened;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, opened.Put()) != ERROR_SUCCESS) return std::nullopt;
  return win::ReadRegString(opened.Get(), name);
}

void DeleteRegTree(HKEY root, const std::wstring& key, REGSAM view) {
  {
    win::UniqueRegKey opened;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS | view, opened.Put()) != ERROR_SUCCESS) return;
    ::RegDeleteTreeW(opened.Get(), nullptr);
  }
  ::RegDeleteKeyExW(root, key.c_str(), view, 0);
}

bool SetRegString32(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  return SetRegString(root, key, name, text, KEY_WOW64_32KEY);
}

std::optional<std::wstring> RegString32(HKEY root, const std::wstring& key, const wchar_t* name) {
  return RegString(root, key, name, KEY_WOW64_32KEY);
}

void DeleteRegTree32(HKEY root, const std::wstring& key) { DeleteRegTree(root, key, KEY_WOW64_32KEY); }

}  // namespace tw::test
