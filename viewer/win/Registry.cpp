#include "win/Registry.h"

#include <cstring>
#include <vector>

namespace kestro {

namespace {

// The value's data when it has `type` and, for a fixed size, exactly `size` bytes.
std::optional<std::vector<BYTE>> ReadValue(HKEY key, const wchar_t* name, DWORD type,
                                           std::optional<DWORD> size) {
  DWORD storedType = 0;
  DWORD storedSize = 0;
  if (RegQueryValueExW(key, name, nullptr, &storedType, nullptr, &storedSize) != ERROR_SUCCESS)
    return std::nullopt;
  if (storedType != type || (size && storedSize != *size)) return std::nullopt;
  std::vector<BYTE> data(storedSize);
  if (RegQueryValueExW(key, name, nullptr, &storedType, data.data(), &storedSize) !=
          ERROR_SUCCESS ||
      storedType != type || storedSize != data.size())
    return std::nullopt;
  return data;
}

void WriteValue(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
}

}  // namespace

UniqueRegKey OpenRegistryKeyForReading(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  return UniqueRegKey(key);
}

UniqueRegKey CreateRegistryKeyForWriting(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return {};
  return UniqueRegKey(key);
}

std::optional<DWORD> ReadRegistryDword(HKEY key, const wchar_t* name) {
  auto data = ReadValue(key, name, REG_DWORD, sizeof(DWORD));
  if (!data) return std::nullopt;
  DWORD value = 0;
  std::memcpy(&value, data->data(), sizeof value);
  return value;
}

bool ReadRegistryBinary(HKEY key, const wchar_t* name, void* data, DWORD size) {
  auto stored = ReadValue(key, name, REG_BINARY, size);
  if (!stored) return false;
  std::memcpy(data, stored->data(), size);
  return true;
}

std::optional<std::wstring> ReadRegistryString(HKEY key, const wchar_t* name) {
  auto data = ReadValue(key, name, REG_SZ, std::nullopt);
  if (!data) return std::nullopt;
  std::wstring text(data->size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), data->data(), text.size() * sizeof(wchar_t));
  // The stored size may or may not count the terminator.
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

void WriteRegistryDword(HKEY key, const wchar_t* name, DWORD value) {
  WriteValue(key, name, REG_DWORD, &value, sizeof value);
}

void WriteRegistryBinary(HKEY key, const wchar_t* name, const void* data, DWORD size) {
  WriteValue(key, name, REG_BINARY, data, size);
}

void WriteRegistryString(HKEY key, const wchar_t* name, const std::wstring& value) {
  WriteValue(key, name, REG_SZ, value.c_str(),
             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace kestro
