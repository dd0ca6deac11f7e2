// The two levels of the install-condition language. A check item combines
// its leaves (single tests of the machine) by a leaf expression; a
// condition combines check items by number. Items that cannot be evaluated
// count as satisfied, so a damaged configuration never blocks an install.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

namespace tw {

// One test of the machine (registry value, file, service, city, ...).
class ICheckLeaf {
 public:
  virtual ~ICheckLeaf() = default;
  virtual bool Check() = 0;
  int32_t Id() const { return m_id; }
  void SetId(int32_t id) { m_id = id; }

 private:
  int32_t m_id = 0;
};

// The leaf classes, in the order their "mode" names are looked up.
enum class LeafMode {
  kReg,
  kService,
  kKernelObject,
  kDriver,
  kRegFile,
  kVarExFile,
  kFullPathFile,
  kOsVersion,
  kUninstCounts,
  kCityBlackList,
  kVpn,
  kVmware,
  kUninstCountAndTime,
  kBarUser,
  kRegIntervalTime,
};
// Case-insensitive; nothing for an unknown mode.
std::optional<LeafMode> LeafModeFromName(const char* mode);

// Builds a leaf of `mode` from its element; null when the element is not
// acceptable for that class.
using LeafFactory = std::function<std::unique_ptr<ICheckLeaf>(LeafMode mode, const tinyxml2::XMLElement& element)>;

class TwCheckItem {
 public:
  TwCheckItem(int32_t id, std::wstring name, std::wstring expression)
      : m_id(id), m_name(std::move(name)), m_expression(std::move(expression)) {}
  virtual ~TwCheckItem() = default;

  void AddLeaf(std::unique_ptr<ICheckLeaf> leaf) { m_leaves.push_back(std::move(leaf)); }
  // The leaf expression with every leaf number replaced by its leaves'
  // results (each checked every time its number occurs). False when the
  // expression holds a character outside the language.
  [[nodiscard]] bool Evaluate(std::wstring& zeroOneText);

  int32_t Id() const { return m_id; }
  const std::wstring& Name() const { return m_name; }
  const std::wstring& Expression() const { return m_expression; }

 private:
  int32_t m_id;
  std::wstring m_name;
  std::wstring m_expression;
  std::vector<std::unique_ptr<ICheckLeaf>> m_leaves;
};

// Told, in words an operator reads, what a parser drops or fails on (the
// configuration check prints it); parsing is the same without one.
using DropReporter = std::function<void(const std::string&)>;

class TwCheckParser {
 public:
  // Reads the `check` element's items (false only when it is missing);
  // items that lack an attribute, have a bad leaf or a bad expression are
  // dropped. `widen` turns ANSI attribute text into wide text.
  [[nodiscard]] bool Parse(const tinyxml2::XMLElement* check, const LeafFactory& makeLeaf,
                           const std::function<std::wstring(const char*)>& widen, const DropReporter& dropped = {});
  void Add(std::unique_ptr<TwCheckItem> item) { m_items.push_back(std::move(item)); }
  // True when an item with `id` evaluated, with its value in `value`.
  [[nodiscard]] bool CheckItemById(int32_t id, bool& value);
  size_t Size() const { return m_items.size(); }

 private:
  std::vector<std::unique_ptr<TwCheckItem>> m_items;
};

class TwItemNode {
 public:
  TwItemNode(int32_t id, std::string expression) : m_id(id), m_expression(std::move(expression)) {}
  virtual ~TwItemNode() = default;
  int32_t Id() const { return m_id; }
  const std::string& Expression() const { return m_expression; }

 private:
  int32_t m_id;
  std::string m_expression;
};

class TwConditionParse {
 public:
  // False when any item lacks "id"/"expression", has an id <= 0 or a bad
  // expression. The first item with an id wins.
  [[nodiscard]] bool Parse(const tinyxml2::XMLElement* condition, const DropReporter& dropped = {});
  const TwItemNode* Find(int32_t id) const;

 private:
  std::map<int32_t, std::unique_ptr<TwItemNode>> m_items;
};

// The numbers are the ones the log has always shown; the install road
// decides which code its records carry for each.
enum class ConditionResult {
  kSatisfied = 0,
  kNotSatisfied = 200,
  kMissing = 201,       // no text, or no configuration loaded
  kMalformed = 202,     // the 0/1 text does not evaluate
  kBadCharacter = 204,  // a character the language does not have
};

// A condition over check-item numbers. "~" negates the next number in the
// text (across "("); items that do not evaluate count as satisfied.
[[nodiscard]] ConditionResult EvaluateCondition(const char* condition, bool configurationLoaded, TwCheckParser& checks);

}  // namespace tw
