// Times the installer's own download and verification code under Wine, for
// tools/bench/run_bench.py to set beside curl and md5sum in the same run.
//   net_bench download URL PATH | transfer URL - | resumable URL PATH | continue URL PATH | verify PATH MD5
//   net_bench telemetry URL COUNT | config BODY_FILE COUNT | road TELEMETRY_URL CID
// Prints "ms=<elapsed> result=<code>"; the time excludes process start.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "net/curl_downloader_win.h"
#include "net/download_file_win.h"
#include "net/http_transfer.h"
#include "config/config_unwrap.h"
#include "platform/file_open.h"
#include "config/install_config.h"
#include "deploy_config.h"
#include "platform/tw_md5.h"
#include "install/tw_main_win.h"
#include "telemetry/report_queue_win.h"
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
    result = static_cast<int>(tw::DownloadFile(argv[2], argv[3], &error, nullptr, 600));
  } else if (mode == L"transfer") {  // the network part alone: no file is written
    const std::string url(argv[2], argv[2] + std::wcslen(argv[2]));
    result = tw::HttpGetToSink(url.c_str(), nullptr, 600);
  } else if (mode == L"resumable") {
    result = static_cast<int>(tw::TwCurlDownloader().Download(argv[2], argv[3], &error, nullptr));
  } else if (mode == L"continue") {  // a package's partial file: the bytes this call fetched are printed
    tw::DownloadOutcome outcome;
    result =
        static_cast<int>(tw::DownloadFile(argv[2], argv[3], &error, nullptr, 600, tw::PartialBytes::kKeep, &outcome));
    std::printf("fetched=%lld continued=%lld\n", static_cast<long long>(outcome.fetched),
                static_cast<long long>(outcome.continued));
  } else if (mode == L"telemetry") {  // argv[3] step records sent one after another
    TwInstallTool::SetTelemetryUrl(argv[2]);
    TwInstallTool::TwInstallToolReport report;
    report.SetIdentity(1029, 7, L"0123456789ABCDEF0123456789ABCDEF", L"FEDCBA9876543210FEDCBA9876543210");
    const int count = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    result = 0;
    for (int i = 0; i < count; ++i) result |= report.ReportStep(31, 0, i);
  } else if (mode == L"config") {  // unwrap and parse the body in argv[2], argv[3] times
    std::string body;
    if (const tw::UniqueStdioFile file = tw::OpenFileWide(argv[2], "rb")) {
      char chunk[65536];
      size_t read = 0;
      while ((read = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) body.append(chunk, read);
    }
    const tw::RsaPublicKey key{tw::deploy::kCONFIG_RSA_MODULUS_A, tw::deploy::kCONFIG_RSA_EXPONENT_A};
    const int count = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    result = 0;
    for (int i = 0; i < count; ++i) {
      tw::InstallConfiguration config;
      if (!config.Parse(tw::UnwrapConfiguration(body, key))) result = 1;
    }
  } else if (mode == L"road") {  // argv[2] telemetry URL, argv[3] cid: Init, RunDetector(3), RunDetector(4)
    TwInstallTool::SetTelemetryUrl(argv[2]);
    const int cid = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    LARGE_INTEGER marks[5];
    // As the installer runs it: records through the reporter thread, and
    // the exit's drain counted as part of the road.
    TwDirectMetra::TelemetryReporter::Instance().Start(argv[2]);
    tw::TwMain road;
    ::QueryPerformanceCounter(&marks[0]);
    const int init = road.Init(cid, 7);
    ::QueryPerformanceCounter(&marks[1]);
    const int download = road.RunDetector(3);
    ::QueryPerformanceCounter(&marks[2]);
    road.RunDetector(4);  // the benchmark package is not a real library: launch fails at once
    ::QueryPerformanceCounter(&marks[3]);
    road.Uninit();
    TwDirectMetra::TelemetryReporter::Instance().Stop(2000);
    ::QueryPerformanceCounter(&marks[4]);
    const auto ms = [&](int a, int b) {
      return 1000.0 * static_cast<double>(marks[b].QuadPart - marks[a].QuadPart) /
             static_cast<double>(frequency.QuadPart);
    };
    std::printf("init_ms=%.1f download_verify_ms=%.1f install_ms=%.1f exit_ms=%.1f\n", ms(0, 1), ms(1, 2), ms(2, 3),
                ms(3, 4));
    result = init == 1 && download == 1 ? 0 : 1;
  } else if (mode == L"verify") {
    result = tw::VerifyFileMd5(argv[2], argv[3]) ? 0 : 1;
  } else {
    return 2;
  }
  ::QueryPerformanceCounter(&end);
  const double ms =
      1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("ms=%.1f result=%d error=%d\n", ms, result, error);
  return result == 0 ? 0 : 1;
}
