#include <gtest/gtest.h>

#include <random>

#include "setup/NameScramble.h"

TEST(NameScramble, UnscrambleInvertsScrambleForEveryLength) {
  std::mt19937 rng(7);
  for (size_t len = 0; len <= 40; ++len) {
    for (int round = 0; round < 20; ++round) {
      std::string name(len, '\0');
      for (char& c : name) c = static_cast<char>(rng());
      std::string s = name;
      ScrambleName(s);
      ASSERT_EQ(s.size(), len);
      UnscrambleName(s);
      ASSERT_EQ(s, name) << "length " << len;
    }
  }
}

TEST(NameScramble, ScramblesPairsButNeverTheLastOddByte) {
  for (std::string name : {"Lib\\KyPanel.dcu", "KyControls.hlp", "ab", "abc"}) {
    std::string s = name;
    ScrambleName(s);
    EXPECT_NE(s.substr(0, s.size() / 2 * 2), name.substr(0, name.size() / 2 * 2)) << name;
    if (name.size() % 2) {
      EXPECT_EQ(s.back(), name.back()) << name;
    }
  }
  std::string one = "x";
  ScrambleName(one);
  EXPECT_EQ(one, "x");
  UnscrambleName(one);
  EXPECT_EQ(one, "x");
}
