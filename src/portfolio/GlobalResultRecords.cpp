#include "portfolio/GlobalResultRecords.h"

// The exported result records, built empty by static initialisation and
// destroyed at exit.
TFISLGraphicData cMyExternFISLGraphicData;
TFICYGraphicData cMyExternFICYGraphicData;
TFIGFGraphicData cMyExternFIGFGraphicData;
TFIGPGraphicData cMyExternFIGPGraphicData;
TMYGPGraphicData cMyExternMYGPGraphicData;
