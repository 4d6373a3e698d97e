#include "emu/reply_wait.h"

#include <array>
#include <string>
#include <string_view>

#include "emu/clock.h"
#include "files/text_codec.h"

namespace zorvin::emu {
namespace {

std::string without_crlf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

bool wait_reply(SerialPorts& ports, TransferView& view, int timeout_ms, int poll_interval_ms,
                bool report_timeout) {
  std::array<unsigned char, 2048> buffer{};
  const std::int64_t start = elapsed_ms();
  bool shown = false;
  for (;;) {
    delay_ms(poll_interval_ms);
    const std::size_t waiting = std::min(ports.available(kEmulatorPort), buffer.size());
    const std::size_t got =
        waiting == 0 ? 0 : ports.read(kEmulatorPort, std::span(buffer.data(), waiting));
    if (got > 0) {
      const std::string text =
          latin1_to_utf8({reinterpret_cast<const char*>(buffer.data()), got});
      if (text.find("\r\n") != std::string::npos) {
        view.append_message(without_crlf(text));
        shown = true;
        break;
      }
    }
    if (elapsed_ms() > start + timeout_ms) {
      if (report_timeout) view.append_message("Fehler bei der Übertragung - Wartezeit abgelaufen");
      break;
    }
  }
  view.scroll_messages_to_end();
  return shown;
}

}  // namespace zorvin::emu
