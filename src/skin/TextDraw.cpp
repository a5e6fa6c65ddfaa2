// Sections: geometry of rotated boxes; TTextPass (fonts, line collection,
// measuring, drawing, design marks); DrawTextPass; DrawStyledText;
// SelectTextColours.
#include "skin/TextDraw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/os/Handles.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kTabSpaces = 8;
constexpr const char* kEllipsis = "...";
// Arm length of the design-time corner marks.
constexpr int32_t kFrameMarkLength = 6;
// Half the base of a width-marker triangle.
constexpr int32_t kMarkerSize = 4;
constexpr TKyColor kMarkerFill = 0x00008000;  // RGB(0, 128, 0)

int32_t NormalAngle(int32_t angle) {
  int32_t a = angle % 360;
  return a < 0 ? a + 360 : a;
}

// The text frame runs x along the baseline and y down the lines; on the
// device (y down) a counter-clockwise angle turns it. Quarter turns are exact
// so that vertical text lands on whole pixels.
struct TRotation {
  double Cos = 1.0;
  double Sin = 0.0;
  explicit TRotation(int32_t angle) {
    switch (angle) {
      case 0: break;
      case 90: Cos = 0.0; Sin = 1.0; break;
      case 180: Cos = -1.0; Sin = 0.0; break;
      case 270: Cos = 0.0; Sin = -1.0; break;
      default: {
        double r = angle * kPi / 180.0;
        Cos = std::cos(r);
        Sin = std::sin(r);
      }
    }
  }
  double Dx(double x, double y) const { return x * Cos + y * Sin; }
  double Dy(double x, double y) const { return -x * Sin + y * Cos; }
};

// The device extent of a w x h block turned by angle (0..359). Rounded up:
// the ink of the turned block must stay inside.
TSize RotatedBox(int32_t w, int32_t h, int32_t angle) {
  if (angle % 180 == 0) return {w, h};
  if (angle % 90 == 0) return {h, w};
  // Half-way angles are taken one degree lower, where sine and cosine differ.
  if (angle % 90 == 45) --angle;
  TRotation r(angle);
  double c = std::fabs(r.Cos), s = std::fabs(r.Sin);
  return {static_cast<int32_t>(std::ceil(w * c + h * s - 1e-6)), static_cast<int32_t>(std::ceil(w * s + h * c - 1e-6))};
}

// ---- One pass ---------------------------------------------------------------------

struct TWord {
  std::string Chars;        // as shown: accelerator marks gone, "&&" one '&'
  std::vector<bool> Accel;  // per shown character
  int32_t Gap = 0;          // whitespace before it on its line
  int32_t Width = 0;
  int32_t Overhang = 0;     // ink of its last glyph past the advance
};

struct TLine {
  std::vector<TWord> Words;
  // The line as one string (each gap as its spaces) and its marks: drawn
  // and measured whole, so that the platform spaces it as it spaces text.
  std::string Chars;
  std::vector<bool> Accel;
  int32_t WordsWidth = 0;
  int32_t SpacesWidth = 0;
  int32_t Overhang = 0;
  // What the line's ink needs: a slanted last glyph may lean past its advance.
  int32_t Width() const { return WordsWidth + SpacesWidth + Overhang; }
};

class TTextPass {
public:
  TTextPass(TCanvas& canvas, const std::string& text, int32_t angle, bool forceBold, bool showAccelChar,
            TKyAlignment alignment, TKySetFont* setFont)
      : canvas_(canvas), fontRecall_(canvas), brushRecall_(canvas), text_(text), angle_(angle),
        showAccel_(showAccelChar), alignment_(alignment) {
    overhangs_.fill(-1);
    TFont& font = *canvas.Font();
    TKySetFont* set = setFont ? setFont : &DftFont();
    font.SetData(set->Value());
    if (angle != 0 || forceBold) {
      if (forceBold && !font.Style().Contains(fsBold)) font.SetStyle(TFontStyles(font.Style()).Include(fsBold));
      // Only outline fonts turn: a bitmap face is replaced by an outline one.
      if (angle != 0 && !canvas.TextMetrics().TrueType()) font.SetName("Courier New");
      font.SetEscapement(angle * 10);
      font.SetOrientation(angle * 10);
    }
    canvas.Brush()->SetStyle(bsClear);
    TKyTextMetrics m = canvas.TextMetrics();
    plain_.Assign(&font);  // shares the realised font
    lineHeight_ = m.Height + m.ExternalLeading;
    aveCharWidth_ = m.AveCharWidth;
    spaceWidth_ = canvas.TextWidth(" ");
    ellipsisWidth_ = canvas.TextWidth(kEllipsis);
    if (m.Italic) overhang_ = std::max(0, 2 * spaceWidth_ - canvas.TextWidth("  "));
  }

