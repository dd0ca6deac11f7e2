#include "ui/hosts/accessible_win.h"

#include <algorithm>
#include <string>

#include "platform/win/com_win.h"

namespace tw::ux::win {

namespace {

bool ChildIdOf(const VARIANT& child, LONG& id) {
  if (child.vt != VT_I4) return false;
  id = child.lVal;
  return true;
}

HRESULT GiveText(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

void SetChildId(VARIANT* out, LONG id) {
  out->vt = VT_I4;
  out->lVal = id;
}

LONG StateBits(const AccessibleElement& element) {
  LONG state = 0;
  if (element.focusable) state |= STATE_SYSTEM_FOCUSABLE;
  if (element.focused) state |= STATE_SYSTEM_FOCUSED;
  if (element.unavailable) state |= STATE_SYSTEM_UNAVAILABLE;
  if (element.checked) state |= STATE_SYSTEM_CHECKED;
  if (element.invisible) state |= STATE_SYSTEM_INVISIBLE;
  if (element.role == AccessibleRole::kLink) state |= STATE_SYSTEM_LINKED;
  if (element.role == AccessibleRole::kStaticText || element.role == AccessibleRole::kProgressBar) {
    state |= STATE_SYSTEM_READONLY;
  }
  return state;
}

// The children as VARIANTs: a child id for a windowless control, the real
// child window's own object for a `realwnd`.
class ChildEnumerator final : public IEnumVARIANT, private tw::win::ComReferenceCount<ChildEnumerator> {
  friend class tw::win::ComReferenceCount<ChildEnumerator>;

 public:
  explicit ChildEnumerator(std::vector<VARIANT> items, size_t next = 0) : m_items(std::move(items)), m_next(next) {}
  ~ChildEnumerator() {
    for (VARIANT& item : m_items) ::VariantClear(&item);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumVARIANT) {
      *out = static_cast<IEnumVARIANT*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (!out) return E_POINTER;
    ULONG given = 0;
    for (; given < count && m_next < m_items.size(); ++given, ++m_next) {
      ::VariantInit(&out[given]);
      if (FAILED(::VariantCopy(&out[given], &m_items[m_next]))) break;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    m_next = std::min<size_t>(m_items.size(), m_next + count);
    return m_next < m_items.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    m_next = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (!out) return E_POINTER;
    std::vector<VARIANT> copies(m_items.size());
    for (size_t i = 0; i < m_items.size(); ++i) {
      ::VariantInit(&copies[i]);
      (void)::VariantCopy(&copies[i], &m_items[i]);  // a failed copy stays empty
    }
    *out = new ChildEnumerator(std::move(copies), m_next);
    return S_OK;
  }

 private:
  std::vector<VARIANT> m_items;
  size_t m_next;
};

class UxAccessible final : public IAccessible, public IEnumVARIANT, private tw::win::ComReferenceCount<UxAccessible> {
  friend class tw::win::ComReferenceCount<UxAccessible>;

 public:
  explicit UxAccessible(IUxAccessibleHost& host) : m_host(&host) {}
  void Disconnect() noexcept { m_host = nullptr; }

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
    } else if (iid == IID_IEnumVARIANT) {
      *out = static_cast<IEnumVARIANT*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
  ULONG STDMETHODCALLTYPE Release() override { return DropReference(); }

  // IDispatch: MSAA clients call through the table.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IEnumVARIANT: the children, in a list taken at Reset.
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (!m_enumerator) (void)Reset();
    if (!m_enumerator) return CO_E_OBJNOTCONNECTED;
    return m_enumerator->Next(count, out, fetched);
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    if (!m_enumerator) (void)Reset();
    return m_enumerator ? m_enumerator->Skip(count) : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    if (!m_host) return CO_E_OBJNOTCONNECTED;
    m_enumerator = tw::win::ComPtr<ChildEnumerator>(new ChildEnumerator(ChildVariants()));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (!out) return E_POINTER;
    if (!m_host) return CO_E_OBJNOTCONNECTED;
    *out = new ChildEnumerator(ChildVariants());
    return S_OK;
  }

  // IAccessible.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!m_host) return CO_E_OBJNOTCONNECTED;
    return ::AccessibleObjectFromWindow(m_host->AccessibleWindow(), static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                        reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (!count) return E_POINTER;
    if (!m_host) return CO_E_OBJNOTCONNECTED;
    *count = static_cast<LONG>(m_host->AccessibleSnapshot().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    const AccessibleElement* element = nullptr;
    std::optional<AccessibleElement> found;
    if (HRESULT hr = Find(child, found, element); hr != S_OK) return hr;
    if (!element) return E_INVALIDARG;                 // the client area is no child of its own
    if (element->real_window_id == 0) return S_FALSE;  // a simple element: the child id is all
    return RealWindowObject(*element, out);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    std::optional<AccessibleElement> found;
    const AccessibleElement* element = nullptr;
    if (HRESULT hr = Find(child, found, element); hr != S_OK) return hr;
    if (!element) {
      wchar_t title[256] = {};
      ::GetWindowTextW(m_host->AccessibleWindow(), title, 256);
      return GiveText(title, name);
    }
    return GiveText(element->name, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    std::optional<AccessibleElement> found;
    const AccessibleElement* element = nullptr;
    if (HRESULT hr = Find(child, found, element); hr != S_OK) return hr;
    return GiveText(element ? element->value : std::wstring(), value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override { return NoText(child, text); }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override { return NoText(child, text); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = -1;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override { return NoText(child, text); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    ::VariantInit(role);
    std::optional<AccessibleElement> found;
    const AccessibleElement* element = nullptr;
    if (HRESULT hr = Find(child, found, element); hr != S_OK) return hr;
    SetChildId(role, !element                       ? ROLE_SYSTEM_CLIENT
                     : element->real_window_id != 0 ? ROLE_SYSTEM_WINDOW
                                                    : static_cast<LONG>(element->role));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    ::VariantInit(state);
    std::optional<AccessibleElement> found;
    const AccessibleElement* element = nullptr;
    if (HRESULT hr = Find(child, found, element); hr != S_OK) return hr;
    if (!element) {
      const bool focused = ::GetFocus() == m_host->AccessibleWindow() && m_host->KeyboardFocus() == 0;
      SetChildId(state, STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0));
    } else {
      SetChildId(state, StateBits(*element));
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    ::VariantInit(focus);
    if (!m_host) return CO_E_OBJNOTCONNECTED;
    HWND window = m_host->AccessibleWindow();
    HWND has_focus = ::GetFocus();
    if (has_focus != window && !::IsChild(window, has_focus)) return S_FALSE;
    if (const UxHandle focused = m_host->KeyboardFocus()) {
      SetChildId(focus, static_cast<LONG>(focused));
    } else {
      SetChildId(focus, CHILDID_SELF);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    ::VariantInit(selection);
    return m_host ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    std::optional<AccessibleElement> found;
    const AccessibleElement* element = nullptr;
    if (HRESULT hr = Find(child, found, element); hr != S_OK) return hr;
    return GiveText(element ? element->default_action : std::wstring(), action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    std::optional<AccessibleElement> found;
    const AccessibleElement* element = nullptr;
    if (HRESULT hr = Find(child, found, element); hr != S_OK) return hr;
    if (!(flags & SELFLAG_TAKEFOCUS)) return DISP_E_MEMBERNOTFOUND;
    if (!element) {
      ::SetFocus(m_host->AccessibleWindow());
      return S_OK;
    }
    if (!element->focusable || element->unavailable || element->invisible) return E_INVALIDARG;
    m_host->RequestKeyboardFocus(element->handle);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    std::optional<AccessibleElement> found;
    const AccessibleElement* element = nullptr;
    if (HRESULT hr = Find(child, found, element); hr != S_OK) return hr;
    RECT rect{};
    if (element) {
      rect = {element->rect.left, element->rect.top, element->rect.right, element->rect.bottom};
    } else {
      ::GetClientRect(m_host->AccessibleWindow(), &rect);
    }
    ::MapWindowPoints(m_host->AccessibleWindow(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    ::VariantInit(end);
    LONG id = 0;
    if (!m_host) return CO_E_OBJNOTCONNECTED;
    if (!ChildIdOf(start, id)) return E_INVALIDARG;
    const std::vector<AccessibleElement> elements = m_host->AccessibleSnapshot();
    if (elements.empty()) return S_FALSE;
    size_t index = 0;
    if (id == CHILDID_SELF) {
      if (direction == NAVDIR_FIRSTCHILD) index = 0;
      else if (direction == NAVDIR_LASTCHILD) index = elements.size() - 1;
      else return S_FALSE;  // the window's own object knows its siblings
    } else {
      const auto at = std::find_if(elements.begin(), elements.end(),
                                   [&](const AccessibleElement& e) { return static_cast<LONG>(e.handle) == id; });
      if (at == elements.end()) return E_INVALIDARG;
      index = static_cast<size_t>(at - elements.begin());
      if (direction == NAVDIR_NEXT && index + 1 < elements.size()) ++index;
      else if (direction == NAVDIR_PREVIOUS && index > 0) --index;
      else return S_FALSE;
    }
    return SetElement(elements[index], end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    ::VariantInit(out);
    if (!m_host) return CO_E_OBJNOTCONNECTED;
    HWND window = m_host->AccessibleWindow();
    POINT point{x, y};
    ::ScreenToClient(window, &point);
    RECT client;
    ::GetClientRect(window, &client);
    if (!::PtInRect(&client, point)) return S_FALSE;
    const UxHandle handle = m_host->AccessibleHitTest(point.x, point.y);
    if (handle == 0) {
      SetChildId(out, CHILDID_SELF);
      return S_OK;
    }
    if (std::optional<AccessibleElement> element = m_host->AccessibleElementFor(handle)) {
      return SetElement(*element, out);
    }
    SetChildId(out, CHILDID_SELF);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    std::optional<AccessibleElement> found;
    const AccessibleElement* element = nullptr;
    if (HRESULT hr = Find(child, found, element); hr != S_OK) return hr;
    if (!element || element->default_action.empty()) return DISP_E_MEMBERNOTFOUND;
    if (element->unavailable || element->invisible) return E_FAIL;
    m_host->RequestActivation(element->handle);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // S_OK with `element` null for the client area itself, or pointing into
  // `found` for a control; an error for a child id that names nothing.
  HRESULT Find(const VARIANT& child, std::optional<AccessibleElement>& found, const AccessibleElement*& element) {
    element = nullptr;
    if (!m_host) return CO_E_OBJNOTCONNECTED;
    LONG id = 0;
    if (!ChildIdOf(child, id)) return E_INVALIDARG;
    if (id == CHILDID_SELF) return S_OK;
    if (id < 0) return E_INVALIDARG;
    found = m_host->AccessibleElementFor(static_cast<UxHandle>(id));
    if (!found) return E_INVALIDARG;
    element = &*found;
    return S_OK;
  }
  HRESULT NoText(const VARIANT& child, BSTR* text) {
    std::optional<AccessibleElement> found;
    const AccessibleElement* element = nullptr;
    if (HRESULT hr = Find(child, found, element); hr != S_OK) return hr;
    return GiveText(std::wstring(), text);
  }
  HRESULT RealWindowObject(const AccessibleElement& element, IDispatch** out) {
    HWND real = ::GetDlgItem(m_host->AccessibleWindow(), element.real_window_id);
    if (!real) return E_INVALIDARG;
    return ::AccessibleObjectFromWindow(real, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                        reinterpret_cast<void**>(out));
  }
  HRESULT SetElement(const AccessibleElement& element, VARIANT* out) {
    if (element.real_window_id != 0) {
      IDispatch* object = nullptr;
      if (SUCCEEDED(RealWindowObject(element, &object)) && object) {
        out->vt = VT_DISPATCH;
        out->pdispVal = object;
        return S_OK;
      }
    }
    SetChildId(out, static_cast<LONG>(element.handle));
    return S_OK;
  }
  std::vector<VARIANT> ChildVariants() {
    std::vector<VARIANT> items;
    for (const AccessibleElement& element : m_host->AccessibleSnapshot()) {
      VARIANT item;
      ::VariantInit(&item);
      (void)SetElement(element, &item);
      items.push_back(item);
    }
    return items;
  }

  IUxAccessibleHost* m_host;
  tw::win::ComPtr<ChildEnumerator> m_enumerator;
};

}  // namespace

IAccessible* CreateAccessibleObject(IUxAccessibleHost& host) { return new UxAccessible(host); }

void DisconnectAccessibleObject(IAccessible* object) {
  if (object) static_cast<UxAccessible*>(object)->Disconnect();
}

LRESULT AnswerGetObject(IAccessible* object, WPARAM wparam) {
  return object ? ::LresultFromObject(IID_IAccessible, wparam, object) : 0;
}

void AnnounceAccessibleEvent(HWND window, DWORD event, UxHandle handle) {
  if (!window) return;
  ::NotifyWinEvent(event, window, OBJID_CLIENT, handle ? static_cast<LONG>(handle) : CHILDID_SELF);
}

}  // namespace tw::ux::win
