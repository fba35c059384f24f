#pragma once
// The program's icon, drawn from the same SVG that is installed into the desktop's icon
// theme, so the window, its boxes and the launcher show one picture.
#include <QIcon>

QIcon ProgramIcon();
