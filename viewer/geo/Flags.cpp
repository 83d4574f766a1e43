#include "geo/Flags.h"

#include <array>

namespace kestro {

namespace {

// Flag pictures 0 to 238 of SinFlags, in picture order. "England", "fam",
// "scotland", "wales" and "cs" are pictures that no database code selects.
constexpr std::array<const wchar_t*, 239> kFlagKeys = {
#include "geo/FlagKeys.inc"
};

}  // namespace

int CountryFlagIndex(const std::wstring& code) {
  std::wstring key = code;
  for (wchar_t& c : key)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  for (size_t i = 0; i < kFlagKeys.size(); ++i)
    if (key == kFlagKeys[i]) return static_cast<int>(i);
  if (key == L"localhost") return kFlagLocalHost;
  if (key == L"eu") return kFlagEurope;
  if (key == L"rs") return kFlagSerbia;
  return kFlagUnknown;
}

}  // namespace kestro
