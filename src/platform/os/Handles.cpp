#include "platform/os/Handles.h"

#include "platform/os/WinApi.h"

// Kernel, find and registry handles. The GDI and window kinds live in
// GdiHandles.cpp, so that a program holding none of them does not load the
// graphics libraries at start.
namespace ky_handle {
void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
void CloseFindHandle(HANDLE h) { FindClose(h); }
void CloseRegKey(void* h) { RegCloseKey(static_cast<HKEY>(h)); }
HANDLE InvalidHandleValue() { return INVALID_HANDLE_VALUE; }
}  // namespace ky_handle
