#include "portfolio/EquityResultRecords.h"

// The exported result records, built empty by static initialisation and
// destroyed at exit.
TEQBLGraphicData cMyExternEQBLGraphicData;
TEQQVGraphicData cMyExternEQQVGraphicData;
TEQSLGraphicData cMyExternEQSLGraphicData;
TEQGPGraphicData cMyExternEQGPGraphicData;
