// pkgtool: the package compiler for translators, skin authors and the build.
//
//   pkgtool compile SOURCE PACKAGE     readable source -> package file
//   pkgtool decompile PACKAGE SOURCE   package file -> readable source
//
// compile writes the current version of the source's kind; decompile
// recognises the kind from the header and reads every version the kind
// reads. Exit status 0 on success, 1 when a file is refused (the library's
// message on standard error), 2 for wrong usage.
#include <cstdio>
#include <memory>
#include <string>

#include "PkgSource.h"
#include "packages/PkgStrings.h"
#include "platform/base/SysUtils.h"

extern const char* const kSystemStringsSource;

namespace {

int Usage() {
  std::fputs(
      "usage: pkgtool compile SOURCE PACKAGE     compiles a readable package source\n"
      "       pkgtool decompile PACKAGE SOURCE   writes the readable source of a package file\n",
      stderr);
  return 2;
}

// The tool has no application configuration: this stands in for one so that
// refusals read as the library's own "System" messages.
class TToolApplication : public IKyPkgApplication {
public:
  TToolApplication() {
    try {
      CompileStrings(system_);
    } catch (const Exception&) {
      // Without them the refusals read "Message Unknown"; still usable.
    }
    RegisterPkgApplication(this);
  }
  ~TToolApplication() override { UnregisterPkgApplication(this); }

  std::string PackagePath() const override { return ""; }
  TKyPkgInfo* ReservedPackage(const TClassInfo& kind, bool user) const override {
    return (!user && &kind == &TKyPkgStrings::StaticClass()) ? system_.get() : nullptr;
  }

private:
  static void CompileStrings(std::unique_ptr<TKyPkgInfo>& pkg) {
    pkg = CompileSource(TPkgSource::Parse(kSystemStringsSource, "System.strings"));
  }
  std::unique_ptr<TKyPkgInfo> system_;
};

void Compile(const std::string& source, const std::string& package) {
  std::unique_ptr<TKyPkgInfo> pkg = CompileSource(TPkgSource::Load(source));
  pkg->SaveToFile(package);
}

void Decompile(const std::string& package, const std::string& source) {
  TKyPkgHeader header;
  {
    TFileStream file(package, fmOpenRead);
    TKyReader reader(file, 4096);
    header = ReadPkgHeader(reader);
  }
  const TPkgSourceKind* kind = FindKindByClassWord(header.ClassWord());
  // A damaged prefix: the kind whose word ends the signature refuses it with its own message.
  for (const TPkgSourceKind* k : PkgSourceKinds()) {
    if (kind) break;
    std::string word = k->ClassWord;
    if (header.Signature.size() >= word.size() &&
        SameText(header.Signature.substr(header.Signature.size() - word.size()), word))
      kind = k;
  }
  if (!kind) throw Exception(Format("File '%s' is not a package of a known kind.", {package}));
  std::unique_ptr<TKyPkgInfo> pkg = kind->Create();
  pkg->LoadFromFile(package);
  TSourceWriter out(source);
  kind->Decompile(*pkg, out);
  out.Save();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  std::string command = argv[1];
  if (command != "compile" && command != "decompile") return Usage();
  try {
    TToolApplication app;
    if (command == "compile") Compile(argv[2], argv[3]);
    else Decompile(argv[2], argv[3]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
