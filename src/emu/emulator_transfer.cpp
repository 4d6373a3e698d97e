#include "emu/emulator_transfer.h"

#include <sys/stat.h>

#include <fstream>
#include <optional>
#include <span>

#include "emu/clock.h"
#include "emu/port_access.h"
#include "emu/reply_reader.h"
#include "emu/transfer_steps.h"

namespace zorvin::emu {
namespace {

// The image padded with 00H to whole blocks, or the message why there is none.
struct Image {
  std::string bytes;
  std::size_t size = 0;  // of the file
  std::string problem;
};

Image read_image(const std::string& path) {
  struct stat info {};
  // Anything but a regular file counts as not found: a directory has no
  // image, and reading a FIFO or device could block the window for good.
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {{}, 0, "Datei nicht gefunden"};
  const auto size = static_cast<std::uintmax_t>(info.st_size);
  if (size > kMaxImageSize) return {{}, 0, "Datei zu groß"};
  if (size == 0) return {{}, 0, "Datei leer"};

  const std::size_t blocks = (static_cast<std::size_t>(size) + kBlockSize - 1) / kBlockSize;
  std::string buffer(blocks * kBlockSize, '\0');
  std::ifstream file(path, std::ios::binary);
  if (!file) return {{}, 0, "Datei nicht gefunden"};
  // The file may have changed since stat(): take what is there, up to the buffer.
  file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  return {std::move(buffer), static_cast<std::size_t>(size), {}};
}

constexpr std::string_view kFailurePrefix = "Fehler bei der Übertragung - ";

struct Failure {
  std::string step;     // named in the verdict
  std::string message;  // the error line, after kFailurePrefix
};

// One conversation with the device on the open port: every step waits for
// the lines that confirm it.
class Link {
 public:
  Link(SerialPorts& ports, TransferView& view, const TransferTiming& timing, const std::string& port_name)
      : ports_(ports), view_(view), timing_(timing), port_name_(port_name), reader_(ports, timing.poll_interval_ms) {}

  // Lets the device finish what it prints after a reset (banner, auto-load)
  // and syncs with ":EMUOFF". A reset may come while we wait (the open pulls
  // DTR): the sync sent into the boot pause is lost and the banner follows
  // instead of the reply, so the device gets a few chances.
  std::optional<Failure> synchronise() {
    const std::string step(kSyncCommand.substr(0, kSyncCommand.size() - 1));
    std::string unexpected;
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (!settle()) {
        return Failure{step, port_name_ + " sendet ununterbrochen - das Gerät wird nicht bereit; ist " + port_name_ +
                                 " der Eprom Emulator?"};
      }
      if (!send(kSyncCommand)) return Failure{step, port_name_ + " antwortet nicht"};
      std::optional<std::string> line = reader_.next_line(elapsed_ms() + timing_.reply_timeout_ms);
      if (!line) {
        return Failure{step, "keine Antwort auf " + step +
                                 " - falsche Schnittstelle, Gerät nicht bereit oder eine ältere Firmware ohne " + step +
                                 seen_version()};
      }
      if (is_version_line(*line)) {
        show(with_rest_of_sync_reply(std::move(*line)));
        return std::nullopt;
      }
      show({*line});
      unexpected = *line;
    }
    return Failure{step, "unerwartete Antwort auf " + step + ": „" + unexpected + "“ - ist " + port_name_ +
                             " der Eprom Emulator?"};
  }

  std::optional<Failure> run(const TransferStep& step) {
    if (!send(step.bytes)) return Failure{step.name, port_name_ + " antwortet nicht"};
    const std::int64_t sent = elapsed_ms();
    std::vector<std::string> got;
    for (const std::string& expected : step.replies) {
      std::optional<std::string> line = reader_.next_line(sent + timing_.reply_timeout_ms);
      if (!line) {
        show(got);
        return Failure{step.name, "keine Antwort auf " + step.name};
      }
      got.push_back(std::move(*line));
      if (!got.back().starts_with(expected)) {
        show(got);
        return Failure{step.name, "unerwartete Antwort auf " + step.name + ": „" + got.back() + "“"};
      }
    }
    show(got);
    if (step.is_block && elapsed_ms() - sent >= timing_.stalled_block_ms) {
      return Failure{step.name, step.name + " kam nicht vollständig an (ACK erst nach der Wartezeit des Geräts)"};
    }
    return std::nullopt;
  }

