// Containers: CUxPanel keeps an ordered list of children ("div"), and
// CUxDialog ("dlg") places them by their `pos` inside its inner rectangle.
#pragma once

#include <memory>
#include <vector>

#include "ui/controls/window.h"

namespace tw::ux {

// Makes controls for tags a container does not know itself. A creator may
// hand on to a further one.
class IUxControlCreator {
 public:
  virtual ~IUxControlCreator() = default;
  virtual std::unique_ptr<CUxWindow> CreateControl(std::string_view tag) = 0;
};

class CUxContainerWnd : public CUxWindow {};

class CUxPanel : public CUxContainerWnd {
 public:
  ~CUxPanel() override;
  std::string_view TagName() const override { return "div"; }
  bool Load(const tinyxml2::XMLElement& element) override;
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  void OnHookThree(intptr_t a, intptr_t b, intptr_t c) override;
  void AttachHost(IUxContainer* host) override;
  UxHandle HitTest(int x, int y, int flag) const override;
  bool IsPanel() const override { return true; }
  void RescaleForDpi() override;
  void PaintInRegion(IUxCanvas& canvas) override;
  intptr_t HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) override;

  // Slots of containers, in their order.
  virtual CUxWindow* FindControlById(int id) const;
  virtual void LayoutChildren() {}
  virtual void LayoutChild(CUxWindow& /*child*/) {}
  virtual void LoadChildControls(const tinyxml2::XMLElement* first);
  // Unlinks a child; with `destroy` it is destroyed, else handed back.
  virtual std::unique_ptr<CUxWindow> DetachChild(CUxWindow& control, bool destroy);
  virtual std::unique_ptr<CUxWindow> DetachChildById(int id, bool destroy);

  void SetCreator(IUxControlCreator* creator) noexcept { m_creator = creator; }
  IUxControlCreator* Creator() const noexcept { return m_creator; }
  const std::vector<std::unique_ptr<CUxWindow>>& Children() const noexcept { return m_children; }
  void DestroyChildren();
  void SetOnlyDrawChild(bool on) noexcept { m_only_draw_child = on; }

 protected:
  std::vector<std::unique_ptr<CUxWindow>> m_children;
  IUxControlCreator* m_creator = nullptr;
  bool m_only_draw_child = false;
};

class CUxDialog : public CUxPanel {
 public:
  std::string_view TagName() const override { return "dlg"; }
  void LayoutChildren() override;
  void LayoutChild(CUxWindow& child) override;
  virtual UxRect ChildrenBounds() const;
  UxSize ContentSize(const UxMeasure& request) override;

 protected:
  void OnPlaced(const UxPlacement& placement) override;
};

}  // namespace tw::ux
