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

TEST(FormDemo, BuildsItsComponentsFromItsResourcesAtStart) {
  std::string exe = ky_test::ToolFromEnv("KY_FORMDEMO");
  ky_test::ToolResult r = ky_test::RunTool(exe, "");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output,
            "FrDemo: TFrDemo 'KySetup form demo', loaded 1x\n"
            "  BtClose: TDemoButton 'Close' at 90,40, OnClick BtCloseClick, loaded 1x\n"
            "  BtHello: TDemoButton 'Hello#13#10world' at 10,40 default, OnClick BtHelloClick, loaded 1x\n"
            "  LsLanguages: TDemoList lstChecks, partner BtHello, loaded 1x\n"
            "    [x] English\n"
            "    [ ] Espa#241ol\n"
            "    [ ] Fran#231ais\n"
            "    | Five strings packages named Idioma\n"
            "    | one per language\n"
            "fields: BtClose=BtClose BtHello=BtHello LsLanguages=LsLanguages\n"
            "BtHelloClick from BtHello, title 'KySetup form demo'\n"
            "BtCloseClick from BtClose\n");

  // Written back, the loaded form is the whole form: the ancestor's part too.
  r = ky_test::RunTool(exe, "text");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output,
            "object FrDemo: TFrDemo\n"
            "  Title = 'KySetup form demo'\n"
            "  object BtClose: TDemoButton\n"
            "    Caption = 'Close'\n"
            "    Left = 90\n"
            "    Top = 40\n"
            "    OnClick = BtCloseClick\n"
            "  end\n"
            "  object BtHello: TDemoButton\n"
            "    Caption = 'Hello'#13#10'world'\n"
            "    Left = 10\n"
            "    Top = 40\n"
            "    Default = True\n"
            "    OnClick = BtHelloClick\n"
            "  end\n"
            "  object LsLanguages: TDemoList\n"
            "    Style = lstChecks\n"
            "    Entries = <\n"
            "      item\n"
            "        Text = 'English'\n"
            "        Checked = True\n"
            "      end\n"
            "      item\n"
            "        Text = 'Espa'#241'ol'\n"
            "      end\n"
            "      item\n"
            "        Text = 'Fran'#231'ais'\n"
            "      end>\n"
            "    Notes.Strings = (\n"
            "      'Five strings packages named Idioma'\n"
            "      'one per language')\n"
            "    Partner = BtHello\n"
            "  end\n"
            "end\n");
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
