#include "emu/transfer_image.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "dis/image_file.h"
#include "emu/transfer_steps.h"
#include "files/regular_file.h"

namespace zorvin::emu {
namespace {

constexpr std::string_view kNotAnImage =
    "Text, kein Abbild - eine Quelle erst assemblieren (F5 oder zorvin-asm) und die .bin- oder .hex-Datei laden";

std::string lower_extension(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return extension;
}

// A text has line breaks and no control bytes but TAB, CR, LF and form feed;
// code of the 8048 is full of them (00H is NOP, 04H a jump).
bool is_text(std::string_view bytes) {
  if (bytes.find('\n') == std::string_view::npos) return false;
  return std::none_of(bytes.begin(), bytes.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f') || byte == 0x7F;
  });
}

bool starts_like_hex(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n\f");
  return first != std::string_view::npos && text[first] == ':';
}

std::string read_problem(int error) {
  // A folder counts as not found, as F6 has always said.
  if (error == ENOENT || error == ENOTDIR || error == EISDIR || error == files::kNotARegularFile)
    return "Datei nicht gefunden";
  if (error == EACCES || error == EPERM) return "Keine Leseberechtigung";
  return "kann nicht gelesen werden: " + files::error_text(error);
}

// The file's bytes, at most `limit + 1` of them (one more tells it is larger).
std::string read_bytes(int fd, std::size_t limit, int& error) {
  std::string bytes;
  char buffer[4096];
  while (bytes.size() <= limit) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = errno;
      break;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

TransferImage padded(std::string bytes) {
  TransferImage image;
  image.size = bytes.size();
  const std::size_t blocks = (bytes.size() + kBlockSize - 1) / kBlockSize;
  bytes.resize(blocks * kBlockSize, '\0');
  image.bytes = std::move(bytes);
  return image;
}

TransferImage from_hex(std::string_view text, std::uint8_t fill_byte) {
  const dis::ImageFile hex = dis::parse_intel_hex(text, fill_byte);
  if (!hex.ok()) return {{}, 0, hex.error};
  std::string bytes(static_cast<std::size_t>(hex.base), static_cast<char>(fill_byte));
  bytes.append(hex.bytes.begin(), hex.bytes.end());
  return padded(std::move(bytes));
}

}  // namespace

TransferImage read_transfer_image(const std::string& path, std::uint8_t fill_byte) {
  const files::OpenedFile file = files::open_regular_file(path, O_RDONLY);
  if (!file.ok()) return {{}, 0, read_problem(file.error)};
  const std::string extension = lower_extension(path);
  const bool raw_by_name = extension == "bin";
  const std::size_t limit = raw_by_name ? kMaxImageSize : dis::kMaxHexFileBytes;
  int error = 0;
  const std::string bytes = read_bytes(file.fd, limit, error);
  ::close(file.fd);
  if (error != 0) return {{}, 0, read_problem(error)};
  if (bytes.size() > limit) return {{}, 0, "Datei zu groß"};
  if (bytes.empty()) return {{}, 0, "Datei leer"};

  if (dis::is_hex_name(path)) return from_hex(bytes, fill_byte);
  if (!raw_by_name) {
    if (extension == "asm") return {{}, 0, std::string(kNotAnImage)};
    if (is_text(bytes) && starts_like_hex(bytes)) return from_hex(bytes, fill_byte);
    if (is_text(bytes)) return {{}, 0, std::string(kNotAnImage)};
  }
  if (bytes.size() > kMaxImageSize) return {{}, 0, "Datei zu groß"};
  return padded(bytes);
}

}  // namespace zorvin::emu
