#include "emu/emulator_transfer.h"

#include <sys/stat.h>

#include <optional>
#include <span>

#include "emu/clock.h"
#include "emu/port_access.h"
#include "emu/reply_reader.h"
#include "emu/transfer_image.h"
#include "emu/transfer_steps.h"

namespace zorvin::emu {
namespace {

constexpr std::string_view kFailurePrefix = "Fehler bei der Übertragung - ";

struct Failure {
  std::string where;    // in the verdict, after "fehlgeschlagen ": "bei :EMUOFF"
  std::string message;  // the error line, after kFailurePrefix
};

// How one ":EMUOFF" went.
enum class SyncOutcome {
  Synced,      // the version line and the bus line came back
  Silent,      // not a byte within the reply timeout
  Quiet,       // other output (a start-up, or other words), then silence
  NeverReady,  // output without pause for longer than a start-up lasts
};

// One conversation with the device on the open port: every step waits for
// the lines that confirm it, and the next goes out as soon as they are there.
class Link {
 public:
  Link(SerialPorts& ports, TransferView& view, const TransferTiming& timing, const std::string& port_name)
      : ports_(ports), view_(view), timing_(timing), port_name_(port_name), reader_(ports, timing.idle_wait_ms) {}

  // Syncs with ":EMUOFF" once the device is quiet. A device that the open
  // reset loses the first sync in its boot pause and prints its start-up
  // instead (banner, auto-load), ending with its version line; once that is
  // over the sync goes out again. `opened_at`: when the port was opened.
  std::optional<Failure> synchronise(std::int64_t opened_at) {
    const std::string step(kSyncCommand.substr(0, kSyncCommand.size() - 1));
    if (!settle(opened_at)) return never_ready();
    std::string unexpected;
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (!send(kSyncCommand)) return Failure{"bei " + step, port_name_ + " antwortet nicht"};
      switch (await_sync(unexpected)) {
        case SyncOutcome::Synced: return std::nullopt;
        case SyncOutcome::NeverReady: return never_ready();
        case SyncOutcome::Silent:
          return Failure{"bei " + step, "keine Antwort auf " + step +
                                            " - falsche Schnittstelle, Gerät nicht bereit oder eine ältere Firmware "
                                            "ohne " +
                                            step + seen_version()};
        case SyncOutcome::Quiet: break;
      }
    }
    return Failure{"bei " + step, "unerwartete Antwort auf " + step + ": „" + unexpected + "“ - ist " + port_name_ +
                                      " der Eprom Emulator?"};
  }

  std::optional<Failure> run(const TransferStep& step) {
    if (!send(step.bytes)) return Failure{"bei " + step.name, port_name_ + " antwortet nicht"};
    const std::int64_t sent = elapsed_ms();
    std::vector<std::string> got;
    for (const std::string& expected : step.replies) {
      std::optional<std::string> line = reader_.next_line(sent + timing_.reply_timeout_ms);
      if (!line) {
        show(got);
        return Failure{"bei " + step.name, "keine Antwort auf " + step.name};
      }
      got.push_back(std::move(*line));
      if (!got.back().starts_with(expected)) {
        show(got);
        return Failure{"bei " + step.name, "unerwartete Antwort auf " + step.name + ": „" + got.back() + "“"};
      }
    }
    show(got);
    if (step.is_block && elapsed_ms() - sent >= timing_.stalled_block_ms) {
      return Failure{"bei " + step.name,
                     step.name + " kam nicht vollständig an (ACK erst nach der Wartezeit des Geräts)"};
    }
    return std::nullopt;
  }

 private:
  // Waits until nothing has come for a while: `ready_quiet_ms` since the
  // open while the device is silent, `quiet_ms` once it has printed
  // something. False when it never stops talking.
  bool settle(std::int64_t opened_at) {
    const std::int64_t give_up = opened_at + timing_.settle_limit_ms;
    const auto quiet_at = [&] {
      const std::optional<std::int64_t> last = reader_.last_data_ms();
      return last ? *last + timing_.quiet_ms : opened_at + timing_.ready_quiet_ms;
    };
    for (;;) {
      // Also takes what came while the window was served, before judging.
      reader_.poll(std::min(quiet_at(), give_up));
      show_each(reader_.take_lines());
      if (elapsed_ms() >= quiet_at()) return true;
      if (elapsed_ms() >= give_up) return false;
    }
  }

