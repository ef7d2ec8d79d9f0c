#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "common/Globals.h"
#include "common/TextHelpers.h"
#include "platform/Format.h"

namespace {

namespace fs = std::filesystem;

TEST(TextCaseTest, Utf8RoundTripKeepsEveryByte) {
  const std::string texts[] = {"plain", "Côte d'Ivoire", "€ 😀", std::string("bad \xC3 \xFF \xED\xA0\x80 end"),
                               std::string("\xC0\xAF overlong")};
  for (const std::string& text : texts) EXPECT_EQ(CodePointsToUtf8(Utf8ToCodePoints(text)), text);
  EXPECT_EQ(Utf8ToCodePoints("é😀"), (std::u32string{0xE9, 0x1F600}));
}

TEST(TextCaseTest, UpperAndLowerCase) {
  EXPECT_EQ(UpperCaseText("South Africa"), "SOUTH AFRICA");
  EXPECT_EQ(UpperCaseText("côte 3m"), "CÔTE 3M");
  EXPECT_EQ(LowerCaseText("ÉCOLE USD"), "école usd");
  const std::string invalid("a\xFF");
  EXPECT_EQ(UpperCaseText(invalid), std::string("A\xFF"));
}

class MacAddressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("quorvane-net-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Interface(const std::string& name, const std::string& address, int type = 1) {
    fs::create_directories(folder_ / name);
    std::ofstream(folder_ / name / "address") << address;
    std::ofstream(folder_ / name / "type") << type << "\n";
  }

  fs::path folder_;
};

TEST_F(MacAddressTest, FirstInterfaceByNameWithAnAddress) {
  Interface("lo", "00:00:00:00:00:00\n", 772);
  Interface("wlan0", "11:22:33:44:55:66\n");
  Interface("eth0", "aa:bb:cc:dd:0e:ff\n");
  Interface("dummy0", "");  // no address
  Interface("tun0", "00:00:00:00:00:00\n");
  EXPECT_EQ(GetMacAddress(folder_.string()), "AA:BB:CC:DD:0E:FF");
}

TEST_F(MacAddressTest, LoopbackAndMalformedAddressesAreSkipped) {
  Interface("a-loop", "12:34:56:78:9a:bc\n", 772);
  Interface("b-bad", "not an address\n");
  EXPECT_EQ(GetMacAddress(folder_.string()), "NO_RESULT");
  Interface("c-good", "02:42:ac:11:00:02");
  EXPECT_EQ(GetMacAddress(folder_.string()), "02:42:AC:11:00:02");
}

TEST_F(MacAddressTest, MissingFolderGivesNoResult) {
  EXPECT_EQ(GetMacAddress((folder_ / "absent").string()), "NO_RESULT");
  EXPECT_EQ(GetMacAddress(folder_.string()), "NO_RESULT");
  const std::string machine = GetMacAddress();
  EXPECT_TRUE(machine == "NO_RESULT" || std::regex_match(machine, std::regex("[0-9A-F]{2}(:[0-9A-F]{2})*"))) << machine;
}

TEST(VersionTest, CompiledVersion) {
  EXPECT_EQ(GetFileVersion(), "3.1.15.0");
  EXPECT_EQ(GetFileComments(), static_cast<int>(sizeof(void*) * 8));
}

TEST(VersionTest, IsVersionOlder) {
  struct Case {
    const char* A;
    const char* B;
    bool Older;
  };
  const Case cases[] = {
      {"3.1.9.0", "3.1.15.0", true},  {"3.1.15.0", "3.1.15.0", false}, {"3.1.15.0", "3.1.9.0", false},
      {"2.9.9.9", "3.0.0.0", true},   {"1.0.0.0", "1.0.0.1", true},    {"3.1", "3.1.15.0", false},
      {"3.1.15.0", "3.1", false},     {"", "1.0.0.0", false},          {"1.0.0.0", "", false},
      {"3.1.x.0", "3.1.15.0", false}, {"3..1.0", "3.1.1.0", false},    {"1.2.3.4.", "2.0.0.0", false},
      {"-1.0.0.0", "1.0.0.0", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsVersionOlder(c.A, c.B), c.Older) << c.A << " vs " << c.B;
}

class DecimalSeparatorTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = strDecimalSeparator; }
  void TearDown() override { strDecimalSeparator = saved_; }

 private:
  std::string saved_;
};

