// The published properties that most control classes share, for their
// Publish functions (each class says its own defaults for the rest).
#pragma once

#include "platform/windows/Controls.h"
#include "platform/windows/Menus.h"

// Position and size.
template <class T>
void PublishBounds(TPublisher<T>& p) {
  p.Property("Left", &T::Left, &T::SetLeft);
  p.Property("Top", &T::Top, &T::SetTop);
  p.Property("Width", &T::Width, &T::SetWidth);
  p.Property("Height", &T::Height, &T::SetHeight);
}

// Clicks, then the mouse's button and move reports.
template <class T>
void PublishMouseEvents(TPublisher<T>& p) {
  p.Event("OnClick", &T::OnClick);
  p.Event("OnDblClick", &T::OnDblClick);
  p.Event("OnMouseDown", &T::OnMouseDown);
  p.Event("OnMouseMove", &T::OnMouseMove);
  p.Event("OnMouseUp", &T::OnMouseUp);
}

// The focus and key reports of a windowed control.
template <class T>
void PublishFocusKeyEvents(TPublisher<T>& p) {
  p.Event("OnEnter", &T::OnEnter);
  p.Event("OnExit", &T::OnExit);
  p.Event("OnKeyDown", &T::OnKeyDown);
  p.Event("OnKeyPress", &T::OnKeyPress);
  p.Event("OnKeyUp", &T::OnKeyUp);
}

template <class T>
void PublishDragProperties(TPublisher<T>& p);
template <class T>
void PublishDragEvents(TPublisher<T>& p);
template <class T>
void PublishPopupMenu(TPublisher<T>& p);

template <class T>
void PublishControl(TPublisher<T>& p) {
  p.Property("Visible", &T::Visible, &T::SetVisible).Default(true);
  p.Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
  p.Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
  p.Property("Font", &T::Font).Stored(&TControl::FontStored);
  p.Property("ParentColor", &T::ParentColor, &T::SetParentColor).Default(false);
  p.Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
  p.Property("ShowHint", &T::ShowHint, &T::SetShowHint).Stored(&TControl::ShowHintStored);
  PublishMouseEvents(p);
  p.Event("OnResize", &T::OnResize);
  PublishDragProperties(p);
  PublishDragEvents(p);
  PublishPopupMenu(p);
}

template <class T>
void PublishWinControl(TPublisher<T>& p) {
  PublishControl(p);
  p.Property("TabStop", &T::TabStop, &T::SetTabStop).Default(false);
}

// How a control is dragged: DragCursor, DragKind, DragMode.
template <class T>
void PublishDragProperties(TPublisher<T>& p) {
  p.Property("DragCursor", &T::DragCursor, &T::SetDragCursor).Default(crDrag).Idents(CursorIdents());
  p.Property("DragKind", &T::DragKind, &T::SetDragKind).Default(dkDrag);
  p.Property("DragMode", &T::DragMode, &T::SetDragMode).Default(dmManual);
}

// The drag reports: OnDragDrop, OnDragOver, OnEndDrag, OnStartDrag.
template <class T>
void PublishDragEvents(TPublisher<T>& p) {
  p.Event("OnDragDrop", &T::OnDragDrop);
  p.Event("OnDragOver", &T::OnDragOver);
  p.Event("OnEndDrag", &T::OnEndDrag);
  p.Event("OnStartDrag", &T::OnStartDrag);
}

template <class T>
void PublishPopupMenu(TPublisher<T>& p) {
  p.Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
}
