// The configuration link: what ties every component of the library to the
// application and form configuration. A component's loaded step waits
// until its whole form has been read; then the library's loaded pass serves
// the waiting components by category, so that configurations are ready
// before the controls that use them. Also the library's registered window
// message and its request codes. Portable except KyMessageMaster.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/classes/Classes.h"

// Categories the library's components register with.
inline constexpr int kLinkPackage = 0;
inline constexpr int kLinkApplication = 1;
inline constexpr int kLinkForm = 6;
inline constexpr int kLinkTimer = 8;
// The order in which the loaded pass serves them.
inline constexpr int kLinkCategoryOrder[] = {2, 3, 1, 4, 5, 6, 7, 8, 0};

class TKyConfigLink {
public:
  // Registers the link; it waits for its loaded step from now on.
  TKyConfigLink(TComponent* owner, int category);
  virtual ~TKyConfigLink();
  TKyConfigLink(const TKyConfigLink&) = delete;
  TKyConfigLink& operator=(const TKyConfigLink&) = delete;

  TComponent* Owner() const { return owner_; }
  int Category() const { return category_; }
  bool Waiting() const;

  // The component's own deferred loaded step, then (categories other than
  // 0) what follows it.
  std::function<void()> OnLoaded;
  std::function<void(TKyConfigLink& link)> OnAfterLoad;

  static const std::vector<TKyConfigLink*>& All();
  static const std::vector<TKyConfigLink*>& WaitingLinks();

private:
  TComponent* owner_;
  int category_;
};

// The library's loaded pass, run after every form's loading (and by hand
// for components made in code): serves every waiting link whose component
// is not loading any more, by category in kLinkCategoryOrder, within a
// category the last registered first, until none is left. Not re-entered:
// links that a served step makes wait for the next round of the same pass.
// Nothing happens for a root being designed.
void RunLibraryLoadedPass(TComponent* root);
bool LibraryLoadedPassRunning();

// What the application configuration adds to the pass: Prepare runs before
// each pass (it makes the missing configurations), FirstTime once per
// process at the first pass (the start of loading).
struct TKyLoadedPassHooks {
  std::function<void(TComponent* root)> Prepare;
  std::function<void()> FirstTime;
};
void SetLoadedPassHooks(TKyLoadedPassHooks hooks);

// Milliseconds on a steady clock at the first pass; 0 before it.
uint64_t LoadingStartTick();
uint64_t SteadyTickCount();
// Forgets the first pass, for a program that starts over (tests).
void ResetLoadingStart();

// ---- The library's registered window message ----

inline constexpr const char* kMessageMasterName = "__Ky_MessageMaster__";
// WParam codes; LParam carries the request's value.
inline constexpr int32_t kMmBackgroundQuery = 5;    // LParam: a TKyBackgroundQuery to fill
inline constexpr int32_t kMmBackgroundChanged = 6;  // the background behind the control changed
inline constexpr int32_t kMmRealign = 17;           // apply the placement in the parent again
inline constexpr int32_t kMmInnerLabelClick = 26;   // an inner label was clicked

// The message number, registered once (Windows builds).
uint32_t KyMessageMaster();

class TKySetBackGround;
class TWinControl;

// The answer to the background query (code 5): which set paints behind a
// control, and which control owns it.
struct TKyBackgroundQuery {
  TKySetBackGround* Set = nullptr;
  TWinControl* Owner = nullptr;
  bool NonClient = false;  // the owner's window rectangle is the origin
};
