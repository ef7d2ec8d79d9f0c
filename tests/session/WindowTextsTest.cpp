#include <gtest/gtest.h>

#include <vector>

#include "common/Globals.h"
#include "platform/DateTime.h"
#include "session/AccessCode.h"
#include "session/WindowTexts.h"

namespace session {
namespace {

using platform::EncodeDate;

TEST(WindowTextsTest, DateTitles) {
  EXPECT_EQ(DateTitle(EncodeDate(2021, 3, 5)), "05 March 2021");
  EXPECT_EQ(DateTitle(EncodeDate(1999, 12, 31)), "31 December 1999");
  EXPECT_EQ(DateTitle(EncodeDate(2026, 1, 10) + 0.75), "10 January 2026");
  EXPECT_EQ(sEQGPCOListTitles[1], "Equity && Bond");
  EXPECT_EQ(ShownText(sEQGPCOListTitles[1]), "Equity & Bond");
  EXPECT_EQ(ShownText("a &&&& b & c&&"), "a && b & c&");
  EXPECT_EQ(VersionTitleText(), "(Version 3.1.15.0)");
}

TEST(WindowTextsTest, TwoYearHistoryDate) {
  struct Case {
    double IndexFirst, LaterIndexFirst, RuleFirst, SpotFirst, Expected;  // 0: no series
  };
  const Case cases[] = {
      {0, 0, 0, 0, 762.0},  // nothing: 31 January 1902
      {EncodeDate(2005, 3, 15), 0, EncodeDate(2001, 1, 31), 0, EncodeDate(2007, 3, 31)},
      {EncodeDate(2001, 1, 31), 0, EncodeDate(2004, 2, 29), 0, EncodeDate(2006, 2, 28)},
      {EncodeDate(2001, 1, 31), EncodeDate(2015, 6, 30), 0, 0, EncodeDate(2003, 1, 31)},  // later INDEX asset ignored
      {0, 0, 0, EncodeDate(2010, 11, 30), EncodeDate(2012, 11, 30)},
  };
  const auto asset = [](double firstDate) {
    TAssetSeries a;
    if (firstDate > 0) a.Series = {{firstDate, 1.0}, {firstDate + 31, 2.0}};
    return a;
  };
  const std::vector<TCountry> saved = vcMyExternCountryList;
  for (const Case& c : cases) {
    vcMyExternCountryList.assign(2, TCountry{});
    vcMyExternCountryList[0].IndexAssets = {asset(c.IndexFirst), asset(c.LaterIndexFirst)};
    if (c.IndexFirst == 0) vcMyExternCountryList[0].IndexAssets.clear();
    vcMyExternCountryList[1].RuleAssets.push_back(asset(c.RuleFirst));
    vcMyExternCountryList[1].SpotFxAssets.push_back(asset(c.SpotFirst));
    EXPECT_EQ(GetTwoYearHistoryDate(), c.Expected) << DateTitle(c.Expected);
  }
  vcMyExternCountryList.clear();
  EXPECT_EQ(GetTwoYearHistoryDate(), 762.0);
  vcMyExternCountryList = saved;
}

// Keys typed with Ctrl; '#' is the Ctrl key itself, '!' types the next key without Ctrl.
TEST(AccessCodeTest, KeySequences) {
  struct Case {
    const char* Keys;
    bool Starts;        // the last key starts the transfer
    const char* After;  // buffer afterwards
  };
  const Case cases[] = {{"#QXW", true, ""},     {"qxw", true, ""},  {"##", false, ""},   {"QX", false, "QX"},
                        {"Q!AXW", false, "XW"}, {"QXY", false, ""}, {"AQXW", false, "W"}};
  for (const Case& c : cases) {
    TAccessKeyBuffer buffer;
    bool started = false;
    for (const char* k = c.Keys; *k; ++k) {
      const bool ctrl = *k != '!';
      if (!ctrl) ++k;
      started = buffer.OnKeyDown(*k == '#' ? kControlKey : *k, ctrl, false, true, true);
    }
    EXPECT_EQ(started, c.Starts) << c.Keys;
    EXPECT_EQ(buffer.sTypedLetters, c.After) << c.Keys;
  }
  TAccessKeyBuffer buffer;  // only the low byte of the key code counts
  buffer.OnKeyDown(0x0100 + 'Q', true, false, true, true);
  buffer.OnKeyDown('X', true, false, true, true);
  EXPECT_TRUE(buffer.OnKeyDown('W', true, false, true, true));
}

TEST(AccessCodeTest, RightCodeNeedsAdmittedUserReadyWorkspaceAndHiddenPanel) {
  for (int flags = 0; flags < 4; ++flags) {
    TAccessKeyBuffer buffer;
    buffer.sTypedLetters = "QX";
    EXPECT_EQ(buffer.OnKeyDown('W', true, false, flags & 1, flags & 2), flags == 3);
    EXPECT_TRUE(buffer.sTypedLetters.empty());
  }
  TAccessKeyBuffer buffer;
  buffer.sTypedLetters = "QX";
  EXPECT_FALSE(buffer.OnKeyDown('W', true, true, true, true));
  EXPECT_FALSE(buffer.OnKeyDown('A', false, true, true, true));
  buffer.OnKeyUp('X');
  EXPECT_EQ(buffer.sTypedLetters, "QX");  // the panel and other releases leave the buffer
  buffer.OnKeyUp(kControlKey);
  EXPECT_TRUE(buffer.sTypedLetters.empty());
}

}  // namespace
}  // namespace session
