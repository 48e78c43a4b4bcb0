#pragma once
// The visualizer's font between the stored record, Qt and the core's text measurement.
#include <QColor>
#include <QFont>

#include "analysis/VisualizerLayout.h"
#include "ui/main/ProgramSettings.h"

namespace corvanta::ui {

inline constexpr int kVisualizerMinFontSize = 5;  // points
inline constexpr int kVisualizerMaxFontSize = 14;

// The stored font as a QFont, its size held to 5..14 points.
QFont VisualizerQFont(const VisualizerFont& font);
// The stored record of a QFont with its text colour, its size held to 5..14 points.
VisualizerFont VisualizerFontOf(const QFont& font, const QColor& color);
// The font's size held to 5..14 points.
QFont HeldVisualizerFont(QFont font);

// Text measurement in a font on a device (the screen when none), for the layout pass.
TextMeasure QtTextMeasure(const QFont& font, QPaintDevice* device = nullptr);

// The layout's colours and columns from the settings.
VisualizerOptions VisualizerOptionsOf(const VisualizerSettings& settings);

}  // namespace corvanta::ui
