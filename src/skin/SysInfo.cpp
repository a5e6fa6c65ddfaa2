#include "skin/SysInfo.h"

#include "skin/DataTypes.h"
#include "packages/CApplication.h"
#include "packages/PkgStrings.h"
#include "platform/os/ProgramInfo.h"

namespace {

constexpr int kVkNumLock = 0x90;
constexpr int kVkCapital = 0x14;
constexpr int kVkScroll = 0x91;

// A "System" label's caption; "" when there is none.
std::string SystemLabel(int32_t id) {
  if (TKyPkgStrings* system = FindStringsPackage("System"))
    if (TKyPkgStringsLabel* label = system->FindLabel(id)) return label->Caption();
  return "";
}

Variant ToggleValue(int key, int32_t labelId, const char* ownName) {
  if (CodeInLibraryModule()) return Variant(ownName);
  return Variant(KeyToggled(key) ? SystemLabel(labelId) : std::string());
}

}  // namespace

const char* VersionFieldName(TKyTypeInfo kind) {
  switch (kind) {
    case timCompanyName: return "CompanyName";
    case timFileDescription: return "FileDescription";
    case timFileVersion: return "FileVersion";
    case timInternalName: return "InternalName";
    case timLegalCopyright: return "LegalCopyright";
    case timOriginalFileName: return "OriginalFilename";
    case timProductName: return "ProductName";
    case timProductVersion: return "ProductVersion";
    case timComments: return "Comments";
    default: return "";
  }
}

Variant FileValue(TKyTypeInfo kind, const std::string& fileName) {
  switch (kind) {
    case timFileDateTime:
    case timFileSize: {
      TFileStamp stamp;
      if (!GetFileStamp(fileName, stamp)) return Variant::Null();
      if (kind == timFileSize) {
        // Larger files than an integer holds are shown as a double.
        if (stamp.Size <= INT32_MAX) return Variant(static_cast<int32_t>(stamp.Size));
        return Variant(static_cast<double>(stamp.Size));
      }
      TDateTime date;
      if (!TryEncodeDate(stamp.Year, stamp.Month, stamp.Day, date)) return Variant::Null();
      return Variant(CombineDateTime(date, EncodeTime(stamp.Hour, stamp.Minute, stamp.Second)));
    }
    default: {
      const char* field = VersionFieldName(kind);
      if (!*field) return Variant::Null();
      return Variant(FileVersionField(fileName, field).value_or(""));
    }
  }
}

Variant SystemValue(TKyTypeInfo kind) {
  switch (kind) {
    case timDefault:
      return Variant::Null();
    case timNumLock:
      return ToggleValue(kVkNumLock, 73, "NumLock");
    case timCapsLock:
      return ToggleValue(kVkCapital, 74, "CapsLock");
    case timScrollLock:
      return ToggleValue(kVkScroll, 77, "ScrollLock");
    case timInsertMode:
      return Variant(SystemLabel(ApplicationInsertMode() ? 75 : 76));
    case timDateTime:
      return Variant(Now());
    case timFileDateTime:
      if (CodeInLibraryModule()) return Variant::Null();
      return FileValue(kind, ProgramFileName());
    case timFileSize:
      return FileValue(kind, ProgramFileName());
    default:
      if (CodeInLibraryModule()) return Variant(VersionFieldName(kind));
      return FileValue(kind, ProgramFileName());
  }
}
