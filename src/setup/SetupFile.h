// The setup file (".stp"): a 38-byte header, the product description, the
// file entries and the obsolete list. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/TypedStream.h"
#include "platform/base/Stream.h"
#include "setup/ProductInfo.h"

inline constexpr int kSetupHeaderSize = 38;
inline constexpr const char kSetupSignature[] = "\x01" "123456789" "\x01" "KySetup";

// Header and description: everything up to and including the picture.
struct TSetupProduct {
  TVersion Required;          // lowest installer version able to install the file
  std::string Name;
  int32_t Kind = 0;
  std::string Qualifier;
  TVersion Version;
  TVersion BaseVersion;       // for an update: the base version it applies to
  std::string Shortcuts;      // comma text of extensions without the dot
  bool Update = false;
  std::vector<uint8_t> Picture;  // empty: no picture

  std::string Identifier() const { return ProductIdentifier(Name, Kind, Qualifier); }
  std::string Text() const { return ProductText(Name, Qualifier, Kind, Update, Version); }
};

// One file entry: its unscrambled relative name and content length. The
// content follows in the file and is copied or skipped by the reader.
struct TSetupEntry {
  std::string Name;
  int32_t Size = 0;
};

// Reads one setup file, opened read-only with a 4096-byte buffer and closed
// when the reader goes. Refusals raise "Idioma" messages through the
// message service; damaged values raise the stream's read errors.
class TSetupFileReader {
public:
  explicit TSetupFileReader(const std::string& fileName);
  // Reads from a stream the caller owns; fileName only names it in messages.
  TSetupFileReader(TStream& stream, const std::string& fileName);
  ~TSetupFileReader();

  // Header checks (signature, required version) and fields up to the picture.
  // Without keepPicture the picture bytes are skipped. Without checkHeader
  // the signature and version are not tested again (the kind, lengths and
  // names always are).
  const TSetupProduct& ReadDescription(bool keepPicture = true, bool checkHeader = true);
  const TSetupProduct& Product() const { return product_; }

  // The file count; the position after it is kept for RewindFiles.
  int32_t ReadFileCount();
  void RewindFiles();
  // Name and length of the next entry; its content must then be copied or skipped.
  TSetupEntry ReadEntry();
  // chunkDone runs after every chunk of at most 64 KiB.
  void CopyContent(const TSetupEntry& entry, TStream& target, const std::function<void()>& chunkDone = {});
  void SkipContent(const TSetupEntry& entry);
  // The obsolete names; read after the last entry.
  std::vector<std::string> ReadObsolete();
  // Closes the file early; nothing can be read afterwards.
  void Close();

  const std::string& FileName() const { return fileName_; }

private:
  [[noreturn]] void Damaged(const std::string& what) const;
  int32_t ReadLength(const char* what);
  int32_t ReadCount(int64_t minBytesEach, const char* what);
  std::string ReadName();
  int64_t Remaining() const;

  std::string fileName_;
  std::unique_ptr<TFileStream> file_;
  std::unique_ptr<TKyReader> reader_;
  int64_t size_ = 0;
  int64_t filesPosition_ = -1;
  TSetupProduct product_;
};

// Writes a setup file in exactly the layout the reader expects.
class TSetupFileWriter {
public:
  explicit TSetupFileWriter(TStream& target);

  void WriteDescription(const TSetupProduct& product);
  void WriteFileCount(int32_t count);
  // Writes the entry's name (scrambled here) and size bytes of content.
  void WriteEntry(const std::string& name, TStream& content, int32_t size);
  void WriteObsolete(const std::vector<std::string>& names);
  // Pushes buffered bytes to the stream; raises when that fails.
  void Flush();

private:
  TKyWriter writer_;
};

// One plain file or key name: not empty, at most 255 characters, not "." or
// "..", none of \ / : * ? " < > | or control characters, no trailing dot or
// blank (the system would drop them), not a device name (CON, NUL, COM1, aux.txt).
bool IsPlainName(const std::string& part);
// A reserved device name, with or without an extension ("NUL", "com1.txt").
bool IsDeviceName(const std::string& part);

// True when a relative name stays inside its target folder: one or more
// parts separated by "\" or "/", each a plain name.
bool IsSafeRelativeName(const std::string& name);

// Why a product identifier cannot be used, or nothing when it can: its name
// and qualifier become a folder name and a registry key, so each must be a
// plain name; "KySetup" is the installer's own, and names ending in ".stp" or
// ".upd" are those of the stored setup files beside the product folders.
enum TIdentifierFault { idfNone, idfUnsafe, idfReserved };
TIdentifierFault CheckIdentifier(const std::string& name, int kind, const std::string& qualifier,
                                 std::string* offending = nullptr);

// The name under which the products root folder keeps a product's setup
// file: the identifier with ".stp" for a full product, ".upd" for an update.
std::string StoredSetupName(const std::string& identifier, bool update);
