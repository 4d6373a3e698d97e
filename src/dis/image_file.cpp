#include "dis/image_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <algorithm>

#include "files/regular_file.h"

namespace zorvin::dis {

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string in_line(std::size_t line_no, std::string_view text) {
  return "Intel-HEX-Zeile " + std::to_string(line_no) + ": " + std::string(text);
}

std::string conflict_text(unsigned address, int earlier, std::size_t earlier_line, int byte) {
  char text[96];
  std::snprintf(text, sizeof text, "Adresse %03XH schon mit %02XH belegt (Zeile %zu), hier %02XH", address,
                static_cast<unsigned>(earlier), earlier_line, static_cast<unsigned>(byte));
  return text;
}

// Reads at most `limit` bytes; more than that is an error.
bool read_bytes(const std::string& path, std::size_t limit, std::string& bytes, std::string& error) {
  const files::OpenedFile file = files::open_regular_file(path, O_RDONLY);
  if (!file.ok()) {
    error = path + " kann nicht gelesen werden: " + files::error_text(file.error);
    return false;
  }
  bytes.clear();
  char buffer[4096];
  bool ok = true;
  while (true) {
    const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
    if (got < 0) {
      error = path + " kann nicht gelesen werden: " + files::error_text(errno);
      ok = false;
      break;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes.size() > limit) {
      error = path + " ist zu groß (mehr als " + std::to_string(limit) + " Byte)";
      ok = false;
      break;
    }
  }
  ::close(file.fd);
  return ok;
}

// The extension in lower case, empty when there is none.
std::string extension_of(std::string_view path) {
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return {};
  std::string extension(path.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return extension;
}

}  // namespace

bool is_hex_name(std::string_view path) {
  const std::string extension = extension_of(path);
  return extension == "hex" || extension == "ihx";
}

bool is_image_name(std::string_view path) { return is_hex_name(path) || extension_of(path) == "bin"; }

ImageFile parse_intel_hex(std::string_view text, std::uint8_t fill_byte) {
  ImageFile image;
  std::vector<int> memory(kMaxImageBytes, -1);  // -1: no record fills it
  std::vector<std::size_t> filled_on(kMaxImageBytes, 0);  // line of the record that filled it
  std::size_t line_no = 0;
  bool ended = false;
  std::size_t pos = 0;
  while (pos < text.size() && !ended) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_no;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.empty()) continue;
    if (line[0] != ':' || line.size() < 11 || line.size() % 2 == 0) {
      image.error = in_line(line_no, "kein Datensatz");
      return image;
    }
    std::vector<unsigned> fields;
    for (std::size_t at = 1; at + 1 < line.size(); at += 2) {
      const int high = hex_digit(line[at]), low = hex_digit(line[at + 1]);
      if (high < 0 || low < 0) {
        image.error = in_line(line_no, "keine Hexadezimalziffer");
        return image;
      }
      fields.push_back(static_cast<unsigned>(high * 16 + low));
    }
    const unsigned count = fields[0];
    if (fields.size() != count + 5) {
      image.error = in_line(line_no, "Länge stimmt nicht");
      return image;
    }
    unsigned sum = 0;
    for (const unsigned b : fields) sum += b;
    if ((sum & 0xFF) != 0) {
      image.error = in_line(line_no, "Prüfsumme falsch");
      return image;
    }
    const unsigned address = fields[1] * 256 + fields[2];
    const unsigned type = fields[3];
    if (type == 0x01) {
      ended = true;
    } else if (type == 0x00) {
      if (address + count > kMaxImageBytes) {
        image.error = in_line(line_no, "Adresse außerhalb des Programmspeichers (bis 0FFFH)");
        return image;
      }
      for (unsigned i = 0; i < count; ++i) {
        const auto byte = static_cast<int>(fields[4 + i]);
        // A record that repeats a byte changes nothing; one that gives
        // another byte leaves no telling which of the two is meant.
        if (memory[address + i] >= 0 && memory[address + i] != byte) {
          image.error = in_line(line_no, conflict_text(address + i, memory[address + i], filled_on[address + i], byte));
          return image;
        }
        memory[address + i] = byte;
        filled_on[address + i] = line_no;
      }
    } else if (type == 0x02 || type == 0x04) {
      // A segment or upper address other than 0 lies beyond 64 KiB.
      if (count != 2 || fields[4] != 0 || fields[5] != 0) {
        image.error = in_line(line_no, "Adresse außerhalb des Programmspeichers (bis 0FFFH)");
        return image;
      }
    } else if (type != 0x03 && type != 0x05) {
      image.error = in_line(line_no, "unbekannte Satzart " + std::to_string(type));
      return image;
    }
  }
  // A file cut short (a transfer broken off) lacks its end record.
  if (!ended) {
    image.error = in_line(line_no, "Endesatz fehlt");
    return image;
  }
  const auto first = std::find_if(memory.begin(), memory.end(), [](int b) { return b >= 0; });
  if (first == memory.end()) {
    image.error = "Die Intel-HEX-Datei enthält keine Daten.";
    return image;
  }
  const auto last = std::find_if(memory.rbegin(), memory.rend(), [](int b) { return b >= 0; }).base();
  image.base = static_cast<std::int32_t>(first - memory.begin());
  for (auto at = first; at != last; ++at) image.bytes.push_back(static_cast<std::uint8_t>(*at >= 0 ? *at : fill_byte));
  return image;
}

std::string error_with_name(const std::string& path, const ImageFile& image) {
  return image.error.starts_with(path) ? image.error : path + ": " + image.error;
}

ImageFile read_image_file(const std::string& path, std::int32_t base, std::uint8_t fill_byte) {
  ImageFile image;
  std::string bytes;
  const bool hex = is_hex_name(path);
  if (!read_bytes(path, hex ? kMaxHexFileBytes : kMaxImageBytes, bytes, image.error)) return image;
  if (hex) return parse_intel_hex(bytes, fill_byte);
  if (bytes.empty()) {
    image.error = path + " ist leer";
    return image;
  }
  image.base = base;
  image.bytes.assign(bytes.begin(), bytes.end());
  return image;
}

}  // namespace zorvin::dis
