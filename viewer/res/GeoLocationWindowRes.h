#pragma once
// The geolocation window's template and controls (res/GeoLocationWindow.rc,
// ui/windows/GeoLocationWindow.cpp).
#define IDD_GEOLOCATION 300
// Where no browser control can be made: the text saying where the page went.
#define IDC_GEOLOCATION_NOTICE 10
