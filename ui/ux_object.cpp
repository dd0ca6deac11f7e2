#include "ui/ux_object.h"

#include <tinyxml2.h>

namespace tw::ux {

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
