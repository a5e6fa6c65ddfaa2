// The binary form stream: a component tree as typed values.
//
//   "TPF0"
//   component := [flags] class-name name property* 0 component* 0
//   property  := name value
//
// flags is one byte 0xF0 | (ffInherited, ffChildPos, ffInline bits), followed
// by an integer position when ffChildPos is set; names are short strings
// without a tag (a zero length ends a list); values are typed values.
// Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/base/Stream.h"
#include "platform/base/TypedStream.h"

enum TFilerFlag : uint8_t { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;

// The signature at the start of every form stream.
inline constexpr char kFormSignature[4] = {'T', 'P', 'F', '0'};

// What DefineProperties sees: a reader or a writer.
class TFiler {
public:
  using TReadProc = std::function<void(TReader&)>;
  using TWriteProc = std::function<void(TWriter&)>;
  using TStreamProc = std::function<void(TStream&)>;

  virtual ~TFiler() = default;

  // A value the object reads and writes itself; hasData says whether the
  // writer stores it.
  virtual void DefineProperty(const std::string& name, const TReadProc& readData, const TWriteProc& writeData,
                              bool hasData) = 0;
  // A binary value: the handlers read from and write to a stream of their own.
  virtual void DefineBinaryProperty(const std::string& name, const TStreamProc& readData,
                                    const TStreamProc& writeData, bool hasData) = 0;

  // While writing a descendant form: the object of the ancestor form that
  // corresponds to the object being written, or nullptr.
  TPersistent* Ancestor() const { return ancestor_; }
  // The root component of the form being read or written.
  TComponent* Root() const { return root_; }

protected:
  TPersistent* ancestor_ = nullptr;
  TComponent* root_ = nullptr;
};

// One pass of reading forms: may span several streams read into the same
// root (a form and its ancestors). Finish resolves the references by name,
// ends the reading state and calls Loaded once on every component read, the
// root first. Destroyed unfinished (after an error), it frees the components
// the pass created and clears the others' loading state.
class TFormLoading {
public:
  TFormLoading() = default;
  ~TFormLoading();
  TFormLoading(const TFormLoading&) = delete;
  TFormLoading& operator=(const TFormLoading&) = delete;

  void Finish();
  // Components in the order they were first read.
  const std::vector<TComponent*>& Components() const { return loaded_; }

private:
  friend class TReader;
  struct TFixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    std::string Name;
    TComponent* Root;
  };
  void Add(TComponent* component, bool created);
  void Abort();

  std::vector<TComponent*> loaded_;
  std::vector<TComponent*> created_;
  std::vector<TFixup> fixups_;
  bool done_ = false;
};

// Called after every finished loading pass, once each component read has
// had its Loaded, with the root read first: libraries whose components
// wait for the whole form before they finish their own loading.
using TFormLoadedHook = std::function<void(TComponent* root)>;
void SetFormLoadedHook(TFormLoadedHook hook);

class TReader : public TFiler {
public:
  explicit TReader(TStream& stream, int32_t bufferSize = 4096);

  // Reads a whole form into root, or into a new instance of the stream's
  // class when root is nullptr, and finishes loading. Returns the root.
  TComponent* ReadRootComponent(TComponent* root);
  // The same as part of a longer loading pass that the caller finishes.
  TComponent* ReadRootComponent(TComponent* root, TFormLoading& loading);

  // A property that no class publishes or defines: return true to skip its
  // value, false (or no handler) to fail with the message.
  std::function<bool(TReader&, const std::string& message)> OnError;

  void DefineProperty(const std::string& name, const TReadProc& readData, const TWriteProc& writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const std::string& name, const TStreamProc& readData, const TStreamProc& writeData,
                            bool hasData) override;

