#include "setup/NameScramble.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr const char kKey[] = "918273645501";
constexpr const char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Row r moves bit k of a word to bit kPermutation[r][k]. Every setup file
// ever written depends on these values: never change them.
constexpr uint8_t kPermutation[8][16] = {
    {12, 15, 5, 1, 13, 11, 0, 8, 4, 6, 2, 10, 3, 14, 7, 9},
    {4, 5, 13, 6, 2, 11, 7, 3, 1, 10, 15, 0, 9, 12, 8, 14},
    {10, 8, 7, 1, 3, 2, 0, 14, 15, 11, 4, 13, 5, 6, 9, 12},
    {9, 8, 11, 10, 12, 6, 3, 0, 7, 2, 14, 1, 5, 13, 4, 15},
    {8, 15, 9, 3, 6, 12, 14, 10, 1, 4, 7, 13, 11, 2, 0, 5},
    {4, 10, 9, 13, 15, 14, 1, 12, 3, 0, 7, 11, 2, 8, 5, 6},
    {9, 5, 1, 8, 13, 2, 6, 15, 7, 4, 12, 0, 3, 11, 10, 14},
    {15, 6, 12, 9, 13, 3, 7, 1, 2, 14, 8, 11, 5, 0, 4, 10},
};

uint16_t Permute(uint16_t w, const uint8_t* row, bool inverse) {
  uint16_t out = 0;
  for (int k = 0; k < 16; ++k) {
    if (inverse) {
      if (w & (1u << row[k])) out |= static_cast<uint16_t>(1u << k);
    } else {
      if (w & (1u << k)) out |= static_cast<uint16_t>(1u << row[k]);
    }
  }
  return out;
}

void MixPair(std::string& s, size_t lo, size_t hi, const uint8_t* row, bool inverse) {
  uint16_t w = static_cast<uint16_t>(static_cast<uint8_t>(s[lo]) | (static_cast<uint8_t>(s[hi]) << 8));
  w = Permute(w, row, inverse);
  s[lo] = static_cast<char>(w & 0xFF);
  s[hi] = static_cast<char>(w >> 8);
}

void ApplyKeyChar(std::string& s, char c, bool inverse) {
  const char* at = std::strchr(kAlphabet, c);
  size_t n = s.size() / 2;
  if (c == '\0' || !at || n == 0) return;
  size_t p = static_cast<size_t>(at - kAlphabet);
  const uint8_t* row = kPermutation[p % 8];
  switch (p % 3) {
    case 0:
      for (size_t i = 0; i < n; ++i) MixPair(s, 2 * i, 2 * i + 1, row, inverse);
      break;
    case 1:
      for (size_t i = n - 1; i >= 1; --i) MixPair(s, 2 * i, 2 * i - 1, row, inverse);
      break;
    default:
      for (size_t i = 0; i < n; ++i) MixPair(s, i, 2 * n - 1 - i, row, inverse);
      break;
  }
}

}  // namespace

void ScrambleName(std::string& name) {
  for (size_t k = 0; k < sizeof kKey - 1; ++k) ApplyKeyChar(name, kKey[k], false);
}

void UnscrambleName(std::string& name) {
  for (size_t k = sizeof kKey - 1; k-- > 0;) ApplyKeyChar(name, kKey[k], true);
}
