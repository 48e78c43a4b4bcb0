#pragma once
#include <QIcon>
#include <QPixmap>

namespace corvanta::ui {

// The program's own small pictures, drawn rather than shipped.
enum class Picture { Open, OpenBusy, Print, Toolbox, Station, Network, Brisqon, Bulb };

QIcon MakeIcon(Picture picture);
QPixmap MakePixmap(Picture picture, int size);
// The splash and about windows' image: a ring of stations.
QPixmap MakeLogo(int size);

}  // namespace corvanta::ui
