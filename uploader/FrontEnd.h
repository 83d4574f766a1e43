#pragma once
// The upload tool's main thread: checks the argument and the file, runs the
// worker under the progress window and ends the program.

#include <string>
#include <string_view>

#include "UploadJob.h"

namespace mirovan {

// The whole text after the program's own name (quoted or not), leading blanks
// skipped; nothing else is parsed.
std::wstring_view CommandLineArgument(std::wstring_view commandLine);

// The file's name without its directory, as the form carries it.
std::string FormFileName(const std::wstring& path);

// Runs the tool on a command line; returns the exit status.
int RunUploader(std::wstring_view commandLine, const ServiceAddress& service);

}  // namespace mirovan
