// `text` and `link`: a control that shows its inner text with its style.
// A link differs only by its tag; its `href` opens on click like any control's.
#pragma once

#include "ui/controls/window.h"

namespace tw::ux {

class CUxStatic : public CUxWindow {
 public:
  std::string_view TagName() const override { return "text"; }
};

class CUxLink : public CUxWindow {
 public:
  std::string_view TagName() const override { return "link"; }
};

}  // namespace tw::ux
