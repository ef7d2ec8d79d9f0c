#include <gtest/gtest.h>

#include <string>

#include "session/TabArrangement.h"

namespace session {
namespace {

// Chooses a page and one tab per group under it: VL vl, HA ha, VR vr of that HA, HB hb.
TViewState Select(int main, int sub, int vl, int ha = 0, int vr = 0, int hb = 0) {
  TViewState s;
  s.SelectedMainTab = main;
  (main == 0 ? s.GlobalSubIndex : main == 1 ? s.EquitySubIndex : s.BondSubIndex) = sub;
  SelectCurrentModelRecord(s);
  ResetSelection(s);
  TModelRecord& r = s.ModelRecords[static_cast<std::size_t>(s.CurrentModelRecord)];
  for (int i = 0; i < kVLTabCount; ++i) r.VLTabs[i].Selected = i == vl;
  TVLTabEntry& v = r.VLTabs[static_cast<std::size_t>(vl)];
  for (int j = 0; j < kHATabCount; ++j) v.HATabs[j].Selected = j == ha;
  for (int k = 0; k < kVRTabCount; ++k) v.HATabs[static_cast<std::size_t>(ha)].VRTabs[k].Selected = k == vr;
  for (int k = 0; k < kHBTabCount; ++k) v.HBTabs[k].Selected = k == hb;
  return s;
}

template <std::size_t N>
std::string Tabs(const char* name, const std::array<bool, N>& shown) {
  std::string out = std::string(" ") + name + ":";
  for (std::size_t i = 0; i < N; ++i)
    if (shown[i]) out += std::to_string(i + 1);
  return out;
}

// Every visible control of the arrangement, in a fixed order.
std::string Shown(const TTabArrangement& a) {
  std::string out = a.VLTabsheetSupport ? "VLS" : "";
  out += Tabs("VL", a.VLTabsheet);
  if (a.HATabsheetSupport) out += " HAS";
  if (a.HATabsheet) out += Tabs("HA", *a.HATabsheet);
  if (a.VRTabsheetSupport) out += " VRS";
  if (a.VRTabsheet) out += Tabs("VR", *a.VRTabsheet);
  const std::pair<bool, const char*> flags[] = {{a.HBTabsheetSupport, "HBS"},
                                                {a.COListSelectionSupport, "CO"},
                                                {a.QVListSelectionSupport_1, "QV1"},
                                                {a.QVListSelectionSupport_2, "QV2"},
                                                {a.SLListSelectionSupport_1, "SL1"},
                                                {a.SLListSelectionSupport_2, "SL2"},
                                                {a.VHistoryTrackBarMainSupport, "HIS"},
                                                {a.VEQHeatMapTrackBarMainSupport, "EQH"},
                                                {a.VFIHeatMapTrackBarMainSupport, "FIH"},
                                                {a.VCYHeatMapTrackBarMainSupport, "CYH"},
                                                {a.VZoneTrackBarMainSupport, "ZONE"},
                                                {a.VFXTrackBarMainSupport, "FX"}};
  for (const auto& [on, name] : flags)
    if (on) out += std::string(" ") + name;
  return out;
}

TEST(TabArrangementTest, VisibleControlsPerPage) {
  struct Case {
    const char* Name;
    TViewState State;
    int CO;
    TSLPageFacts Facts;
    const char* Shown;
    const char* COTitle;  // nullptr: title untouched
  };
  const TSLPageFacts none{};
  Case cases[] = {
      {"Equity before a theme", Select(1, -1, 0), 0, none, "VLS VL:1234", nullptr},
      {"Global heat map", Select(0, 0, 0), 0, none, "VLS VL:13 HA:", nullptr},
      {"Global alloc All", Select(0, 0, 2), 0, none, "VLS VL:13 HAS HA:123456 VRS VR: HBS CO", "All"},
      {"Global alloc Equity", Select(0, 0, 2, 0, 1), 1, none, "VLS VL:13 HAS HA:123456 VRS VR:12 CO ZONE", "Equity"},
      {"Global alloc Bond", Select(0, 0, 2), 2, none, "VLS VL:13 HAS HA:123456 VRS VR:12 CO", "Bond"},
      {"Global alloc FX", Select(0, 0, 2, 0, 1), 3, none, "VLS VL:13 HAS HA:123456 VRS VR: CO FX", "FX Hedging"},
      {"Global NAV", Select(0, 0, 2, 2), 1, none, "VLS VL:13 HAS HA:123456", nullptr},
      {"EQGP heat map, HA 1", Select(1, 0, 0, 1), 0, none, " VL:1234 HAS HA:123456", nullptr},
      {"FIGP country FX", Select(2, 0, 3), 2, none, " VL:1234 HAS HA:123456 VRS VR: CO FX", "FX Hedging"},
      {"EQSL heat map 6", Select(1, 1, 0, 0, 0, 1), 0, {0, 6, true}, "VLS VL:123 HA: HBS", nullptr},
      {"EQSL heat map 7", Select(1, 1, 0, 0, 0, 1), 0, {0, 7, true}, "VLS VL:123 HA: HBS EQH", nullptr},
      {"EQSL heat map 7 HB0", Select(1, 1, 0), 0, {0, 7, true}, "VLS VL:123 HA: HBS", nullptr},
      {"EQSL history 17 HB0", Select(1, 1, 1), 0, {17, 0, true}, "VLS VL:123 HA: HBS HIS", nullptr},
      {"EQSL history 16 HB1", Select(1, 1, 1, 0, 0, 1), 0, {16, 0, true}, "VLS VL:123 HA: HBS SL2", nullptr},
      {"EQSL history no data", Select(1, 1, 1, 0, 0, 1), 0, {17, 0, false}, "VLS VL:123 HA: HBS HIS", nullptr},
      {"EQQV heat map", Select(1, 2, 0), 0, none, "VLS VL:1234 QV2", nullptr},
      {"EQQV history", Select(1, 2, 1), 0, none, "VLS VL:1234 HA: QV2 HIS", nullptr},
      {"EQBL history", Select(1, 3, 1), 0, none, "VLS VL:1234 HA: HIS", nullptr},
      {"EQQV portfolio NAV", Select(1, 2, 2, 2), 2, none, "VLS VL:1234 HAS HA:123456", "Bond"},
      {"EQBL portfolio alloc", Select(1, 3, 2), 1, none, "VLS VL:1234 HAS HA:123456 HBS CO", "Equity"},
      {"EQQV country", Select(1, 2, 3, 1), 0, none, "VLS VL:1234 HAS HA:123456 QV1", nullptr},
      {"FICY portfolio alloc", Select(2, 2, 2), 0, none, "VLS VL:123 HAS HA:123456 VR: HBS", nullptr},
      {"FISL portfolio drawdown", Select(2, 1, 2, 3), 0, none, "VLS VL:123 HAS HA:123456", nullptr},
      {"FICY heat map 7", Select(2, 2, 0, 0, 0, 1), 0, {0, 7, false}, "VLS VL:123 HA: HBS CYH", nullptr},
      {"FIGF portfolio alloc", Select(2, 3, 2), 0, none, "VLS VL:123 HAS HA:123456 HBS", nullptr},
      {"FIGF history", Select(2, 3, 1), 0, none, "VLS VL:123", nullptr},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    c.State.GlobalCOIndex = c.State.EQGPCOIndex = c.State.EquityCOIndex = c.State.FIGPCOIndex = c.CO;
    const TSLFacts facts{c.Facts, c.Facts, c.Facts};
    const TTabArrangement a = ArrangeTabsheets(c.State, facts);
    EXPECT_TRUE(a.Applies);
    EXPECT_EQ(Shown(a), c.Shown);
    EXPECT_EQ(a.COListSelectionTitle.value_or("(untouched)"), c.COTitle ? c.COTitle : "(untouched)");
    // HA tabs are placed whenever set, except under Global "Heat Map".
    EXPECT_EQ(a.PlaceHATabsheets, a.HATabsheet.has_value() && std::string(c.Name) != "Global heat map");
  }
  TViewState none3 = Select(1, 2, 2);
  none3.SelectedMainTab = kNoMainTab;
  EXPECT_FALSE(ArrangeTabsheets(none3, {}).Applies);
}

TEST(TabArrangementTest, TitlesPerPageAndView) {
  struct Case {
    const char* Name;
    TViewState State;
    const char* VL0;
    const char* HA0;
    const char* VR1;
    const char* HB0;
  };
  Case cases[] = {
      {"no main tab", Select(1, 2, 3), "", "", "", ""},
      {"Bond sub-index 4", Select(2, 4, 2), "", "", "", ""},
      {"Global heat map", Select(0, 0, 0), "Heat Map", "", "", ""},
      {"Global alloc", Select(0, 0, 2), "Heat Map", "Allocation", "Detailed", "Current"},
      {"Global NAV", Select(0, 0, 2, 2), "Heat Map", "Allocation", "", ""},
      {"EQGP heat map", Select(1, 0, 0), "Heat Map", "Allocation", "Detailed", "Current"},
      {"EQSL history", Select(1, 1, 1), "Heat Map", "", "", "Summarized"},
      {"FICY portfolio", Select(2, 2, 2), "Heat Map", "Allocation", "", "Current"},
      {"EQQV country", Select(1, 2, 3), "Heat Map", "Signal", "", ""},
      {"EQBL portfolio", Select(1, 3, 2), "Heat Map", "Allocation", "", "Current"},
      {"FIGF country", Select(2, 3, 3), "Heat Map", "", "", ""},
  };
  cases[0].State.SelectedMainTab = kNoMainTab;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const TTabTitles t = SetTabsheetTitles(c.State);
    EXPECT_EQ(t.VL[0].value_or(""), c.VL0);
    EXPECT_EQ(t.HA[0].value_or(""), c.HA0);
    EXPECT_EQ(t.VR[1].value_or(""), c.VR1);
    EXPECT_EQ(t.HB[0].value_or(""), c.HB0);
    EXPECT_FALSE(t.HA[6] || t.VR[2] || t.VR[3]);
    if (t.HA[0]) {
      EXPECT_EQ(t.HA[4].value_or(""), "1Y Rolling");
    }
  }
}

// Selected tabs get their group's selected fill and white text; the rest the unselected fill only.
TEST(TabArrangementTest, ColoursFollowTheSelectedPath) {
  const TAlphaColor off = 0xFFC5D2DD, vl = 0xFF3454A5, button = 0xFF708CD5;
  auto check = [&](const TTabColours& c, const std::string& painted) {
    auto one = [&](const TTabPaint& p, const std::string& name, TAlphaColor on) {
      const bool sel = painted.find(name) != std::string::npos;
      EXPECT_EQ(p.Fill, sel ? on : off) << name;
      EXPECT_EQ(p.FontColor.has_value(), sel) << name;
      if (sel) {
        EXPECT_EQ(*p.FontColor, 0xFFFFFFFFu) << name;
      }
    };
    for (std::size_t i = 0; i < 4; ++i) one(c.VL[i], "VL" + std::to_string(i), vl);
    for (std::size_t i = 0; i < 7; ++i) one(c.HA[i], "HA" + std::to_string(i), button);
    for (std::size_t i = 0; i < 4; ++i) one(c.VR[i], "VR" + std::to_string(i), button);
    for (std::size_t i = 0; i < 2; ++i) one(c.HB[i], "HB" + std::to_string(i), button);
  };
  TViewState s = Select(1, 2, 3, 1, 2, 1);  // other VL entries keep HA0/VR0/HB0 from the reset
  check(SetTabsheetColours(s, false), "VL3 HA1 VR2 HB1");
  s.ModelRecords[3].VLTabs[3].Selected = false;
  check(SetTabsheetColours(s, false), "");

  check(SetTabsheetColours(s, true), "VL0 VL2 HA0 VR0 HB0");
  EXPECT_TRUE(s.ModelRecords[1].VLTabs[2].Selected);
  EXPECT_TRUE(s.ModelRecords[3].VLTabs[0].Selected);
  EXPECT_TRUE(s.ModelRecords[3].VLTabs[3].HATabs[0].Selected);

  EXPECT_EQ(TabGroupColours(TTabGroup::Main).HighlightFill, 0xFF21366Bu);
  EXPECT_EQ(TabGroupColours(TTabGroup::Theme).HighlightFill, vl);
  EXPECT_EQ(TabGroupColours(TTabGroup::VR).HighlightFill, button);
}

}  // namespace
}  // namespace session
