// Drag and drop between controls of the program, over mouse capture.
//
// One drag at a time. BeginDrag arms it: a pending drag only watches the
// mouse messages that reach the program's windows (the press stays an
// ordinary press, and a release before the threshold an ordinary click).
// Once the mouse has moved the threshold with the button down, the drag
// starts: OnStartDrag, the mouse captured by a hidden window of the manager,
// WM_CANCELMODE to the source. While it runs, every mouse message of the
// program's windows (captured real input and posted input alike) moves it:
// the control under the mouse hears OnDragOver (enter, move, leave) and its
// answer picks the cursor (the source's DragCursor, or crNoDrop). Releasing
// the left button drops on a target that accepts (OnDragDrop); Escape, the
// right button or losing the capture cancel. The source always hears
// OnEndDrag last, with the target that took the drop or nullptr.
#pragma once

#include "platform/windows/Controls.h"

// What is being dragged. OnStartDrag may hand in an object of its own
// class; events then get it as their source.
class TDragObject : public TObject {
  KY_CLASS(TDragObject, TObject)
public:
  TDragObject() = default;
  // The screen point of the mouse and the control under it (accepting or not).
  TPoint DragPos() const { return dragPos_; }
  TControl* DragTarget() const { return dragTarget_; }
  // The cursor while over a target that accepts or refuses.
  virtual TCursor GetDragCursor(bool accepted, int32_t x, int32_t y);
  // After the drag: the target that took it (nullptr when none).
  virtual void Finished(TObject* target, int32_t x, int32_t y, bool accepted);

private:
  friend class TDragManager;
  TPoint dragPos_{};
  TControl* dragTarget_ = nullptr;
};

// The drag object the manager makes for a control.
class TDragControlObject : public TDragObject {
  KY_CLASS(TDragControlObject, TDragObject)
public:
  explicit TDragControlObject(TControl* control) : control_(control) {}
  TControl* Control() const { return control_; }
  TCursor GetDragCursor(bool accepted, int32_t x, int32_t y) override;

private:
  TControl* control_;
};

class TDragManager {
public:
  // The system's drag distance (SM_CXDRAG), at least 1.
  static int32_t DefaultThreshold();
  static void Begin(TControl* source, bool immediate, int32_t threshold);
  // A drag is armed or running.
  static bool Pending();
  // A drag is running (past the threshold).
  static bool Active();
  static TControl* Source();
  static TDragObject* Object();
  // Ends the drag: a drop at the current point, or a cancel.
  static void Done(bool drop);
  // Whether mouse messages go to MouseMessage: a drag is armed or running,
  // or the release of the right button that cancelled one is still due.
  static bool Watching();
  // A mouse message (client coordinates of window) while watching; true
  // when the drag took it.
  static bool MouseMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam);
  // Where the last mouse message of the program's windows was (the point
  // a drag armed by it starts from).
  static void NoteMouse(HWND window, LPARAM lParam);
  // A key message; Escape cancels a running drag (true: taken).
  static bool KeyMessage(uint32_t msg, WPARAM wParam);
  // A control goes away: a drag from it is cancelled without events, a
  // target forgotten.
  static void ControlDestroyed(TControl* control);
  // The control under a screen point that takes part in drags (enabled),
  // the topmost graphic child first.
  static TControl* FindTarget(TPoint screen);

private:
  static void Start(TPoint screen);
  static void DragTo(TPoint screen);
  static bool AskTarget(TControl* target, TDragObject* object, TControl* source, TPoint screen, TDragState state);
};
