#include "ui/controls/panel.h"

#include <tinyxml2.h>

#include <algorithm>

#include "ui/base/attribute_values.h"
#include "ui/controls/control_factory.h"

namespace tw::ux {

CUxPanel::~CUxPanel() { DestroyChildren(); }

bool CUxPanel::Load(const tinyxml2::XMLElement& element) {
  CUxWindow::Load(element);
  LoadChildControls(element.FirstChildElement());
  return true;
}

int CUxPanel::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxContainerWnd::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "onlydrawchild") return m_only_draw_child = ReadInt(value) != 0, kAttrChanged;
  return kAttrUnknown;
}

void CUxPanel::OnHookThree(intptr_t a, intptr_t b, intptr_t c) {
  for (auto& child : m_children) child->OnHookThree(a, b, c);
}

void CUxPanel::AttachHost(IUxContainer* host) {
  CUxContainerWnd::AttachHost(host);
  for (auto& child : m_children) child->AttachHost(host);
}

UxHandle CUxPanel::HitTest(int x, int y, int flag) const {
  if (!m_rect.Contains(x, y)) return 0;
  if (m_only_draw_child) return m_handle;
  // Floating children lie above the others; later siblings above earlier ones.
  for (bool floating : {true, false}) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
      const CUxWindow& child = **it;
      if (child.IsFloat() != floating || !child.IsVisible(false) || child.IsTransparent()) continue;
      if (const UxHandle hit = child.HitTest(x, y, flag)) return hit;
    }
  }
  return m_handle;
}

void CUxPanel::PaintInRegion(IUxCanvas& canvas) {
  if (!canvas.Meets(m_rect)) return;
  CUxContainerWnd::PaintInRegion(canvas);
  for (auto& child : m_children) {
    if (child->IsVisible(false)) child->PaintInRegion(canvas);
  }
}

intptr_t CUxPanel::HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) {
  if (message == msg::kDestroy) DestroyChildren();
  return CUxContainerWnd::HandleUxMessage(message, wparam, lparam, handled);
}

CUxWindow* CUxPanel::FindControlById(int id) const {
  for (auto& child : m_children) {
    if (child->Id() == id) return child.get();
  }
  for (auto& child : m_children) {
    if (!child->IsPanel()) continue;
    if (CUxWindow* found = static_cast<const CUxPanel&>(*child).FindControlById(id)) return found;
  }
  return nullptr;
}

void CUxPanel::LoadChildControls(const tinyxml2::XMLElement* first) {
  DestroyChildren();
  for (auto* element = first; element; element = element->NextSiblingElement()) {
    std::unique_ptr<CUxWindow> child = CreateBuiltinControl(element->Name());
    if (!child && m_creator) child = m_creator->CreateControl(element->Name());
    if (!child) continue;  // unknown tags are skipped with their subtree
    child->SetParentHandle(m_handle, m_dpi_aware);
    if (child->IsPanel()) static_cast<CUxPanel&>(*child).SetCreator(m_creator);
    child->AttachHost(m_host);
    child->Load(*element);
    m_children.push_back(std::move(child));
  }
}

std::unique_ptr<CUxWindow> CUxPanel::DetachChild(CUxWindow& control, bool destroy) {
  auto found = std::find_if(m_children.begin(), m_children.end(), [&](auto& c) { return c.get() == &control; });
  if (found == m_children.end()) return nullptr;
  std::unique_ptr<CUxWindow> owned = std::move(*found);
  m_children.erase(found);
  if (destroy) {
    owned->DeliverUxMessage(msg::kDestroy);
    owned.reset();
  }
  LayoutChildren();
  return owned;
}

std::unique_ptr<CUxWindow> CUxPanel::DetachChildById(int id, bool destroy) {
  for (auto& child : m_children) {
    if (child->Id() == id) return DetachChild(*child, destroy);
  }
  return nullptr;
}

void CUxPanel::RescaleForDpi() {
  CUxWindow::RescaleForDpi();
  for (auto& child : m_children) child->RescaleForDpi();
}

void CUxPanel::DestroyChildren() {
  std::vector<std::unique_ptr<CUxWindow>> children;
  children.swap(m_children);
  for (auto& child : children) child->DeliverUxMessage(msg::kDestroy);
}

void CUxDialog::LayoutChildren() {
  for (auto& child : m_children) LayoutChild(*child);
}

void CUxDialog::LayoutChild(CUxWindow& child) {
  const UxStyle& style = Style();
  const UxRect inner = m_rect.Deflated(style.x_margin, style.y_margin);
  const ParsedPosition& pos = child.Position();
  UxPlacement placement;
  placement.left = ResolveCoordinate(pos.items[0], inner.left, inner.right);
  placement.top = ResolveCoordinate(pos.items[1], inner.top, inner.bottom);
  placement.available_width = inner.Width();
  placement.available_height = inner.Height();
  child.DeliverUxMessage(msg::kWindowPosChanged, 0, reinterpret_cast<intptr_t>(&placement));
}

UxRect CUxDialog::ChildrenBounds() const {
  UxRect bounds;
  bool first = true;
  for (auto& child : m_children) {
    const UxRect& r = child->Rect();
    if (first) bounds = r, first = false;
    else
      bounds = {std::min(bounds.left, r.left), std::min(bounds.top, r.top), std::max(bounds.right, r.right),
                std::max(bounds.bottom, r.bottom)};
  }
  return bounds;
}

UxSize CUxDialog::ContentSize(const UxMeasure& /*request*/) {
  // Without its own size a container is as large as what its children cover
  // from its top-left corner.
  const UxRect bounds = ChildrenBounds();
  if (m_children.empty()) return {};
  return {std::max(0, bounds.right - m_rect.left), std::max(0, bounds.bottom - m_rect.top)};
}

void CUxDialog::OnPlaced(const UxPlacement& placement) {
  CUxPanel::OnPlaced(placement);
  LayoutChildren();
}

}  // namespace tw::ux
