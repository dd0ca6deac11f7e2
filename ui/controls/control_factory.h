// Tag → control. Containers try the built-in tags first, then their extra
// creator; only the top-level host installs one (CUxControlCreator), so the
// framed dialog's layouts may use the built-in tags only.
#pragma once

#include <memory>
#include <string_view>

#include "ui/controls/panel.h"

namespace tw::ux {

std::unique_ptr<CUxWindow> CreateBuiltinControl(std::string_view tag);

class CUxControlCreator : public IUxControlCreator {
 public:
  explicit CUxControlCreator(IUxControlCreator* next = nullptr) : m_next(next) {}
  std::unique_ptr<CUxWindow> CreateControl(std::string_view tag) override;

 private:
  IUxControlCreator* m_next;
};

}  // namespace tw::ux
