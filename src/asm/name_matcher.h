// Finds which of many names occur in a text, in one pass over the text
// (Aho-Corasick): a trie of the names with failure links, so that the cost
// of a search does not grow with the number of names.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/unicode_text.h"

namespace zorvin::asm48 {

class NameMatcher {
 public:
  // Names are compared byte for byte with the text as fold_case would fold
  // it; give them already case-folded. Name i is reported as i; equal names
  // are reported by their first index.
  explicit NameMatcher(const std::vector<std::string>& names);

  // Calls found(i) once for every place where name i ends in the folded
  // text; overlapping and nested occurrences included.
  template <class Found>
  void for_each_match(std::string_view text, Found&& found) const {
    if (text.size() < shortest_) return;  // no name fits
    std::uint32_t state = kRoot;
    CaseFoldingReader folded;
    for (const char c : text) {
      state = step(state, static_cast<unsigned char>(folded.next(c)));
      for (std::uint32_t at = nodes_[state].name != kNone ? state : nodes_[state].next_output; at != kNone;
           at = nodes_[at].next_output)
        found(nodes_[at].name);
    }
  }

 private:
  static constexpr std::uint32_t kRoot = 0;
  static constexpr std::uint32_t kNone = UINT32_MAX;

  struct Node {
    std::uint32_t first_child = kNone;
    std::uint32_t next_sibling = kNone;
    std::uint32_t fail = kRoot;
    std::uint32_t name = kNone;         // the name that ends here
    std::uint32_t next_output = kNone;  // nearest node on the failure chain where a name ends
    unsigned char byte = 0;             // the byte leading here from the parent
  };

  std::uint32_t child(std::uint32_t node, unsigned char byte) const;
  std::uint32_t step(std::uint32_t state, unsigned char byte) const;

  std::vector<Node> nodes_;
  std::size_t shortest_ = 0;  // bytes in the shortest name
  std::array<std::uint32_t, 256> root_next_{};  // the root's moves, all 256 at hand
};

}  // namespace zorvin::asm48
