// formtool: the form compiler of the build.
//
//   formtool binary FORM.kfm OUT.bin [DATADIR]   form text -> binary form stream
//   formtool text FORM.bin OUT.kfm               binary form stream -> form text
//
// A binary value written "{@NAME}" in a form text takes the bytes of file
// NAME in DATADIR: forms embed packages that the build compiles, and the
// text in the repository stays readable.
//
// Exit status 0 on success, 1 when the input is refused (the message goes to
// standard error, with the file name), 2 for wrong usage.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/Exception.h"
#include "platform/base/Stream.h"
#include "platform/classes/TextForm.h"

namespace {

int Usage() {
  std::fputs(
      "usage: formtool binary FORM.kfm OUT.bin [DATADIR]   converts a form text into its binary stream;\n"
      "                                                   {@NAME} takes the bytes of DATADIR/NAME\n"
      "       formtool text FORM.bin OUT.kfm               converts a binary form stream into its text\n",
      stderr);
  return 2;
}

// Replaces every "{@NAME}" outside quoted strings by the file's bytes in
// hex, 32 bytes a line as the form writer lays them out.
std::string IncludeData(const std::string& text, const std::string& dataDir) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\'') quoted = !quoted;
    if (quoted || c != '{' || i + 1 >= text.size() || text[i + 1] != '@') {
      out += c;
      continue;
    }
    size_t end = text.find('}', i);
    if (end == std::string::npos) throw Exception("unterminated {@...}");
    std::string name = text.substr(i + 2, end - i - 2);
    if (name.empty() || name.find_first_of("/\\:") != std::string::npos || name.find("..") != std::string::npos)
      throw Exception("{@" + name + "}: a bare file name is expected");
    if (dataDir.empty()) throw Exception("{@" + name + "} needs a data folder");
    TMemoryStream data;
    data.LoadFromFile(dataDir + "/" + name);
    const std::vector<uint8_t>& bytes = data.Data();
    static const char kHex[] = "0123456789ABCDEF";
    out += "{";
    for (size_t k = 0; k < bytes.size(); ++k) {
      if (k % 32 == 0) out += "\n  ";
      out += kHex[bytes[k] >> 4];
      out += kHex[bytes[k] & 15];
    }
    out += "}";
    i = end;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) return Usage();
  std::string mode = argv[1], input = argv[2], output = argv[3];
  if (mode != "binary" && mode != "text") return Usage();
  if (argc == 5 && mode != "binary") return Usage();
  std::string dataDir = argc == 5 ? argv[4] : "";
  try {
    TMemoryStream in;
    in.LoadFromFile(input);
    TMemoryStream out;
    try {
      if (mode == "binary") {
        std::string text(in.Data().begin(), in.Data().end());
        if (text.find("{@") != std::string::npos) {
          std::string expanded = IncludeData(text, dataDir);
          in.Data().assign(expanded.begin(), expanded.end());
          in.SetPosition(0);
        }
        ObjectTextToBinary(in, out);
      }
      else ObjectBinaryToText(in, out);
    } catch (const Exception& e) {
      throw Exception(input + ": " + e.what());
    }
    // Written only once the whole conversion succeeded.
    out.SaveToFile(output);
  } catch (const Exception& e) {
    std::fprintf(stderr, "formtool: %s\n", e.what());
    return 1;
  }
  return 0;
}
