// Value masks: the mask object that value controls own, its mask-text
// language, the compiled mask (picture, blank character, flags), the
// acceptance of typed characters, parsing of typed text into values and
// the display of numbers and dates through the configured locale.
//
// Mask text: sections separated by ';'. Numbers ("<>%" alignment, "+-*.$0"
// flags) and dates ("dmy" "1D" day names "2M" month names "hns" "<>%") take
// one section; strings take up to three: flags ("<>%" "sadw" "flu" "$*"),
// a picture ('#' one editable position, "#(n)" n of them, '~' escapes the
// next character, others are literals) and the blank character.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "skin/DataTypes.h"
#include "packages/PkgLanguage.h"
#include "platform/classes/Classes.h"
#include "platform/base/Variant.h"

class TKyCForm;
class TKyMask;

KY_ENUM(TKyMaskTake, uint8_t, mtaNone, mtaApplication, mtaForm)

// Marks an editable position in a picture.
inline constexpr char kMaskEditable = '\x01';

// What a mask needs from the control that owns it.
class IKyMaskOwner {
public:
  virtual ~IKyMaskOwner() = default;
  virtual TKyDataType MaskDataType() const = 0;
  // The form configuration the control's form carries, or nullptr.
  virtual TKyCForm* MaskFormConfig() const = 0;
  virtual bool MaskOwnerLoading() const = 0;
  // The mask's settings changed: recompile and redisplay.
  virtual void MaskChanged(TKyMask& mask) = 0;
  // Named in the mask's error messages.
  virtual std::string MaskOwnerName() const { return ""; }
};

// The text being edited in a control, its caret and selection.
struct TKyMaskEditState {
  std::string Text;
  int SelStart = 0;
  int SelLength = 0;
  bool InsertMode = true;
  int MaxLength = 0;  // 0: no limit
};

// A mask compiled for one data type and one set of settings.
class TKyCompiledMask {
public:
  TKyDataType DataType = dtyString;
  // kMaskEditable marks an editable position; empty means free text.
  std::string Picture;
  char Alignment = 0;  // '<', '>', '%' or 0
  char Blank = ' ';
  int32_t Size = 0;
  // Effective settings taken from the mask's source when compiled.
  int32_t Decimals = 0;
  TKyDateYear DateYear = dyeYear4;
  // The locale of separators and names; nullptr: the active locale.
  const TKyPkgLanguageLocale* Locale = nullptr;

  void Reset();
  bool Has(char flag) const { return flags_[static_cast<uint8_t>(flag)]; }
  void SetFlag(char flag, bool on) { flags_[static_cast<uint8_t>(flag)] = on; }
  const TKyPkgLanguageLocale& TheLocale() const;
  char DecimalSeparator() const;
  char ThousandSeparator() const;
  char DateSeparator() const;
  char TimeSeparator() const;
  // 0 day-month-year, 1 month-day-year, 2 year-month-day.
  int DateOrder() const;
  bool HasPicture() const { return !Picture.empty(); }
  bool IsEditable(int position) const;
  int EditableCount() const;

  // ---- Typing ----
  // The character classes of the data type: '.' becomes the decimal
  // separator for numbers. False when the character is refused.
  bool CharAllowed(char& c) const;
  // Types one character (backspace included) into the state; false and
  // the state unchanged when refused.
  bool TypeChar(TKyMaskEditState& state, char c) const;
  // The Delete key at the caret (or on the selection).
  void DeleteChar(TKyMaskEditState& state) const;
  // The text of an empty value: the picture with blanks.
  std::string EmptyText() const;

  // ---- Values ----
  // Parses typed text; raises "System" messages 6 to 9. maxLength is the
  // owner's maximum length (the '$' flag), 0 for none.
  Variant TextToValue(const std::string& text, int maxLength = 0, const std::string& ownerName = "") const;
  // The text shown for a value (names, separators, case, padding).
  std::string DisplayText(const Variant& value) const;
  // The text to edit a value in: the picture filled in where there is one.
  std::string EditText(const Variant& value) const;
  std::string FormatNumber(double value) const;
  std::string FormatDate(TDateTime value) const;
  // A number rounded to the effective decimals.
  double RoundToMask(double value) const;
  // The case letter applied to a string ('u', 'l', 'f').
  std::string ApplyCase(const std::string& text) const;

  // The date and time fields of a date mask in picture order (at most 6).
  struct TDateField {
    char Kind;  // 'd', 'm', 'y', 'h', 'n', 's'
    int Digits;
  };
  int DateFields(TDateField* fields) const;
  // The picture with chars in its editable positions, in order; blanks
  // after them.
  std::string FillPicture(const std::string& chars) const;

private:
  void BlankSelection(TKyMaskEditState& state) const;
  int NextEditable(int from) const;  // at or after from; -1 none
  int PrevEditable(int before) const;  // before 'before'; -1 none
  void DeleteAtEditable(std::string& text, int position) const;
  std::array<bool, 256> flags_{};
};

// Compiles mask text for a data type. target is reset first and stays
// reset when the text is refused with "System" message 5.
void CompileMask(TKyCompiledMask& target, const std::string& text, TKyDataType type,
                 const std::string& ownerName = "");

// The mask object of a value control (published on labels and edits).
class TKyMask : public TPersistent {
  KY_CLASS(TKyMask, TPersistent)
public:
  explicit TKyMask(IKyMaskOwner* owner = nullptr, TPersistent* persistentOwner = nullptr);
  static void Publish(TPublisher<TKyMask>& p);

  TKyMaskTake Take() const { return take_; }
  void SetTake(TKyMaskTake value);
  int32_t Size() const { return size_; }
  void SetSize(int32_t value);
  // From the source that Take names; writable only with mtaNone.
  int32_t Decimals() const;
  void SetDecimals(int32_t value);
  TKyDateYear DateYear() const;
  void SetDateYear(TKyDateYear value);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& value);

  IKyMaskOwner* Owner() const { return owner_; }
  // The owner's data type; dtyString without an owner.
  TKyDataType DataType() const;

  // Compiles into target for the owner's data type and the effective
  // settings; raises "System" message 5 on a wrong mask text (target reset).
  void Compile(TKyCompiledMask& target, const TKyPkgLanguageLocale* locale = nullptr) const;

  void Assign(const TPersistent* source) override;

protected:
  TPersistent* GetOwner() const override { return persistentOwner_; }

private:
  bool SettingsStored() const { return take_ == mtaNone; }
  void Changed();

  IKyMaskOwner* owner_;
  TPersistent* persistentOwner_;
  TKyMaskTake take_ = mtaForm;
  int32_t size_ = 0;
  int32_t decimals_ = 0;
  TKyDateYear dateYear_ = dyeYear4;
  std::string text_;
};
