// The main window: tab clicks and hover, the arrangement of the tab groups,
// the main titles and the list selectors.

#include "app/MainForm.h"
#include "app/MainFormInternals.h"
#include "session/WindowTexts.h"

namespace app {

namespace {

using namespace mainform;
using session::TWindowGroup;

// The main tab and sub-index that theme tab n chooses.
constexpr std::array<std::pair<std::int32_t, std::int32_t>, 9> kThemeChoice{
    {{0, 0}, {1, 0}, {1, 2}, {1, 3}, {1, 1}, {2, 0}, {2, 3}, {2, 1}, {2, 2}}};

}  // namespace

// ---------------------------------------------------------------- tabs

void TMainForm::PaintTab(TTabRef tab, bool highlighted) {
  TControl* control = Find(TabName(tab).c_str());
  if (control == nullptr) return;
  const session::TTabGroupColours colours = session::TabGroupColours(tab.Group);
  const platform::TAlphaColor fill = highlighted ? colours.HighlightFill : colours.NormalFill;
  control->SetColours(fill, fill);
  TitleOf(control)->SetFontColour(colours.FontColor);
}

// The chosen tab of its group: the main tab, the theme of its main tab, and
// the selected entries on the path of the current model's record.
bool TMainForm::TabIsChosen(TTabRef tab) const {
  const std::size_t i = static_cast<std::size_t>(tab.Index);
  switch (tab.Group) {
    case TTabGroup::Main:
      return View.SelectedMainTab == tab.Index;
    case TTabGroup::Theme: {
      if (i >= kThemeChoice.size()) return false;
      const auto [main, sub] = kThemeChoice[i];
      const std::int32_t chosen = main == 0 ? View.GlobalSubIndex : main == 1 ? View.EquitySubIndex : View.BondSubIndex;
      return chosen == sub;
    }
    default:
      break;
  }
  if (View.CurrentModelRecord < 0 || View.CurrentModelRecord >= static_cast<std::int32_t>(View.ModelRecords.size()))
    return false;
  const session::TModelRecord& record = View.ModelRecords[static_cast<std::size_t>(View.CurrentModelRecord)];
  for (std::size_t v = 0; v < record.VLTabs.size(); ++v) {
    const session::TVLTabEntry& vl = record.VLTabs[v];
    if (!vl.Selected) continue;
    if (tab.Group == TTabGroup::VL && v == i) return true;
    if (tab.Group == TTabGroup::HB && i < vl.HBTabs.size() && vl.HBTabs[i].Selected) return true;
    for (std::size_t h = 0; h < vl.HATabs.size(); ++h) {
      const session::THATabEntry& ha = vl.HATabs[h];
      if (!ha.Selected) continue;
      if (tab.Group == TTabGroup::HA && h == i) return true;
      if (tab.Group == TTabGroup::VR && i < ha.VRTabs.size() && ha.VRTabs[i].Selected) return true;
    }
  }
  return false;
}

void TMainForm::OnTabsheetMouseEnter(TControl* sender) {
  if (const std::optional<TTabRef> tab = TabOf(sender->objectName())) PaintTab(*tab, true);
}

void TMainForm::OnTabsheetMouseLeave(TControl* sender) {
  const std::optional<TTabRef> tab = TabOf(sender->objectName());
  if (tab && !TabIsChosen(*tab)) PaintTab(*tab, false);
}

void TMainForm::OnTabsheetClick(TControl* sender) {
  const std::optional<TTabRef> tab = TabOf(sender->objectName());
  if (!tab || !WorkspaceIdle()) return;
  if (tab->Group == TTabGroup::Theme) return OnThemesSelectionTabsheetClick(sender);
  ApplyTabSelection(session::OnTabsheetClick(View, *Pages(), *tab));
}

void TMainForm::OnThemesSelectionTabsheetClick(TControl* sender) {
  const std::optional<TTabRef> tab = TabOf(sender->objectName());
  if (!tab || tab->Group != TTabGroup::Theme || !WorkspaceIdle()) return;
  ApplyTabSelection(session::OnThemesSelectionTabsheetClick(View, *Pages(), tab->Index));
}

// In the order the selection lists it: paints, theme tabs, the view shown
// (indicators hidden, repaint, screens 2 and 3 with the arrangement, titles),
// or the arrangement alone; last the intra-month title's colour.
void TMainForm::ApplyTabSelection(const session::TTabSelection& selection) {
  if (!selection.Handled) return;
  for (const session::TTabHighlight& paint : selection.Paints) PaintTab(paint.Tab, paint.Highlighted);
  if (selection.ThemeTabVisible) Screen.ThemeTabVisible = *selection.ThemeTabVisible;
  if (selection.ViewShown) {
    if (selection.HideValueIndicators) HideValueIndicators();
    if (selection.Repaint) RequestChartRepaint(2);
    // Screen 2 (the view being rebuilt) reaches the controls only as the
    // state screen 3 starts from: nothing is drawn between the two, and
    // hiding and showing every group would repaint them all.
    SetScreenState(2);
    PendingTabs_ = selection.Tabs ? &*selection.Tabs : nullptr;
    SetScreenMode(3);
    PendingTabs_ = nullptr;
    ApplyMainTitles(selection.Titles);
    Find("SLListSelectionTitle_2")->SetText(session::ShownText(View.SLListTitle2));
  } else if (selection.Tabs) {
    ApplyTabs(*selection.Tabs);
  }
  if (selection.IntraMonthTitleFontColor) Find("IntraMonthTitle")->SetFontColour(*selection.IntraMonthTitleFontColor);
  ApplyScreen();
}

// Titles, then visibility and placement, then colours. Visibility of the
// groups goes into Screen; the caller applies it.
void TMainForm::ApplyTabs(const session::TTabSelection::TTabs& tabs) {
  auto writeTitles = [this](TTabGroup group, const auto& titles) {
    for (std::size_t i = 0; i < titles.size(); ++i) {
      if (!titles[i]) continue;
      TitleOf(Find(TabName({group, static_cast<std::int32_t>(i)}).c_str()))->SetText(session::ShownText(*titles[i]));
    }
  };
  writeTitles(TTabGroup::VL, tabs.Titles.VL);
  writeTitles(TTabGroup::HA, tabs.Titles.HA);
  writeTitles(TTabGroup::VR, tabs.Titles.VR);
  writeTitles(TTabGroup::HB, tabs.Titles.HB);
  const session::TTabArrangement& a = tabs.Arrangement;
  if (!a.Applies) return;

  auto showTabs = [this](TTabGroup group, const auto& visible, auto& rects) {
    for (std::size_t i = 0; i < visible.size(); ++i) {
      rects[i].Visible = visible[i];
      Find(TabName({group, static_cast<std::int32_t>(i)}).c_str())->setVisible(visible[i]);
    }
  };
  showTabs(TTabGroup::VL, a.VLTabsheet, Geometry.VLTabsheets);
  session::PlaceMainAndVLTabsheets(Geometry);
  if (a.HATabsheet) {
    showTabs(TTabGroup::HA, *a.HATabsheet, Geometry.HATabsheets);
    if (a.PlaceHATabsheets) session::PlaceHATabsheets(Geometry);
  }
  if (a.VRTabsheet) {
    showTabs(TTabGroup::VR, *a.VRTabsheet, Geometry.VRTabsheets);
    session::PlaceVRAndHBTabsheets(Geometry);
  }
  const std::pair<TWindowGroup, bool> groups[] = {
      {TWindowGroup::VLTabsheetSupport, a.VLTabsheetSupport},
      {TWindowGroup::HATabsheetSupport, a.HATabsheetSupport},
      {TWindowGroup::VRTabsheetSupport, a.VRTabsheetSupport},
      {TWindowGroup::HBTabsheetSupport, a.HBTabsheetSupport},
      {TWindowGroup::COListSelectionSupport, a.COListSelectionSupport},
      {TWindowGroup::QVListSelectionSupport_1, a.QVListSelectionSupport_1},
      {TWindowGroup::QVListSelectionSupport_2, a.QVListSelectionSupport_2},
      {TWindowGroup::SLListSelectionSupport_1, a.SLListSelectionSupport_1},
      {TWindowGroup::SLListSelectionSupport_2, a.SLListSelectionSupport_2},
      {TWindowGroup::VHistoryTrackBarMainSupport, a.VHistoryTrackBarMainSupport},
      {TWindowGroup::VFIHeatMapTrackBarMainSupport, a.VFIHeatMapTrackBarMainSupport},
      {TWindowGroup::VEQHeatMapTrackBarMainSupport, a.VEQHeatMapTrackBarMainSupport},
      {TWindowGroup::VCYHeatMapTrackBarMainSupport, a.VCYHeatMapTrackBarMainSupport},
      {TWindowGroup::VZoneTrackBarMainSupport, a.VZoneTrackBarMainSupport},
      {TWindowGroup::VFXTrackBarMainSupport, a.VFXTrackBarMainSupport}};
  for (const auto& [group, visible] : groups) Screen.SetVisible(group, visible);
  if (a.COListSelectionTitle) Find("COListSelectionTitle")->SetText(session::ShownText(*a.COListSelectionTitle));

  auto paintTabs = [this](TTabGroup group, const auto& paints) {
    for (std::size_t i = 0; i < paints.size(); ++i) {
      TControl* tab = Find(TabName({group, static_cast<std::int32_t>(i)}).c_str());
      tab->SetColours(paints[i].Fill, paints[i].Fill);
      if (paints[i].FontColor) TitleOf(tab)->SetFontColour(*paints[i].FontColor);
    }
  };
  paintTabs(TTabGroup::VL, tabs.Colours.VL);
  paintTabs(TTabGroup::VR, tabs.Colours.VR);
  paintTabs(TTabGroup::HA, tabs.Colours.HA);
  paintTabs(TTabGroup::HB, tabs.Colours.HB);
  ApplyGeometry();
}

void TMainForm::ArrangeTabsheets() {
  TModelPages* pages = Pages();
  if (pages == nullptr) return;
  session::TTabSelection::TTabs tabs;
  tabs.Titles = session::SetTabsheetTitles(View);
  tabs.Arrangement = session::ArrangeTabsheets(View, session::RankingFacts(*pages));
  if (tabs.Arrangement.Applies) tabs.Colours = session::SetTabsheetColours(View, false);
  ApplyTabs(tabs);
  ApplyScreen();
}

void TMainForm::ApplyMainTitles(const session::TMainTitles& titles) {
  const std::pair<TWindowGroup, const std::string*> texts[] = {{TWindowGroup::MainTitle_1, &titles.Title1},
                                                               {TWindowGroup::MainTitle_2, &titles.Title2},
                                                               {TWindowGroup::MainTitle_3, &titles.Title3},
                                                               {TWindowGroup::MainTitle_4, &titles.Title4}};
  for (const auto& [group, text] : texts) Group(group)->SetText(*text);
}

void TMainForm::UpdateMainTitles() {
  TModelPages* pages = Pages();
  if (pages == nullptr) return;
  std::int32_t view = -1;
  pages->WithPage(PageForTab(View.SelectedMainTab, View.GlobalSubIndex, View.EquitySubIndex, View.BondSubIndex),
                  [&view](const auto& page) { view = page.CurrentView; });
  ApplyMainTitles(session::UpdateMainTitles(View, view));
}

void TMainForm::RequestChartRepaint(std::int32_t phase) { ChartArea_->RequestRepaint(phase); }

void TMainForm::HideValueIndicators() { ChartArea_->HideValueIndicators(); }

// ---------------------------------------------------------------- list arrows

void TMainForm::OnDownControlMouseDown(TControl* sender) { StepList(sender, session::TListArrow::Down); }

void TMainForm::OnUpControlMouseDown(TControl* sender) { StepList(sender, session::TListArrow::Up); }

void TMainForm::StepList(TControl* sender, session::TListArrow arrow) {
  if (!WorkspaceIdle()) return;
  // "<list>ListSelectionUpControl[_n]": the list from the first two letters, the number from the suffix.
  const QString name = sender->objectName();
  session::TListSelector selector = session::TListSelector::CO;
  if (name.startsWith("QV")) selector = name.endsWith("_2") ? session::TListSelector::QV2 : session::TListSelector::QV1;
  if (name.startsWith("SL")) selector = name.endsWith("_2") ? session::TListSelector::SL2 : session::TListSelector::SL1;
  ApplyListStep(session::StepList(View, *Pages(), selector, arrow));
}

void TMainForm::ApplyListStep(const session::TListStepResult& result) {
  const std::pair<const char*, const std::optional<std::string>*> titles[] = {
      {"COListSelectionTitle", &result.COListSelectionTitle},
      {"QVListSelectionTitle_1", &result.QVListSelectionTitle_1},
      {"QVListSelectionTitle_2", &result.QVListSelectionTitle_2},
      {"SLListSelectionTitle_2", &result.SLListSelectionTitle_2}};
  for (const auto& [name, text] : titles)
    if (*text) Find(name)->SetText(session::ShownText(**text));
  if (result.ArrangeTabsheets) ArrangeTabsheets();
  if (result.ShowSelectedView) ShowSelectedView();
  if (result.Repaint && View.WorkspaceShown) RequestChartRepaint(View.PaintPhase);
  if (result.Titles) ApplyMainTitles(*result.Titles);
}

void TMainForm::OnArrowMouseEnter(TControl* sender) {
  sender->setProperty("active", true);
  sender->update();
}

void TMainForm::OnArrowMouseLeave(TControl* sender) {
  sender->setProperty("active", false);
  sender->update();
}

}  // namespace app
