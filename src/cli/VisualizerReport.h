#pragma once
// The visualizer's ladder, diagnostics and problem summary of one selected conversation,
// laid out headless, for the JSON object and the text report.
#include <string>

#include "analysis/VisualizerLayout.h"
#include "cli/Json.h"
#include "cli/TraceAnalysis.h"

namespace corvanta::cli {

// The layout pass over the selection (its packet range included) with every column on and
// the window's default tick unit and arrow scale.
VisualizerLayout LadderOf(const TraceAnalysis& analysis, const Selection& selection, char thousandsSep,
                          char decimalSep);

// "problems" (the summary's lines of each direction), "diagnostics" (frame and messages of
// each diagnosed frame) and "ladder" (one entry per drawn line), as members of the open object.
void WriteVisualizerJson(const VisualizerLayout& ladder, char thousandsSep, char decimalSep, JsonWriter& json);

// The problem summary and the ladder as readable text.
std::string VisualizerText(const VisualizerLayout& ladder, char thousandsSep, char decimalSep);

}  // namespace corvanta::cli
