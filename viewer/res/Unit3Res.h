#pragma once
// The geolocation window's template and controls (res/Unit3.rc, ui/Unit3.cpp).
#define IDD_TFORM3 300
// Where no browser control can be made: the text saying where the page went.
#define IDC_TFORM3_NOTICE 10
