// Product vocabulary: kinds, versions, identifiers and display texts. Portable.
#pragma once

#include <cstdint>
#include <string>

struct TVersion {
  int32_t Major = 0;
  int32_t Minor = 0;
  int32_t Release = 0;
  bool operator==(const TVersion&) const = default;
};

// The installer's own version.
inline constexpr TVersion kInstallerVersion{2, 5, 15};
inline constexpr const char* kInstallerName = "KySetup";

inline constexpr int kProductKindCount = 18;
inline constexpr int kKindHelpLib = 3;
inline constexpr int kKindData = 4;

inline bool IsValidKind(int kind) { return kind >= 0 && kind < kProductKindCount; }
// Library kinds 0, 1, 2, 8, 10..13.
bool IsLibraryKind(int kind);
// Help for a single environment: 5, 6, 7, 9, 14..17.
bool IsSingleHelpKind(int kind);
// The literal used in product identifiers ("D5Lib", "HelpLib", ...).
const char* KindTag(int kind);
// Index of the environment a kind needs (0..7 in D3, D4, D5, D6, C3, C4, C5,
// C6 order), or -1 for kinds 3 and 4.
int KindEnvironment(int kind);

// 1 when a > b, -1 when a < b, 0 when equal; major first, then minor, then release.
int CompareVersions(int32_t a1, int32_t a2, int32_t a3, int32_t b1, int32_t b2, int32_t b3);
inline int CompareVersions(const TVersion& a, const TVersion& b) {
  return CompareVersions(a.Major, a.Minor, a.Release, b.Major, b.Minor, b.Release);
}

// "KyControls_D5Lib", "KyControls_HelpLib_English", "Data product name" for kind 4.
std::string ProductIdentifier(const std::string& name, int kind, const std::string& qualifier);

// The display text of a product or update ("KyControls Delphi5 Library  Ver: 2.1.0").
std::string ProductText(const std::string& name, const std::string& qualifier, int kind, bool isUpdate,
                        int32_t major, int32_t minor, int32_t release);
inline std::string ProductText(const std::string& name, const std::string& qualifier, int kind, bool isUpdate,
                               const TVersion& v) {
  return ProductText(name, qualifier, kind, isUpdate, v.Major, v.Minor, v.Release);
}