  int32_t LineHeight() const { return lineHeight_; }
  int32_t AveCharWidth() const { return aveCharWidth_; }

  // The unrotated extent of the block: the widest line (or fixedWidth) and
  // one line height per line, at least one line.
  TSize MeasureBlock(std::optional<int32_t> wrapWidth, int32_t fixedWidth) {
    pos_ = 0;
    int32_t widest = 0, lines = 0;
    do {
      // The ink past the last advance counts once: the lean of the last
      // glyph, or the italic overhang when that is larger.
      TLine line = NextLine(wrapWidth);
      widest = std::max(widest, line.Width() - line.Overhang + std::max(line.Overhang, overhang_));
      ++lines;
    } while (!AtEnd());
    int32_t w = fixedWidth > 0 ? fixedWidth : widest;
    return {w, lines * lineHeight_};
  }

  // Draws the lines into a text frame of width frameW and height frameH
  // whose corner (0, 0) sits at origin on the device.
  void DrawLines(std::optional<int32_t> wrapWidth, int32_t frameW, int32_t frameH, int32_t firstY,
                 double originX, double originY, TKyColor textColor, TKyColor accelColor) {
    originX_ = originX;
    originY_ = originY;
    textColor_ = textColor;
    accelColor_ = accelColor;
    pos_ = 0;
    int32_t y = firstY;
    do {
      TLine line = NextLine(wrapWidth);
      bool more = !AtEnd();
      bool truncated = line.Width() > frameW || (more && y + 2 * lineHeight_ > frameH);
      int32_t x = 0;
      if (alignment_ == aliCenter) x = (frameW - line.Width()) / 2;
      else if (alignment_ == aliRight) x = frameW - line.Width();
      DrawLine(line, std::max(0, x), y, frameW, truncated);
      y += lineHeight_;
      if (!more) break;
    } while (y + lineHeight_ <= frameH);
  }

  TCanvas& Canvas() { return canvas_; }

private:
  bool AtEnd() const { return pos_ >= text_.size(); }

  static bool IsWordChar(char c) { return static_cast<unsigned char>(c) > 32; }

  int32_t Overhang(char c) {
    auto& known = overhangs_[static_cast<unsigned char>(c)];
    if (known < 0) known = std::max(0, -canvas_.CharABC(c).C);
    return known;
  }

  int32_t RunWidth(const std::string& run) {
    if (run.empty()) return 0;
    return canvas_.TextWidth(run + " ") - spaceWidth_;
  }

  // Reads the word at pos_, resolving accelerator marks.
  TWord ReadWord() {
    TWord w;
    while (pos_ < text_.size() && IsWordChar(text_[pos_])) {
      char c = text_[pos_++];
      bool accel = false;
      if (showAccel_ && c == '&' && pos_ < text_.size()) {
        char next = text_[pos_];
        if (next == '&') {
          ++pos_;
        } else if (IsWordChar(next)) {
          c = next;
          accel = true;
          ++pos_;
        }
      }
      w.Chars += c;
      w.Accel.push_back(accel);
    }
    w.Width = RunWidth(w.Chars);
    if (!w.Chars.empty()) w.Overhang = Overhang(w.Chars.back());
    return w;
  }

