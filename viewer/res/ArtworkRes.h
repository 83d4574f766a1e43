#pragma once
// The program's pictures (Artwork.rc); "MAINICON" is the program icon.
#define IDB_COMMAND_PICTURES 3002  // 16 x 16 each, 32-bit with alpha, order of CommandPictures.inc
#define IDB_CUBES 3003             // the tray's blink: a blue and a red cube, 16 x 16 each
#define IDB_SPLASH_EMBLEM 3004     // 280 x 280, 32-bit with alpha
