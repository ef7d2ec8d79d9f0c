#pragma once
// The regime overview of the MYGP page: four indicator panels that place the
// current regime between two words, and three choice panels that order the
// alternatives of an allocation choice and list the model's best names.
// Built from the result records of the ranking and timing models, the
// country list and the user settings; nothing is written back.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "common/Records.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"
#include "widgets/RegimePanel.h"

// What TRegimePanel::SetData takes: two labels, two colours, a title and a
// value from 0 (first label) to 1 (second label).
struct TIndicatorPanelData {
  std::vector<std::string> Labels;
  std::vector<TAlphaColor> Colours;
  std::string Title;
  double Value = 0.0;
};

// What TRegimePanel::SetChoiceData takes: twelve labels and colours (0-5 the
// choice order, 6-11 the best names, padded with "" and 0x00000000).
struct TChoicePanelData {
  std::vector<std::string> Labels;
  std::vector<TAlphaColor> Colours;
  std::string Title;
  std::string ListTitle;
  std::string Note;
  std::uint32_t Flag = 0;
};

// The seven panels in the order they are filled.
struct TRegimePanelsData {
  TIndicatorPanelData MacroeconomyPanel;
  TIndicatorPanelData BehavioralFinancePanel;
  TIndicatorPanelData MonetaryPolicyPanel;
  TIndicatorPanelData LiquidityPanel;
  TChoicePanelData EquityBondChoicePanel;
  TChoicePanelData BondChoicePanel;
  TChoicePanelData CurrencyChoicePanel;
};

// The inputs the panels read; the page passes vcMyExternCountryList and
// usMyExternUserSettings. A missing first country, "AUINDEX" or "RULE2"
// point, or fewer settings rows than countries counts as an empty input.
struct TRegimePanelInputs {
  const std::vector<TCountry>& Countries;
  const TUserSettings& Settings;
  const TEQQVGraphicData& EQQV;
  const TEQBLGraphicData& EQBL;
  const TEQSLGraphicData& EQSL;
  const TFISLGraphicData& FISL;
  const TFIGFGraphicData& FIGF;
  const TFICYGraphicData& FICY;
};

// Share of a state list: (rows whose last value is exactly 1.0) / (rows);
// a row without points counts as not 1.0; 0.0 for an empty list.
double StateShare(const std::vector<TLabelledSeries>& rows);

// Appends the best list of a choice panel: the first min(rows, count) rows,
// last of them first, named by label 0 (its currency code when asCurrency),
// coloured by the claRegionColors entry of label 1 (claTextColor outside the
// six regions); then pads labels and colours with "" and 0x00000000 to twelve.
void AppendBestList(const std::vector<TLabelledSeries>& rows, std::size_t count, bool asCurrency,
                    std::vector<std::string>& labels, std::vector<TAlphaColor>& colours);

// The seven panels' data; never throws for missing data.
TRegimePanelsData BuildRegimePanels(const TRegimePanelInputs& inputs);

// Hands one panel's data to its widget.
void SetPanel(TRegimePanel& panel, const TIndicatorPanelData& data);
void SetPanel(TRegimePanel& panel, const TChoicePanelData& data);
