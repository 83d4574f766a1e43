#pragma once
// Values of one registry key. A value reads only when it has the expected type
// and size, so that a damaged value counts as absent; writes are silent.

#include <windows.h>

#include <optional>
#include <string>

#include "win/Handle.h"

namespace kestro {

// Empty when the key does not exist or cannot be opened; never creates it.
UniqueRegKey OpenRegistryKeyForReading(HKEY root, const wchar_t* path);
// Created when missing; empty when it cannot be opened or created.
UniqueRegKey CreateRegistryKeyForWriting(HKEY root, const wchar_t* path);

std::optional<DWORD> ReadRegistryDword(HKEY key, const wchar_t* name);
// Fills `data` only when the value is REG_BINARY of exactly `size` bytes.
bool ReadRegistryBinary(HKEY key, const wchar_t* name, void* data, DWORD size);
// REG_SZ, without its terminating null.
std::optional<std::wstring> ReadRegistryString(HKEY key, const wchar_t* name);

void WriteRegistryDword(HKEY key, const wchar_t* name, DWORD value);
void WriteRegistryBinary(HKEY key, const wchar_t* name, const void* data, DWORD size);
void WriteRegistryString(HKEY key, const wchar_t* name, const std::wstring& value);

}  // namespace kestro
