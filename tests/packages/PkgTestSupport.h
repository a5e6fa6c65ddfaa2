// What package tests share: a stand-in application configuration that owns
// the "System" and "User" strings packages, a control-like object that
// counts its notifications, and package bytes built by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "packages/PkgStrings.h"
#include "platform/classes/Classes.h"
#include "platform/base/Exception.h"
#include "platform/base/Stream.h"
#include "platform/base/TypedStream.h"

namespace ky_test {

// A whole file's bytes.
inline std::string ReadAll(const std::string& path) {
  TMemoryStream m;
  m.LoadFromFile(path);
  return std::string(m.Data().begin(), m.Data().end());
}

// Owns packages as a whole, like the language package: not a form.
class TTstContainer : public TComponent, public IKyPkgContainer {
public:
  explicit TTstContainer(TComponent* owner) : TComponent(owner) {}
  bool IsLoadingPackages() const override { return loading; }
  bool loading = false;
};

// The first application configuration, as packages see it.
class TTstApplication : public IKyPkgApplication {
public:
  TTstApplication() : holder(nullptr) {
    system = new TKyPkgStrings(&holder);
    system->StorePkgName(kSystemPkg);
    user = new TKyPkgStrings(&holder);
    user->StorePkgName(kUserPkg);
    RegisterPkgApplication(this);
  }
  ~TTstApplication() override { UnregisterPkgApplication(this); }

  std::string PackagePath() const override { return path; }
  TKyPkgInfo* ReservedPackage(const TClassInfo& kind, bool isUser) const override {
    if (&kind != &TKyPkgStrings::StaticClass()) return nullptr;
    return isUser ? user : system;
  }

  std::string path;
  TTstContainer holder;
  TKyPkgStrings* system;
  TKyPkgStrings* user;
};

// A control: its caption reference tells it of changes, and it repaints
// once per change batch through its own change link.
class TTstCaptioned {
public:
  TTstCaptioned(const std::string& pkg, int32_t id) {
    caption.SetReference(pkg, id);
    caption.OnChange = [this](TKyMemoryReference*) {
      ++told;
      link.Change();
    };
    link.OnChanged = [this] { ++repaints; };
    told = 0;
  }
  TKyMemoryLabel caption;
  TKyChangeLink link;
  int told = 0;
  int repaints = 0;
};

struct TTstLabel {
  int32_t id;
  std::string caption, hint;
};
struct TTstItem {
  int32_t id;
  std::string text;
};

// A strings package written by hand at any version, for the readers.
inline std::vector<uint8_t> StringsBytes(uint16_t version, const std::string& description,
                                         const std::vector<TTstLabel>& labels, const std::vector<TTstItem>& messages,
                                         const std::vector<TTstItem>& texts, const std::vector<int32_t>& preserved,
                                         const std::string& classWord = "KyPkgStrings") {
  TMemoryStream m;
  {
    TKyWriter w(m);
    WritePkgHeader(w, classWord, version);
    w.WriteString(description);
    w.WriteInteger(static_cast<int32_t>(labels.size()));
    w.WriteInteger(static_cast<int32_t>(messages.size()));
    w.WriteInteger(static_cast<int32_t>(texts.size()));
    for (const auto& l : labels) {
      w.WriteInteger(l.id);
      w.WriteString(l.caption);
      w.WriteString(l.hint);
    }
    for (const auto& e : messages) {
      w.WriteInteger(e.id);
      w.WriteString(e.text);
    }
    for (const auto& e : texts) {
      w.WriteInteger(e.id);
      w.WriteString(e.text);
    }
    for (int32_t v : preserved) w.WriteInteger(v);
  }
  return m.Data();
}

// The text of what fn raises.
inline std::string Raised(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const Exception& e) {
    return e.what();
  }
  return "(nothing raised)";
}

inline void LoadBytes(TKyPkgInfo& pkg, const std::vector<uint8_t>& bytes) {
  TMemoryStream m(bytes);
  pkg.LoadFromStream(m);
}

}  // namespace ky_test
