#include "asm/name_matcher.h"

#include <algorithm>

namespace zorvin::asm48 {

NameMatcher::NameMatcher(const std::vector<std::string>& names) {
  nodes_.emplace_back();
  shortest_ = names.empty() ? 0 : names.front().size();
  for (std::uint32_t i = 0; i < names.size(); ++i) {
    shortest_ = std::min(shortest_, names[i].size());
    std::uint32_t node = kRoot;
    for (const char c : names[i]) {
      const auto byte = static_cast<unsigned char>(c);
      std::uint32_t next = child(node, byte);
      if (next == kNone) {
        next = static_cast<std::uint32_t>(nodes_.size());
        Node added;
        added.byte = byte;
        added.next_sibling = nodes_[node].first_child;
        nodes_.push_back(added);
        nodes_[node].first_child = next;
      }
      node = next;
    }
    if (node != kRoot && nodes_[node].name == kNone) nodes_[node].name = i;
  }
  root_next_.fill(kRoot);
  for (std::uint32_t c = nodes_[kRoot].first_child; c != kNone; c = nodes_[c].next_sibling) root_next_[nodes_[c].byte] = c;
  // Breadth first, so that every failure target is finished before it is used.
  std::vector<std::uint32_t> queue;
  for (std::uint32_t c = nodes_[kRoot].first_child; c != kNone; c = nodes_[c].next_sibling) queue.push_back(c);
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const std::uint32_t node = queue[head];
    for (std::uint32_t c = nodes_[node].first_child; c != kNone; c = nodes_[c].next_sibling) {
      const std::uint32_t fail = step(nodes_[node].fail, nodes_[c].byte);
      nodes_[c].fail = fail;
      nodes_[c].next_output = nodes_[fail].name != kNone ? fail : nodes_[fail].next_output;
      queue.push_back(c);
    }
  }
}

std::uint32_t NameMatcher::child(std::uint32_t node, unsigned char byte) const {
  for (std::uint32_t c = nodes_[node].first_child; c != kNone; c = nodes_[c].next_sibling)
    if (nodes_[c].byte == byte) return c;
  return kNone;
}

std::uint32_t NameMatcher::step(std::uint32_t state, unsigned char byte) const {
  while (state != kRoot) {
    const std::uint32_t next = child(state, byte);
    if (next != kNone) return next;
    state = nodes_[state].fail;
  }
  return root_next_[byte];
}

}  // namespace zorvin::asm48
