#pragma once
// The statistics stage that closes the ranking and global models: the
// model's period returns measured against its benchmark's, written into the
// record's performance block. One routine; the members differ in the record,
// the title and the source of EquityInvested and Turnover.

#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"

namespace models {

void ComputeEQSLStatistics(TEQSLGraphicData* result);   // "Risk Portfolio"
void ComputeFISLStatistics(TFISLGraphicData* result);   // "Portfolio"
void ComputeFICYStatistics(TFICYGraphicData* result);   // "Cash Portfolio"
void ComputeFIGFStatistics(TFIGFGraphicData* result);   // "Fixed Rate Bond vs Gold And TIPS"
void ComputeFIGPStatistics(TFIGPGraphicData* result);   // "Fixed Rate Bond vs Gold And TIPS"
void ComputeEQGPStatistics(TEQGPGraphicData* result);   // "Cash && Risk Portfolio"

}  // namespace models
