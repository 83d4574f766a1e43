#pragma once
// Resource identifiers of the upload tool, shared by the .rc file and the code.

#define IDD_PROGRESS 101
#define IDI_UPLOADER 103
#define IDC_CANCEL 1001
#define IDC_PROGRESS 1002
#define IDC_STATUS 1003
