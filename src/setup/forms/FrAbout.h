// The about box: the maker's web and mail addresses as links, and the
// product's name; it closes with its Close button or Escape.
#pragma once

#include "platform/windows/Forms.h"

class TKyLabel;
class TKySpeedButton;

class TFrAbout : public TForm {
  KY_CLASS(TFrAbout, TForm)
public:
  using TForm::TForm;
  static void Publish(TPublisher<TFrAbout>& p);

  TKyLabel* LaProduct = nullptr;
  TKySpeedButton* BtClose = nullptr;

  void FormActivate(TObject* sender);
  void FormKeyDown(TObject* sender, uint16_t& key, TShiftState shift);
};

// The box the program created at start, or nullptr.
extern TFrAbout* FrAbout;

// Shows the about box modally.
void ShowAbout();
