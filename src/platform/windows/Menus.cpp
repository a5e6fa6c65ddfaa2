#include "platform/windows/Menus.h"

#include "platform/os/WinApi.h"

#include <algorithm>

#include "platform/windows/Controls.h"
#include "platform/windows/Forms.h"

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  // Nested items go with their item (each leaves this list as it goes).
  while (!items_.empty()) delete items_.back();
  if (parent_) parent_->Remove(this);
}

void TMenuItem::Publish(TPublisher<TMenuItem>& p) {
  using M = TMenuItem;
  p.Property("AutoCheck", &M::AutoCheck, &M::SetAutoCheck).Default(false);
  p.Property("Caption", &M::Caption, &M::SetCaption);
  p.Property("Checked", &M::Checked, &M::SetChecked).Default(false);
  p.Property("Default", &M::Default, &M::SetDefault).Default(false);
  p.Property("Enabled", &M::Enabled, &M::SetEnabled).Default(true);
  p.Property("Hint", &M::Hint, &M::SetHint);
  p.Property("Visible", &M::Visible, &M::SetVisible).Default(true);
  p.Event("OnClick", &M::OnClick);
}

int TMenuItem::MenuIndex() const {
  if (!parent_) return -1;
  auto& list = parent_->items_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  for (TMenuItem* p = this; p; p = p->parent_)
    if (p == item) throw EComponentError("A menu item cannot hold itself");
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

TPopupMenu* TMenuItem::Menu() const {
  const TMenuItem* i = this;
  while (i->parent_) i = i->parent_;
  return i->menu_;
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (autoCheck_) checked_ = !checked_;
  if (OnClick) OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TPopupMenu*>(parent)) menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(parent)) item->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TMenuItem* i : items_)
    if (i->Owner() == root) proc(i);
}

void TMenuItem::SetChildOrder(TComponent* child, int order) {
  auto* item = dynamic_cast<TMenuItem*>(child);
  if (item && item->parent_ == this && order >= 0) Insert(order, item);
}

// ---- TPopupMenu ----

namespace {
int gTracking = 0;
}  // namespace

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr)) {
  items_->menu_ = this;
}

TPopupMenu::~TPopupMenu() {
  DestroyMenu();
  items_.reset();
}

void TPopupMenu::Publish(TPublisher<TPopupMenu>& p) {
  using M = TPopupMenu;
  p.Property("Alignment", &M::Alignment, &M::SetAlignment).Default(paLeft);
  p.Property("AutoPopup", &M::AutoPopup, &M::SetAutoPopup).Default(true);
  p.Event("OnPopup", &M::OnPopup);
}

void TPopupMenu::GetChildren(const TGetChildProc& proc, TComponent* root) { items_->GetChildren(proc, root); }

void TPopupMenu::SetPopupComponent(TComponent* value) {
  if (value == popupComponent_) return;
  if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
  popupComponent_ = value;
  if (value) value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::DestroyMenu() {
  if (handle_) ::DestroyMenu(handle_);  // submenus go with it
  handle_ = nullptr;
}

void TPopupMenu::Append(HMENU menu, TMenuItem* parent, uint32_t& next) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    if (!item->Visible()) continue;
    if (item->IsLine()) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (!item->Enabled()) flags |= MF_GRAYED;
    if (item->Checked()) flags |= MF_CHECKED;
    if (item->Count() > 0) {
      HMENU sub = CreatePopupMenu();
      Append(sub, item, next);
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item->Caption().c_str());
    } else {
      uint32_t id = next++;
      item->command_ = id;
      AppendMenuA(menu, flags, id, item->Caption().c_str());
      if (item->Default()) SetMenuDefaultItem(menu, id, FALSE);
    }
  }
}

void TPopupMenu::Rebuild() {
  DestroyMenu();
  handle_ = CreatePopupMenu();
  uint32_t next = 1;
  Append(handle_, items_.get(), next);
}

HMENU TPopupMenu::Handle() {
  if (!handle_) Rebuild();
  return handle_;
}

bool TPopupMenu::Tracking() { return gTracking > 0; }

TMenuItem* TPopupMenu::FindCommand(TMenuItem* item, uint32_t command) const {
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* c = item->Items(i);
    if (c->Count() == 0 && c->command_ == command && !c->IsLine()) return c;
    if (TMenuItem* found = FindCommand(c, command)) return found;
  }
  return nullptr;
}

TMenuItem* TPopupMenu::Popup(int32_t x, int32_t y) {
  if (OnPopup) OnPopup(this);
  // Commands of an earlier build must not match items of this one.
  std::vector<TMenuItem*> stack{items_.get()};
  while (!stack.empty()) {
    TMenuItem* i = stack.back();
    stack.pop_back();
    i->command_ = 0;
    for (int k = 0; k < i->Count(); ++k) stack.push_back(i->Items(k));
  }
  Rebuild();
  UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_TOPALIGN;
  flags |= alignment_ == paRight ? TPM_RIGHTALIGN : alignment_ == paCenter ? TPM_CENTERALIGN : TPM_LEFTALIGN;
  // The menu's messages go to the form of the control it pops up for (the
  // active form otherwise): a window of this thread that is in front.
  HWND owner = nullptr;
  if (auto* c = dynamic_cast<TControl*>(popupComponent_))
    if (TCustomForm* f = c->ParentForm(); f && f->HandleAllocated()) owner = f->Handle();
  if (!owner) owner = GetActiveWindow();
  if (!owner) owner = GetForegroundWindow();
  ++gTracking;
  UINT command = 0;
  {
    struct TDone {
      ~TDone() { --gTracking; }
    } done;
    command = static_cast<UINT>(TrackPopupMenu(handle_, flags, x, y, 0, owner, nullptr));
  }
  if (command == 0) return nullptr;
  TMenuItem* item = FindCommand(items_.get(), command);
  if (item) item->Click();
  return item;
}

void RegisterMenuClasses() { RegisterClasses({&TPopupMenu::StaticClass(), &TMenuItem::StaticClass()}); }
