#pragma once
// The properties window's template and controls (res/RowPropertiesWindow.rc,
// ui/windows/RowPropertiesWindow.cpp).
#define IDD_ROW_PROPERTIES 450
#define IDC_PROPERTIES_PICTURE 451
#define IDC_PROPERTIES_END_PROCESS 452  // "结束进程"
#define IDC_PROPERTIES_SCAN 453         // "扫描文件"
// Labels and edit boxes, IDC_PROPERTIES_FIRST_... + 0 to 10, top to bottom.
#define IDC_PROPERTIES_FIRST_LABEL 460
#define IDC_PROPERTIES_FIRST_EDIT 480
