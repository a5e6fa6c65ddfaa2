// Forms linked into this test program by the build (forms/*.kfm), read from
// its resources, and the demo program that builds itself from its own.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <memory>

#include "FormTestClasses.h"
#include "platform/classes/FormResource.h"
#include "platform/classes/TextForm.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

namespace {

class FormResourceTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterTestClasses();
    TstLog.clear();
  }
};

std::vector<uint8_t> SourceFormBinary(const std::string& name) {
  const char* dir = std::getenv("KY_SOURCE_DIR");
  if (!dir) throw std::runtime_error("KY_SOURCE_DIR is not set");
  TMemoryStream text;
  text.LoadFromFile(ky_test::WindowsPath(std::string(dir) + "/tests/platform/forms/" + name + ".kfm"));
  return FormTextToBinary(std::string(text.Data().begin(), text.Data().end()));
}

TEST_F(FormResourceTest, ResourcesHoldTheConvertedFormTexts) {
  for (const char* name : {"TTstForm", "TTstForm2"}) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(FindFormResource(name, bytes)) << name;
    EXPECT_EQ(bytes, SourceFormBinary(name)) << name;
  }
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(FindFormResource("ttstform", bytes));  // resource names ignore case
  EXPECT_FALSE(FindFormResource("TTstWidget", bytes));
}

TEST_F(FormResourceTest, FormIsBuiltFromItsOwnAndItsAncestorsResources) {
  std::unique_ptr<TTstForm2> form(CreateFormFromResource<TTstForm2>(nullptr, TComponent::StaticClass()));
  EXPECT_EQ(form->Name(), "FmDerived");
  EXPECT_EQ(form->Title(), "From the resource");
  EXPECT_EQ(form->Level(), 3);
  ASSERT_EQ(form->ComponentCount(), 3);
  auto* second = form->Find<TTstWidget>("WdSecond");
  ASSERT_NE(form->WdFirst, nullptr);
  ASSERT_NE(form->WdExtra, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(form->WdFirst->Shape(), tshEllipse);
  EXPECT_EQ(form->WdFirst->Items()->ItemAs<TTstItem>(0)->Value(), "one");
  EXPECT_EQ(form->WdFirst->Buddy(), second);
  EXPECT_EQ(form->WdExtra->Buddy(), form->WdFirst);
  EXPECT_EQ(second->Caption(), "Second, derived");
  form->WdFirst->OnClick(form->WdFirst);
  second->OnClick(second);
  EXPECT_EQ(form->Calls, (std::vector<std::string>{"BtOkClick:WdFirst", "ExtraClick"}));
  // One loading pass over both resources: Loaded once each, at the end.
  EXPECT_EQ(TstLog, (std::vector<std::string>{"Loaded:FmDerived", "Loaded:WdFirst", "Loaded:WdSecond", "Loaded:WdExtra"}));
}

TEST_F(FormResourceTest, ReadingStopsAtTheGivenAncestorClass) {
  TTstForm2 form(nullptr);
  // Only the class's own resource: its ancestor's components are missing.
  EXPECT_THROW(InitInheritedComponent(&form, TTstForm::StaticClass()), EReadError);
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_FALSE(form.IsLoading());

  TTstForm base(nullptr);
  ASSERT_TRUE(InitInheritedComponent(&base, TComponent::StaticClass()));
  EXPECT_EQ(base.Name(), "FmBase");
  EXPECT_EQ(base.ComponentCount(), 2);
}

TEST_F(FormResourceTest, AClassWithoutAFormResourceIsReported) {
  TTstWidget w(nullptr);
  EXPECT_FALSE(InitInheritedComponent(&w, TComponent::StaticClass()));
  try {
    delete CreateFormFromResource<TTstWidget>(nullptr, TComponent::StaticClass());
    ADD_FAILURE() << "no error";
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Resource TTstWidget not found");
  }
}

TEST(FormDemo, BuildsItsWindowsFromItsResourcesAtStart) {
  std::string exe = ky_test::ToolFromEnv("KY_FORMDEMO");
  ky_test::ToolResult r = ky_test::RunTool(exe, "list");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output,
            "FrDemo: TFrDemo 'KySetup form demo', client 360x244\n"
            "  BnTitle: TDemoBanner at 0,0 360x40 window\n"
            "  BtClose: TButton at 270,208 80x26 window\n"
            "  LbLanguages: TListBox at 10,52 120x96 window\n"
            "  EdName: TEdit at 140,52 210x22 window\n"
            "  MmNotes: TMemo at 140,82 210x66 window\n"
            "  SwRed: TDemoSwatch at 10,160 60x36\n"
            "  SwGreen: TDemoSwatch at 76,160 60x36\n"
            "  SwBlue: TDemoSwatch at 142,160 60x36\n"
            "  BtHello: TButton at 180,208 80x26 window\n"
            "  LsLanguages: TDemoList lstChecks, partner BtHello\n"
            "    * English\n"
            "    - Espa#241ol\n"
            "    - Fran#231ais\n"
            "tab order: LbLanguages EdName MmNotes BtHello BnTitle BtClose\n"
            "BtHelloClick from BtHello: Hello, Tessaro\n"
            "BtCloseClick from BtClose\n");

  // Written back, the loaded form is the whole form: the ancestor's part,
  // the controls in their places, then the component without a window.
  r = ky_test::RunTool(exe, "text");
  EXPECT_EQ(r.exitCode, 0);
  std::vector<std::string> inOrder = {"object FrDemo: TFrDemo\n",
                                      "  ClientWidth = 360\n",
                                      "  ClientHeight = 244\n",
                                      "  object BnTitle: TDemoBanner\n",
                                      "  object BtClose: TButton\n",
                                      "    OnClick = BtCloseClick\n",
                                      "  object MmNotes: TMemo\n",
                                      "      'Five strings packages named Idioma'\n",
                                      "  object BtHello: TButton\n",
                                      "    Caption = '&Hello'\n",
                                      "  object LsLanguages: TDemoList\n",
                                      "        Text = 'Espa'#241'ol'\n",
                                      "    Partner = BtHello\n"};
  size_t at = 0;
  for (const std::string& line : inOrder) {
    size_t found = r.output.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << "in\n" << r.output;
    at = found + line.size();
  }
  // A form stores its client size, not the frame around it.
  EXPECT_EQ(r.output.find("\n  Width = "), std::string::npos);
}

