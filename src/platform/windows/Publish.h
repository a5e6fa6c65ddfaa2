// The published properties that most control classes share, for their
// Publish functions (each class says its own defaults for the rest).
#pragma once

#include "platform/windows/Controls.h"

template <class T>
void PublishControl(TPublisher<T>& p) {
  p.Property("Visible", &T::Visible, &T::SetVisible).Default(true);
  p.Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
  p.Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
  p.Property("Font", &T::Font).Stored(&TControl::FontStored);
  p.Property("ParentColor", &T::ParentColor, &T::SetParentColor).Default(false);
  p.Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
  p.Property("ShowHint", &T::ShowHint, &T::SetShowHint).Stored(&TControl::ShowHintStored);
  p.Event("OnClick", &T::OnClick);
  p.Event("OnDblClick", &T::OnDblClick);
  p.Event("OnMouseDown", &T::OnMouseDown);
  p.Event("OnMouseMove", &T::OnMouseMove);
  p.Event("OnMouseUp", &T::OnMouseUp);
  p.Event("OnResize", &T::OnResize);
}

template <class T>
void PublishWinControl(TPublisher<T>& p) {
  PublishControl(p);
  p.Property("TabStop", &T::TabStop, &T::SetTabStop).Default(false);
}
