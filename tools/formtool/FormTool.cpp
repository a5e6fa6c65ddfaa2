// formtool: the form compiler of the build.
//
//   formtool binary FORM.kfm OUT.bin   form text -> binary form stream
//   formtool text FORM.bin OUT.kfm     binary form stream -> form text
//
// Exit status 0 on success, 1 when the input is refused (the message goes to
// standard error, with the file name), 2 for wrong usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/base/Exception.h"
#include "platform/base/Stream.h"
#include "platform/classes/TextForm.h"

namespace {

int Usage() {
  std::fputs(
      "usage: formtool binary FORM.kfm OUT.bin   converts a form text into its binary stream\n"
      "       formtool text FORM.bin OUT.kfm     converts a binary form stream into its text\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  std::string mode = argv[1], input = argv[2], output = argv[3];
  if (mode != "binary" && mode != "text") return Usage();
  try {
    TMemoryStream in;
    in.LoadFromFile(input);
    TMemoryStream out;
    try {
      if (mode == "binary") ObjectTextToBinary(in, out);
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
