// Benchmarks of the portable core. Each measured operation has a baseline
// over the same input in the same run (copying the text it reads), so the
// reported figure is a ratio that holds from one machine to the next.
#include <benchmark/benchmark.h>

#include <string>

#include "app/command_line.h"
#include "telemetry/ux_json.h"

namespace {

std::wstring ProductStateDocument() {
  std::wstring text = L"{\"dvlx\":{\"installed\":1,\"version\":\"3.2.1.400\"},\"zorn\":{\"items\":[";
  for (int i = 0; i < 200; ++i) text += L"{\"id\":" + std::to_wstring(i) + L",\"name\":\"item\\u00e9\"},";
  text += L"{}]}}";
  return text;
}

const std::wstring kCommandLine =
    LR"("C:\Users\user\Downloads\setup_1029_7.exe" /cid=1029 /tid:7 -silent --update /path="C:\Program Files\x")";

void BM_Baseline_CopyJsonText(benchmark::State& state) {
  const std::wstring text = ProductStateDocument();
  for (auto _ : state) {
    std::wstring copy = text;
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_Baseline_CopyJsonText);

void BM_JsonParse(benchmark::State& state) {
  const std::wstring text = ProductStateDocument();
  for (auto _ : state) {
    cf::UxJson::Document document;
    benchmark::DoNotOptimize(document.Parse(text));
  }
}
BENCHMARK(BM_JsonParse);

void BM_JsonWriteCompact(benchmark::State& state) {
  cf::UxJson::Document document;
  document.Parse(ProductStateDocument());
  for (auto _ : state) benchmark::DoNotOptimize(document.ToString(false, 0));
}
BENCHMARK(BM_JsonWriteCompact);

void BM_Baseline_CopyCommandLine(benchmark::State& state) {
  for (auto _ : state) {
    std::wstring copy = kCommandLine;
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_Baseline_CopyCommandLine);

void BM_ParseSwitches(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(tw::ParseSwitches(kCommandLine));
}
BENCHMARK(BM_ParseSwitches);

}  // namespace

BENCHMARK_MAIN();
