// The chart area of the application window on an in-process data server with
// the sample set (offscreen, or any platform given by QT_QPA_PLATFORM), run
// from an up-to-date local file to the painted workspace:
//  - each tab click of a walk through the workspace (main tabs, the visible
//    theme tabs, VL and HA tabs of several models): the time from the mouse
//    click on the tab to the end of the chart area's repaint; one row per
//    click, and one row for the whole walk with the median and the worst click;
//  - one drag frame: a 20 px horizontal move with the left button held over
//    the chart (view shift, zone extended, repaint), on a NAV chart and on a
//    bar chart;
//  - one hover frame: a move without buttons over a NAV chart (value
//    indicators, repaint), and over the country grid of a signal page,
//    where the element under the pointer is highlighted.
// Every timed action ends with ChartArea()->repaint(), so the paint is part
// of the time; the way back to the state before a click is not timed.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppBenchSupport.h"
#include "SampleData.h"
#include "ServerStore.h"
#include "app/MainForm.h"
#include "data/LocalQuorvaneDB.h"
#include "pages/EQBLGraphic.h"
#include "platform/DateTime.h"
#include "session/ChartShift.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFolder = fs::temp_directory_path() / "quorvane-bench-chart-area";
constexpr int kClickIterations = 15;
constexpr int kWalkIterations = 5;
constexpr int kFrameIterations = 60;
constexpr float kDragStep = 20.0f;

app::TMainForm* Form = nullptr;

// ---- the window's selection

constexpr std::array<const char*, 9> kModelNames{"MYGP", "EQGP", "EQSL", "EQQV", "EQBL",
                                                 "FIGP", "FISL", "FICY", "FIGF"};
// Theme tab number of each sub-index of the equity and the bond tab.
constexpr std::array<int, 4> kEquityThemes{1, 4, 2, 3};
constexpr std::array<int, 4> kBondThemes{5, 7, 8, 6};

// What a click may change: the model, the view id and the page's own view.
struct TSignature {
  std::int32_t Model = -1;
  std::int32_t ViewId = -1;
  std::int32_t PageView = -1;
  bool operator==(const TSignature&) const = default;
};

TSignature Signature() {
  const session::TViewState& v = Form->View;
  TSignature s{v.CurrentModelRecord, v.CurrentViewId, -1};
  Form->Pages()->WithPage(PageForTab(v.SelectedMainTab, v.GlobalSubIndex, v.EquitySubIndex, v.BondSubIndex),
                          [&s](const auto& page) { s.PageView = page.CurrentView; });
  return s;
}

std::string ModelName(const TSignature& s) {
  return s.Model >= 0 && s.Model < static_cast<std::int32_t>(kModelNames.size())
             ? kModelNames[static_cast<std::size_t>(s.Model)]
             : "none";
}

bool Shown(const std::string& name) {
  const app::TControl* control = Form->Find(name.c_str());
  return control != nullptr && control->isVisibleTo(Form);
}

// The title of a tab ("HATabsheet_3" -> the text of "HATabsheetTitle_3").
std::string TitleOfTab(const std::string& tab) {
  std::string name = tab;
  name.insert(name.find("Tabsheet") + 8, "Title");
  const app::TControl* title = Form->Find(name.c_str());
  return title == nullptr ? std::string() : title->Text;
}

std::string Prefix(const std::string& tab) { return tab.substr(0, tab.find('_') + 1); }

// The chosen tab of the group of tab ("" when the group has none).
std::string ChosenTab(const std::string& prefix) {
  const session::TViewState& v = Form->View;
  if (prefix == "MainTabsheet_")
    return v.SelectedMainTab >= 0 && v.SelectedMainTab < 3 ? prefix + std::to_string(v.SelectedMainTab + 1) : "";
  if (prefix == "ThemeSelectionTabsheet_") {
    const std::int32_t sub = v.SelectedMainTab == 1 ? v.EquitySubIndex : v.BondSubIndex;
    if ((v.SelectedMainTab != 1 && v.SelectedMainTab != 2) || sub < 0 || sub > 3) return "";
    const auto& themes = v.SelectedMainTab == 1 ? kEquityThemes : kBondThemes;
    return prefix + std::to_string(themes[static_cast<std::size_t>(sub)]);
  }
  if (v.CurrentModelRecord < 0 || v.CurrentModelRecord >= static_cast<std::int32_t>(v.ModelRecords.size())) return "";
  const session::TModelRecord& record = v.ModelRecords[static_cast<std::size_t>(v.CurrentModelRecord)];
  for (std::size_t l = 0; l < record.VLTabs.size(); ++l) {
    if (!record.VLTabs[l].Selected) continue;
    if (prefix == "VLTabsheet_") return prefix + std::to_string(l + 1);
    for (std::size_t h = 0; h < record.VLTabs[l].HATabs.size(); ++h)
      if (record.VLTabs[l].HATabs[h].Selected && prefix == "HATabsheet_") return prefix + std::to_string(h + 1);
  }
  return "";
}

