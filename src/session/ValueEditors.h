#pragma once
// The press-and-hold number editors and the trust bars of the settings pages
// "Best Countries", "Gold && Currencies" and "Global Risk ", without any
// window. A page's window forwards its arrow and bar events and its 50 ms
// timer here and shows the texts these keep beside their numbers (a text is
// never read back as a number).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace session {

// The ranges in which the settings pages show values, in whole percent:
// weights, costs, limits, equity shares and trust levels 0 to 100;
// concentration levels 5 to 100 (stored as fractions, 0.05 to 1).
inline constexpr double kSettingPercentMin = 0.0;
inline constexpr double kSettingPercentMax = 100.0;
inline constexpr double kConcentrationPercentMin = 5.0;

// value kept in [min, max]; a value that is no number takes min.
double ClampSetting(double value, double min, double max);

inline constexpr std::int32_t kDirectionUp = 0;
inline constexpr std::int32_t kDirectionDown = 1;
inline constexpr std::int32_t kDirectionNone = 2;
inline constexpr std::int32_t kNoEditor = -1;

// A value as the pages show it: fixed, `decimals` decimals (0 or 2),
// rounded half away from zero, in strDecimalSeparator.
std::string ValueEditorText(double value, int decimals);

// One number row: a value changed by its down and up arrows within
// [MinValue, MaxValue]. ShownValue is the whole number ValueLabel shows.
struct TValueEditor {
  double Value = 0.0;
  double MaxValue = 0.0;
  double MinValue = 0.0;
  double Step = 1.0;
  std::string ValueLabel;
  std::int32_t Direction = kDirectionNone;
  double ShownValue = 0.0;

  // Value := value kept in [MinValue, MaxValue] (not a number: MinValue).
  void Clamp();
  // Value := Value + multiplier x Step (up) or - multiplier x Step (down),
  // then clamped; no change without a direction. True when Value changed.
  bool StepBy(double multiplier);
  // ShownValue := Value rounded to a whole number; ValueLabel its text.
  void Show();
};

// The editors of a page and their hold repeat. A press notes the editor and
// its direction; the timer repeats from its eleventh tick after the press:
// ten repeats of 1 step, five of 5 steps, then 10 steps per tick; the
// release adds one step. A click is therefore one step.
class TValueEditorSet {
 public:
  std::vector<TValueEditor> Editors;
  std::int32_t HeldEditor = kNoEditor;
  std::int32_t RepeatTicks = 0;
  bool Repeating = false;
  // Editor 0 is a maximum never below editor 1, a minimum (equity Max/Min).
  bool KeepMaxAboveMin = false;

  // Editors emptied and refilled with `count` editors (Step 1, no direction), none held.
  void CreateEditors(std::size_t count);
  // Arrow pressed: a down arrow (down) or an up arrow of `editor`. Starts a
  // fresh hold delay. Unknown editors are ignored.
  void Press(std::int32_t editor, bool down);
  // One timer tick. Returns the editor whose label changed, else kNoEditor.
  std::int32_t Tick();
  // Ends a hold without the release step (the page hid, the mouse was lost).
  void CancelHold();

 protected:
  // Arrow of `editor` released: nothing held, one more step by the editor's
  // direction, clamped and shown; the direction is cleared. False for an
  // unknown editor.
  bool StepAtRelease(std::int32_t editor);
  void KeepOrder(std::int32_t editor);
  bool IsEditor(std::int32_t editor) const;
};

// "Best Countries": concentration levels in whole percent [5, 100], stored
// as fractions (level / 100). Kind 0 edits the equity level (editor 0); kind
// 1 the bond level (editor 0) and the currency level (editor 1).
class TConcentrationPage : public TValueEditorSet {
 public:
  std::array<double, 3> CountryRankingCriteria{0.0, 0.0, 0.0};  // equity, bond, currency
  std::int32_t PageKind = 0;

  TConcentrationPage() { CreateEditors(2); }
  // Loads the editors from the criteria. A criterion outside [0.05, 1] (or
  // not a number) is shown clamped and the criterion takes the clamped
  // level, so that the page hands back what it shows.
  void ShowPage(std::int32_t kind);
  // The second level row is shown only on the bond page.
  bool SecondRowVisible() const { return PageKind == 1; }
  // Release: the step, then the whole number shown / 100 into the criterion.
  void Release(std::int32_t editor);

 private:
  std::size_t CriterionOf(std::int32_t editor) const;
};

