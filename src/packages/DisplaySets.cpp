#include "packages/DisplaySets.h"

#include <algorithm>

#include "packages/PkgDisplay.h"
#include "platform/classes/FormStream.h"
#include "platform/base/SysUtils.h"

// ---- Live objects ----

namespace {

// Live objects of one kind. A pass walks the list by index; objects freed
// meanwhile leave holes that are closed when the outermost pass ends.
struct TSetObjects {
  std::vector<TKySetObject*> items;
  int walking = 0;
};

TSetObjects& Objects(TKySetKind kind) {
  static TSetObjects lists[3];
  return lists[kind];
}

template <class F>
void ForEachObject(TKySetKind kind, F fn) {
  TSetObjects& list = Objects(kind);
  ++list.walking;
  struct TEnd {
    TSetObjects& l;
    ~TEnd() {
      if (--l.walking == 0) std::erase(l.items, nullptr);
    }
  } end{list};
  for (size_t i = 0; i < list.items.size(); ++i)
    if (TKySetObject* o = list.items[i]) fn(o);
}

TKySetObject* LibraryDefaultOf(TKySetKind kind) {
  switch (kind) {
    case sekFont:
      return &DftFont();
    case sekColor:
      return &DftColBox();
    case sekBackGround:
      return &DftBackGround();
  }
  return nullptr;
}

}  // namespace

// ---- TKySetObject ----

TKySetObject::TKySetObject(TKySetKind kind, TPersistent* owner, const std::string& name, TKySetObject* fallback,
                           bool root)
    : kind_(kind), owner_(owner), name_(name), createdName_(name),
      usesDefaultName_(SameText(name, kDefaultName)) {
  if (!root) fallback_ = fallback ? fallback : LibraryDefaultOf(kind);
  Objects(kind_).items.push_back(this);
}

TKySetObject::~TKySetObject() {
  TSetObjects& list = Objects(kind_);
  auto it = std::find(list.items.begin(), list.items.end(), this);
  if (it != list.items.end()) {
    if (list.walking > 0) *it = nullptr;
    else list.items.erase(it);
  }
  // Objects that fell back to this one fall back to the library default
  // instead of to a freed object.
  TKySetObject* replacement = fallback_ ? LibraryDefaultOf(kind_) : nullptr;
  if (replacement == this) replacement = nullptr;
  for (TKySetObject* o : list.items)
    if (o && o->fallback_ == this) {
      o->fallback_ = replacement;
      o->Invalidate();
    }
}

void TKySetObject::SetName(const std::string& value) {
  if (value == name_) return;
  bool sameName = SameText(value, name_);
  name_ = value;
  // Letter case alone names the same set.
  if (sameName) return;
  Invalidate();
  hadSet_ = false;
  CascadeFromRoots(kind_);
  Changed();
  // A library default renamed: the objects that end in it follow.
  if (!fallback_ && !ApplicationDestroying()) {
    ResolveSet();
    NotifyPass(kind_);
  }
}

TKyPkgDisplaySet* TKySetObject::ResolveSet() {
  if (!FirstPkgApplication()) return nullptr;
  if (resolved_) return cached_;
  resolved_ = true;
  TKyPkgDisplaySet* set = nullptr;
  fromFallback_ = false;
  if (!SameText(Trim(name_), kDefaultName))
    if (TKyPkgDisplay* pkg = ActiveDisplayPackage()) set = pkg->Sets(kind_).FindSet(name_);
  if (!set && fallback_) {
    set = fallback_->ResolveSet();
    fromFallback_ = true;
  }
  cached_ = set;
  return set;
}

void TKySetObject::Invalidate() {
  if (resolved_) hadSet_ = cached_ != nullptr;
  resolved_ = false;
  cached_ = nullptr;
  fromFallback_ = false;
}

void TKySetObject::Changed() {
  if (OnChange) OnChange(this);
}

void TKySetObject::Assign(const TPersistent* source) {
  auto* s = dynamic_cast<const TKySetObject*>(source);
  if (!s || s->kind_ != kind_) {
    TPersistent::Assign(source);
    return;
  }
  SetName(s->name_);
}

void TKySetObject::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  TPersistent* a = filer.Ancestor();
  auto* anc = (a && &a->ClassType() == &ClassType()) ? static_cast<const TKySetObject*>(a) : nullptr;
  bool stored = a ? (!anc || anc->name_ != name_) : name_ != createdName_;
  filer.DefineProperty(
      "Name", [this](TReader& r) { SetName(r.ReadString()); }, [this](TWriter& w) { w.WriteString(name_); }, stored);
}

