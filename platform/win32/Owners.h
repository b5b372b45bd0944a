// Move-only owners of Windows resources and of calls Windows wants undone (a selected
// object, a disabled window), so every handle is closed and every call undone exactly
// once and on every path.
#pragma once

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <utility>

namespace qc::win {

// Closes the resource with Traits::Close; GetLastError survives the close, so a
// caller can still read the failure that made it give up.
template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;
  UniqueResource() = default;
  explicit UniqueResource(Type value) : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  Type get() const { return value_; }
  explicit operator bool() const { return Traits::IsValid(value_); }
  Type* put() {
    reset();
    return &value_;
  }
  Type release() { return std::exchange(value_, Traits::Invalid()); }
  void reset(Type value = Traits::Invalid()) {
    if (Traits::IsValid(value_)) {
      const DWORD lastError = GetLastError();
      Traits::Close(value_);
      SetLastError(lastError);
    }
    value_ = value;
  }

 private:
  Type value_ = Traits::Invalid();
};

struct HandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};
using UniqueHandle = UniqueResource<HandleTraits>;

struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Type h) { FindClose(h); }
};
using UniqueFind = UniqueResource<FindTraits>;

// Never closes a predefined root key (HKEY_LOCAL_MACHINE and friends).
struct HKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) {
    return h != nullptr && (reinterpret_cast<ULONG_PTR>(h) & 0x80000000u) == 0;
  }
  static void Close(Type h) { RegCloseKey(h); }
};
using UniqueHKey = UniqueResource<HKeyTraits>;

// Memory the security functions hand out, which LocalFree returns.
struct LocalTraits {
  using Type = HLOCAL;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type p) { return p != nullptr; }
  static void Close(Type p) { LocalFree(p); }
};
using UniqueLocal = UniqueResource<LocalTraits>;

// Fonts and bitmaps.
struct GdiTraits {
  using Type = HGDIOBJ;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { DeleteObject(h); }
};
using UniqueGdi = UniqueResource<GdiTraits>;

// A SID that AllocateAndInitializeSid made.
struct SidTraits {
  using Type = PSID;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type p) { return p != nullptr; }
  static void Close(Type p) { FreeSid(p); }
};
using UniqueSid = UniqueResource<SidTraits>;

// A window's (or, for no window, the screen's) device context from GetDC.
struct WindowDcTraits {
  struct Type {
    HWND window;
    HDC dc;
  };
  static Type Invalid() { return {nullptr, nullptr}; }
  static bool IsValid(Type t) { return t.dc != nullptr; }
  static void Close(Type t) { ReleaseDC(t.window, t.dc); }
};
using UniqueWindowDc = UniqueResource<WindowDcTraits>;

// The painting of one WM_PAINT: BeginPaint now, EndPaint when it goes, as Windows asks
// for every BeginPaint.
struct PaintTraits {
  struct Type {
    HWND window;
    PAINTSTRUCT paint;
  };
  static Type Invalid() { return {nullptr, {}}; }
  static bool IsValid(const Type& t) { return t.window != nullptr; }
  static void Close(const Type& t) { EndPaint(t.window, &t.paint); }
};
using UniquePaint = UniqueResource<PaintTraits>;

inline UniquePaint BeginPainting(HWND window) {
  PaintTraits::Type painting{window, {}};
  BeginPaint(window, &painting.paint);
  return UniquePaint(painting);
}

// A memory device context from CreateCompatibleDC.
struct MemoryDcTraits {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { DeleteDC(h); }
};
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;

// An object selected into a device context; the one it replaced goes back when this goes,
// so the object can be deleted and the context freed.
struct SelectionTraits {
  struct Type {
    HDC dc;
    HGDIOBJ previous;
  };
  static Type Invalid() { return {nullptr, nullptr}; }
  static bool IsValid(Type t) { return t.previous != nullptr && t.previous != HGDI_ERROR; }
  static void Close(Type t) { SelectObject(t.dc, t.previous); }
};
using UniqueSelection = UniqueResource<SelectionTraits>;

inline UniqueSelection SelectInto(HDC dc, HGDIOBJ object) {
  return UniqueSelection({dc, SelectObject(dc, object)});
}

// A window of this program's own; one that is gone already is left alone.
struct WindowTraits {
  using Type = HWND;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) {
    if (IsWindow(h)) DestroyWindow(h);
  }
};
using UniqueWindow = UniqueResource<WindowTraits>;

// A window disabled for the time a modal one shows; enabled again when this goes.
struct DisabledWindowTraits {
  using Type = HWND;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { EnableWindow(h, TRUE); }
};
using UniqueDisabledWindow = UniqueResource<DisabledWindowTraits>;

inline UniqueDisabledWindow DisableWindow(HWND window) {
  EnableWindow(window, FALSE);
  return UniqueDisabledWindow(window);
}

// A mutex this thread took by waiting on it; released when this goes. The mutex's own
// handle must outlive it.
struct MutexHoldTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { ReleaseMutex(h); }
};
using UniqueMutexHold = UniqueResource<MutexHoldTraits>;

struct BstrTraits {
  using Type = BSTR;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type b) { return b != nullptr; }
  static void Close(Type b) { SysFreeString(b); }
};
using UniqueBstr = UniqueResource<BstrTraits>;

class UniqueVariant {
 public:
  UniqueVariant() { VariantInit(&v_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { VariantClear(&v_); }
  VARIANT* put() {
    VariantClear(&v_);
    return &v_;
  }
  const VARIANT& get() const { return v_; }

 private:
  VARIANT v_;
};

// Initialises COM for this thread; uninitialises only if initialisation succeeded.
class ComApartment {
 public:
  explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED)
      : hr_(CoInitializeEx(nullptr, model)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  // RPC_E_CHANGED_MODE still leaves COM usable in the other model.
  bool ok() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

}  // namespace qc::win
