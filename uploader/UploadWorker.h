#pragma once
// The upload worker: posts the job's file as a two-field multipart form and
// opens the result page that the service names in its answer.

#include <windows.h>

#include "UploadJob.h"

namespace mirovan {

// Thread entry; the parameter is the UploadJob. Nothing escapes it.
DWORD WINAPI UploadWorkerThread(void* job) noexcept;

}  // namespace mirovan
