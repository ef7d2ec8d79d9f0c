#include "pages/ModelPages.h"

#include <type_traits>

#include "common/Globals.h"

TPageKind PageForTab(std::int32_t mainTab, std::int32_t globalSub, std::int32_t equitySub, std::int32_t bondSub) {
  switch (mainTab) {
    case 0:
      return globalSub == 0 ? TPageKind::MYGP : TPageKind::None;
    case 1:
      if (equitySub >= 0 && equitySub <= 3) return static_cast<TPageKind>(1 + equitySub);
      return TPageKind::None;
    case 2:
      if (bondSub >= 0 && bondSub <= 3) return static_cast<TPageKind>(5 + bondSub);
      return TPageKind::None;
    default:
      return TPageKind::None;
  }
}

bool PageReportsNoData(TPageKind kind) {
  return kind != TPageKind::None && kind != TPageKind::EQQV && kind != TPageKind::EQBL;
}

void TModelPages::Init() {
  ForEachPage([](auto& page) { page.Init(); });
}

void TModelPages::Refresh(const TPageRefreshInputs& inputs) {
  EQQVGraphic.LoadGroupSeries(true, inputs.QVList2Index);
  EQQVGraphic.Update(inputs.CountryListIndex);
  EQBLGraphic.LoadGroupSeries(true, 0);
  EQBLGraphic.Update(inputs.CountryListIndex);
  EQSLGraphic.Update(0);
  EQGPGraphic.Update(cMyExternEQSLGraphicData.RankingRows);
  FISLGraphic.Update(0);
  FICYGraphic.Update(0);
  FIGFGraphic.Update();
  FIGPGraphic.Update(cMyExternFIGFGraphicData.Rows1);
  MYGPGraphic.Update();
}

void TModelPages::SelectView(TPageKind kind, std::int32_t vl, std::int32_t ha, std::int32_t vr, std::int32_t hb,
                             std::int32_t co) {
  switch (kind) {
    case TPageKind::MYGP:
      MYGPGraphic.SelectView(vl, ha, vr, hb, co);
      break;
    case TPageKind::EQGP:
      EQGPGraphic.SelectView(vl, ha, vr, hb, co);
      break;
    case TPageKind::FIGP:
      FIGPGraphic.SelectView(vl, ha, vr, hb, co);
      break;
    case TPageKind::EQQV:
      EQQVGraphic.SelectView(vl, ha, hb, co);
      break;
    case TPageKind::EQBL:
      EQBLGraphic.SelectView(vl, ha, hb, co);
      break;
    case TPageKind::EQSL:
      EQSLGraphic.SelectView(vl, ha, hb);
      break;
    case TPageKind::FISL:
      FISLGraphic.SelectView(vl, ha, hb);
      break;
    case TPageKind::FICY:
      FICYGraphic.SelectView(vl, ha, hb);
      break;
    case TPageKind::FIGF:
      FIGFGraphic.SelectView(vl, ha, hb);
      break;
    case TPageKind::None:
      break;
  }
}

void TModelPages::Layout(TPageKind kind, platform::Canvas& canvas, float width, float height, float aspect,
                         float tabWidth) {
  WithPage(kind, [&](auto& page) { page.Layout(canvas, width, height, aspect, tabWidth); });
}

bool TModelPages::Draw(TPageKind kind, platform::Canvas& canvas, float width, std::int32_t rank) {
  bool drawn = true;
  WithPage(kind, [&](auto& page) {
    using Page = std::decay_t<decltype(page)>;
    if constexpr (std::is_base_of_v<TEQBLGraphic, Page>)
      page.Draw(canvas, width);
    else if constexpr (std::is_base_of_v<TRankingGraphic, Page>)
      drawn = page.Draw(canvas, width, rank);
    else
      drawn = page.Draw(canvas, width);
  });
  return drawn;
}

void TModelPages::MoveCursors(std::int32_t step, std::int32_t count) {
  ForEachPage([&](auto& page) { page.MoveCursors(step, count); });
}

void TModelPages::ResetCursors() {
  ForEachPage([](auto& page) { page.ResetCursors(); });
}

void DrawNoDataText(platform::Canvas& canvas, const std::string& text, float width, float height) {
  canvas.Font.Size = fScreenWidthRatio < 1.0f ? 50.0f : 52.0f;
  canvas.Font.Style = platform::fsBold;
  canvas.Fill.Kind = platform::TBrushKind::Solid;
  canvas.Fill.Color = 0xFF4C4C4E;
  const float textWidth = canvas.TextWidth(text);
  const float left = (width - textWidth) * 0.5f;
  canvas.FillText({left, 0.0f, left + textWidth, height}, text, false, 1.0f, platform::TTextAlign::Center,
                  platform::TTextAlign::Center);
}
