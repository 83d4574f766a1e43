#pragma once
// The WHOIS window's template and controls (res/WhoisWindow.rc, ui/windows/WhoisWindow.cpp).
#define IDD_WHOIS 100
#define IDC_WHOIS_ANSWER 10
#define IDC_WHOIS_SERVER 11
#define IDC_WHOIS_ADDRESS 12
