#pragma once

#include <string>

namespace mirovan {

// The tool's message box: no owner, its caption, the warning icon, OK.
void ShowMessage(const std::wstring& text);

}  // namespace mirovan
