#include "sim/program_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

#include "asm/dialect/recognition.h"
#include "files/regular_file.h"

namespace zorvin::sim {

namespace {

bool same_folded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// "0123H" as the extended listing writes numeric symbols.
std::optional<std::uint16_t> listed_address(std::string_view value) {
  if (value.size() < 2 || (value.back() != 'H' && value.back() != 'h')) return std::nullopt;
  unsigned number = 0;
  for (const char c : value.substr(0, value.size() - 1)) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    number = number * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10));
    if (number > 0xFFFF) return std::nullopt;
  }
  return static_cast<std::uint16_t>(number);
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::vector<std::uint8_t> program_bytes(const asm48::LineTable& table) {
  std::vector<std::uint8_t> bytes;
  for (const asm48::LineRecord& record : table.records) {
    if (record.is_equ || record.is_reserve) continue;
    std::int64_t address = record.address;
    for (const std::uint8_t byte : table.code_of(record)) {
      if (address >= 0 && address < static_cast<std::int64_t>(kMaxProgramBytes)) {
        const auto at = static_cast<std::size_t>(address);
        if (bytes.size() <= at) bytes.resize(at + 1, 0x00);
        bytes[at] = byte;
      }
      ++address;
    }
  }
  return bytes;
}

std::vector<ProgramLabel> program_labels(const asm48::Assembler& assembler) {
  std::vector<ProgramLabel> labels;
  if (assembler.extended()) {
    for (const asm48::ListedSymbol& symbol : assembler.extended_listing().symbols)
      if (const auto address = listed_address(symbol.value)) labels.push_back({symbol.name, *address});
    return labels;
  }
  for (const asm48::LineRecord& record : assembler.table().records) {
    if (record.label.empty() || record.is_equ) continue;
    std::string_view name = record.label;
    if (name.back() == ':') name.remove_suffix(1);
    labels.push_back({std::string(name), static_cast<std::uint16_t>(record.address & 0xFFFF)});
  }
  return labels;
}

std::optional<std::uint16_t> label_address(std::span<const ProgramLabel> labels, std::string_view name) {
  for (const ProgramLabel& label : labels)
    if (same_folded(label.name, name)) return label.address;
  return std::nullopt;
}

AssembledProgram assemble_program(std::string text, const std::string& source_dir) {
  AssembledProgram program;
  // The part a marker line names (`cpu 8049`, `.cr 8041`), if any.
  if (std::string cpu = asm48::recognise_dialect(text).cpu; !cpu.empty()) program.cpu = std::move(cpu);
  asm48::Assembler assembler;
  assembler.keep_listing(true);  // the extended dialect's symbols come with its listing
  program.result = assembler.run(std::move(text), source_dir);
  if (!program.result.ok()) return program;
  program.bytes = program_bytes(assembler.table());
  program.labels = program_labels(assembler);
  return program;
}

ProgramFile parse_intel_hex(std::string_view text) {
  ProgramFile file;
  int line_no = 0;
  const auto fail = [&](const std::string& why) {
    file.ok = false;
    file.bytes.clear();
    file.error = "Intel HEX, Zeile " + std::to_string(line_no) + ": " + why;
    return file;
  };
  while (!text.empty()) {
    ++line_no;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.empty()) continue;
    if (line.front() != ':' || line.size() < 11 || line.size() % 2 == 0) return fail("kein Datensatz");
    std::vector<std::uint8_t> record;
    for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
      const int high = hex_digit(line[i]);
      const int low = hex_digit(line[i + 1]);
      if (high < 0 || low < 0) return fail("keine Hexziffer");
      record.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    unsigned sum = 0;
    for (const std::uint8_t byte : record) sum += byte;
    if ((sum & 0xFF) != 0) return fail("Prüfsumme falsch");
    const std::size_t count = record[0];
    if (record.size() != count + 5) return fail("Länge falsch");
    const unsigned address = static_cast<unsigned>(record[1] << 8 | record[2]);
    const std::uint8_t type = record[3];
    if (type == 0x01) {
      file.ok = true;
      return file;
    }
    if (type != 0x00) {
      // Extended addresses other than 0 lie outside any 8048 memory.
      if ((type == 0x02 || type == 0x04) && count == 2 && record[4] == 0 && record[5] == 0) continue;
      if (type == 0x03 || type == 0x05) continue;
      return fail("Satzart wird nicht unterstützt");
    }
    if (address + count > kMaxProgramBytes) return fail("Adresse außerhalb von 4 KiB");
    if (file.bytes.size() < address + count) file.bytes.resize(address + count, 0x00);
    for (std::size_t i = 0; i < count; ++i) file.bytes[address + i] = record[4 + i];
  }
  return fail("Endesatz fehlt");
}

ProgramFile read_program_file(const std::string& path) {
  ProgramFile file;
  const files::OpenedFile opened = files::open_regular_file(path, O_RDONLY);
  if (!opened.ok()) {
    file.error = files::error_text(opened.error);
    return file;
  }
  // An Intel HEX file of 4 KiB stays far below this; one byte more tells a
  // file that is too large.
  constexpr std::size_t kMaxFileBytes = 64 * 1024;
  std::string content(kMaxFileBytes + 1, '\0');
  std::size_t got = 0;
  bool failed = false;
  while (got < content.size()) {
    const ssize_t n = ::read(opened.fd, content.data() + got, content.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(opened.fd);
  content.resize(got);
  if (failed) {
    file.error = "Datei kann nicht gelesen werden";
    return file;
  }
  if (!content.empty() && content.front() == ':') return parse_intel_hex(content);
  if (content.size() > kMaxProgramBytes) {
    file.error = "größer als 4 KiB Programmspeicher";
    return file;
  }
  file.ok = true;
  file.bytes.assign(content.begin(), content.end());
  return file;
}

}  // namespace zorvin::sim
