#pragma once
// Letting this thread's messages run in a test while it waits for something
// that arrives through them.

#include <windows.h>

#include <functional>

namespace kestro::test {

// Runs this thread's messages until `condition` holds, at most `timeoutMs`;
// false when it still does not hold then.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// Runs this thread's messages for `ms`.
void Pump(DWORD ms);

}  // namespace kestro::test
