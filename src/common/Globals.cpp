#include "common/Globals.h"

std::string strDecimalSeparator;
std::array<std::string, 4> sMyExternalVSKServer;
std::vector<TCountry> vcMyExternCountryList;
TUserSettings usMyExternUserSettings;
std::vector<TPortfolioTemplate> vptMyExternPortfolioTemplateList;
const std::array<std::string, 6> strRegionNameList{
    "North America", "Europe (Euro)", "Europe (Non Euro)", "Commodity Exporters", "Japan", "Developing Asia"};

float fScreenWidthRatio = 0.0f;
float fScreenHeightRatio = 0.0f;

TAlphaColor claApplicationBkgColor = 0;
TAlphaColor claReferenceGraphicColor_1 = 0;
TAlphaColor claReferenceGraphicColor_2 = 0;
TAlphaColor claReferenceGraphicColor_3 = 0;
