#pragma once
// The WHOIS window's template and controls (res/Unit1.rc, ui/Unit1.cpp).
#define IDD_TFORM1 100
#define IDC_TFORM1_MEMO1 10
#define IDC_TFORM1_COMBOBOX1 11
#define IDC_TFORM1_EDIT1 12
