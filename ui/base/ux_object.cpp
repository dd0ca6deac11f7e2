#include "ui/base/ux_object.h"

#include <tinyxml2.h>

namespace tw::ux {

const tinyxml2::XMLElement* ParseDocumentRoot(tinyxml2::XMLDocument& doc, std::string_view xml, std::string_view root) {
  if (doc.Parse(xml.data(), xml.size()) != tinyxml2::XML_SUCCESS) return nullptr;
  const tinyxml2::XMLElement* element = doc.RootElement();
  return element && std::string_view(element->Name()) == root ? element : nullptr;
}

void CUxObject::ApplyAllAttributes(const tinyxml2::XMLElement& element) {
  for (auto* attribute = element.FirstAttribute(); attribute; attribute = attribute->Next()) {
    ApplyAttribute(attribute->Name(), attribute->Value(), true);
  }
  AfterAttributes();
}

bool CUxObject::Load(const tinyxml2::XMLElement& element) {
  ApplyAllAttributes(element);
  return true;
}

}  // namespace tw::ux
