#pragma once

#include <QIcon>

// Icon resource number (res::kIconActive, res::kIconSuspended, the windows' pictures, the About box's
// pictures), drawn from its SVG at the sizes a tray or a window asks for. A null icon for an unknown number.
// Needs a QGuiApplication.
QIcon LoadIconResource(int number);
