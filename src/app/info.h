// What the Info dialog shows about the program.
#pragma once

namespace zorvin::app::info {

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 2;
inline constexpr const char* kTitle = "zorvin - Assembler für 8048";
inline constexpr const char* kCopyright = "© 2026 Die zorvin-Entwickler";
inline constexpr const char* kWebPage = "https://zorvin.example.org";

}  // namespace zorvin::app::info
