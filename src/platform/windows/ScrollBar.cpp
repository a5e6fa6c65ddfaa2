#include "platform/windows/ScrollBar.h"

#include "platform/os/WinApi.h"

#include <algorithm>

void TVertScrollBar::SetRange(int32_t range, int32_t page) {
  range = std::max(range, 0);
  page = std::max(page, 0);
  if (range == range_ && page == page_) return;
  range_ = range;
  page_ = page;
  int32_t old = position_;
  position_ = std::clamp(position_, 0, MaxPosition());
  Apply();
  if (position_ != old && OnScroll) OnScroll(position_ - old);
}

void TVertScrollBar::SetPosition(int32_t value) {
  value = std::clamp(value, 0, MaxPosition());
  if (value == position_) return;
  int32_t old = position_;
  position_ = value;
  Apply();
  if (OnScroll) OnScroll(position_ - old);
}

void TVertScrollBar::Apply() {
  if (!control_->HandleAllocated()) return;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  // Without content taller than the page, the system hides the bar.
  si.nMin = 0;
  si.nMax = Needed() ? range_ - 1 : 0;
  si.nPage = Needed() ? static_cast<UINT>(page_) : 0;
  si.nPos = position_;
  SetScrollInfo(control_->Handle(), SB_VERT, &si, TRUE);
}

bool TVertScrollBar::HandleMessage(TMessage& m) {
  if (m.Msg == WM_VSCROLL) {
    // Only our own bar, not a scroll bar control sending to its parent.
    if (m.LParam != 0) return false;
    switch (LOWORD(m.WParam)) {
      case SB_LINEUP: ScrollBy(-lineSize_); break;
      case SB_LINEDOWN: ScrollBy(lineSize_); break;
      case SB_PAGEUP: ScrollBy(-std::max(page_ - lineSize_, lineSize_)); break;
      case SB_PAGEDOWN: ScrollBy(std::max(page_ - lineSize_, lineSize_)); break;
      case SB_TOP: SetPosition(0); break;
      case SB_BOTTOM: SetPosition(MaxPosition()); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        // The message carries 16 bits; taller content asks the bar.
        int32_t pos = HIWORD(m.WParam);
        if (MaxPosition() > 0xFFFF && control_->HandleAllocated()) {
          SCROLLINFO si{};
          si.cbSize = sizeof(si);
          si.fMask = SIF_TRACKPOS;
          if (GetScrollInfo(control_->Handle(), SB_VERT, &si)) pos = si.nTrackPos;
        }
        SetPosition(pos);
        break;
      }
      default: break;
    }
    m.Result = 0;
    return true;
  }
  if (m.Msg == WM_MOUSEWHEEL) {
    if (!Needed()) return false;
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    wheelRest_ += static_cast<int16_t>(HIWORD(m.WParam));
    int32_t notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= notches * WHEEL_DELTA;
    int32_t step = lines == WHEEL_PAGESCROLL ? std::max(page_ - lineSize_, lineSize_)
                                             : lineSize_ * static_cast<int32_t>(lines);
    ScrollBy(-notches * step);
    m.Result = 0;
    return true;
  }
  return false;
}

bool TVertScrollBar::HandleKey(uint16_t key) {
  if (!Needed()) return false;
  switch (key) {
    case VK_UP: ScrollBy(-lineSize_); return true;
    case VK_DOWN: ScrollBy(lineSize_); return true;
    case VK_PRIOR: ScrollBy(-std::max(page_ - lineSize_, lineSize_)); return true;
    case VK_NEXT: ScrollBy(std::max(page_ - lineSize_, lineSize_)); return true;
    case VK_HOME: SetPosition(0); return true;
    case VK_END: SetPosition(MaxPosition()); return true;
    default: return false;
  }
}

int32_t TVertScrollBar::BarWidth() { return GetSystemMetrics(SM_CXVSCROLL); }
