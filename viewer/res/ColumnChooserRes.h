#pragma once
// The column chooser's template and controls (res/ColumnChooser.rc, ui/windows/ColumnChooser.cpp).
#define IDD_COLUMN_CHOOSER 400
// The check boxes are IDC_COLUMN_CHOOSER_FIRST_BOX + 0 to 11.
#define IDC_COLUMN_CHOOSER_FIRST_BOX 10
