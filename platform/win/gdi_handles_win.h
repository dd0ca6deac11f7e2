// Owning wrappers for GDI: objects, memory DCs, window DCs, selections,
// saved DC states and paint scopes. A GDI object still selected into a DC
// cannot be deleted and a DC left with a foreign object leaks it, so each
// of these undoes exactly what it did, in reverse order, on every path.
#pragma once

#include <windows.h>

#include <utility>

#include "platform/win/unique_handle_win.h"

namespace tw::win {

using UniqueRegion = UniqueHandle<NullInvalidTraits<HRGN, &::DeleteObject>>;
using UniqueBitmap = UniqueHandle<NullInvalidTraits<HBITMAP, &::DeleteObject>>;
using UniqueFont = UniqueHandle<NullInvalidTraits<HFONT, &::DeleteObject>>;
// A DC made with CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<NullInvalidTraits<HDC, &::DeleteDC>>;
// An icon made by the program (LoadImage without LR_SHARED).
using UniqueIcon = UniqueHandle<NullInvalidTraits<HICON, &::DestroyIcon>>;

// A window's DC (null: the screen) from GetDC, given back on scope exit.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : m_window(window), m_dc(::GetDC(window)) {}
  ~WindowDc() {
    if (m_dc) ::ReleaseDC(m_window, m_dc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const noexcept { return m_dc; }

 private:
  HWND m_window;
  HDC m_dc;
};

// One object selected into a DC for the scope; the previous one goes back.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
  ~ScopedSelection() {
    if (m_previous && m_previous != HGDI_ERROR) ::SelectObject(m_dc, m_previous);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

// A memory DC with one bitmap selected into it for its whole life (the
// selection is undone before the DC goes: members go in reverse order).
class BitmapDc {
 public:
  explicit BitmapDc(HBITMAP bitmap, HDC compatible = nullptr) noexcept
      : m_dc(::CreateCompatibleDC(compatible)), m_selection(m_dc.Get(), bitmap) {}
  HDC Get() const noexcept { return m_dc.Get(); }

 private:
  UniqueMemoryDc m_dc;
  ScopedSelection m_selection;
};

// The DC's whole state (selections, clip, modes) saved for the scope.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) noexcept : m_dc(dc), m_saved(::SaveDC(dc)) {}
  ~SavedDcState() {
    if (m_saved) ::RestoreDC(m_dc, m_saved);
  }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

 private:
  HDC m_dc;
  int m_saved;
};

// BeginPaint … EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) noexcept : m_window(window), m_dc(::BeginPaint(window, &m_paint)) {}
  ~PaintScope() { ::EndPaint(m_window, &m_paint); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC Dc() const noexcept { return m_dc; }
  const RECT& Area() const noexcept { return m_paint.rcPaint; }

 private:
  HWND m_window;
  PAINTSTRUCT m_paint{};
  HDC m_dc;
};

}  // namespace tw::win
