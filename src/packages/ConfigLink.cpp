#include "packages/ConfigLink.h"

#include <algorithm>
#include <chrono>

#include "platform/classes/FormStream.h"

namespace {

struct TLinkState {
  std::vector<TKyConfigLink*> all;
  std::vector<TKyConfigLink*> waiting;
  TKyLoadedPassHooks hooks;
  bool running = false;
  uint64_t startTick = 0;
  bool started = false;
};

TLinkState& State() {
  static TLinkState state;
  return state;
}

bool Alive(const TKyConfigLink* link) {
  const auto& all = State().all;
  return std::find(all.begin(), all.end(), link) != all.end();
}

// One round: every link that may be served now, in category order.
bool ServeRound() {
  bool served = false;
  auto& waiting = State().waiting;
  for (int category : kLinkCategoryOrder) {
    for (size_t i = waiting.size(); i-- > 0;) {
      if (i >= waiting.size()) continue;
      TKyConfigLink* link = waiting[i];
      if (link->Category() != category || link->Owner()->IsLoading()) continue;
      waiting.erase(waiting.begin() + static_cast<std::ptrdiff_t>(i));
      served = true;
      if (link->OnLoaded) link->OnLoaded();
      // The step may have freed its component, and the link with it.
      if (Alive(link) && category != kLinkPackage && link->OnAfterLoad) link->OnAfterLoad(*link);
    }
  }
  return served;
}

}  // namespace

TKyConfigLink::TKyConfigLink(TComponent* owner, int category) : owner_(owner), category_(category) {
  static bool hooked = false;
  if (!hooked) {
    hooked = true;
    SetFormLoadedHook(&RunLibraryLoadedPass);
  }
  State().all.push_back(this);
  State().waiting.push_back(this);
}

TKyConfigLink::~TKyConfigLink() {
  std::erase(State().all, this);
  std::erase(State().waiting, this);
  if (State().all.empty()) State().all.shrink_to_fit();
  if (State().waiting.empty()) State().waiting.shrink_to_fit();
}

bool TKyConfigLink::Waiting() const {
  const auto& w = State().waiting;
  return std::find(w.begin(), w.end(), this) != w.end();
}

const std::vector<TKyConfigLink*>& TKyConfigLink::All() { return State().all; }
const std::vector<TKyConfigLink*>& TKyConfigLink::WaitingLinks() { return State().waiting; }

void RunLibraryLoadedPass(TComponent* root) {
  TLinkState& s = State();
  if (s.running || s.waiting.empty()) return;
  if (root && root->IsDesigning()) return;
  struct TRunning {
    bool& flag;
    explicit TRunning(bool& f) : flag(f) { flag = true; }
    ~TRunning() { flag = false; }
  } running(s.running);
  if (s.hooks.Prepare) s.hooks.Prepare(root);
  if (!s.started) {
    s.started = true;
    s.startTick = SteadyTickCount();
    if (s.hooks.FirstTime) s.hooks.FirstTime();
  }
  while (ServeRound()) {
  }
}

bool LibraryLoadedPassRunning() { return State().running; }

void SetLoadedPassHooks(TKyLoadedPassHooks hooks) { State().hooks = std::move(hooks); }

uint64_t SteadyTickCount() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t LoadingStartTick() { return State().started ? State().startTick : 0; }

void ResetLoadingStart() {
  State().started = false;
  State().startTick = 0;
}
