// Shared by the fuzz targets: stopping on a broken invariant, and checks of
// text that the targets make on their own instead of trusting the code under
// test.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zorvin::fuzz {

// A broken invariant is a finding like a crash: libFuzzer keeps the input.
[[noreturn]] inline void fail(std::string_view what, std::string_view detail = {}) {
  std::fprintf(stderr, "invariant broken: %.*s\n", static_cast<int>(what.size()), what.data());
  if (!detail.empty()) std::fprintf(stderr, "  at: %.*s\n", static_cast<int>(detail.size()), detail.data());
  std::abort();
}

inline void require(bool holds, std::string_view what, std::string_view detail = {}) {
  if (!holds) fail(what, detail);
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
inline bool is_valid_utf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    unsigned min_second = 0x80;
    unsigned max_second = 0xBF;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      if (lead == 0xE0) min_second = 0xA0;  // overlong
      if (lead == 0xED) max_second = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      if (lead == 0xF0) min_second = 0x90;  // overlong
      if (lead == 0xF4) max_second = 0x8F;  // above U+10FFFF
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      const unsigned low = k == 1 ? min_second : 0x80;
      const unsigned high = k == 1 ? max_second : 0xBF;
      if (byte < low || byte > high) return false;
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace zorvin::fuzz
