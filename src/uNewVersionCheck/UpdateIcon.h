#pragma once
// The new-version dialog's picture, drawn for this program: a downward arrow into a tray
// on a round badge.
#include <QPixmap>

QPixmap UpdatePicture(int size = 128);
