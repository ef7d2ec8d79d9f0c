#include "session/ValueEditors.h"

#include <cmath>

#include "common/Globals.h"
#include "platform/Format.h"

namespace session {
namespace {

constexpr std::int32_t kHoldDelayTicks = 10;  // the repeat begins on the eleventh tick
constexpr std::int32_t kDragDelayTicks = 4;   // a pressed bar drags from the sixth tick

// Steps per repeat by the repeat count: 1 for 1..10, 5 for 11..15, 10 after.
double RepeatMultiplier(std::int32_t count) { return count <= 10 ? 1.0 : (count <= 15 ? 5.0 : 10.0); }

bool IsBar(std::int32_t bar) { return bar >= 0 && bar < 3; }

}  // namespace

std::string ValueEditorText(double value, int decimals) {
  const char separator = strDecimalSeparator.empty() ? '.' : strDecimalSeparator[0];
  return platform::FloatToStrF(value, platform::ffFixed, 8, decimals, separator);
}

// --- TValueEditor ------------------------------------------------------------

double ClampSetting(double value, double min, double max) {
  if (!(value >= min)) return min;  // also a value that is no number
  return value > max ? max : value;
}

void TValueEditor::Clamp() { Value = ClampSetting(Value, MinValue, MaxValue); }

bool TValueEditor::StepBy(double multiplier) {
  if (Direction != kDirectionUp && Direction != kDirectionDown) return false;
  const double before = Value;
  Value += (Direction == kDirectionUp ? multiplier : -multiplier) * Step;
  Clamp();
  return Value != before;
}

void TValueEditor::Show() {
  ShownValue = std::round(Value);
  if (ShownValue == 0.0) ShownValue = 0.0;  // no "-0"
  ValueLabel = ValueEditorText(ShownValue, 0);
}

// --- TValueEditorSet ---------------------------------------------------------

void TValueEditorSet::CreateEditors(std::size_t count) {
  Editors.assign(count, TValueEditor{});
  HeldEditor = kNoEditor;
  RepeatTicks = 0;
  Repeating = false;
}

bool TValueEditorSet::IsEditor(std::int32_t editor) const {
  return editor >= 0 && static_cast<std::size_t>(editor) < Editors.size();
}

void TValueEditorSet::Press(std::int32_t editor, bool down) {
  if (!IsEditor(editor)) return;
  HeldEditor = editor;
  Editors[static_cast<std::size_t>(editor)].Direction = down ? kDirectionDown : kDirectionUp;
  // A press shortly after a release must not inherit the last hold's acceleration.
  RepeatTicks = 0;
  Repeating = false;
}

void TValueEditorSet::CancelHold() {
  if (IsEditor(HeldEditor)) Editors[static_cast<std::size_t>(HeldEditor)].Direction = kDirectionNone;
  HeldEditor = kNoEditor;
  RepeatTicks = 0;
  Repeating = false;
}

void TValueEditorSet::KeepOrder(std::int32_t editor) {
  if (!KeepMaxAboveMin || Editors.size() < 2) return;
  TValueEditor& max = Editors[0];
  TValueEditor& min = Editors[1];
  if (editor == 0 && max.Value < min.Value) max.Value = min.Value;
  if (editor == 1 && min.Value > max.Value) min.Value = max.Value;
}

std::int32_t TValueEditorSet::Tick() {
  if (!IsEditor(HeldEditor)) {
    Repeating = false;
    RepeatTicks = 0;
    return kNoEditor;
  }
  if (!Repeating) {
    if (RepeatTicks++ < kHoldDelayTicks) return kNoEditor;
    Repeating = true;
    RepeatTicks = 0;
  }
  RepeatTicks = RepeatTicks <= 14 ? RepeatTicks + 1 : 20;
  TValueEditor& editor = Editors[static_cast<std::size_t>(HeldEditor)];
  const double before = editor.Value;
  editor.StepBy(RepeatMultiplier(RepeatTicks));
  KeepOrder(HeldEditor);
  if (editor.Value == before) return kNoEditor;
  editor.Show();
  return HeldEditor;
}

bool TValueEditorSet::StepAtRelease(std::int32_t editor) {
  HeldEditor = kNoEditor;
  if (!IsEditor(editor)) return false;
  TValueEditor& e = Editors[static_cast<std::size_t>(editor)];
  e.StepBy(1.0);
  KeepOrder(editor);
  e.Show();
  e.Direction = kDirectionNone;
  return true;
}

// --- Concentration -----------------------------------------------------------

std::size_t TConcentrationPage::CriterionOf(std::int32_t editor) const {
  if (editor == 1) return 2;
  return PageKind == 1 ? 1 : 0;
}

void TConcentrationPage::ShowPage(std::int32_t kind) {
  PageKind = kind;
  for (std::int32_t i = 0; i < 2; ++i) {
    TValueEditor& e = Editors[static_cast<std::size_t>(i)];
    double& criterion = CountryRankingCriteria[CriterionOf(i)];
    e.MinValue = kConcentrationPercentMin;
    e.MaxValue = kSettingPercentMax;
    e.Value = 100.0 * criterion;
    const double loaded = e.Value;
    e.Clamp();
    if (e.Value != loaded) criterion = e.Value / 100.0;
    e.Show();
  }
}

void TConcentrationPage::Release(std::int32_t editor) {
  if (!StepAtRelease(editor)) return;
  CountryRankingCriteria[CriterionOf(editor)] = Editors[static_cast<std::size_t>(editor)].ShownValue / 100.0;
}

// --- Gold, FX risk and TIPS --------------------------------------------------

void TGoldPage::ShowPage() {
  double* stored[2] = {&MaxGoldAllocation, &MaxFxRiskAllocation};
  for (std::size_t i = 0; i < 2; ++i) {
    TValueEditor& e = Editors[i];
    e.MinValue = kSettingPercentMin;
    e.MaxValue = kSettingPercentMax;
    e.Value = *stored[i];
    e.Clamp();
    if (e.Value != *stored[i]) *stored[i] = e.Value;
    e.Show();
  }
  TipsChecked = MaxTipsAllocation == 100.0;
}

void TGoldPage::CheckBoxClick() {
  TipsChecked = !TipsChecked;
  MaxTipsAllocation = TipsChecked ? 100.0 : 0.0;
}

void TGoldPage::Release(std::int32_t editor) {
  if (!StepAtRelease(editor)) return;
  TValueEditor& e = Editors[static_cast<std::size_t>(editor)];
  e.Value = e.ShownValue;
  (editor == 0 ? MaxGoldAllocation : MaxFxRiskAllocation) = e.ShownValue;
}

// --- Trust bars --------------------------------------------------------------

void TTrustBar::SetLevel(double level, const TTrustBarGeometry& geometry) {
  // Compared before the conversion: a value that is no number or is huge has no int.
  const double steps = level / 5.0;
  if (!(steps > 0.0))
    Position = 0;
  else if (steps >= LastPosition())
    Position = LastPosition();
  else
    Position = static_cast<std::int32_t>(steps);
  PlaceCursor(geometry);
}

void TTrustBar::PlaceCursor(const TTrustBarGeometry& geometry) {
  const std::int32_t last = LastPosition();
  if (Position > last) Position = last;
  if (Position < 0) Position = 0;
  // A bar with a single position has no travel: the cursor stays at 0.
  CursorX = last > 0 ? Position * (geometry.GuideWidth - geometry.CursorWidth) / last : 0.0;
}

void TTrustBar::StepToward(double x, const TTrustBarGeometry& geometry) {
  if (x < geometry.GuideX || x > geometry.GuideX + geometry.GuideWidth) return;
  if (x > CursorX + geometry.CursorWidth)
    ++Position;
  else if (x < CursorX)
    --Position;
  PlaceCursor(geometry);
}

double TTrustBar::LabelX(double panelX, const TTrustBarGeometry& geometry) const {
  return panelX + CursorX + (geometry.CursorWidth - geometry.LabelWidth) * 0.5;
}

// --- Portfolio ---------------------------------------------------------------

double& TPortfolioPage::TrustLevel(std::int32_t bar) {
  if (bar == 1) return BLTrustLevel;
  if (bar == 2) return SLTrustLevel;
  return QVTrustLevel;
}

void TPortfolioPage::StoreTrust(std::int32_t bar, bool plusSign) {
  TTrustBar& b = TrustBars[static_cast<std::size_t>(bar)];
  TrustLevel(bar) = b.Level();
  b.ValueLabel = (plusSign ? "+" : "") + ValueEditorText(b.Level(), 0) + "%";
}

void TPortfolioPage::ShowPage() {
  for (std::int32_t i = 0; i < 3; ++i) {
    TTrustBar& b = TrustBars[static_cast<std::size_t>(i)];
    b.PositionCount = 21;
    b.CursorSpan = 1;
    b.SetLevel(TrustLevel(i), BarGeometry);
    StoreTrust(i, false);
  }
  TValueEditor& max = Editors[0];
  TValueEditor& min = Editors[1];
  max.MinValue = min.MinValue = kSettingPercentMin;
  max.MaxValue = min.MaxValue = kSettingPercentMax;
  // As the models read them: 0 <= Max <= 100, then 0 <= Min <= Max.
  max.Value = MaxEqVsFiAllocation;
  max.Clamp();
  min.Value = MinEqVsFiAllocation;
  min.Clamp();
  if (min.Value > max.Value) min.Value = max.Value;
  MaxEqVsFiAllocation = max.Value;
  MinEqVsFiAllocation = min.Value;
  max.Show();
  min.Show();
}

void TPortfolioPage::Release(std::int32_t editor) {
  if (!StepAtRelease(editor)) return;
  TValueEditor& max = Editors[0];
  TValueEditor& min = Editors[1];
  TValueEditor& released = Editors[static_cast<std::size_t>(editor)];
  released.Value = released.ShownValue;
  if (max.Value < min.Value) {
    TValueEditor& other = editor == 0 ? min : max;
    other.Value = released.Value;
    other.Show();
  }
  MaxEqVsFiAllocation = max.Value;
  MinEqVsFiAllocation = min.Value;
}

std::int32_t TPortfolioPage::OnTimer() {
  for (TTrustBar& b : TrustBars) {
    if (!b.Pressed) continue;
    if (b.PressTicks <= kDragDelayTicks)
      ++b.PressTicks;
    else
      b.Dragging = true;
  }
  return Tick();
}

void TPortfolioPage::TrackBarPress(std::int32_t bar, bool leftButton, double x) {
  if (!IsBar(bar)) return;
  TTrustBar& b = TrustBars[static_cast<std::size_t>(bar)];
  b.PressTicks = 0;
  b.Pressed = true;
  if (!leftButton) return;
  b.StepToward(x, BarGeometry);
  StoreTrust(bar, true);
}

void TPortfolioPage::TrackBarMove(std::int32_t bar, bool leftButton, double x) {
  if (!IsBar(bar)) return;
  TTrustBar& b = TrustBars[static_cast<std::size_t>(bar)];
  if (!b.Dragging || !leftButton || x == b.CursorX) return;
  b.StepToward(x, BarGeometry);
  StoreTrust(bar, false);
}

void TPortfolioPage::TrackBarRelease(std::int32_t bar) {
  if (!IsBar(bar)) return;
  TTrustBar& b = TrustBars[static_cast<std::size_t>(bar)];
  b.Pressed = false;
  b.Dragging = false;
}

}  // namespace session
