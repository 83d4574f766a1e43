#pragma once
// The flag strip: 244 pictures of 16 x 16, side by side, magenta background.
#define IDB_FLAGS 3001