TEST_F(DecimalSeparatorTest, InitInTheClassicLocaleIsPoint) {
  strDecimalSeparator = "?";
  InitDecimalSeparator();  // the test program runs in the "C" numeric locale
  EXPECT_EQ(strDecimalSeparator, ".");
}

TEST_F(DecimalSeparatorTest, EitherSeparatorReads) {
  for (const char* separator : {".", ",", ""}) {
    strDecimalSeparator = separator;
    EXPECT_DOUBLE_EQ(StrToFloatAnySeparator("1,5"), 1.5) << separator;
    EXPECT_DOUBLE_EQ(StrToFloatAnySeparator("1.5"), 1.5) << separator;
    EXPECT_DOUBLE_EQ(StrToFloatAnySeparator("-42"), -42.0) << separator;
    EXPECT_THROW(StrToFloatAnySeparator("abc"), platform::EConvertError) << separator;
    EXPECT_THROW(StrToFloatAnySeparator(""), platform::EConvertError) << separator;
    EXPECT_THROW(StrToFloatAnySeparator("1.000,5"), platform::EConvertError) << separator;
  }
}

TEST(RandomStringTest, LengthAndAlphabet) {
  EXPECT_EQ(GenerateRandomString(0), "");
  EXPECT_EQ(GenerateRandomString(-3), "");
  const std::string text = GenerateRandomString(32);
  ASSERT_EQ(text.size(), 32u);
  EXPECT_EQ(text.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
            std::string::npos);
  // Drawn from the kernel's generator, not from the clock: two calls differ.
  EXPECT_NE(GenerateRandomString(32), GenerateRandomString(32));
}

TEST(PhoneNumberTest, OnlyDialCharacters) {
  EXPECT_TRUE(IsValidPhoneNumber("+33 (0)1 23"));
  EXPECT_TRUE(IsValidPhoneNumber("0123456789"));
  EXPECT_FALSE(IsValidPhoneNumber("+33-1"));
  EXPECT_FALSE(IsValidPhoneNumber(""));
  EXPECT_FALSE(IsValidPhoneNumber("12 é"));
  EXPECT_FALSE(
      IsValidPhoneNumber(std::string("12\0"
                                     "3",
                                     4)));
}

TEST(ServerErrorTextTest, KnownAndUnknownCodes) {
  EXPECT_EQ(GetServerErrorText(4060), "Server Data storage not found");
  EXPECT_EQ(GetServerErrorText(10060), "Wrong communication chanel");
  EXPECT_EQ(GetServerErrorText(11001), "Server not found");
  EXPECT_EQ(GetServerErrorText(18456), "Server authentification failed");
  EXPECT_EQ(GetServerErrorText(5), "5");
  EXPECT_EQ(GetServerErrorText(0), "0");
  EXPECT_EQ(GetServerErrorText(4294967295u), "4294967295");
}

TEST(NarrowStringTest, LowByteOfEachUtf16Unit) {
  EXPECT_EQ(ToNarrowString("abc"), "abc");
  EXPECT_EQ(ToNarrowString("é"), std::string("\xE9"));
  EXPECT_EQ(ToNarrowString("€"), std::string("\xAC"));                  // U+20AC
  EXPECT_EQ(ToNarrowString("😀"), std::string("\x3D\x00", 2));           // D83D DE00
  EXPECT_EQ(ToNarrowString(std::string("\xFF")), std::string("\xFF"));  // a stray byte stays
  EXPECT_EQ(ToNarrowString(""), "");
}

TEST(XorTextTest, TwiceGivesTheTextBack) {
  const std::string texts[] = {"hello world", "Côte d'Ivoire €", "😀 and 😁", std::string("bad \xFF\xC3 bytes"), ""};
  for (const std::string& text : texts) EXPECT_EQ(XorTextWithKey(XorTextWithKey(text)), text) << text;
  const std::string scrambled = XorTextWithKey("hello world");
  EXPECT_NE(scrambled, "hello world");
  EXPECT_EQ(scrambled.size(), std::string("hello world").size());
}

}  // namespace
