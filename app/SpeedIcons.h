#pragma once
// Pictures of the main window's speed buttons, drawn in code, and the
// program's icon.

#include <QIcon>

enum class SpeedPicture { Open, Exit, Save, Cut, Copy, Paste, DataEdit, Run };

QIcon SpeedIcon(SpeedPicture picture);
// The pictures of the menu entry's icon, built into the program.
QIcon ProgramIcon();
