#pragma once

#include "ImageList.h"

// The program's thirty 16 × 16 pictures, each coloured one followed by its
// greyed form: 0 a blank page (new), 2 a red cross (delete), 4 an arrow down,
// 6 an arrow up, 8 a printer, 10 a torch, 12 an eraser, 14 a pencil, 16 a
// check mark, 18 an arrow left, 20 an arrow right, 22 two pages (copy), 24 a
// floppy disk (save), 26 a calendar, 28 a calculator. Drawn here, not loaded.
calvora::platform::ImageList makeImages16x16();