// The chosen tabs of the four groups as a path of clicks (shown groups only).
std::vector<std::string> ChosenPath() {
  std::vector<std::string> path;
  for (const char* prefix : {"MainTabsheet_", "ThemeSelectionTabsheet_", "VLTabsheet_", "HATabsheet_"}) {
    const std::string tab = ChosenTab(prefix);
    if (!tab.empty() && Shown(tab)) path.push_back(tab);
  }
  return path;
}

void Click(const std::string& tab) { QTest::mouseClick(Form->Find(tab.c_str()), Qt::LeftButton); }

// The click on a tab to the end of the chart area's repaint, in ms.
double TimedClick(const std::string& tab) {
  app::TControl* control = Form->Find(tab.c_str());
  QElapsedTimer clock;
  clock.start();
  QTest::mouseClick(control, Qt::LeftButton);
  Form->ChartArea()->repaint();
  const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  QCoreApplication::processEvents();
  return ms;
}

void Settle() {
  Form->ChartArea()->repaint();
  QCoreApplication::processEvents();
}

// ---- the walk of tab clicks

// One click of the walk: the tab, the chosen tab of its group before it (the
// click back, not timed), the selection before it as clicks, and the states.
struct TTabClick {
  std::string Name;
  std::string Tab;
  std::string Back;
  std::vector<std::string> BeforePath;
  TSignature Before;
  TSignature After;
};

// The tabs tried in this order; a hidden tab or the chosen tab of its group is left out.
std::vector<std::string> WalkScript() {
  std::vector<std::string> script;
  auto vlAndHa = [&script](std::initializer_list<int> vls) {
    for (int vl : vls) script.push_back("VLTabsheet_" + std::to_string(vl));
    for (int ha = 1; ha <= 6; ++ha) script.push_back("HATabsheet_" + std::to_string(ha));
  };
  script.push_back("MainTabsheet_2");
  for (int theme : {4, 2, 3}) script.push_back("ThemeSelectionTabsheet_" + std::to_string(theme));
  vlAndHa({1, 2, 4, 3});  // EQBL, ends on "Portfolio"
  script.push_back("ThemeSelectionTabsheet_1");
  vlAndHa({1, 2, 4, 3});  // EQGP
  script.push_back("MainTabsheet_3");
  for (int theme : {7, 8, 6, 5}) script.push_back("ThemeSelectionTabsheet_" + std::to_string(theme));
  vlAndHa({1, 2, 4, 3});  // FIGP
  script.push_back("MainTabsheet_1");
  vlAndHa({1, 2, 4, 3});  // MYGP
  return script;
}

std::vector<TTabClick> DiscoverWalk() {
  std::vector<TTabClick> walk;
  for (const std::string& tab : WalkScript()) {
    if (!Shown(tab) || ChosenTab(Prefix(tab)) == tab) continue;
    TTabClick click;
    click.Tab = tab;
    click.Back = ChosenTab(Prefix(tab));
    Click(tab);
    Settle();
    if (click.Back.empty() || !Shown(click.Back)) continue;  // no way back to time it again
    // A main or VL tab carries the view over: the states are those of the
    // second round (click, back, click), which every further round repeats.
    Click(click.Back);
    Settle();
    click.BeforePath = ChosenPath();
    click.Before = Signature();
    Click(tab);
    Settle();
    click.After = Signature();
    char number[8];
    std::snprintf(number, sizeof number, "%02zu", walk.size() + 1);
    std::string title = TitleOfTab(tab);
    std::replace(title.begin(), title.end(), ' ', '_');
    click.Name = std::string(number) + "_" + ModelName(click.Before) + "_" + tab + "_" + title + "_to_" +
                 ModelName(click.After) + "_view" + std::to_string(click.After.ViewId);
    walk.push_back(click);
  }
  return walk;
}