// "Gold && Currencies": gold (editor 0) and FX risk (editor 1) in whole
// percent [0, 100], stored as the number shown; TIPS 100 (used) or 0.
class TGoldPage : public TValueEditorSet {
 public:
  double MaxGoldAllocation = 0.0;
  double MaxTipsAllocation = 0.0;
  double MaxFxRiskAllocation = 0.0;
  bool TipsChecked = false;  // CheckBox_1 visible

  TGoldPage() { CreateEditors(2); }
  // Values unscaled; one outside [0, 100] is shown and kept clamped. The box
  // is checked only for exactly 100.
  void ShowPage();
  // Toggles the box: MaxTipsAllocation 100 when checked, else 0.
  void CheckBoxClick();
  // Release: the step; Value := the whole number shown, stored unscaled.
  void Release(std::int32_t editor);
};

// Where a trust bar lies inside its panel (the panel's coordinates).
struct TTrustBarGeometry {
  double GuideX = 0.0;
  double GuideWidth = 307.0;
  double CursorWidth = 32.0;
  double LabelWidth = 54.0;
};

// A trust bar: 21 positions 0..20, trust level = 5 x Position.
struct TTrustBar {
  double CursorX = 0.0;
  std::int32_t PositionCount = 21;
  std::int32_t CursorSpan = 1;
  std::int32_t Position = 0;
  std::int32_t PressTicks = 0;
  bool Pressed = false;
  bool Dragging = false;
  std::string ValueLabel;  // "55%", "+60%" after a press

  std::int32_t LastPosition() const { return PositionCount - CursorSpan; }
  // Position := level / 5 truncated, kept in 0..20 (not a number: 0).
  void SetLevel(double level, const TTrustBarGeometry& geometry);
  // Position kept in 0..LastPosition; CursorX := Position x (guide width -
  // cursor width) / LastPosition.
  void PlaceCursor(const TTrustBarGeometry& geometry);
  // Only for a pointer X on the guide: right of the cursor's right edge one
  // position up, left of its left edge one down, then placed.
  void StepToward(double x, const TTrustBarGeometry& geometry);
  double Level() const { return 5.0 * Position; }
  // Label X centred over the cursor: panel X + CursorX + (cursor width - label width) / 2.
  double LabelX(double panelX, const TTrustBarGeometry& geometry) const;
};

// "Global Risk ": portfolio currency, equity Max (editor 0) and Min (editor
// 1) in whole percent [0, 100] with Max never below Min, and the three trust
// bars (Macro-Economic, Behavioral, Monetary).
class TPortfolioPage : public TValueEditorSet {
 public:
  std::array<TTrustBar, 3> TrustBars{};
  TTrustBarGeometry BarGeometry{};
  std::string PortfolioCcy;
  std::string RiskFreeId;  // handed back as loaded
  double MaxEqVsFiAllocation = 0.0;
  double MinEqVsFiAllocation = 0.0;
  double QVTrustLevel = 0.0;
  double BLTrustLevel = 0.0;
  double SLTrustLevel = 0.0;
  bool FxHedging = false;  // handed back as loaded

  TPortfolioPage() {
    CreateEditors(2);
    KeepMaxAboveMin = true;
  }
  // Bars from the trust levels (each level becomes 5 x Position, label
  // "55%"); Max clamped to [0, 100] and Min to [0, Max] as shown and kept.
  void ShowPage();
  // A currency chosen in the currency dialog (nothing when cancelled).
  void SetPortfolioCcy(const std::string& code) { PortfolioCcy = code; }
  // Release: the step; Value := the whole number shown, stored unscaled in
  // Max or Min; should rounding leave the stored Max below the Min, the other
  // editor takes the same whole number (it already showed it).
  void Release(std::int32_t editor);
  // One timer tick: the editors' repeat (returned as Tick), and every
  // pressed bar becomes a drag on the sixth tick after its press.
  std::int32_t OnTimer();
  // Press on bar `bar`: pressed; with the left button one step toward x,
  // level stored, label "+60%".
  void TrackBarPress(std::int32_t bar, bool leftButton, double x);
  // Move over bar `bar`: only while dragging with the left button and x not
  // CursorX; one step toward x, level stored, label "65%".
  void TrackBarMove(std::int32_t bar, bool leftButton, double x);
  void TrackBarRelease(std::int32_t bar);
  double& TrustLevel(std::int32_t bar);

 private:
  void StoreTrust(std::int32_t bar, bool plusSign);
};

}  // namespace session
