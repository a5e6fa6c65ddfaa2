#include <gtest/gtest.h>

#include "setup/ProductInfo.h"

TEST(ProductInfo, CompareVersionsDecidesOnTheFirstDifference) {
  EXPECT_EQ(CompareVersions(2, 5, 15, 2, 5, 15), 0);
  EXPECT_EQ(CompareVersions(2, 6, 0, 2, 5, 15), 1);
  EXPECT_EQ(CompareVersions(2, 5, 15, 3, 0, 0), -1);
  EXPECT_EQ(CompareVersions(2, 5, 16, 2, 5, 15), 1);
  EXPECT_EQ(CompareVersions(1, 99, 99, 2, 0, 0), -1);
}

TEST(ProductInfo, ProductTexts) {
  struct Case {
    std::string name, qualifier;
    int kind;
    bool update;
    TVersion v;
    std::string text;
  };
  const Case cases[] = {
      {"KySetup", "", 0, false, {2, 5, 15}, "KySetup Ver: 2.5.15"},
      {"KySetup", "", 0, true, {2, 5, 15}, "KySetup Ver: 2.5.15"},
      {"kysetup", "X", 3, true, {1, 0, 0}, "KySetup Ver: 1.0.0"},
      {"Tools", "", 4, false, {1, 2, 3}, "Tools  Ver: 1.2.3"},
      {"KyControls", "", 2, false, {2, 1, 0}, "KyControls Delphi5 Library  Ver: 2.1.0"},
      {"KyControls", "English", 3, false, {2, 1, 0}, "KyControls Help Library English Ver: 2.1.0"},
      {"KyControls", "Pro", 17, true, {2, 1, 4}, "KyControls C++Builder6 Library Help Pro Ver: 2.1.4 Update"},
      {"KyControls", "", 8, false, {6, 0, 0}, "KyControls Delphi6 Library  Ver: 6.0.0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProductText(c.name, c.qualifier, c.kind, c.update, c.v), c.text);
  }
}

TEST(ProductInfo, IdentifiersAndKindTable) {
  EXPECT_EQ(ProductIdentifier("KyControls", 2, ""), "KyControls_D5Lib");
  EXPECT_EQ(ProductIdentifier("KyControls", 3, "English"), "KyControls_HelpLib_English");
  EXPECT_EQ(ProductIdentifier("Samples", 4, ""), "Samples");
  EXPECT_EQ(ProductIdentifier("Samples", 4, "Pro"), "Samples_Pro");
  EXPECT_EQ(ProductIdentifier("Ky", 16, ""), "Ky_C5Help");

  int libraries = 0, helps = 0;
  for (int k = 0; k < kProductKindCount; ++k) {
    libraries += IsLibraryKind(k);
    helps += IsSingleHelpKind(k);
    // Every library and single help kind needs an environment; 3 and 4 none.
    EXPECT_EQ(KindEnvironment(k) >= 0, IsLibraryKind(k) || IsSingleHelpKind(k)) << k;
  }
  EXPECT_EQ(libraries, 8);
  EXPECT_EQ(helps, 8);
  EXPECT_EQ(KindEnvironment(13), 7);
  EXPECT_EQ(KindEnvironment(9), 3);
  EXPECT_EQ(KindEnvironment(18), -1);
}