// The build's form compiler: converts both ways, refuses faulty input
// without leaving an output file behind.
TEST(FormTool, ConvertsBothWaysAndRefusesFaultyForms) {
  std::string tool = ky_test::ToolFromEnv("KY_FORMTOOL");
  ky_test::TempDir dir;
  const std::string text = "object Fm: TFm\n  Caption = 'a'#13#10'b'\n  Items = <\n    item\n    end>\nend\n";
  dir.WriteFile("Fm.kfm", text);
  ky_test::ToolResult r = ky_test::RunTool(tool, "binary \"" + (dir / "Fm.kfm") + "\" \"" + (dir / "Fm.bin") + "\"");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::string bin = dir.ReadFile("Fm.bin");
  EXPECT_EQ(std::vector<uint8_t>(bin.begin(), bin.end()), FormTextToBinary(text));
  r = ky_test::RunTool(tool, "text \"" + (dir / "Fm.bin") + "\" \"" + (dir / "Back.kfm") + "\"");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(dir.ReadFile("Back.kfm"), text);

  const std::string bad = "object Fm: TFm\n  Caption 'a'\nend\n";
  dir.WriteFile("Bad.kfm", bad);
  r = ky_test::RunTool(tool, "binary \"" + (dir / "Bad.kfm") + "\" \"" + (dir / "Bad.bin") + "\"");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.output, "formtool: " + (dir / "Bad.kfm") + ": Line 2: '=' expected\n");
  EXPECT_EQ(GetFileAttributesA((dir / "Bad.bin").c_str()), INVALID_FILE_ATTRIBUTES);

  r = ky_test::RunTool(tool, "text \"" + (dir / "Fm.kfm") + "\" \"" + (dir / "Bad.bin") + "\"");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.output, "formtool: " + (dir / "Fm.kfm") + ": Invalid stream format\n");

  r = ky_test::RunTool(tool, "compile x");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.output.rfind("usage: formtool", 0), 0u) << r.output;
}

}  // namespace
#endif
