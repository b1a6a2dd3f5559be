#pragma once
// Pictures of the main window's speed buttons and its icon, drawn in code.

#include <QIcon>

enum class SpeedPicture { Open, Exit, Save, Cut, Copy, Paste, DataEdit, Run };

QIcon SpeedIcon(SpeedPicture picture);
QIcon FrameIcon();
