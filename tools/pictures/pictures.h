// The game's pictures and its icon, each drawn in a file of its own.
#pragma once

#include "kit/picture.h"

// 640 x 480: the title screen.
Picture DrawIntro();
// 640 x 480: the controls.
Picture DrawStart();
// 106 x 82: the falling disc, on magenta (the transparent colour).
Picture DrawCd();
// 256 x 256: the desktop's icon, a rounded tile, clear outside it.
Picture DrawIcon();