 private:
  // Reads until the device has been quiet for a while; false when it never
  // stops talking.
  bool settle() {
    const std::int64_t start = elapsed_ms();
    std::int64_t last_data = start;
    for (;;) {
      if (reader_.poll()) last_data = elapsed_ms();
      const std::vector<std::string> lines = reader_.take_lines();
      // Start-up output (banner, rows of auto-load dots) is shown line by line.
      for (const std::string& line : lines) {
        if (is_version_line(line)) version_ = line;
        view_.append_message(line);
      }
      if (!lines.empty()) view_.scroll_messages_to_end();
      const std::int64_t now = elapsed_ms();
      if (now - last_data >= timing_.quiet_ms) return true;
      if (now - start >= timing_.settle_limit_ms) return false;
    }
  }

  // The version line is followed by the bus line ("-> Bus set to 27512 ...");
  // both belong to the reply.
  std::vector<std::string> with_rest_of_sync_reply(std::string version) {
    std::vector<std::string> reply = {std::move(version)};
    while (std::optional<std::string> line = reader_.next_line(elapsed_ms() + timing_.quiet_ms)) {
      reply.push_back(std::move(*line));
      if (reply.back().starts_with("-> Bus set to ")) break;
    }
    return reply;
  }

  std::string seen_version() const {
    return version_.empty() ? "" : " (das Gerät meldet „" + version_ + "“)";
  }

  bool send(std::string_view bytes) {
    reader_.discard_partial();
    const std::span data(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return ports_.write_bytes(kEmulatorPort, data, timing_.reply_timeout_ms) == bytes.size();
  }

  // A step's reply is one message line, its lines joined ("->inACK").
  void show(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    view_.append_message(joined(lines));
    view_.scroll_messages_to_end();
  }

  SerialPorts& ports_;
  TransferView& view_;
  const TransferTiming& timing_;
  const std::string& port_name_;
  ReplyReader reader_;
  std::string version_;  // the last version line the device printed by itself
};

std::string blocks_text(std::size_t blocks) {
  return std::to_string(blocks) + (blocks == 1 ? " Block" : " Blöcke");
}

}  // namespace

bool emulator_transfer(const std::string& image_path, const settings::Settings& settings, SerialPorts& ports,
                       TransferView& view, TransferTiming timing) {
  const Image image = read_image(image_path);
  if (!image.problem.empty()) {
    view.append_message(image_path + " - " + image.problem);
    view.scroll_messages_to_end();
    return false;
  }
  if (const std::optional<std::string> problem = settings_problem(settings)) {
    view.append_message(std::string(kFailurePrefix) + *problem);
    view.scroll_messages_to_end();
    return false;
  }

  const std::string& port_name = settings.port_name;
  const std::string open_failed = "Fehler beim Öffnen der seriellen Schnittstelle - " + port_name;
  const std::string no_device = open_failed + " ist keine serielle Schnittstelle (kein Gerät)";
  struct stat info {};
  // A regular file, FIFO or folder under the port's name gets no protocol
  // bytes written into it.
  if (::stat(port_name.c_str(), &info) == 0 && !S_ISCHR(info.st_mode)) {
    view.append_message(no_device);
    view.scroll_messages_to_end();
    return false;
  }
  const int fd = ports.open(kEmulatorPort, port_name, SerialParams{});
  if (fd == 0 || !is_character_device(fd)) {
    if (fd == 0) {
      view.append_message(open_failed + " nicht gefunden");
      if (const std::optional<std::string> hint = permission_hint(port_name, ports.last_open_errno()))
        view.append_message(*hint);
    } else {
      view.append_message(no_device);
    }
    ports.close(kEmulatorPort);
    view.scroll_messages_to_end();
    return false;
  }
  view.append_message(port_name + " geöffnet, warte auf Eprom Emulator ...");
  view.wait_for_one_event(timing.first_event_wait_ms);
  if (settings.auto_load == 1 && settings.spi_flag != 1) {
    view.append_message(
        "Hinweis: „Automatsiches Laden“ ohne „Sicherung auf SPI“ - nach jedem Reset lädt der Emulator die alte "
        "SPI-Sicherung über dieses Programm");
  }

  Link link(ports, view, timing, port_name);
  std::optional<Failure> failure = link.synchronise();
  if (!failure) {
    for (const TransferStep& step : transfer_steps(image.bytes, settings)) {
      failure = link.run(step);
      if (failure) break;
    }
  }
  if (failure) view.append_message(std::string(kFailurePrefix) + failure->message);
  ports.close(kEmulatorPort);
  view.append_message(port_name + " geschlossen");
  if (failure) {
    view.append_message("Übertragung fehlgeschlagen bei " + failure->step + " - nichts weiter gesendet");
  } else {
    view.append_message("Übertragung erfolgreich: " + std::to_string(image.size) + " Byte in " +
                        blocks_text(image.bytes.size() / kBlockSize) + " als " + eprom_part(settings.eprom_code) +
                        " geladen, Emulator läuft");
  }
  view.scroll_messages_to_end();
  return !failure;
}

}  // namespace zorvin::emu
