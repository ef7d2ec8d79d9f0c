#pragma once
// What the main window's units share: colours of its controls, the theme
// tabs and track bars in window order, and the naming of its tabs.

#include <QString>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "app/Control.h"
#include "session/TabSelection.h"
#include "session/TrackBars.h"

namespace app::mainform {

using session::TTabGroup;
using session::TTabRef;

inline constexpr platform::TAlphaColor kTabColour = 0xFFC5D2DD;
inline constexpr platform::TAlphaColor kWhite = 0xFFFFFFFF;
inline constexpr platform::TAlphaColor kListTitleColour = 0xFF005890;
inline constexpr platform::TAlphaColor kButtonFill = 0xFFFDFDFD;
inline constexpr float kPanelWidth = 640.0f;

// Theme tabs in row order with their titles (tab 0, the global model, has none).
inline constexpr std::array<std::pair<int, const char*>, 9> kThemeTabs{{{0, ""},
                                                                        {1, "All"},
                                                                        {4, "Ranking"},
                                                                        {2, "Macro"},
                                                                        {3, "Behavioral"},
                                                                        {5, "All"},
                                                                        {7, "Bond Ranking"},
                                                                        {8, "Cash Ranking"},
                                                                        {6, "Monetary"}}};

// The six track bars in window order (session::TTrackBar); each is
// <stem>MainSupport holding the panel <stem>Support with <stem>Guide and <stem>Cursor.
inline constexpr std::array<const char*, 6> kTrackBarStems{"VFIHeatMapTrackBar", "VEQHeatMapTrackBar",
                                                           "VCYHeatMapTrackBar", "VHistoryTrackBar",
                                                           "VZoneTrackBar",      "VFXTrackBar"};

// Tab names: "MainTabsheet_n" (main n - 1), "ThemeSelectionTabsheet_n"
// (theme n), "VLTabsheet_n" and likes (index n - 1).
inline constexpr std::array<std::pair<TTabGroup, const char*>, 6> kTabPrefixes{
    {{TTabGroup::Main, "MainTabsheet_"},
     {TTabGroup::Theme, "ThemeSelectionTabsheet_"},
     {TTabGroup::VL, "VLTabsheet_"},
     {TTabGroup::HA, "HATabsheet_"},
     {TTabGroup::VR, "VRTabsheet_"},
     {TTabGroup::HB, "HBTabsheet_"}}};

inline std::optional<TTabRef> TabOf(const QString& name) {
  for (const auto& [group, prefix] : kTabPrefixes) {
    if (!name.startsWith(prefix)) continue;
    bool ok = false;
    const int number = name.mid(static_cast<int>(std::strlen(prefix))).toInt(&ok);
    if (!ok) return std::nullopt;
    return TTabRef{group, group == TTabGroup::Theme ? number : number - 1};
  }
  return std::nullopt;
}

inline std::string TabName(TTabRef tab) {
  for (const auto& [group, prefix] : kTabPrefixes)
    if (group == tab.Group) return prefix + std::to_string(tab.Group == TTabGroup::Theme ? tab.Index : tab.Index + 1);
  return {};
}

inline TControl* TitleOf(TControl* tab) { return static_cast<TControl*>(tab->children().front()); }

}  // namespace app::mainform