  // Collects the line at pos_ and moves past it (and past its line break).
  TLine NextLine(std::optional<int32_t> wrapWidth) {
    TLine line;
    int32_t gap = 0;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (!IsWordChar(c)) {
        ++pos_;
        if (c == '\r') {
          if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
          break;
        }
        if (c == '\n') break;
        if (c == ' ') gap += spaceWidth_;
        else if (c == '\t') gap += kTabSpaces * spaceWidth_;
        continue;
      }
      size_t start = pos_;
      TWord w = ReadWord();
      // Centred and right-aligned lines do not count their indentation.
      if (line.Words.empty() && alignment_ != aliLeft) gap = 0;
      if (wrapWidth && !line.Words.empty() && line.Width() - line.Overhang + gap + w.Width + w.Overhang > *wrapWidth) {
        pos_ = start;
        break;
      }
      w.Gap = gap;
      line.SpacesWidth += gap;
      line.WordsWidth += w.Width;
      line.Overhang = w.Overhang;
      size_t spaces = spaceWidth_ > 0 ? static_cast<size_t>(gap / spaceWidth_) : 0;
      line.Chars.append(spaces, ' ');
      line.Accel.insert(line.Accel.end(), spaces, false);
      line.Chars += w.Chars;
      line.Accel.insert(line.Accel.end(), w.Accel.begin(), w.Accel.end());
      line.Words.push_back(std::move(w));
      gap = 0;
    }
    // The width the platform gives the whole line, not the sum of its words.
    if (!line.Words.empty()) line.WordsWidth = RunWidth(line.Chars) - line.SpacesWidth;
    return line;
  }

  void DrawLine(const TLine& line, int32_t x, int32_t y, int32_t frameW, bool truncated) {
    if (!truncated) {
      // Whole runs between accelerators, each placed by the width of the
      // line before it.
      size_t i = 0;
      while (i < line.Chars.size()) {
        size_t j = i + 1;
        if (!line.Accel[i])
          while (j < line.Chars.size() && !line.Accel[j]) ++j;
        int32_t at = i == 0 ? 0 : RunWidth(line.Chars.substr(0, i));
        DrawRun(line.Chars.substr(i, j - i), x + at, y, line.Accel[i]);
        i = j;
      }
      return;
    }
    int32_t limit = frameW - ellipsisWidth_;
    int32_t inkEnd = x;
    for (const TWord& w : line.Words) {
      x += w.Gap;
      if (truncated && x + w.Width > limit) {
        // The longest prefix that still leaves room for the "...".
        size_t n = 0;
        int32_t width = 0;
        while (n < w.Chars.size()) {
          int32_t next = RunWidth(w.Chars.substr(0, n + 1));
          if (x + next > limit) break;
          width = next;
          ++n;
        }
        if (n > 0) {
          DrawWord(w, n, x, y);
          inkEnd = x + width;
        }
        break;
      }
      DrawWord(w, w.Chars.size(), x, y);
      x += w.Width;
      inkEnd = x;
    }
    // Right after the last character shown, so a short last line does not
    // leave its "..." stranded at the far edge.
    if (truncated) DrawRun(kEllipsis, std::max(0, std::min(inkEnd, limit)), y, false);
  }

  // The first count characters of w, split into runs at the accelerators.
  void DrawWord(const TWord& w, size_t count, int32_t x, int32_t y) {
    size_t i = 0;
    while (i < count) {
      size_t j = i + 1;
      if (!w.Accel[i])
        while (j < count && !w.Accel[j]) ++j;
      std::string run = w.Chars.substr(i, j - i);
      int32_t width = RunWidth(run);
      DrawRun(run, x, y, w.Accel[i]);
      x += width;
      i = j;
    }
  }

  void DrawRun(const std::string& run, int32_t x, int32_t y, bool accel) {
    TFont& font = *canvas_.Font();
    if (accel) {
      if (!accelFont_) {
        accelFont_ = std::make_unique<TFont>();
        accelFont_->Assign(&plain_);
        accelFont_->SetStyle(TFontStyles(plain_.Style()).Include(fsUnderline));
      }
      font.Assign(accelFont_.get());
      font.SetColor(accelColor_);
    } else {
      font.Assign(&plain_);
      font.SetColor(textColor_);
    }
    TRotation r(angle_);
    double px = originX_ + r.Dx(x, y), py = originY_ + r.Dy(x, y);
    canvas_.TextOut(static_cast<int32_t>(std::lround(px)), static_cast<int32_t>(std::lround(py)), run);
  }

  TCanvas& canvas_;
  // The caller's font and brush come back on every way out; the fonts made
  // here go with the last TFont sharing them.
  TFontRecall fontRecall_;
  TBrushRecall brushRecall_;
  TFont plain_;
  std::unique_ptr<TFont> accelFont_;
  const std::string& text_;
  int32_t angle_;
  bool showAccel_;
  TKyAlignment alignment_;
  size_t pos_ = 0;
  int32_t lineHeight_ = 0;
  int32_t aveCharWidth_ = 0;
  int32_t spaceWidth_ = 0;
  int32_t ellipsisWidth_ = 0;
  int32_t overhang_ = 0;
  std::array<int32_t, 256> overhangs_;
  double originX_ = 0.0;
  double originY_ = 0.0;
  TKyColor textColor_ = kClBlack;
  TKyColor accelColor_ = kClBlack;
};

