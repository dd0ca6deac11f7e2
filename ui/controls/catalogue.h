// The controls no layout of this program uses. Each keeps the attributes of
// its tag (window code may read them back), sizes itself like a text control
// and draws its style background and inner text; `button`, `check`, `radio`
// and `skinbtn` repaint on every state change.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "ui/controls/panel.h"

namespace tw::ux {

struct CatalogueEntry {
  std::string_view tag;
  std::string_view class_name;
  std::string_view attributes;  // space-separated names
  bool container = false;
  bool repaints_on_state = false;
};

// The entry for a tag, or null.
const CatalogueEntry* FindCatalogueEntry(std::string_view tag);

class CUxCatalogueControl : public CUxWindow {
 public:
  explicit CUxCatalogueControl(const CatalogueEntry& entry) : m_entry(entry) {}
  std::string_view TagName() const override { return m_entry.tag; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  bool RepaintsOnStateChange() const override {
    return m_entry.repaints_on_state || CUxWindow::RepaintsOnStateChange();
  }
  const CatalogueEntry& Entry() const noexcept { return m_entry; }
  const std::string* Attribute(std::string_view name) const;

 private:
  const CatalogueEntry& m_entry;
  std::map<std::string, std::string, std::less<>> m_values;
};

class CUxCatalogueDialog : public CUxDialog {
 public:
  explicit CUxCatalogueDialog(const CatalogueEntry& entry) : m_entry(entry) {}
  std::string_view TagName() const override { return m_entry.tag; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  const CatalogueEntry& Entry() const noexcept { return m_entry; }
  const std::string* Attribute(std::string_view name) const;

 private:
  const CatalogueEntry& m_entry;
  std::map<std::string, std::string, std::less<>> m_values;
};

// A catalogue control for the tag, or null when the tag is not catalogued.
std::unique_ptr<CUxWindow> CreateCatalogueControl(std::string_view tag);

}  // namespace tw::ux
