#include "pages/gallery/PageFixture.h"

#include <cstdio>

#include "SampleWorkData.h"
#include "common/Globals.h"
#include "models/global/ModelCalculation.h"
#include "widgets/gallery/WidgetFixture.h"

namespace pagefixture {

namespace {

class TNullProgress : public platform::ProgressSink {
 public:
  void SetText(const std::string&) override {}
};

using Choices = std::vector<std::int32_t>;

void Add(std::vector<TPageView>& views, TPageKind kind, std::int32_t view, Choices choices, std::int32_t group = -1) {
  char name[40];
  if (group >= 0)
    std::snprintf(name, sizeof name, "%s_v%02d_g%d", PageName(kind), view, group);
  else
    std::snprintf(name, sizeof name, "%s_v%02d", PageName(kind), view);
  views.push_back({kind, view, std::move(choices), group < 0 ? 0 : group, name});
}

// Signal-timing pages: (list, horizontal tab, lower tab, option).
void AddTimingViews(std::vector<TPageView>& views, TPageKind kind) {
  const bool groups = kind == TPageKind::EQQV;
  for (std::int32_t g = 0; g < (groups ? 8 : 1); ++g) {
    Add(views, kind, 0, {0, 0, 0, 0}, groups ? g : -1);
    Add(views, kind, 1, {1, 0, 0, 0}, groups ? g : -1);
  }
  const std::int32_t countryViews[] = {2, 3, 4, 5, 6, 8};
  for (std::int32_t ha = 0; ha < 6; ++ha) Add(views, kind, countryViews[ha], {3, ha, 0, 0});
  Add(views, kind, 9, {2, 1, 0, 0});
  for (std::int32_t option = 0; option < 3; ++option) {
    Add(views, kind, 10 + 2 * option, {2, 0, 1, option});
    Add(views, kind, 11 + 2 * option, {2, 0, 0, option});
  }
  for (std::int32_t ha = 2; ha < 6; ++ha) Add(views, kind, 14 + ha, {2, ha, 0, 0});
}

// Ranking pages and FIGF: (list, horizontal tab, lower tab).
void AddRankingViews(std::vector<TPageView>& views, TPageKind kind) {
  if (kind == TPageKind::FIGF) {
    Add(views, kind, 0, {0, 0, 0});
    Add(views, kind, 1, {1, 0, 0});
  } else {
    Add(views, kind, 0, {0, 0, 0});
    Add(views, kind, 1, {0, 0, 1});
    Add(views, kind, 2, {1, 0, 0});
    Add(views, kind, 3, {1, 0, 1});
  }
  Add(views, kind, 4, {2, 0, 1});
  Add(views, kind, 5, {2, 0, 0});
  for (std::int32_t ha = 1; ha < 6; ++ha) Add(views, kind, 5 + ha, {2, ha, 0});
}

// EQGP and FIGP: (list, horizontal tab, right tab, lower tab, option).
void AddStrategyViews(std::vector<TPageView>& views, TPageKind kind) {
  Add(views, kind, 0, {0, 0, 0, 1, 0});
  Add(views, kind, 1, {0, 0, 0, 0, 0});
  Add(views, kind, 2, {0, 0, 0, 0, 1});
  Add(views, kind, 3, {0, 0, 1, 0, 1});
  Add(views, kind, 4, {0, 0, 0, 0, 2});
  for (std::int32_t ha = 1; ha < 6; ++ha) Add(views, kind, 4 + ha, {0, ha, 0, 0, 0});
}

// MYGP: (list, horizontal tab, right tab, lower tab, option).
void AddGlobalViews(std::vector<TPageView>& views) {
  const TPageKind kind = TPageKind::MYGP;
  Add(views, kind, 0, {0, 0, 0, 0, 0});
  Add(views, kind, 1, {2, 0, 0, 1, 0});
  Add(views, kind, 2, {2, 0, 0, 0, 0});
  Add(views, kind, 3, {2, 0, 0, 0, 1});
  Add(views, kind, 4, {2, 0, 1, 0, 1});
  Add(views, kind, 5, {2, 0, 0, 0, 2});
  Add(views, kind, 6, {2, 0, 1, 0, 2});
  Add(views, kind, 7, {2, 0, 0, 0, 3});
  for (std::int32_t ha = 1; ha < 6; ++ha) Add(views, kind, 7 + ha, {2, ha, 0, 0, 0});
}

}  // namespace

void SetWindowGlobals() {
  widgetfixture::SetWindowGlobals();
  strDecimalSeparator = ".";
}

TChartArea ChartArea(int width, int height) {
  session::TWindowGeometry g = session::DefaultWindowGeometry();
  session::LayoutWindow(g, width, height, true, true, true);
  const session::TRectGeometry& area = g.GeneralInformationAndGraphicSupport;
  return {area.X, area.Y, area.Width, area.Height, g.HATabsheets[0].Width, static_cast<float>(width / height)};
}

bool LoadSampleRun(TModelPages& pages, std::string& message) {
  const modeltest::TSampleWorkData& data = modeltest::SampleWorkData();
  vcMyExternCountryList = data.Countries;
  usMyExternUserSettings = data.Settings;
  TNullProgress progress;
  const models::TModelCalculationResult result = models::CalculateModels(false, progress);
  if (!result.Ok) {
    message = result.FailureText.empty() ? result.ErrorText : result.FailureText;
    return false;
  }
  pages.Init();
  pages.Refresh({0, 0});
  return true;
}

const std::vector<TPageView>& ReachableViews() {
  static const std::vector<TPageView> views = [] {
    std::vector<TPageView> all;
    AddGlobalViews(all);
    AddStrategyViews(all, TPageKind::EQGP);
    AddRankingViews(all, TPageKind::EQSL);
    AddTimingViews(all, TPageKind::EQQV);
    AddTimingViews(all, TPageKind::EQBL);
    AddStrategyViews(all, TPageKind::FIGP);
    AddRankingViews(all, TPageKind::FISL);
    AddRankingViews(all, TPageKind::FICY);
    AddRankingViews(all, TPageKind::FIGF);
    return all;
  }();
  return views;
}

void SelectPageView(TModelPages& pages, const TPageView& view, bool loadGroup) {
  const Choices& c = view.Choices;
  if (view.Kind == TPageKind::EQQV && loadGroup) pages.EQQVGraphic.LoadGroupSeries(false, view.Group);
  if (c.size() == 5)
    pages.SelectView(view.Kind, c[0], c[1], c[2], c[3], c[4]);  // vl, ha, vr, hb, co
  else if (c.size() == 4)
    pages.SelectView(view.Kind, c[0], c[1], -1, c[2], c[3]);  // vl, ha, hb, co
  else
    pages.SelectView(view.Kind, c[0], c[1], -1, c[2], -1);  // vl, ha, hb
}

std::int32_t CurrentView(TModelPages& pages, TPageKind kind) {
  std::int32_t view = -1;
  pages.WithPage(kind, [&](auto& page) { view = static_cast<std::int32_t>(page.CurrentView); });
  return view;
}

const char* PageName(TPageKind kind) {
  static const char* const kNames[] = {"MYGP", "EQGP", "EQSL", "EQQV", "EQBL", "FIGP", "FISL", "FICY", "FIGF"};
  const auto index = static_cast<std::int32_t>(kind);
  return index >= 0 && index < 9 ? kNames[index] : "None";
}

}  // namespace pagefixture
