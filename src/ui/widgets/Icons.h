#pragma once
#include <QIcon>
#include <QPixmap>

namespace corvanta::ui {

// The program's own small pictures, drawn rather than shipped.
enum class Picture {
  Open,
  OpenBusy,
  Print,
  Toolbox,
  Station,
  Network,
  Brisqon,
  Bulb,
  Copy,
  SortAscending,
  SortDescending,
  CheckMark
};

QIcon MakeIcon(Picture picture);
QPixmap MakePixmap(Picture picture, int size);
// The splash and about windows' image: a ring of stations.
QPixmap MakeLogo(int size);
// The check mark drawn in the marked problem cells of the client/server table.
QPixmap MakeCheckMark();

}  // namespace corvanta::ui
