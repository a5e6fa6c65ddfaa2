// The check box: a value that is one of three strings (checked, unchecked,
// grayed), shown by a mark drawn as text, image or shape, with its caption
// as the inner label beside it. Click, Space and a click on the caption
// step it through its states.
//
//   TKyCustomCheckBox   behaviour
//   TKyCheckBox         publishes
#pragma once

#include <memory>
#include <string>

#include "skin/MarkBlocks.h"
#include "skin/Panel.h"

class TKyCustomCheckBox : public TKyCustomPanel {
  KY_CLASS(TKyCustomCheckBox, TKyCustomPanel)
public:
  explicit TKyCustomCheckBox(TComponent* owner);
  ~TKyCustomCheckBox() override;

  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value);
  const std::string& ValueChecked() const { return valueChecked_; }
  void SetValueChecked(const std::string& value);
  const std::string& ValueUnChecked() const { return valueUnChecked_; }
  void SetValueUnChecked(const std::string& value);
  const std::string& ValueGrayed() const { return valueGrayed_; }
  void SetValueGrayed(const std::string& value);

  // Value is not null and equals ValueChecked.
  bool Checked() const;
  void SetChecked(bool value);
  // The state the value stands for.
  TKyCheckState State() const;
  void SetState(TKyCheckState value);
  // What the box shows now (differs from State while the mouse is held).
  TKyCheckState DisplayState() const { return shown_; }

  TKySingleCheck* Check() const { return check_.get(); }
  void SetCheck(const TKySingleCheck* value) { check_->Assign(value); }

  // The state after s in the cycle, and the value string of a state.
  TKyCheckState NextState(TKyCheckState s) const;
  const std::string& StateValue(TKyCheckState s) const;
  // The state a value text stands for.
  TKyCheckState StateOfText(const std::string& text) const;
  // Where the mark is drawn (client coordinates).
  TRect MarkRect() const;

  void UpdateDisplay() override;

protected:
  bool HasValue() const override { return true; }
  bool ScalarValueOnly() const override { return true; }
  void ValueChanged() override;
  void AdjustSize() override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;
  // The click of a press waits for the value it chose.
  void DoClick() override;
  void LibraryMessage(int32_t code, int32_t value, TMessage& message) override;

private:
  void Show(TKyCheckState s);
  // Sets the value of the state after the shown one; a refused value shows
  // the state of the value that stands.
  void Advance();
  void PaintMark(TCanvas& canvas, const TRect& box, TKyCheckState s);
  TSize MarkSize() const;

  bool allowGrayed_ = false;
  std::string valueChecked_;
  std::string valueUnChecked_;
  std::string valueGrayed_;
  std::unique_ptr<TKySingleCheck> check_;
  TKyCheckState shown_ = cksUnChecked;
  bool tracking_ = false;
  bool clickPending_ = false;
  TKyCheckState downState_ = cksUnChecked;
  TKyCheckState pendingState_ = cksUnChecked;
};

class TKyCheckBox : public TKyCustomCheckBox {
  KY_CLASS(TKyCheckBox, TKyCustomCheckBox)
public:
  using TKyCustomCheckBox::TKyCustomCheckBox;
  static void Publish(TPublisher<TKyCheckBox>& p);
};

// The size of a check mark and the mark of a state drawn into box (for the
// check box and for the items of list boxes).
TSize CheckMarkSize(const TKySingleCheck& check);
void PaintCheckMark(TCanvas& canvas, const TRect& box, const TKySingleCheck& check, TKyCheckState s, bool enabled);

// The value of a check box or radio group as the item and state strings
// compare with it: its text, "{NULL}" for none.
std::string ValueCompareText(const Variant& value);
// Locale-aware and without regard to case.
bool SameValueText(const std::string& a, const std::string& b);

void RegisterCheckClasses();
