// The root of every object a framework document describes: controls, skins
// and styles. Loading offers each attribute, in document order, to
// ApplyAttribute; every class offers the pair to its base first and looks at
// its own names only when the base answered kAttrUnknown.
#pragma once

#include <string_view>

#include "ui/base/ux_types.h"

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

namespace tw::ux {

// Parses a framework document; its root element when it is named `root`,
// else null (not XML, or another document).
const tinyxml2::XMLElement* ParseDocumentRoot(tinyxml2::XMLDocument& doc, std::string_view xml, std::string_view root);

class CUxObject {
 public:
  CUxObject() = default;
  CUxObject(const CUxObject&) = delete;
  CUxObject& operator=(const CUxObject&) = delete;
  virtual ~CUxObject() = default;

  virtual bool HasTag(std::string_view tag) const { return tag == TagName(); }
  virtual std::string_view TagName() const = 0;
  // Applies every attribute with the loading flag set, then AfterAttributes.
  virtual bool Load(const tinyxml2::XMLElement& element);
  virtual void AfterAttributes() {}
  virtual int ApplyAttribute(std::string_view /*name*/, std::string_view /*value*/, bool /*loading*/) {
    return kAttrUnknown;
  }

 protected:
  void ApplyAllAttributes(const tinyxml2::XMLElement& element);
};

}  // namespace tw::ux