// Four L-shaped black corners around box.
void DrawFrameMarks(TCanvas& canvas, const TRect& box) {
  TPenRecall pen(canvas);
  canvas.Pen()->SetColor(kClBlack);
  canvas.Pen()->SetStyle(psSolid);
  canvas.Pen()->SetWidth(1);
  int32_t len = std::min({box.Width(), box.Height(), kFrameMarkLength});
  if (len < 1) return;
  int32_t l = box.Left, t = box.Top, r = box.Right - 1, b = box.Bottom - 1;
  const TPoint corners[4][3] = {
      {{l, t + len}, {l, t}, {l + len, t}},
      {{r - len, t}, {r, t}, {r, t + len}},
      {{r, b - len}, {r, b}, {r - len, b}},
      {{l + len, b}, {l, b}, {l, b - len}},
  };
  for (const auto& c : corners) canvas.Polyline(c, 3);
}

// Two downward triangles on the top edge of box, width apart.
void DrawWidthMarker(TCanvas& canvas, const TRect& box, int32_t width, TKyAlignment alignment) {
  TPenRecall pen(canvas);
  TBrushRecall brush(canvas);
  canvas.Pen()->SetColor(kClBlack);
  canvas.Pen()->SetStyle(psSolid);
  canvas.Pen()->SetWidth(1);
  canvas.Brush()->SetColor(kMarkerFill);
  canvas.Brush()->SetStyle(bsSolid);
  int32_t left = box.Left;
  if (alignment == aliCenter) left = box.Left + (box.Width() - width) / 2;
  else if (alignment == aliRight) left = box.Right - width;
  for (int32_t x : {left, left + width}) {
    const TPoint tri[3] = {{x - kMarkerSize, box.Top}, {x + kMarkerSize, box.Top}, {x, box.Top + kMarkerSize}};
    canvas.Polygon(tri, 3);
  }
}

// The screen's DC behind a canvas, for measuring without a target.
class TScreenCanvas {
public:
  TScreenCanvas() : dc_(nullptr) { canvas_.SetHandle(dc_.Get()); }
  ~TScreenCanvas() { canvas_.SetHandle(nullptr); }
  TCanvas& Canvas() { return canvas_; }

private:
  TWindowDc dc_;
  TCanvas canvas_;
};

