// The abstract picture: something with a size that draws itself into a
// rectangle of a canvas and reads and writes its own file format.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Stream.h"
#include "platform/graphics/Graphics.h"

class TCanvas;

class TGraphic : public TPersistent {
  KY_CLASS(TGraphic, TPersistent)
public:
  TNotifyEvent OnChange;

  virtual bool Empty() const = 0;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  // Graphics without a settable size raise EInvalidGraphicOperation.
  virtual void SetWidth(int32_t value);
  virtual void SetHeight(int32_t value);
  // Whether Draw leaves parts of the target untouched.
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  // Set by every change; the owner clears it once it stored the graphic.
  bool Modified() const { return modified_; }
  void SetModified(bool value);

  // Draws the whole picture into rect, stretched to fit.
  virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

  // The graphic's own file format, from the stream's position onwards.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);

protected:
  // Marks the graphic modified and raises OnChange.
  virtual void Changed();

private:
  bool transparent_ = false;
  bool modified_ = false;
};
