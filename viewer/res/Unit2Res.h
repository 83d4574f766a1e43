#pragma once
// The properties window's template and controls (res/Unit2.rc, ui/Unit2.cpp).
#define IDD_TFORM2 450
#define IDC_TFORM2_PICTURE 451
#define IDC_TFORM2_END 452   // "结束进程"
#define IDC_TFORM2_SCAN 453  // "扫描文件"
// Labels and edit boxes, IDC_TFORM2_FIRST_... + 0 to 10, top to bottom.
#define IDC_TFORM2_FIRST_LABEL 460
#define IDC_TFORM2_FIRST_EDIT 480
