#pragma once
#include <QFont>
#include <QString>
#include <vector>

#include "analysis/PrintLayout.h"

class QPainter;
class QSize;

namespace corvanta::ui {

// What printing needs of the visualizer: its drawing cut into pages of a given size, the
// column headings over the drawing and the selection it shows.
class VisualizerPages {
 public:
  virtual ~VisualizerPages() = default;
  // Draws page `page` (numbered from 0) of the drawing on a surface of `size` pixels at the
  // screen's resolution and returns how many pages the drawing has at that size. A page the
  // drawing does not have (-1, say) draws nothing and only counts.
  virtual int DrawPage(QPainter& painter, const QSize& size, int page) = 0;
  // The visible columns' headings, each with its right edge on the surface: where the
  // column's values end (2 pixels before the end of its sample in the column template).
  virtual std::vector<ColumnHeading> ColumnHeadings() const = 0;
  // The drawing's font, in which the headings are printed.
  virtual QFont DrawingFont() const = 0;
  // The toolbox's source, destination and protocol/application entries.
  virtual QString SourceText() const = 0;
  virtual QString DestinationText() const = 0;
  virtual QString ApplicationText() const = 0;
};

}  // namespace corvanta::ui
