// The one place that includes <windows.h>. Everything that calls Win32
// includes this header instead, so the build-wide settings hold everywhere
// and the "A"/"W" name macros that would rename our own members
// (TCanvas::TextOut, TControl::GetTextLen, ...) are gone: call the "A"
// functions by their full names.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateFont
#undef CreateWindow
#undef DrawText
#undef GetClassName
#undef GetCurrentTime
#undef GetMessage
#undef GetObject
#undef GetTextMetrics
#undef GetWindowText
#undef LoadBitmap
#undef LoadCursor
#undef LoadIcon
#undef LoadImage
#undef MessageBox
#undef PostMessage
#undef SendMessage
#undef SetWindowText
#undef TextOut
#undef CopyFile
#undef DeleteFile
#undef MoveFile
#undef FindResource
#undef RegisterClass
#undef GetTempPath

// The forward declarations must name the same types.
#include "platform/os/WinTypes.h"
