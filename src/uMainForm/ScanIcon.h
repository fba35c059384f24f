#pragma once
// The Scan button's picture, drawn for this program: a square code inside the corner marks
// of a viewfinder, crossed by a scan line.
#include <QIcon>

QIcon ScanButtonIcon();
