// One owner for every Win32 handle: GDI objects, DCs, regions, icons,
// windows, kernel objects, find handles and registry keys. Move-only; the
// handle is closed on every way out. The traits say how to close a kind and
// which value means "none"; their Close functions live in Handles.cpp, so
// this header needs no <windows.h>.
#pragma once

#include <utility>

#include "platform/os/WinTypes.h"

template <class H, class Traits>
class TOwnedHandle {
public:
  TOwnedHandle() = default;
  explicit TOwnedHandle(H handle) : h_(handle) {}
  ~TOwnedHandle() { Reset(); }
  TOwnedHandle(TOwnedHandle&& other) noexcept : h_(other.Release()) {}
  TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;

  H Get() const { return h_; }
  bool Valid() const { return h_ != Traits::None(); }
  explicit operator bool() const { return Valid(); }
  // Gives the handle up without closing it.
  H Release() { return std::exchange(h_, Traits::None()); }
  // Closes the held handle and takes another.
  void Reset(H handle = Traits::None()) {
    H old = std::exchange(h_, handle);
    if (old != Traits::None() && old != handle) Traits::Close(old);
  }

private:
  H h_ = Traits::None();
};

namespace ky_handle {
void DeleteGdiObject(HGDIOBJ h);
void DeleteDc(HDC h);
void DestroyWnd(HWND h);
void DestroyIco(HICON h);
void DeleteEnhMetaFile(HENHMETAFILE h);
void CloseKernelHandle(HANDLE h);
void CloseFindHandle(HANDLE h);
void CloseRegKey(void* h);
HANDLE InvalidHandleValue();
}  // namespace ky_handle

template <class H>
struct TGdiObjectTraits {
  static constexpr H None() { return nullptr; }
  static void Close(H h) { ky_handle::DeleteGdiObject(reinterpret_cast<HGDIOBJ>(h)); }
};
struct TMemoryDcTraits {
  static constexpr HDC None() { return nullptr; }
  static void Close(HDC h) { ky_handle::DeleteDc(h); }
};
struct TWindowTraits {
  static constexpr HWND None() { return nullptr; }
  static void Close(HWND h) { ky_handle::DestroyWnd(h); }
};
struct TIconTraits {
  static constexpr HICON None() { return nullptr; }
  static void Close(HICON h) { ky_handle::DestroyIco(h); }
};
struct TEnhMetaFileTraits {
  static constexpr HENHMETAFILE None() { return nullptr; }
  static void Close(HENHMETAFILE h) { ky_handle::DeleteEnhMetaFile(h); }
};
struct TKernelHandleTraits {
  static constexpr HANDLE None() { return nullptr; }
  static void Close(HANDLE h) { ky_handle::CloseKernelHandle(h); }
};
struct TFindHandleTraits {
  static HANDLE None() { return ky_handle::InvalidHandleValue(); }
  static void Close(HANDLE h) { ky_handle::CloseFindHandle(h); }
};
struct TRegKeyTraits {
  static constexpr void* None() { return nullptr; }
  static void Close(void* h) { ky_handle::CloseRegKey(h); }
};

using TFontHandle = TOwnedHandle<HFONT, TGdiObjectTraits<HFONT>>;
using TPenHandle = TOwnedHandle<HPEN, TGdiObjectTraits<HPEN>>;
using TBrushHandle = TOwnedHandle<HBRUSH, TGdiObjectTraits<HBRUSH>>;
using TBitmapHandle = TOwnedHandle<HBITMAP, TGdiObjectTraits<HBITMAP>>;
using TRegionHandle = TOwnedHandle<HRGN, TGdiObjectTraits<HRGN>>;
using TPaletteHandle = TOwnedHandle<HPALETTE, TGdiObjectTraits<HPALETTE>>;
using TMemoryDcHandle = TOwnedHandle<HDC, TMemoryDcTraits>;
using TWindowHandle = TOwnedHandle<HWND, TWindowTraits>;
using TIconHandle = TOwnedHandle<HICON, TIconTraits>;
using TEnhMetaFileHandle = TOwnedHandle<HENHMETAFILE, TEnhMetaFileTraits>;
using TKernelHandle = TOwnedHandle<HANDLE, TKernelHandleTraits>;
using TFindHandle = TOwnedHandle<HANDLE, TFindHandleTraits>;
using TRegKeyHandle = TOwnedHandle<void*, TRegKeyTraits>;

// A window's DC (GetDC, or GetWindowDC for the whole window with its
// frame), released to its window on every way out.
class TWindowDc {
public:
  explicit TWindowDc(HWND window, bool wholeWindow = false);
  ~TWindowDc();
  TWindowDc(const TWindowDc&) = delete;
  TWindowDc& operator=(const TWindowDc&) = delete;
  HDC Get() const { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC and puts the one it replaced back.
class TSelectGuard {
public:
  TSelectGuard(HDC dc, HGDIOBJ object);
  ~TSelectGuard();
  TSelectGuard(const TSelectGuard&) = delete;
  TSelectGuard& operator=(const TSelectGuard&) = delete;

private:
  HDC dc_;
  HGDIOBJ old_;
};
