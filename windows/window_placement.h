#pragma once

#include <QRect>

class QWidget;

// Where the windows go each time they are shown, on a screen of the given geometry: centred, the
// PageMarks window two thirds of the screen's width (whole pixels) by half its height, the Sites
// and Topics windows half the screen's height wide and half its width high (so taller than wide on
// a landscape screen).
QRect PageMarksPlacement(const QRect& screen);
QRect SitesPlacement(const QRect& screen);
QRect TopicsPlacement(const QRect& screen);
// Gives window the placement on the primary screen.
void PlaceOnPrimaryScreen(QWidget& window, QRect (*placement)(const QRect&));
