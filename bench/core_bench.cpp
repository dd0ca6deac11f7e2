// Benchmarks of the portable core. Each measured operation has a baseline
// over the same input in the same run (copying the text it reads), so the
// reported figure is a ratio that holds from one machine to the next.
#include <benchmark/benchmark.h>

#include <string>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/command_line.h"
#include "config/condition_language.h"
#include "config/config_unwrap.h"
#include "config/install_config.h"
#include "deploy_config.h"
#include "telemetry/metra_serialize.h"
#include "telemetry/report_blocks.h"
#include "platform/ux_json.h"

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
  if (!document.Parse(ProductStateDocument())) state.SkipWithError("the product state document does not parse");
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

// One step record as the controller sends it: public block, step block,
// packet with its CRC. Baseline: copying a buffer of the packet's size.
std::vector<uint8_t> StepPacket() {
  TwDirectMetra::TwPublicBlock publicBlock;
  publicBlock.FillPublic("0", "0", "1029", "7", "0", "0123456789ABCDEF0123456789ABCDEF", "0", TwDirectMetra::kAppKey);
  TwInstallTool::InstallToolValues values;
  values.step = 31;
  values.productState = L"{\"dvlx\":0,\"zorn\":1}";
  values.deviceId = L"FEDCBA9876543210FEDCBA9876543210";
  TwDirectMetra::TwInstallSerialize step;
  TwInstallTool::FillStepBlock(step, values);
  return TwDirectMetra::BuildPacket({&publicBlock, &step});
}

void BM_Baseline_CopyPacketBytes(benchmark::State& state) {
  const std::vector<uint8_t> packet = StepPacket();
  for (auto _ : state) {
    std::vector<uint8_t> copy = packet;
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_Baseline_CopyPacketBytes);

void BM_EncodeStepRecord(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(StepPacket());
}
BENCHMARK(BM_EncodeStepRecord);

// Conditions: 100 check items of three leaves each, a deep condition over them.
class FixedLeaf : public tw::ICheckLeaf {
 public:
  FixedLeaf(int32_t id, bool answer) : m_answer(answer) { SetId(id); }
  bool Check() override { return m_answer; }

 private:
  bool m_answer;
};

std::string DeepCondition() {
  std::string condition;
  for (int id = 1; id <= 100; ++id) {
    condition +=
        (id > 1 ? (id % 3 == 0 ? "|(" : "&(") : "(") + std::string(id % 2 ? "~" : "") + std::to_string(id) + ")";
  }
  return condition;
}

void BM_Baseline_CopyCondition(benchmark::State& state) {
  const std::string condition = DeepCondition();
  for (auto _ : state) {
    std::string copy = condition;
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_Baseline_CopyCondition);

void BM_CheckInstallCondition(benchmark::State& state) {
  tw::TwCheckParser checks;
  for (int id = 1; id <= 100; ++id) {
    auto item = std::make_unique<tw::TwCheckItem>(id, L"", L"(1&~2)|((3&1)|~(2&3))");
    for (int leaf = 1; leaf <= 3; ++leaf) item->AddLeaf(std::make_unique<FixedLeaf>(leaf, (id + leaf) % 2 == 0));
    checks.Add(std::move(item));
  }
  const std::string condition = DeepCondition();
  for (auto _ : state) benchmark::DoNotOptimize(tw::EvaluateCondition(condition.c_str(), true, checks));
}
BENCHMARK(BM_CheckInstallCondition);

// A 64 KiB configuration prepared by the bench runner with the service's tool.
std::string ConfigBody() {
  const char* path = std::getenv("TW_BENCH_CONFIG");
  std::ifstream file(path != nullptr ? path : "", std::ios::binary);
  std::ostringstream body;
  body << file.rdbuf();
  return body.str();
}

void BM_Baseline_CopyConfigBody(benchmark::State& state) {
  const std::string body = ConfigBody();
  for (auto _ : state) {
    std::string copy = body;
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_Baseline_CopyConfigBody);

void BM_UnwrapAndParseConfig64K(benchmark::State& state) {
  const std::string body = ConfigBody();
  const tw::RsaPublicKey key{tw::deploy::kCONFIG_RSA_MODULUS_A, tw::deploy::kCONFIG_RSA_EXPONENT_A};
  for (auto _ : state) {
    tw::InstallConfiguration config;
    benchmark::DoNotOptimize(config.Parse(tw::UnwrapConfiguration(body, key)));
  }
}
BENCHMARK(BM_UnwrapAndParseConfig64K);

}  // namespace

BENCHMARK_MAIN();
