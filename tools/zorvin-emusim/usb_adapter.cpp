#include "usb_adapter.h"

namespace zorvin::emusim {

void UsbAdapter::receive(std::string_view bytes, Micros at) {
  for (const char c : bytes) {
    if (timer_ && *timer_ <= at) send_packet();  // the timer ran out before this byte
    if (held_.empty()) timer_ = at + latency_;
    held_.push_back(c);
    if (held_.size() == kPacketBytes || latency_ == 0) send_packet();
  }
}

void UsbAdapter::send_packet() {
  sent_ += held_;
  held_.clear();
  timer_.reset();
}

std::string UsbAdapter::take(Micros now) {
  if (timer_ && *timer_ <= now) send_packet();
  std::string out;
  out.swap(sent_);
  return out;
}

std::optional<Micros> UsbAdapter::next_due() const {
  if (!sent_.empty()) return Micros{0};
  return timer_;
}

void UsbAdapter::clear() {
  held_.clear();
  sent_.clear();
  timer_.reset();
}

}  // namespace zorvin::emusim
