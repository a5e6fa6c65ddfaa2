// The link every configurable component of the skin carries: its place in
// the library's loaded pass, whether it is busy (loading, locked), and the
// notifications it receives through the library's registered message.
#pragma once

#include <cstdint>
#include <functional>

#include "packages/ConfigLink.h"

// The category of skinned controls: after the application configuration,
// before the form configurations.
inline constexpr int kLinkControl = 5;

class TKyLinkEvt : public TKyConfigLink {
public:
  TKyLinkEvt(TComponent* owner, int category) : TKyConfigLink(owner, category) {}

  bool Active() const { return active_; }
  void SetActive(bool value) { active_ = value; }
  bool Flag() const { return flag_; }
  void SetFlag(bool value) { flag_ = value; }

  // Locks nest; a locked link is busy.
  void Lock() { ++lockCount_; }
  void Unlock() {
    if (lockCount_ > 0) --lockCount_;
  }
  int LockCount() const { return lockCount_; }

  // Busy: locked, or the component is still loading. A missing link is
  // busy too, so that half-made components never repaint.
  bool IsBusy() const;
  static bool IsBusy(const TKyLinkEvt* link) { return !link || link->IsBusy(); }

  // Tells the component (not while busy, inactive or being destroyed):
  // its handler first, then, for a control, the registered message with
  // the two values straight into its window procedure.
  void Notify(int32_t code, int32_t value);

  std::function<void(int32_t code, int32_t value)> OnNotify;
  std::function<void(int32_t value)> OnEvent;

private:
  bool active_ = true;
  bool flag_ = false;
  int lockCount_ = 0;
};

// Holds a link locked while alive.
class TKyLinkLock {
public:
  explicit TKyLinkLock(TKyLinkEvt& link) : link_(link) { link_.Lock(); }
  ~TKyLinkLock() { link_.Unlock(); }
  TKyLinkLock(const TKyLinkLock&) = delete;
  TKyLinkLock& operator=(const TKyLinkLock&) = delete;

private:
  TKyLinkEvt& link_;
};

// Whether the form configuration that serves component (the first one found
// up its chain of owners) holds the events of its form back.
bool FormEventsSuppressed(const TComponent* component);