void TKySetObject::CascadeFromRoots(TKySetKind kind) {
  // An object that took its fallback's set loses it with the fallback.
  bool changed = true;
  while (changed) {
    changed = false;
    ForEachObject(kind, [&changed](TKySetObject* o) {
      if (o->resolved_ && o->fromFallback_ && o->fallback_ && !o->fallback_->resolved_) {
        o->Invalidate();
        changed = true;
      }
    });
  }
}

void TKySetObject::InvalidateSet(const TKyPkgDisplaySet* set) {
  TKySetKind kind = set->Kind();
  ForEachObject(kind, [set](TKySetObject* o) {
    if (o->cached_ == set) o->Invalidate();
  });
  CascadeFromRoots(kind);
}

void TKySetObject::InvalidatePackage(TKySetKind kind, const TKyPkgDisplay* package) {
  ForEachObject(kind, [package](TKySetObject* o) {
    if (o->cached_ && &o->cached_->Package() == package) o->Invalidate();
  });
  CascadeFromRoots(kind);
}

void TKySetObject::InvalidateEmpty(TKySetKind kind) {
  ForEachObject(kind, [](TKySetObject* o) {
    if (o->resolved_ && !o->cached_) o->Invalidate();
  });
  CascadeFromRoots(kind);
}

void TKySetObject::InvalidateAll(TKySetKind kind) {
  ForEachObject(kind, [](TKySetObject* o) { o->Invalidate(); });
}

void TKySetObject::NotifyPass(TKySetKind kind) {
  if (ApplicationDestroying()) return;
  TKyChangeBatch batch;
  bool changed = false;
  ForEachObject(kind, [&changed](TKySetObject* o) {
    if (o->resolved_) return;
    bool had = o->hadSet_;
    o->hadSet_ = false;
    TKyPkgDisplaySet* set = o->ResolveSet();
    // An object that found nothing before speaks only when it finds something now.
    if (had || set) {
      changed = true;
      o->Changed();
    }
  });
  if (changed) NotifyPassListeners();
}

int TKySetObject::LiveCount(TKySetKind kind) {
  auto& items = Objects(kind).items;
  return static_cast<int>(std::count_if(items.begin(), items.end(), [](TKySetObject* o) { return o != nullptr; }));
}

// ---- The three kinds ----

TKyPkgDisplaySetFont* TKySetFont::Resolve() { return static_cast<TKyPkgDisplaySetFont*>(ResolveSet()); }

TKyFontData TKySetFont::Value() {
  if (TKyPkgDisplaySetFont* s = Resolve()) return s->Font();
  if (Fallback()) return static_cast<TKySetFont*>(Fallback())->Value();
  return LibraryDefaultFont();
}

TKyPkgDisplaySetColor* TKySetColor::Resolve() { return static_cast<TKyPkgDisplaySetColor*>(ResolveSet()); }

TKyColor TKySetColor::Value() {
  if (TKyPkgDisplaySetColor* s = Resolve()) return s->Color();
  if (Fallback()) return static_cast<TKySetColor*>(Fallback())->Value();
  return DftColBox().DefaultValue();
}

TKyPkgDisplaySetBackGround* TKySetBackGround::Resolve() {
  return static_cast<TKyPkgDisplaySetBackGround*>(ResolveSet());
}

TKyColor TKySetBackGround::Value() {
  if (TKyPkgDisplaySetBackGround* s = Resolve()) return s->Color();
  if (Fallback()) return static_cast<TKySetBackGround*>(Fallback())->Value();
  return DftBackGround().DefaultValue();
}

bool TKySetBackGround::IsPlain() {
  TKyPkgDisplaySetBackGround* s = Resolve();
  return !s || s->FillKind() == 0;
}

TKyFontData TKyDefaultSetFont::Value() {
  if (TKyPkgDisplaySetFont* s = Resolve()) return s->Font();
  return default_;
}

TKyColor TKyDefaultSetColor::Value() {
  if (TKyPkgDisplaySetColor* s = Resolve()) return s->Color();
  return default_;
}

TKyColor TKyDefaultSetBackGround::Value() {
  if (TKyPkgDisplaySetBackGround* s = Resolve()) return s->Color();
  return default_;
}

// ---- Library defaults ----