  // Reads what follows a sync. The reply is the version line and the bus
  // line; a start-up ends with a version line alone, and a sync the device
  // buffered while it started is answered right after that.
  SyncOutcome await_sync(std::string& unexpected) {
    const std::int64_t sent = elapsed_ms();
    std::optional<std::string> line = reader_.next_line(sent + timing_.reply_timeout_ms);
    const bool any_output = line || reader_.last_data_ms() > sent;
    if (!any_output) return SyncOutcome::Silent;
    const std::int64_t give_up = elapsed_ms() + timing_.settle_limit_ms;
    if (!line) line = reader_.next_line_while_talking(timing_.quiet_ms, give_up);
    while (line) {
      std::optional<std::string> next = reader_.next_line_while_talking(timing_.quiet_ms, give_up);
      if (is_version_line(*line)) {
        if (next && next->starts_with("-> Bus set to ")) {
          show({*line, *next});
          return SyncOutcome::Synced;
        }
        version_ = *line;
      } else {
        unexpected = *line;
      }
      show_each({*line});
      line = std::move(next);
    }
    return elapsed_ms() >= give_up ? SyncOutcome::NeverReady : SyncOutcome::Quiet;
  }

  Failure never_ready() const {
    return Failure{"beim Warten auf den Eprom Emulator",
                   port_name_ + " sendet ununterbrochen - das Gerät wird nicht bereit; ist " + port_name_ +
                       " der Eprom Emulator?"};
  }

  std::string seen_version() const {
    return version_.empty() ? "" : " (das Gerät meldet „" + version_ + "“)";
  }

  bool send(std::string_view bytes) {
    reader_.discard_partial();
    const std::span data(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return ports_.write_bytes(kEmulatorPort, data, timing_.reply_timeout_ms) == bytes.size();
  }

  // Output the device printed by itself (banner, rows of auto-load dots) is
  // shown line by line.
  void show_each(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      if (is_version_line(line)) version_ = line;
      view_.append_message(line);
    }
    if (!lines.empty()) view_.update_messages();
  }

  // A step's reply is one message line, its lines joined ("->inACK").
  void show(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    view_.append_message(joined(lines));
    view_.update_messages();
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
  const TransferImage image = read_transfer_image(image_path, settings.fill_byte);
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
  if (const std::optional<std::string> problem = capacity_problem(image.size, settings.eprom_code)) {
    view.append_message(image_path + " - " + *problem);
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
  // Taken exclusively: a second transfer on the same port would put its
  // blocks between this one's.
  const int fd = ports.open(kEmulatorPort, port_name, SerialParams{.exclusive = true});
  const std::int64_t opened_at = elapsed_ms();
  std::optional<std::string> refused;
  if (fd == 0) {
    refused = open_failure(port_name, ports.last_open_errno());
  } else if (!is_character_device(fd)) {
    refused = no_device;
  } else if (!ports.is_terminal(kEmulatorPort)) {
    // /dev/null and the like take the bytes and never answer.
    refused = open_failed + " ist keine serielle Schnittstelle (kein Terminal)";
  }
  if (refused) {
    view.append_message(*refused);
    if (fd == 0) {
      if (const std::optional<std::string> hint = permission_hint(port_name, ports.last_open_errno()))
        view.append_message(*hint);
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
  std::optional<Failure> failure = link.synchronise(opened_at);
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
    view.append_message("Übertragung fehlgeschlagen " + failure->where + " - nichts weiter gesendet");
  } else {
    view.append_message("Übertragung erfolgreich: " + std::to_string(image.size) + " Byte in " +
                        blocks_text(image.bytes.size() / kBlockSize) + " als " + eprom_part(settings.eprom_code) +
                        " geladen, Emulator läuft");
  }
  view.scroll_messages_to_end();
  return !failure;
}

}  // namespace zorvin::emu