// The state before a click: its path of clicks, then a check.
bool Restore(const TTabClick& click) {
  if (Signature() == click.Before && ChosenTab(Prefix(click.Tab)) == click.Back) return true;
  for (const std::string& tab : click.BeforePath)
    if (Shown(tab)) Click(tab);
  Settle();
  return Signature() == click.Before && ChosenTab(Prefix(click.Tab)) == click.Back;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

void ReportSamples(benchmark::State& state, const std::vector<double>& ms) {
  state.counters["median_ms"] = Median(ms);
  state.counters["worst_ms"] = ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end());
}

// One click, timed from the click to the end of the repaint; the click back is not timed.
void BM_TabClick(benchmark::State& state, const TTabClick& click) {
  if (!Restore(click)) {
    state.SkipWithError("the selection before the click cannot be restored");
    return;
  }
  std::vector<double> samples;
  for (auto _ : state) {
    const double ms = TimedClick(click.Tab);
    samples.push_back(ms);
    state.SetIterationTime(ms / 1000.0);
    const TSignature after = Signature();
    Click(click.Back);
    Settle();
    if (!(after == click.After) || !(Signature() == click.Before)) {
      state.SkipWithError("the click or the click back reached another view");
      break;
    }
  }
  ReportSamples(state, samples);
  state.counters["view_id"] = click.After.ViewId;
  state.counters["page_view"] = click.After.PageView;
  Click(click.Tab);  // the next click of the walk starts from here
  Settle();
}

// The whole walk once per iteration: median and worst click, and which click was the worst.
void BM_TabClickWalk(benchmark::State& state, const std::vector<TTabClick>& walk) {
  std::vector<double> samples;
  std::string worst;
  double worstMs = -1.0;
  for (auto _ : state) {
    if (!Restore(walk.front())) {
      state.SkipWithError("the selection before the walk cannot be restored");
      return;
    }
    double total = 0.0;
    for (const TTabClick& click : walk) {
      if (!Restore(click)) {
        state.SkipWithError(("the selection before " + click.Name + " cannot be restored").c_str());
        return;
      }
      const double ms = TimedClick(click.Tab);
      total += ms;
      samples.push_back(ms);
      if (ms > worstMs) {
        worstMs = ms;
        worst = click.Name;
      }
    }
    state.SetIterationTime(total / 1000.0);
  }
  ReportSamples(state, samples);
  state.counters["clicks"] = static_cast<double>(walk.size());
  state.SetLabel("worst: " + worst);
}

// ---- drag and hover over the chart

// Selects main tab, theme tab (0: none) and the VL and HA tabs with these titles (HA "": none).
bool SelectView(int mainTab, int theme, const std::string& vlTitle, const std::string& haTitle) {
  Click("MainTabsheet_" + std::to_string(mainTab));
  if (theme > 0) Click("ThemeSelectionTabsheet_" + std::to_string(theme));
  auto clickTitled = [](const char* prefix, int count, const std::string& title) {
    for (int i = 1; i <= count; ++i) {
      const std::string tab = prefix + std::to_string(i);
      if (Shown(tab) && TitleOfTab(tab) == title) {
        if (ChosenTab(prefix) != tab) Click(tab);
        return true;
      }
    }
    return false;
  };
  const bool found =
      clickTitled("VLTabsheet_", 4, vlTitle) && (haTitle.empty() || clickTitled("HATabsheet_", 6, haTitle));
  Settle();
  return found && !Form->ChartArea()->NoDataShown();
}

// The longest run of points on one row (step 5 px) inside the page's view
// area and, with span, inside its view span (where the zone and the value
// indicators follow the pointer).
struct TChartRow {
  float Y = 0.0f;
  float Left = 0.0f;
  float Right = 0.0f;
};

