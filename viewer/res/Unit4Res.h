#pragma once
// The column chooser's template and controls (res/Unit4.rc, ui/Unit4.cpp).
#define IDD_TFORM4 400
// The check boxes are IDC_TFORM4_FIRST_BOX + 0 to 11.
#define IDC_TFORM4_FIRST_BOX 10
