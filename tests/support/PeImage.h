// A reader of the parts of a Windows program file (PE32 or PE32+) that tests
// compare between builds: the machine type, the subsystem, the imported
// libraries and every resource with its bytes. Portable: it reads the file,
// it never loads it, so a 32-bit program is read by a 64-bit test and back.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace ky_test {

class PeImage {
public:
  enum : uint16_t { kMachineI386 = 0x14c, kMachineAmd64 = 0x8664 };
  enum : uint16_t { kSubsystemGui = 2, kSubsystemConsole = 3 };

  // Type, name and language of a resource; names that are numbers are
  // written "#N", named ones as their text (ASCII names only).
  using ResourceKey = std::tuple<std::string, std::string, uint16_t>;

  explicit PeImage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    data_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    Parse(path);
  }

  uint16_t Machine() const { return machine_; }
  uint16_t Subsystem() const { return subsystem_; }
  // The libraries of the import table, lower-cased, in table order.
  const std::vector<std::string>& Imports() const { return imports_; }
  const std::map<ResourceKey, std::string>& Resources() const { return resources_; }

private:
  std::string data_;
  uint16_t machine_ = 0, subsystem_ = 0;
  struct Section {
    uint32_t rva, size, raw, rawSize;
  };
  std::vector<Section> sections_;
  std::vector<std::string> imports_;
  std::map<ResourceKey, std::string> resources_;

  template <class T>
  T At(size_t offset) const {
    if (offset + sizeof(T) > data_.size()) throw std::runtime_error("read past the end of the program file");
    T v = 0;
    for (size_t i = 0; i < sizeof(T); ++i) v |= static_cast<T>(static_cast<uint8_t>(data_[offset + i])) << (8 * i);
    return v;
  }

  size_t Offset(uint32_t rva) const {
    for (const Section& s : sections_)
      if (rva >= s.rva && rva < s.rva + std::max(s.size, s.rawSize)) return s.raw + (rva - s.rva);
    throw std::runtime_error("an address outside every section");
  }

  std::string Text(size_t offset) const {
    size_t end = data_.find('\0', offset);
    if (end == std::string::npos) throw std::runtime_error("an unterminated name");
    return data_.substr(offset, end - offset);
  }

  void Parse(const std::string& path) {
    if (data_.size() < 0x40 || data_.compare(0, 2, "MZ") != 0) throw std::runtime_error(path + " is no program");
    size_t pe = At<uint32_t>(0x3c);
    if (data_.compare(pe, 4, std::string("PE\0\0", 4)) != 0) throw std::runtime_error(path + " has no PE header");
    size_t coff = pe + 4;
    machine_ = At<uint16_t>(coff);
    uint16_t sectionCount = At<uint16_t>(coff + 2);
    uint16_t optionalSize = At<uint16_t>(coff + 16);
    size_t opt = coff + 20;
    uint16_t magic = At<uint16_t>(opt);
    if (magic != 0x10b && magic != 0x20b) throw std::runtime_error(path + ": unknown optional header");
    subsystem_ = At<uint16_t>(opt + 68);
    size_t dirs = opt + (magic == 0x10b ? 96 : 112);
    size_t table = opt + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
      size_t s = table + 40u * i;
      sections_.push_back({At<uint32_t>(s + 12), At<uint32_t>(s + 8), At<uint32_t>(s + 20), At<uint32_t>(s + 16)});
    }
    if (uint32_t rva = At<uint32_t>(dirs + 8)) ReadImports(Offset(rva));
    if (uint32_t rva = At<uint32_t>(dirs + 16)) ReadResources(Offset(rva), Offset(rva), 0, {});
  }

  void ReadImports(size_t at) {
    for (;; at += 20) {
      uint32_t name = At<uint32_t>(at + 12);
      if (name == 0) break;
      std::string lib = Text(Offset(name));
      for (char& c : lib) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      imports_.push_back(lib);
    }
  }

  std::string EntryName(size_t root, uint32_t name) const {
    if (!(name & 0x80000000u)) return "#" + std::to_string(name);
    size_t at = root + (name & 0x7fffffffu);
    uint16_t length = At<uint16_t>(at);
    std::string text;
    for (uint16_t i = 0; i < length; ++i) text += static_cast<char>(At<uint16_t>(at + 2 + 2u * i) & 0xff);
    return text;
  }

  // Three levels: type, name, language.
  void ReadResources(size_t root, size_t dir, int level, std::vector<std::string> path) {
    if (level > 2) throw std::runtime_error("resource tree deeper than three levels");
    size_t count = size_t{At<uint16_t>(dir + 12)} + At<uint16_t>(dir + 14);
    for (size_t i = 0; i < count; ++i) {
      size_t entry = dir + 16 + 8 * i;
      uint32_t name = At<uint32_t>(entry), target = At<uint32_t>(entry + 4);
      std::vector<std::string> here = path;
      here.push_back(EntryName(root, name));
      if (target & 0x80000000u) {
        ReadResources(root, root + (target & 0x7fffffffu), level + 1, here);
        continue;
      }
      if (level != 2) throw std::runtime_error("a resource outside the language level");
      size_t leaf = root + target;
      size_t bytes = Offset(At<uint32_t>(leaf));
      uint32_t size = At<uint32_t>(leaf + 4);
      if (bytes + size > data_.size()) throw std::runtime_error("a resource past the end of the file");
      resources_[{here[0], here[1], static_cast<uint16_t>(name)}] = data_.substr(bytes, size);
    }
  }
};

}  // namespace ky_test