TChartRow WidestRow(bool span) {
  app::TChartArea* area = Form->ChartArea();
  TChartRow best;
  for (int y = 5; y < area->height(); y += 10) {
    float start = -1.0f;
    for (int x = 0; x <= area->width(); x += 5) {
      const float fx = static_cast<float>(x);
      const float fy = static_cast<float>(y);
      const bool in = x < area->width() && session::LocateInSelectedView(Form->View, *Form->Pages(), fx, fy) &&
                      (!span || session::GetSelectedViewRange(Form->View, *Form->Pages(), fx, fy));
      if (in && start < 0.0f) start = static_cast<float>(x);
      if (!in && start >= 0.0f) {
        const float end = static_cast<float>(x - 5);
        if (end - start > best.Right - best.Left) best = {static_cast<float>(y), start, end};
        start = -1.0f;
      }
    }
  }
  return best;
}

void SendMouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QWidget* area = Form->ChartArea();
  QMouseEvent event(type, at, area->mapToGlobal(at), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(area, &event);
}

struct TChartView {
  int MainTab;
  int Theme;
  const char* VL;
  const char* HA;
};

// A left-button drag over the chart, 20 px to the right and back in turn:
// each move is timed to the end of the repaint.
void BM_DragFrame(benchmark::State& state, TChartView view) {
  if (!SelectView(view.MainTab, view.Theme, view.VL, view.HA)) {
    state.SkipWithError("the view cannot be selected or shows no data");
    return;
  }
  // The zone follows the drag inside the span; a view without a span (bars) shifts only.
  bool inSpan = true;
  TChartRow row = WidestRow(true);
  if (row.Right - row.Left < 4 * kDragStep) {
    inSpan = false;
    row = WidestRow(false);
  }
  if (row.Right - row.Left < 4 * kDragStep) {
    state.SkipWithError("no chart area wide enough for the drag");
    return;
  }
  const QPointF start((row.Left + row.Right) / 2.0f, row.Y);
  SendMouse(QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton);
  SendMouse(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
  Settle();
  const int drawsBefore = Form->ChartArea()->PageDrawCount();
  std::vector<double> samples;
  int shiftFrames = 0;
  bool right = true;
  for (auto _ : state) {
    const QPointF at = right ? start + QPointF(kDragStep, 0.0) : start;
    right = !right;
    QElapsedTimer clock;
    clock.start();
    SendMouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
    Form->ChartArea()->repaint();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (Form->ChartArea()->Shift.ViewShiftActive) ++shiftFrames;
    QCoreApplication::processEvents();
    samples.push_back(ms);
    state.SetIterationTime(ms / 1000.0);
  }
  const int draws = Form->ChartArea()->PageDrawCount() - drawsBefore;
  SendMouse(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
  Settle();
  ReportSamples(state, samples);
  state.counters["page_draws_per_frame"] = samples.empty() ? 0.0 : static_cast<double>(draws) / samples.size();
  state.counters["view_id"] = Form->View.CurrentViewId;
  state.counters["in_span"] = inSpan ? 1.0 : 0.0;
  state.counters["shift_active_share"] = samples.empty() ? 0.0 : static_cast<double>(shiftFrames) / samples.size();
}

// Moves without buttons along a row, 20 px a frame, to its end and back;
// each frame is timed to the end of the repaint. Reports the frames where
// `counted` held after the move (as counter `share`) and the page drawings
// per frame.
void HoverAlong(benchmark::State& state, const TChartRow& row, const char* share,
                const std::function<bool(QPointF)>& counted) {
  const int steps = static_cast<int>((row.Right - row.Left) / kDragStep);
  const int drawsBefore = Form->ChartArea()->PageDrawCount();
  std::vector<double> samples;
  int countedFrames = 0;
  int step = 0;
  int direction = 1;
  for (auto _ : state) {
    const QPointF at(row.Left + static_cast<float>(step) * kDragStep, row.Y);
    if (step + direction < 0 || step + direction > steps) direction = -direction;
    step += direction;
    QElapsedTimer clock;
    clock.start();
    SendMouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    Form->ChartArea()->repaint();
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (counted(at)) ++countedFrames;
    QCoreApplication::processEvents();
    samples.push_back(ms);
    state.SetIterationTime(ms / 1000.0);
  }
  const int draws = Form->ChartArea()->PageDrawCount() - drawsBefore;
  ReportSamples(state, samples);
  const double frames = samples.empty() ? 1.0 : static_cast<double>(samples.size());
  state.counters[share] = countedFrames / frames;
  state.counters["page_draws_per_frame"] = draws / frames;
  state.counters["view_id"] = Form->View.CurrentViewId;
}

// A move without buttons across the chart span and back, with the value
// indicators shown.
void BM_HoverFrame(benchmark::State& state, TChartView view) {
  if (!SelectView(view.MainTab, view.Theme, view.VL, view.HA)) {
    state.SkipWithError("the view cannot be selected or shows no data");
    return;
  }
  const TChartRow row = WidestRow(true);
  if (row.Right - row.Left < 4 * kDragStep) {
    state.SkipWithError("no chart span wide enough for the hover");
    return;
  }
  HoverAlong(state, row, "indicators_shown_share",
             [](QPointF) { return Form->ChartArea()->Indicators.ValueIndicatorsShown; });
}

// The row (step 4 px) of the chart area where most points lie on a
// highlighted element of the EQBL page (its hint is not empty).
TChartRow HintedRow() {
  app::TChartArea* area = Form->ChartArea();
  const TEQBLGraphic& page = Form->Pages()->EQBLGraphic;
  TChartRow best;
  int most = 0;
  for (int y = 2; y < area->height(); y += 4) {
    int hinted = 0;
    for (int x = 0; x < area->width(); x += 5)
      if (!page.GetHintAt(static_cast<float>(x), static_cast<float>(y)).empty()) ++hinted;
    if (hinted > most) {
      most = hinted;
      best = {static_cast<float>(y), 0.0f, static_cast<float>(area->width() - 1)};
    }
  }
  return best;
}

// A move without buttons across the EQBL country grid and back: each frame
// leaves one element and enters the next, whose highlight is drawn into the
// chart's drawing.
void BM_HighlightFrame(benchmark::State& state, TChartView view) {
  if (!SelectView(view.MainTab, view.Theme, view.VL, view.HA)) {
    state.SkipWithError("the view cannot be selected or shows no data");
    return;
  }
  const TChartRow row = HintedRow();
  if (row.Right <= row.Left) {
    state.SkipWithError("no element to highlight");
    return;
  }
  HoverAlong(state, row, "on_element_share", [](QPointF at) {
    return !Form->Pages()->EQBLGraphic.GetHintAt(static_cast<float>(at.x()), static_cast<float>(at.y())).empty();
  });
}

}  // namespace

int main(int argc, char** argv) {
  appbench::TBenchProgram program(argc, argv, kFolder);
  if (!program.Started) return 1;
  std::unique_ptr<app::TMainForm> form = appbench::WindowOnWorkspace(kFolder, "bench_chart_area");
  if (!form) return 1;
  Form = form.get();
  std::fprintf(stderr, "window %d x %d, chart area %d x %d, platform %s\n", Form->width(), Form->height(),
               Form->ChartArea()->width(), Form->ChartArea()->height(), qPrintable(QApplication::platformName()));

  const std::vector<TTabClick> walk = DiscoverWalk();
  for (const TTabClick& click : walk) {
    benchmark::RegisterBenchmark(("BM_TabClick/" + click.Name).c_str(), BM_TabClick, click)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(kClickIterations);
  }
  if (!walk.empty()) {
    benchmark::RegisterBenchmark("BM_TabClickWalk", BM_TabClickWalk, walk)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(kWalkIterations);
  }
  // Equity, "Behavioral" (EQBL): the portfolio's NAV chart and the allocation history bars.
  const TChartView nav{2, 3, "Portfolio", "NAV"};
  const TChartView bars{2, 3, "History", ""};
  for (const auto& [name, view] : {std::pair{"NAV_EQBL_Portfolio_NAV", nav}, {"Bars_EQBL_History", bars}}) {
    benchmark::RegisterBenchmark((std::string("BM_DragFrame/") + name).c_str(), BM_DragFrame, view)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(kFrameIterations);
  }
  benchmark::RegisterBenchmark("BM_HoverFrame/NAV_EQBL_Portfolio_NAV", BM_HoverFrame, nav)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(kFrameIterations);
  // Equity, "Behavioral" (EQBL): the heat map of the countries' signals.
  benchmark::RegisterBenchmark("BM_HighlightFrame/Grid_EQBL_Heat_Map", BM_HighlightFrame,
                               TChartView{2, 3, "Heat Map", ""})
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(kFrameIterations);

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Form = nullptr;
  form.reset();
  return 0;
}