void RunPass(TCanvas& canvas, const TRect& rect, const std::string& text, TRect& outRect, bool forceBold,
             int32_t markChars, bool designFrame, int32_t angleIn, bool showAccelChar, bool wordWrap,
             TKyLayout layout, TKyAlignment alignment, int32_t fixedWidth, bool keepRect, bool measure,
             TKyColor accelColor, TKyColor textColor, TKySetFont* setFont) {
  const int32_t w = rect.Width(), h = rect.Height();
  const int32_t angle = NormalAngle(angleIn);
  TTextPass pass(canvas, text, angle, forceBold, showAccelChar, alignment, setFont);

  // Wrapping needs a width along the lines: a fixed one, or the box's side
  // when the lines run along it.
  std::optional<int32_t> wrap;
  if (wordWrap && (fixedWidth > 0 || angle % 90 == 0))
    wrap = fixedWidth > 0 ? fixedWidth : (angle % 180 == 0 ? w : h);

  TSize block = pass.MeasureBlock(wrap, fixedWidth);
  if (measure) {
    TSize box = keepRect ? block : RotatedBox(block.cx, block.cy, angle);
    outRect = TRect::Bounds(rect.Left, rect.Top, box.cx, box.cy);
    return;
  }

  // Fit the text frame into the box: its size and where its rotated box goes.
  int32_t frameW, frameH;
  TPoint place = rect.TopLeft();
  if (angle % 180 == 0) {
    frameW = fixedWidth > 0 ? fixedWidth : w;
    frameH = h;
    if (fixedWidth > 0) place.X += (w - fixedWidth) / 2;
  } else if (angle % 90 == 0) {
    frameW = fixedWidth > 0 ? fixedWidth : h;
    frameH = w;
    if (fixedWidth > 0) place.Y += (h - fixedWidth) / 2;
  } else {
    frameW = block.cx;
    frameH = block.cy;
    TSize box = RotatedBox(frameW, frameH, angle);
    place.X += (w - box.cx) / 2;
    place.Y += (h - box.cy) / 2;
  }
  if (frameW < 1) return;

  int32_t firstY = 0;
  if (layout == layCenter) firstY = (frameH - block.cy) / 2;
  else if (layout == layBottom) firstY = frameH - block.cy;
  firstY = std::max(0, firstY);

  // The frame's corner that lands top-left on the device decides the origin.
  TRotation r(angle);
  double minX = 0.0, minY = 0.0;
  for (auto [x, y] : {std::pair{frameW, 0}, std::pair{0, frameH}, std::pair{frameW, frameH}}) {
    minX = std::min(minX, r.Dx(x, y));
    minY = std::min(minY, r.Dy(x, y));
  }
  double originX = place.X - minX, originY = place.Y - minY;

  if (designFrame) {
    TSize box = RotatedBox(frameW, frameH, angle);
    DrawFrameMarks(canvas, TRect::Bounds(place.X, place.Y, box.cx, box.cy));
  }
  pass.DrawLines(wrap ? std::optional<int32_t>(frameW) : std::nullopt, frameW, frameH, firstY, originX, originY,
                 textColor, accelColor);
  if (markChars > 0) DrawWidthMarker(canvas, rect, markChars * pass.AveCharWidth(), alignment);
}

TKyColor ColourOf(TKySetColor* set, const char* defaultName) {
  if (set) return set->Value();
  auto* dft = static_cast<TKySetColor*>(LibraryDefaultSet(defaultName));
  return dft ? dft->Value() : kClBlack;
}

}  // namespace

void DrawTextPass(TCanvas* Canvas, const TRect& Rect, const std::string& Text, TRect& OutRect, bool ForceBold,
                  int32_t MarkChars, bool DesignFrame, int32_t Angle, bool ShowAccelChar, bool WordWrap,
                  TKyLayout Layout, TKyAlignment Alignment, int32_t FixedWidth, bool KeepRect, bool Measure,
                  TKyColor AccelColor, TKyColor TextColor, TKySetFont* SetFont) {
  OutRect = Rect;
  if (!Measure && (Rect.Width() < 1 || Rect.Height() < 1 || !Canvas)) return;
  if (Measure && !Canvas) {
    TScreenCanvas screen;
    RunPass(screen.Canvas(), Rect, Text, OutRect, ForceBold, MarkChars, DesignFrame, Angle, ShowAccelChar, WordWrap,
            Layout, Alignment, FixedWidth, KeepRect, true, AccelColor, TextColor, SetFont);
    return;
  }
  RunPass(*Canvas, Rect, Text, OutRect, ForceBold, MarkChars, DesignFrame, Angle, ShowAccelChar, WordWrap, Layout,
          Alignment, FixedWidth, KeepRect, Measure, AccelColor, TextColor, SetFont);
}

