// The frame a control draws itself around a platform window (an EDIT with
// a skinned border), and the clipboard as text.
#pragma once

#include <functional>
#include <string>

#include "platform/graphics/Canvas.h"
#include "platform/windows/Controls.h"

#ifndef WM_NCCALCSIZE
#define WM_NCCALCSIZE 0x0083
#endif
#ifndef WM_NCPAINT
#define WM_NCPAINT 0x0085
#endif
#ifndef WM_PRINT
#define WM_PRINT 0x0317
#endif
#ifndef PRF_NONCLIENT
#define PRF_NONCLIENT 0x00000002
#endif
#ifndef WM_CUT
#define WM_CUT 0x0300
#endif
#ifndef WM_COPY
#define WM_COPY 0x0301
#endif
#ifndef WM_PASTE
#define WM_PASTE 0x0302
#endif
#ifndef WM_CLEAR
#define WM_CLEAR 0x0303
#endif
#ifndef WM_UNDO
#define WM_UNDO 0x0304
#endif

// WM_NCCALCSIZE: the window keeps frame.Left .. frame.Bottom pixels on each
// side outside its client area.
void KeepNonClientFrame(TMessage& message, const TRect& frame);

// WM_NCPAINT, or WM_PRINT asking for the non-client area: paint runs on a
// canvas over the whole window (window coordinates), clipped to the frame.
// False for any other message, or when WM_PRINT asks for more than the
// frame (the flag is then taken out for the default handling).
bool PaintNonClientFrame(TWinControl& control, TMessage& message,
                         const std::function<void(TCanvas& canvas, const TRect& window)>& paint);

// The frame's thickness changed: the window measures it again.
void NonClientFrameChanged(TWinControl& control);
// Repaints the frame only.
void RedrawNonClientFrame(TWinControl& control);

std::string ClipboardText();
void SetClipboardText(const std::string& text);
