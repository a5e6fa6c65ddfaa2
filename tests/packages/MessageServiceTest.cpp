#include <gtest/gtest.h>

#include "PkgTestSupport.h"
#include "packages/MessageService.h"
#include "platform/base/Exception.h"

using ky_test::Raised;

namespace {

// Installs a lookup for the test and restores the previous one afterwards.
class MessageServiceTest : public ::testing::Test {
protected:
  void SetUp() override {
    previous_ = SetMessageLookup([](const std::string& package, int id) -> std::optional<std::string> {
      if (package == "Idioma" && id == 12) return "The file '%s' doesn't have the setup format.";
      if (package == "Idioma" && id == 5) return "Really?";
      return std::nullopt;
    });
  }
  void TearDown() override { SetMessageLookup(previous_); }
  TMessageLookup previous_;
};

}  // namespace

TEST_F(MessageServiceTest, CompletionAndPrefix) {
  EXPECT_EQ(Raised([] { RaiseError("EdGroup", "Empty"); }), "(EdGroup) Empty.");
  EXPECT_EQ(Raised([] { RaiseError("", "Done."); }), "Done.");
  EXPECT_EQ(Raised([] { RaiseError("", "Sure?"); }), "Sure?");
  EXPECT_EQ(Raised([] { RaiseErrorFmt("Ed", "%d of %s", {int64_t{3}, std::string("x")}); }), "(Ed) 3 of x.");
}

TEST_F(MessageServiceTest, MessagesComeFromTheLookupOrReadUnknown) {
  EXPECT_EQ(Raised([] { RaiseMessageFmt("", "Idioma", 12, {std::string("C:\\a.stp")}); }),
            "The file 'C:\\a.stp' doesn't have the setup format.");
  EXPECT_EQ(Raised([] { RaiseMessage("", "Idioma", 5); }), "Really?");
  EXPECT_EQ(Raised([] { RaiseMessage("", "X", 7); }), "Message Unknown (X) (7).");
  EXPECT_EQ(Raised([] { RaiseMessageFmt("", "Idioma", 99, {int64_t{1}}); }), "Message Unknown (Idioma) (99).");
  // The unknown text is not a format: a name with "%" stays as it is.
  EXPECT_EQ(Raised([] { RaiseMessageFmt("", "50%", 3, {std::string("x")}); }), "Message Unknown (50%) (3).");
}

TEST_F(MessageServiceTest, FormatRefusesMissingOrMismatchedArguments) {
  EXPECT_NE(Raised([] { RaiseErrorFmt("", "%d and %d", {int64_t{1}}); }).find("Format"), std::string::npos);
  EXPECT_NE(Raised([] { RaiseErrorFmt("", "%d", {std::string("x")}); }).find("Format"), std::string::npos);
}