  // Values, for DefineProperties handlers.
  TValueType NextValue() { return in_.NextValue(); }
  TValueType ReadValue() { return in_.ReadValue(); }
  int32_t ReadInteger() { return in_.ReadInteger(); }
  std::string ReadString() { return in_.ReadString(); }
  bool ReadBoolean() { return in_.ReadBoolean(); }
  double ReadFloat() { return in_.ReadFloat().ToDouble(); }
  TExtended ReadExtended() { return in_.ReadFloat(); }
  std::string ReadIdent() { return in_.ReadIdent(); }
  std::vector<std::string> ReadSet() { return in_.ReadSet(); }
  std::vector<uint8_t> ReadBinary() { return in_.ReadBinary(); }
  void ReadListBegin() { in_.ReadListBegin(); }
  void ReadListEnd() { in_.ReadListEnd(); }
  bool EndOfList() { return in_.EndOfList(); }
  // Any one value; the items of a collection hold properties (name, value).
  void SkipValue();
  // A component's part of the stream: its properties, then the components
  // inside it (TComponent::ReadState).
  void ReadData(TComponent* instance);
  TKyReader& Values() { return in_; }

private:
  std::string ReadStr();
  void ReadHeader(TFilerFlags& flags, int32_t& position, std::string& className, std::string& name);
  void ReadComponent(TComponent* parent);
  void ReadProperties(TPersistent* instance);
  void ReadProperty(TPersistent* instance);
  void ReadPropValue(TPersistent* instance, const TPropInfo& prop);
  void ReadCollection(TPersistent* collection);
  void PropertyError(const std::string& message);

  TKyReader in_;
  TFormLoading* loading_ = nullptr;
  std::string wanted_;  // a defined property being looked for
  bool found_ = false;
  int depth_ = 0;
};

class TWriter : public TFiler {
public:
  explicit TWriter(TStream& stream, int32_t bufferSize = 4096);

  void WriteRootComponent(TComponent* root);
  // Writes root as a descendant of ancestor: only what differs from the
  // ancestor's components of the same names, which are marked inherited.
  void WriteDescendent(TComponent* root, TComponent* ancestor);
  void FlushBuffer() { out_.FlushBuffer(); }

  void DefineProperty(const std::string& name, const TReadProc& readData, const TWriteProc& writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const std::string& name, const TStreamProc& readData, const TStreamProc& writeData,
                            bool hasData) override;

  // Values, for DefineProperties handlers.
  void WriteValue(TValueType value) { out_.WriteValue(value); }
  void WriteInteger(int32_t value) { out_.WriteInteger(value); }
  void WriteString(const std::string& value) { out_.WriteString(value); }
  void WriteBoolean(bool value) { out_.WriteBoolean(value); }
  void WriteFloat(double value) { out_.WriteFloat(TExtended::FromDouble(value)); }
  void WriteExtended(const TExtended& value) { out_.WriteFloat(value); }
  void WriteIdent(const std::string& value) { out_.WriteIdent(value); }
  void WriteSet(const std::vector<std::string>& names) { out_.WriteSet(names); }
  void WriteBinary(const void* data, int32_t size) { out_.WriteBinary(data, size); }
  void WriteListBegin() { out_.WriteListBegin(); }
  void WriteListEnd() { out_.WriteListEnd(); }
  TKyWriter& Values() { return out_; }

private:
  void WriteStr(const std::string& s);
  void WriteComponent(TComponent* component, TComponent* ancestor, int32_t position = -1);
  void WriteProperties(TPersistent* instance, TPersistent* ancestor);
  void WriteProperty(TPersistent* instance, TPersistent* ancestor, const TPropInfo& prop);
  void WriteCollection(TPersistent* collection);
  bool SameCollection(TPersistent* a, TPersistent* b);
  std::string ReferenceName(TPersistent* component) const;

  TKyWriter out_;
  TComponent* ancestorRoot_ = nullptr;
  std::string prefix_;  // "Font." while writing a nested object
};

// Whole streams in one call.
void WriteComponentStream(TStream& stream, TComponent* root, TComponent* ancestor = nullptr);
std::vector<uint8_t> WriteComponentBytes(TComponent* root, TComponent* ancestor = nullptr);
TComponent* ReadComponentStream(TStream& stream, TComponent* root);
TComponent* ReadComponentBytes(const std::vector<uint8_t>& bytes, TComponent* root);

// Where references to components of other roots ("FrMain.BtOk") are looked
// up by the root's name; without a finder they stay unresolved (an error).
using TFindGlobalComponent = std::function<TComponent*(const std::string& name)>;
void SetFindGlobalComponent(TFindGlobalComponent finder);
