// The USB serial adapter between the board and the host, as an FTDI chip
// behaves with its default settings: bytes from the board collect in the
// chip and go to the host in one USB packet when 62 of them are there, or
// when its latency timer runs out, 16 ms after the first byte of the packet.
// So even a short reply reaches the host some 16 ms after the board sent it,
// which is most of what each step of a transfer costs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "device_time.h"

namespace zorvin::emusim {

class UsbAdapter {
 public:
  static constexpr std::size_t kPacketBytes = 62;  // 64 minus two status bytes

  // `latency`: the latency timer; 0 passes every byte on at once.
  explicit UsbAdapter(Micros latency) : latency_(latency) {}

  // Bytes that came from the board's line at `at`.
  void receive(std::string_view bytes, Micros at);
  // What has reached the host by `now`, in order.
  std::string take(Micros now);
  // When the next packet goes to the host, if bytes are waiting.
  std::optional<Micros> next_due() const;
  // The host closed the port: what the chip still held is dropped.
  void clear();

 private:
  void send_packet();

  Micros latency_;
  std::string held_;           // not yet sent to the host
  std::string sent_;           // packets that went, not yet taken
  std::optional<Micros> timer_;  // runs out at this time
};

}  // namespace zorvin::emusim
