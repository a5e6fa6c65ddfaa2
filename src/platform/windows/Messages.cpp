#include "platform/windows/Messages.h"

#include "platform/os/WinApi.h"

uint32_t RegisterMessageName(const char* name) { return RegisterWindowMessageA(name); }

void SetTrackingLimits(TMessage& message, int32_t minWidth, int32_t minHeight, int32_t maxWidth, int32_t maxHeight) {
  auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
  if (!info) return;
  if (minWidth >= 0) info->ptMinTrackSize.x = minWidth;
  if (minHeight >= 0) info->ptMinTrackSize.y = minHeight;
  if (maxWidth >= 0) info->ptMaxTrackSize.x = maxWidth;
  if (maxHeight >= 0) info->ptMaxTrackSize.y = maxHeight;
}

void GetTrackingLimits(const TMessage& message, int32_t& minWidth, int32_t& minHeight, int32_t& maxWidth,
                       int32_t& maxHeight) {
  auto* info = reinterpret_cast<const MINMAXINFO*>(message.LParam);
  if (!info) return;
  minWidth = info->ptMinTrackSize.x;
  minHeight = info->ptMinTrackSize.y;
  maxWidth = info->ptMaxTrackSize.x;
  maxHeight = info->ptMaxTrackSize.y;
}
