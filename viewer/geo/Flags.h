#pragma once
// The pictures of SinFlags, the flag image list (built by the windows from the
// flag strip resource), and which picture a country code shows.

#include <string>

namespace kestro {

inline constexpr int kFlagCount = 244;      // pictures 0 to 243
inline constexpr int kFlagUnknown = 239;    // question mark
inline constexpr int kFlagLocalHost = 240;  // small green square
inline constexpr int kFlagEurope = 241;     // European Union
inline constexpr int kFlagComputer = 242;   // a computer; no code selects it
inline constexpr int kFlagSerbia = 243;

// Picture of SinFlags for a country code (letter case ignored); "LocalHost"
// gives the green square, an unknown code the question mark.
int CountryFlagIndex(const std::wstring& code);

}  // namespace kestro