namespace {

struct TDefaultRow {
  const char* Name;
  TKySetKind Kind;
  TKyColor Value;  // colours and backgrounds
};

constexpr TDefaultRow kDefaultRows[] = {
    {"Dft_BackGround", sekBackGround, kClBtnFace},
    {"Dft_Font", sekFont, 0},
    {"Dft_ColText", sekColor, kClWindowText},
    {"Dft_StandOut", sekColor, kClRed},
    {"Dft_TextDisLight", sekColor, kClBtnHighlight},
    {"Dft_TextDisShadow", sekColor, kClBtnShadow},
    {"Dft_ColShadow", sekColor, kClBtnShadow},
    {"Dft_ColBox", sekColor, kClBlack},
    {"Dft_3DMLight", sekColor, kClMediumLight},
    {"Dft_3DLight", sekColor, kClBtnHighlight},
    {"Dft_3DShadow", sekColor, kClBtnShadow},
    {"Dft_CkGrayedBG", sekBackGround, kClMediumLight},
    {"Dft_CkCheckedBG", sekBackGround, kClBtnShadow},
    {"Dft_CkUnCheckedBG", sekBackGround, kClBtnHighlight},
    {"Dft_HelpBG", sekBackGround, kClInfoBk},
    {"Dft_EdColLight", sekColor, kClInfoBk},
    {"Dft_EdAccelChar", sekColor, kClWindowText},
    {"Dft_EdBackGround", sekBackGround, kClWindow},
    {"Dft_EdDisabledBG", sekBackGround, kClMediumLight},
    {"Dft_EdSelectedText", sekColor, kClBtnHighlight},
    {"Dft_EdSelectedBG", sekBackGround, kClHighlight},
    {"Dft_SBGeneralBG", sekBackGround, kClMediumLight},
    {"Dft_SBGeneralColBox", sekColor, kClBtnHighlight},
    {"Dft_SBPagesBG", sekBackGround, kClBlack},
    {"Dft_SBButtonsBGUp", sekBackGround, kClBtnFace},
    {"Dft_SBButtonsBGOver", sekBackGround, kClBtnShadow},
    {"Dft_SBButtonsBGDown", sekBackGround, kClBlack},
    {"Dft_SBButtonsColBox", sekColor, kClBtnShadow},
    {"Dft_SBButtonsColSelBox", sekColor, kClBtnShadow},
    {"Dft_SBThumbsBGUp", sekBackGround, kClBtnFace},
    {"Dft_SBThumbsBGOver", sekBackGround, kClBtnShadow},
    {"Dft_SBThumbsBGDown", sekBackGround, kClBlack},
    {"Dft_SBThumbsColBox", sekColor, kClBtnShadow},
    {"Dft_SBThumbsColSelBox", sekColor, kClBtnShadow},
    {"Dft_BBColFocus", sekColor, kClHighlight},
    {"Dft_BBColDefault", sekColor, kClBlack},
};

bool& DefaultFontScaled() {
  static bool scaled = false;
  return scaled;
}

}  // namespace

const std::vector<TKySetObject*>& LibraryDefaultSets() {
  // Never freed: controls of any lifetime may end their chains in them.
  static const std::vector<TKySetObject*>* sets = [] {
    auto* v = new std::vector<TKySetObject*>;
    for (const TDefaultRow& row : kDefaultRows) {
      switch (row.Kind) {
        case sekFont:
          v->push_back(new TKyDefaultSetFont(row.Name, TKyFontData{}));
          break;
        case sekColor:
          v->push_back(new TKyDefaultSetColor(row.Name, row.Value));
          break;
        case sekBackGround:
          v->push_back(new TKyDefaultSetBackGround(row.Name, row.Value));
          break;
      }
    }
    return v;
  }();
  return *sets;
}

TKySetObject* LibraryDefaultSet(const std::string& name) {
  for (TKySetObject* o : LibraryDefaultSets())
    if (SameText(o->Name(), name)) return o;
  return nullptr;
}

TKyDefaultSetFont& DftFont() {
  static TKyDefaultSetFont* o = static_cast<TKyDefaultSetFont*>(LibraryDefaultSets()[1]);
  return *o;
}

TKyDefaultSetColor& DftColBox() {
  static TKyDefaultSetColor* o = static_cast<TKyDefaultSetColor*>(LibraryDefaultSets()[7]);
  return *o;
}

TKyDefaultSetBackGround& DftBackGround() {
  static TKyDefaultSetBackGround* o = static_cast<TKyDefaultSetBackGround*>(LibraryDefaultSets()[0]);
  return *o;
}

TKyFontData& LibraryDefaultFont() { return DftFont().DefaultValue(); }

bool LibraryDefaultFontScaled() { return DefaultFontScaled(); }

void SetLibraryDefaultFontScaled(bool value) { DefaultFontScaled() = value; }

TKyColor LibraryDefaultColor(const std::string& name) {
  auto* set = dynamic_cast<TKySetColor*>(LibraryDefaultSet(name));
  return set ? set->Value() : kClBlack;
}
