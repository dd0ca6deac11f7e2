#include "tests/road/road_fixture.h"

#include <windows.h>

#include "platform/tw_md5.h"
#include "tests/telemetry/telemetry_peer_client.h"
#include "tests/win/peer_http_win.h"
#include "tests/win/test_support_win.h"

namespace tw::test::road {

const wchar_t kCacheKey[] =
    L"CLSID\\{79B5BC47-CEA1-4772-B433-7D1B3139F278}\\Implemented Categories\\{607568DD-B059-434b-B7E7-38EC51998F8E}";

void Post(const std::string& path, const std::string& body) { DirectPost("http://127.0.0.1:18080" + path, body); }

std::string Md5Of(const std::string& bytes) {
  uint8_t digest[kMd5Size];
  Md5Buffer(bytes.data(), bytes.size(), digest);
  return Md5Hex(digest, true);
}

Packages PublishPackages() {
  const std::string installer = ReadWholeFile(ProgramDir() + L"tw_product_installer.exe");
  const std::string dll = ReadWholeFile(ProgramDir() + L"launch_sample.dll");
  Post("/_peer/file?name=installer.exe", installer);
  Post("/_peer/file?name=package.dll", dll);
  return {{"installer.exe", Md5Of(installer), "exe", ""},
          {"package.dll", Md5Of(dll), "dll", "funcname=\"InstallEntry\""}};
}

std::string Entry(const Package& p, const std::string& attributes) {
  return "<dlfile url=\"http://127.0.0.1:18080/files/" + p.file + "\" md5=\"" + p.md5 + "\" moduletype=\"" +
         p.moduletype + "\" path=\"%TEMP%\\twroad\\pkg_????" + (p.moduletype == "exe" ? ".exe" : ".dll") +
         "\" downloadtype=\"http\" " + p.extra + " " + attributes + "/>";
}

void Configure(const std::string& tryno, const std::string& check, int cid, const std::string& conditions) {
  Post("/_peer/config?cid=" + std::to_string(cid),
       "<root><check>" + check + "</check><install><company id=\"" + std::to_string(cid) + "\" version=\"3\">" + tryno +
           "</company></install><condition>" + conditions + "</condition></root>");
}

std::string Tryno(const std::string& entries, const std::string& attributes, int id) {
  return "<tryno id=\"" + std::to_string(id) + "\" version=\"2\" " + attributes + ">" + entries + "</tryno>";
}

std::string PatternMd5(size_t size) {
  std::string bytes;
  for (size_t i = 0; i < size; ++i) bytes += static_cast<char>(((i * 31) + (i >> 11)) & 0xFF);
  return Md5Of(bytes);
}

std::string FilePeerEntry(const std::string& path, const std::string& md5, const std::string& attributes,
                          const std::string& target) {
  return "<dlfile url=\"http://127.0.0.1:18090" + path + "\" md5=\"" + md5 +
         "\" moduletype=\"dll\" funcname=\"InstallEntry\" path=\"" + target + "\" downloadtype=\"http\" " + attributes +
         "/>";
}

size_t StepRecords(int step, int result) {
  const std::wstring records = PeerRecords();
  size_t count = 0;
  for (size_t at = records.find(L"\"table\":7706"); at != std::wstring::npos;
       at = records.find(L"\"table\":7706", at + 1)) {
    const size_t start = records.rfind(L"\"fields\":{", at);
    if (start == std::wstring::npos) continue;
    const std::wstring block = records.substr(start, at - start);
    if (block.find(L"\"step\":" + std::to_wstring(step) + L",") != std::wstring::npos &&
        block.find(L"\"step_result\":" + std::to_wstring(result) + L",") != std::wstring::npos) {
      ++count;
    }
  }
  return count;
}

std::wstring ProductInstallerRecord() {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp) + L"tw_product_installer.txt";
}

void ForgetInstallState() {
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\tarnwick\\Antivirus");
  const std::wstring machineKey = std::wstring(L"SOFTWARE\\Classes\\") + kCacheKey;
  for (int i = 1; i <= 3; ++i) {
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, machineKey.c_str(), (L"PacketPath_1029_7_" + std::to_wstring(i)).c_str());
  }
}

}  // namespace tw::test::road
