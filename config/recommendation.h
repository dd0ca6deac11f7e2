// One more piece of software the installer may offer beside the product,
// chosen by the configuration service per scene and filtered by local
// registry conditions. The outcome travels to the product's installer as a
// switch text, recommended or not, with the reason.
#pragma once

#include <atomic>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

namespace tw {

class Condition {
 public:
  virtual ~Condition() = default;
  virtual bool Check() = 0;
  virtual std::unique_ptr<Condition> Create(const tinyxml2::XMLElement& element) const = 0;
  const std::wstring& NotRcmdReason() const { return m_reason; }

 protected:
  void SetReason(const tinyxml2::XMLElement& element);

 private:
  std::wstring m_reason;
};

// Holds when the stored moment is at least `value` calendar days (UTC+8) ago.
class RegTimeCondtion final : public Condition {
 public:
  bool Check() override;
  std::unique_ptr<Condition> Create(const tinyxml2::XMLElement& element) const override;
  std::wstring key, valuename, value;
};

// Holds when a registry number is in range and not excluded, or, with
// exist "false", when the value is absent.
class RegistryCondition final : public Condition {
 public:
  bool Check() override;
  std::unique_ptr<Condition> Create(const tinyxml2::XMLElement& element) const override;
  std::wstring key, valuename, minivalue, maxvalue, exclude, exist, closewow64;
};

struct RecommendationResult {
  int scene = 0, softId = 0, check = 0, cid = 0, tid = 0, canRecommend = 0;
  std::wstring desc;
};

struct RcmdCandidate {
  int scene = 0, softId = 0, check = 1, probability = 100, tid = 0, cid = 0;
  std::wstring desc;
  std::vector<std::unique_ptr<Condition>> conditions;
};

class TwInstallRcmdCfgParser {
 public:
  // 0, or 1 BadSceneId, 2 XmlParseFailed, 3 CfgVerNotMatch, 4 SwithIsOff, 5 NoRcmdItem.
  [[nodiscard]] int ParseCfgFile(const std::wstring& path, int scene);
  bool GetRcmdItem(RecommendationResult& result);
  const std::wstring& LastConditionReason() const { return m_last_reason; }
  // The draw 1..100; replaceable so tests can force it.
  int (*draw)() = nullptr;

 private:
  std::vector<RcmdCandidate> m_candidates;
  std::wstring m_last_reason;
};

class TwInstallRcmdMgr {
 public:
  explicit TwInstallRcmdMgr(std::wstring directory);
  // Setting `cancel` (may be null) ends a fetch in flight within a second.
  [[nodiscard]] bool DownloadCfgFile(const std::atomic<bool>* cancel = nullptr);
  bool GetRecommendation(int scene);
  const RecommendationResult& Result() const { return m_result; }
  RecommendationResult& Result() { return m_result; }
  const std::wstring& FailureReason() const { return m_reason; }
  TwInstallRcmdCfgParser& Parser() { return m_parser; }
  std::wstring CfgPath() const { return m_directory + L"TwInstallRcmdCfg.dat"; }

 private:
  TwInstallRcmdCfgParser m_parser;
  RecommendationResult m_result;
  std::wstring m_directory;  // ends with a backslash
  std::wstring m_reason;
};

// The eight switches put in front of the product installer's command line.
std::wstring RecommendationSwitches(const RecommendationResult& result, const std::wstring& failureReason);

}  // namespace tw
