// Times the installer's own download and verification code under Wine, for
// tools/bench/run_bench.py to set beside curl and md5sum in the same run.
//   net_bench download URL PATH | transfer URL - | resumable URL PATH | verify PATH MD5
//   net_bench telemetry URL COUNT
// Prints "ms=<elapsed> result=<code>"; the time excludes process start.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "net/curl_downloader.h"
#include "net/download_file.h"
#include "net/http_transfer.h"
#include "net/tw_md5.h"
#include "telemetry/reports.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const std::wstring mode = argv[1];
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  int result = -1;
  int error = 0;
  if (mode == L"download") {
    result = tw::DownloadFile(argv[2], argv[3], &error, nullptr, 600);
  } else if (mode == L"transfer") {  // the network part alone: no file is written
    const std::string url(argv[2], argv[2] + std::wcslen(argv[2]));
    result = tw::HttpGetToSink(url.c_str(), nullptr, 600);
  } else if (mode == L"resumable") {
    result = tw::TwCurlDownloader().Download(argv[2], argv[3], &error, nullptr);
  } else if (mode == L"telemetry") {  // argv[3] step records sent one after another
    TwInstallTool::SetTelemetryUrl(argv[2]);
    TwInstallTool::TwInstallToolReport report;
    report.SetIdentity(1029, 7, L"0123456789ABCDEF0123456789ABCDEF", L"FEDCBA9876543210FEDCBA9876543210");
    const int count = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    result = 0;
    for (int i = 0; i < count; ++i) result |= report.ReportStep(31, 0, i);
  } else if (mode == L"verify") {
    result = tw::VerifyFileMd5(argv[2], argv[3]) ? 0 : 1;
  } else {
    return 2;
  }
  ::QueryPerformanceCounter(&end);
  const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("ms=%.1f result=%d error=%d\n", ms, result, error);
  return result == 0 ? 0 : 1;
}
