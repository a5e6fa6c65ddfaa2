// Shape blocks: the figure, orientation, border, brush and pen of a
// control's shape, handed to the shape painter by the control. The pen is
// the configuration's TKyPen; the brush lives here. The base keeps every
// value a shape block may have; each class publishes only its own.
#pragma once

#include <cstdint>
#include <memory>

#include "skin/Blocks.h"
#include "skin/Shapes.h"

// A fill: the background set gives colour, image or pattern, Style the hatch.
class TKyBrush : public TKyBlock {
  KY_CLASS(TKyBrush, TKyBlock)
public:
  explicit TKyBrush(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyBrush>& p);

  TKySetBackGround* SetBackGround() const { return backGround_.get(); }
  void SetSetBackGround(const TKySetBackGround* value) { backGround_->Assign(value); }
  TKyBrushStyle Style() const { return style_; }
  void SetStyle(TKyBrushStyle value) { Update(style_, value); }

protected:
  void CopyFrom(const TKyBlock& source) override;

private:
  std::unique_ptr<TKySetBackGround> backGround_;
  TKyBrushStyle style_ = brsSolid;
};

class TKyBasicShape : public TKyBlock {
  KY_CLASS(TKyBasicShape, TKyBlock)
public:
  static void Publish(TPublisher<TKyBasicShape>& p);

  TKyShapes Shape() const { return shape_; }
  void SetShape(TKyShapes value) { Update(shape_, value); }
  bool Reflection() const { return reflection_; }
  void SetReflection(bool value) { Update(reflection_, value); }
  TKyShapeOrientation Orientation() const { return orientation_; }
  void SetOrientation(TKyShapeOrientation value) { Update(orientation_, value); }

protected:
  explicit TKyBasicShape(TPersistent* owner) : TKyBlock(owner) {}
  void CopyFrom(const TKyBlock& source) override;
  // The owned objects a class has.
  void HavePen() { pen_ = MakePen(); }
  void HaveBrush() { brush_ = MakeBlock<TKyBrush>(); }
  void HaveStateBacks(bool grayed);
  void HaveBackGround() { backGround_ = MakeSet<TKySetBackGround>("Dft_BackGround"); }

  int32_t Width() const { return width_; }
  void SetWidth(int32_t value) { Update(width_, value); }
  int32_t Height() const { return height_; }
  void SetHeight(int32_t value) { Update(height_, value); }
  TKyBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TKyBorderStyle value) { Update(borderStyle_, value); }
  int32_t BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int32_t value) { Update(borderWidth_, value); }
  int32_t MarginLeftRight() const { return marginLeftRight_; }
  void SetMarginLeftRight(int32_t value) { Update(marginLeftRight_, value); }
  int32_t MarginTopBottom() const { return marginTopBottom_; }
  void SetMarginTopBottom(int32_t value) { Update(marginTopBottom_, value); }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { Update(visible_, value); }
  bool Down() const { return down_; }
  void SetDown(bool value) { Update(down_, value); }

  TKyPen* Pen() const { return pen_.get(); }
  void SetPen(const TKyPen* value) { pen_->Assign(value); }
  TKyBrush* Brush() const { return brush_.get(); }
  void SetBrush(const TKyBrush* value) { brush_->Assign(value); }
  TKySetBackGround* SetBGGrayed() const { return bgGrayed_.get(); }
  void SetSetBGGrayed(const TKySetBackGround* value) { bgGrayed_->Assign(value); }
  TKySetBackGround* SetBGChecked() const { return bgChecked_.get(); }
  void SetSetBGChecked(const TKySetBackGround* value) { bgChecked_->Assign(value); }
  TKySetBackGround* SetBGUnChecked() const { return bgUnChecked_.get(); }
  void SetSetBGUnChecked(const TKySetBackGround* value) { bgUnChecked_->Assign(value); }
  TKySetBackGround* SetBackGround() const { return backGround_.get(); }
  void SetSetBackGround(const TKySetBackGround* value) { backGround_->Assign(value); }

private:
  TKyShapes shape_ = shaRectangle;
  bool reflection_ = false;
  TKyShapeOrientation orientation_ = sorDefault;
  int32_t width_ = 0;
  int32_t height_ = 0;
  TKyBorderStyle borderStyle_ = bos3D;
  int32_t borderWidth_ = 1;
  int32_t marginLeftRight_ = 0;
  int32_t marginTopBottom_ = 0;
  bool visible_ = false;
  bool down_ = false;
  std::unique_ptr<TKyPen> pen_;
  std::unique_ptr<TKyBrush> brush_;
  std::unique_ptr<TKySetBackGround> bgGrayed_;
  std::unique_ptr<TKySetBackGround> bgChecked_;
  std::unique_ptr<TKySetBackGround> bgUnChecked_;
  std::unique_ptr<TKySetBackGround> backGround_;
};

// The mark of a shape-style check box: filled with the state's background.
class TKyCheckShape : public TKyBasicShape {
  KY_CLASS(TKyCheckShape, TKyBasicShape)
public:
  explicit TKyCheckShape(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyCheckShape>& p);
  KY_BLOCK_EXPOSE(Width)
  KY_BLOCK_EXPOSE(Height)
  KY_BLOCK_EXPOSE(BorderStyle)
  KY_BLOCK_EXPOSE(SetBGGrayed)
  KY_BLOCK_EXPOSE(SetBGChecked)
  KY_BLOCK_EXPOSE(SetBGUnChecked)
  KY_BLOCK_EXPOSE(Pen)
};

class TKyRadioShape : public TKyBasicShape {
  KY_CLASS(TKyRadioShape, TKyBasicShape)
public:
  explicit TKyRadioShape(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyRadioShape>& p);
  KY_BLOCK_EXPOSE(Width)
  KY_BLOCK_EXPOSE(Height)
  KY_BLOCK_EXPOSE(BorderStyle)
  KY_BLOCK_EXPOSE(SetBGChecked)
  KY_BLOCK_EXPOSE(SetBGUnChecked)
  KY_BLOCK_EXPOSE(Pen)
};

class TKyButtonShape : public TKyBasicShape {
  KY_CLASS(TKyButtonShape, TKyBasicShape)
public:
  explicit TKyButtonShape(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyButtonShape>& p);
  KY_BLOCK_EXPOSE(BorderStyle)
  KY_BLOCK_EXPOSE(BorderWidth)
  KY_BLOCK_EXPOSE(Brush)
  KY_BLOCK_EXPOSE(Pen)
  KY_BLOCK_EXPOSE(MarginLeftRight)
  KY_BLOCK_EXPOSE(MarginTopBottom)
};

class TKyBitBtnShape : public TKyBasicShape {
  KY_CLASS(TKyBitBtnShape, TKyBasicShape)
public:
  explicit TKyBitBtnShape(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyBitBtnShape>& p);
  KY_BLOCK_EXPOSE(BorderStyle)
  KY_BLOCK_EXPOSE(SetBackGround)
  KY_BLOCK_EXPOSE(Pen)
};

class TKyFullShape : public TKyBasicShape {
  KY_CLASS(TKyFullShape, TKyBasicShape)
public:
  explicit TKyFullShape(TPersistent* owner = nullptr);
  static void Publish(TPublisher<TKyFullShape>& p);
  KY_BLOCK_EXPOSE(Visible)
  KY_BLOCK_EXPOSE(BorderStyle)
  KY_BLOCK_EXPOSE(BorderWidth)
  KY_BLOCK_EXPOSE(Down)
  KY_BLOCK_EXPOSE(Brush)
  KY_BLOCK_EXPOSE(Pen)
};
