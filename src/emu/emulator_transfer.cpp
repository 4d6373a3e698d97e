#include "emu/emulator_transfer.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <optional>
#include <span>
#include <vector>

#include "emu/reply_wait.h"
#include "emu/transfer_steps.h"

namespace zorvin::emu {
namespace {

// The image padded with 00H to whole blocks, or the message why there is none.
struct Image {
  std::string bytes;
  std::string problem;
};

Image read_image(const std::string& path) {
  struct stat info {};
  // Anything but a regular file counts as not found: a directory has no
  // image, and reading a FIFO or device could block the window for good.
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return {{}, "Datei nicht gefunden"};
  }
  const auto size = static_cast<std::uintmax_t>(info.st_size);
  if (size > kMaxImageSize) return {{}, "Datei zu groß"};
  if (size == 0) return {{}, "Datei leer"};

  const std::size_t blocks = (static_cast<std::size_t>(size) + kBlockSize - 1) / kBlockSize;
  std::string buffer(blocks * kBlockSize, '\0');
  std::ifstream file(path, std::ios::binary);
  if (!file) return {{}, "Datei nicht gefunden"};
  // The file may have changed since stat(): take what is there, up to the buffer.
  file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  return {std::move(buffer), {}};
}

std::string group_name(gid_t gid) {
  group entry{};
  group* found = nullptr;
  std::vector<char> scratch(4096);
  if (getgrgid_r(gid, &entry, scratch.data(), scratch.size(), &found) == 0 && found != nullptr) {
    return found->gr_name;
  }
  return {};
}

// Why the port could not be opened, when the user can do something about it.
std::optional<std::string> permission_hint(const std::string& port_name, int error) {
  if (error != EACCES && error != EPERM) return std::nullopt;
  struct stat info {};
  std::string group;
  if (::stat(port_name.c_str(), &info) == 0) group = group_name(info.st_gid);
  if (group.empty()) group = "dialout";
  return "Keine Berechtigung für " + port_name + " - Benutzer in die Gruppe '" + group +
         "' aufnehmen";
}

}  // namespace

void emulator_transfer(const std::string& image_path, const settings::Settings& settings,
                       SerialPorts& ports, TransferView& view, TransferTiming timing) {
  const Image image = read_image(image_path);
  if (!image.problem.empty()) {
    view.append_message(image_path + " - " + image.problem);
    return;
  }

  const std::string& port_name = settings.port_name;
  if (ports.open(kEmulatorPort, port_name, SerialParams{}) == 0) {
    view.append_message("Fehler beim Öffnen der seriellen Schnittstelle - " + port_name +
                        " nicht gefunden");
    if (auto hint = permission_hint(port_name, ports.last_open_errno())) {
      view.append_message(*hint);
    }
    view.scroll_messages_to_end();
    return;
  }
  view.append_message(port_name + " geöffnet, warte auf Eprom Emulator ...");
  view.wait_for_one_event(timing.first_event_wait_ms);

  auto wait = [&] {
    wait_reply(ports, view, timing.reply_timeout_ms, timing.poll_interval_ms, false);
  };
  wait();  // the device's first line after the open
  bool failed = false;
  for (const std::string& step : transfer_steps(image.bytes, settings)) {
    const std::span bytes(reinterpret_cast<const unsigned char*>(step.data()), step.size());
    if (ports.write_bytes(kEmulatorPort, bytes, timing.reply_timeout_ms) != step.size()) {
      // Sending the rest into a dead or stuck port would only waste a minute.
      view.append_message("Fehler bei der Übertragung - " + port_name + " antwortet nicht");
      failed = true;
      break;
    }
    wait();
  }
  ports.close(kEmulatorPort);
  view.append_message(port_name + " geschlossen");
  if (failed) view.scroll_messages_to_end();
}

}  // namespace zorvin::emu