void DrawStyledText(TCanvas* Canvas, const TRect& Rect, TKyFontStyle FontStyle, TRect& OutRect, bool ForceBold,
                    int32_t MarkChars, bool DesignFrame, int32_t Angle, bool ShowAccelChar, bool WordWrap,
                    TKyLayout Layout, TKyAlignment Alignment, bool DisabledFlat, bool Enabled, int32_t Spacing3D,
                    int32_t FixedWidth, bool KeepRect, bool Measure, TKySetColor* SetColAccelChar,
                    TKySetColor* SetColShadow, TKySetColor* SetColText, TKySetFont* SetFont, const std::string& Text) {
  OutRect = Rect;
  const int32_t spacing = std::max(Spacing3D, 1);
  const int32_t half = spacing / 2;
  const bool shadowStyle = FontStyle == fos3D || FontStyle == fos3DLight1;
  TRect box = Rect.Inflate(-1, -1);

  if (Measure) {
    int32_t grow = 1;
    if (shadowStyle) {
      box = box.Inflate(-half, -half);
      grow += half;
    }
    TScreenCanvas screen;
    DrawTextPass(&screen.Canvas(), box, Text, OutRect, ForceBold, MarkChars, DesignFrame, Angle, ShowAccelChar,
                 WordWrap, Layout, Alignment, FixedWidth, KeepRect, true, kClBlack, kClBlack, SetFont);
    if (!KeepRect) OutRect = OutRect.Inflate(grow, grow);
    return;
  }
  if (!Canvas) return;

  // Asked now, so that a new display package shows at the next paint.
  const TKyColor text = ColourOf(SetColText, "Dft_ColText");
  const TKyColor accel = ColourOf(SetColAccelChar, "Dft_EdAccelChar");
  const TKyColor shadow = ColourOf(SetColShadow, "Dft_ColShadow");
  TRect unused;
  auto pass = [&](const TRect& r, TKyColor accelColor, TKyColor textColor, bool main) {
    DrawTextPass(Canvas, r, Text, unused, ForceBold, main ? MarkChars : -1, main && DesignFrame, Angle, ShowAccelChar,
                 WordWrap, Layout, Alignment, FixedWidth, false, false, accelColor, textColor, SetFont);
  };

  if (!Enabled) {
    const TKyColor light = ColourOf(nullptr, "Dft_TextDisLight");
    const TKyColor dark = ColourOf(nullptr, "Dft_TextDisShadow");
    if (!DisabledFlat) pass(box.Offset(1, 1), light, light, false);
    pass(box, dark, dark, true);
    return;
  }
  switch (FontStyle) {
    case fos3D:
    case fos3DLight1: {
      // The main copy keeps the top-left corner; the shadow takes the room
      // given up at the right and bottom.
      TRect main = box.Inflate(-half, -half).Offset(-half, -half);
      pass(main.Offset(spacing, spacing), shadow, shadow, false);
      pass(main, accel, text, true);
      break;
    }
    case fos3DLight:
      pass(box.Offset(-1, -1), shadow, shadow, false);
      pass(box.Offset(1, 1), shadow, shadow, false);
      pass(box, accel, text, true);
      break;
    default:
      pass(box, accel, text, true);
      break;
  }
}

TKyTextColours SelectTextColours(TKyFontStyle Style, bool Highlight, TKySetColor* SetColText,
                                 TKySetColor* SetColAccelChar, TKySetColor* SetColShadow, TKySetColor* SetColLight,
                                 TKySetColor* SetColSelected) {
  if (!Highlight) return {SetColText, SetColAccelChar, SetColShadow, Style};
  switch (Style) {
    case fosNormal: return {SetColSelected, SetColSelected, SetColShadow, fosNormal};
    case fosLight: return {SetColLight, SetColLight, SetColShadow, fosLight};
    case fos3DLight: return {SetColText, SetColAccelChar, SetColLight, fos3DLight};
    case fos3D: return {SetColSelected, SetColSelected, SetColLight, fosNormal};
    case fos3DLight1: return {SetColLight, SetColLight, SetColShadow, fos3DLight1};
  }
  return {SetColText, SetColAccelChar, SetColShadow, Style};
}
