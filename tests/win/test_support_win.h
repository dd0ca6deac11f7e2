// Helpers shared by the Windows test programs: a scratch folder, child
// processes waited on with a bounded wait, files read back whole.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win/unique_handle_win.h"

namespace tw::test {

// Folder of the running test program (with a trailing backslash); the
// installer and the helpers are built beside it.
std::wstring ProgramDir();

// A fresh folder under %TEMP%, removed with its files when the object dies.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::wstring& Path() const { return m_path; }  // trailing backslash
 private:
  std::wstring m_path;
};

struct Child {
  win::UniqueHandleObject process;
  DWORD processId = 0;
};

// Starts `commandLine` (the program's path quoted inside it as needed).
std::optional<Child> StartProcess(const std::wstring& commandLine);
// Waits up to `timeoutMs` for the exit; the exit code, or nothing on time-out.
std::optional<DWORD> WaitForExit(const Child& child, DWORD timeoutMs);
// Runs to completion (bounded) and returns the exit code.
std::optional<DWORD> RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 60000);

// A key (and its parents) made in the view given (0: the program's own).
bool CreateRegKey(HKEY root, const std::wstring& key, REGSAM view = 0);
bool SetRegValue(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD bytes,
                 REGSAM view = 0);
bool SetRegString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text, REGSAM view = 0);
std::optional<std::wstring> RegString(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view = 0);
void DeleteRegTree(HKEY root, const std::wstring& key, REGSAM view = 0);

// The registry as the 32-bit installer sees it: its own view on 64-bit
// Windows (and for the test programs' 64-bit build), the only one on a
// 32-bit prefix. For values the installer reads through the 32-bit view.
bool SetRegValue32(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD bytes);
bool SetRegString32(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text);
std::optional<std::wstring> RegString32(HKEY root, const std::wstring& key, const wchar_t* name);
void DeleteRegTree32(HKEY root, const std::wstring& key);

// Adds the PEM certificate to this machine's trusted roots (the prefix's),
// as an administrator's own authority is.
bool TrustRootCertificate(const std::string& pem);

std::string ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

}  // namespace tw::test
