#pragma once

#include <QIcon>

// The icon with a small red badge in its lower right corner holding count (9+ above nine), drawn
// into every size the icon has: how the tray tells of changed watched pages where no notification
// could be shown. A count of 0 or less gives the icon unchanged.
QIcon WithBadge(const QIcon& icon, int count);
