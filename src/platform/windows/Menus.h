// Popup menus over the system's menus.
//
// A TPopupMenu holds a tree of TMenuItem components (a caption of "-" is a
// separator). Form streams write the items inside the menu and the nested
// items inside their item; controls name the menu by reference
// (PopupMenu = PmList). Popup builds the system menu from the tree each
// time (so changes made in OnPopup show) and tracks it; the chosen item's
// OnClick runs after the menu has closed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/graphics/Geometry.h"
#include "platform/os/WinTypes.h"

class TPopupMenu;

class TMenuItem : public TComponent {
  KY_CLASS(TMenuItem, TComponent)
public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;
  static void Publish(TPublisher<TMenuItem>& p);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value) { caption_ = value; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value) { checked_ = value; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  // Shown in bold; Enter on a menu without a highlighted item does not choose it.
  bool Default() const { return default_; }
  void SetDefault(bool value) { default_ = value; }
  // A click turns Checked over before OnClick.
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool value) { autoCheck_ = value; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  bool IsLine() const { return caption_ == "-"; }

  // ---- Nested items ----
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const;
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  // Frees every nested item.
  void Clear();
  // The popup menu the tree belongs to, or nullptr.
  TPopupMenu* Menu() const;

  // Runs what choosing the item does (nothing when disabled).
  virtual void Click();
  TNotifyEvent OnClick;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, int order) override;

private:
  friend class TPopupMenu;
  std::string caption_;
  std::string hint_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool default_ = false;
  bool autoCheck_ = false;
  TMenuItem* parent_ = nullptr;
  TPopupMenu* menu_ = nullptr;  // set on the root item only
  std::vector<TMenuItem*> items_;
  uint32_t command_ = 0;  // id in the system menu last built
};

KY_ENUM(TPopupAlignment, uint8_t, paLeft, paRight, paCenter)

class TPopupMenu : public TComponent {
  KY_CLASS(TPopupMenu, TComponent)
public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  static void Publish(TPublisher<TPopupMenu>& p);

  // The root of the item tree (not streamed itself).
  TMenuItem* Items() const { return items_.get(); }
  // Whether a right click or the menu key on a control shows it.
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool value) { autoPopup_ = value; }
  // Where the menu stands relative to the point it pops up at.
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment value) { alignment_ = value; }
  // The control whose right click showed it last.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* value);

  // OnPopup, then shows the menu at a screen point and tracks it until an
  // item is chosen or the menu is dismissed; runs the chosen item's Click.
  // Returns that item, or nullptr.
  virtual TMenuItem* Popup(int32_t x, int32_t y);
  // The system menu as last built (built now when there is none yet);
  // valid until the next Popup or the menu's end.
  HMENU Handle();
  // Whether a menu of the program is being tracked now.
  static bool Tracking();

  TNotifyEvent OnPopup;

  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  static void Append(HMENU menu, TMenuItem* parent, uint32_t& next);
  void Rebuild();
  void DestroyMenu();
  TMenuItem* FindCommand(TMenuItem* item, uint32_t command) const;

  std::unique_ptr<TMenuItem> items_;
  bool autoPopup_ = true;
  TPopupAlignment alignment_ = paLeft;
  TComponent* popupComponent_ = nullptr;
  HMENU handle_ = nullptr;
};

// Makes TPopupMenu and TMenuItem known to form streams.
void RegisterMenuClasses();
