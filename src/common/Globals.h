#pragma once
// Application-wide globals: the loaded data, the user settings, the region
// list and the colour tables of the drawing code. Built empty by static
// initialisation, filled by the update process and the settings dialogs.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"

using TAlphaColor = std::uint32_t;  // 0xAARRGGBB

extern std::string strDecimalSeparator;
extern std::array<std::string, 4> sMyExternalVSKServer;
extern std::vector<TCountry> vcMyExternCountryList;
extern TUserSettings usMyExternUserSettings;
extern std::vector<TPortfolioTemplate> vptMyExternPortfolioTemplateList;
extern const std::array<std::string, 6> strRegionNameList;

extern float fScreenWidthRatio;
extern float fScreenHeightRatio;

extern TAlphaColor claApplicationBkgColor;
extern TAlphaColor claReferenceGraphicColor_1;
extern TAlphaColor claReferenceGraphicColor_2;
extern TAlphaColor claReferenceGraphicColor_3;

inline constexpr std::array<TAlphaColor, 6> claRegionColors{
    0xFF248CAC, 0xFF5758BB, 0xFF9980FA, 0xFF9CC9AD, 0xFFF8C296, 0xFFF46075};
inline constexpr std::array<TAlphaColor, 9> claGraphicPalette{
    0xFFF17A7E, 0xFF355C7D, 0xFF343D46, 0xFF37424D, 0xFF506070,
    0xFF8395A7, 0xFF77A1B5, 0xFFF7DC68, 0xFFE4E4E4};
inline constexpr std::array<TAlphaColor, 3> claReferenceColors{0xFF293556, 0xFF4A8DB7, 0xFFE4E4E4};
// Two sets of four: rest fill, rest text, highlighted fill, highlighted text.
inline constexpr std::array<TAlphaColor, 8> claTabColorSets{
    0xFFC5D2DD, 0xFFFFFFFF, 0xFF21366B, 0xFFFFFFFF, 0xFFC5D2DD, 0xFFFFFFFF, 0xFF3454A5, 0xFFFFFFFF};
inline constexpr std::array<TAlphaColor, 4> claButtonColorSet{0xFFC5D2DD, 0xFFFFFFFF, 0xFF708CD5, 0xFFFFFFFF};
inline constexpr std::array<TAlphaColor, 4> claTitleColorPair{0xFFFDFDFD, 0xFF005890, 0xFFFDFDFD, 0xFF005890};

inline constexpr TAlphaColor claTextColor = 0xFF4C4C4E;
inline constexpr TAlphaColor claGridColor = 0xFFB6C8D6;
inline constexpr TAlphaColor claHoverFrameColor = 0xFF9B9C9E;
inline constexpr TAlphaColor claErrorColor = 0xFFCC121C;
