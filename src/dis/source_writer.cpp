#include "dis/source_writer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "dis/instruction_text.h"

namespace zorvin::dis {

namespace {

constexpr std::size_t kBytesPerDataLine = 16;
constexpr std::int32_t kMinGap = 16;         // shorter runs of the fill byte stay db
constexpr std::int32_t kBankSize = 0x800;    // jmp and call reach within their 2 KiB bank
constexpr std::size_t kMinText = 4;          // shorter runs of printable bytes stay numbers
constexpr std::size_t kCommentColumn = 40;

// A byte a string of the extended dialect holds as itself: printable ASCII
// without the quote and the backslash, which would need an escape.
bool is_text_byte(std::uint8_t b) { return b >= 0x20 && b < 0x7F && b != '"' && b != '\\'; }

std::string address_text(std::int32_t address) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(address) & 0xFFFFu);
  return text;
}

std::string table_title(const TablePage& table) {
  if (table.mnemonic == "jmpp") return "Sprungtabelle von jmpp @a";
  if (table.mnemonic == "movp") return "Tabelle von movp a,@a";
  return "Tabelle von movp3 a,@a";
}

void pad_to(std::string& line, std::size_t column) {
  if (line.size() < column) line.append(column - line.size(), ' ');
  else line += ' ';
}

void statement(std::string& out, std::string_view word, std::string_view operands, std::string_view comment) {
  std::string line = "        ";
  line += word;
  if (!operands.empty()) {
    pad_to(line, 16);
    line += operands;
  }
  if (!comment.empty()) {
    pad_to(line, kCommentColumn);
    line += "; ";
    line += comment;
  }
  out += line;
  out += '\n';
}

class Writer {
 public:
  Writer(const ProgramMap& map, std::span<const std::uint8_t> bytes, const OpcodeMap& opcodes,
         const WriterSettings& settings)
      : map_(map), bytes_(bytes), opcodes_(opcodes), settings_(settings) {
    mark_labels();
  }

  void write(std::string& out) {
    statement(out, "org", hex_number(static_cast<unsigned>(map_.base), 4), {});
    std::int32_t address = map_.base;
    while (address < map_.end()) {
      const std::size_t at = map_.index(address);
      if (const TablePage* table = table_label_[at]) {
        out += "\n; " + table_title(*table) + " (" + address_text(table->reader) +
               "H): als Daten gelesen, soweit kein Weg als Code hinführt\n";
        out += 'T';
        out += address_text(address);
        out += ":\n";
      }
      if (code_label_[at]) out += label_of(address) + ":\n";
      if (map_.roles[at] == ByteRole::Opcode) {
        address += instruction(address, out);
        continue;
      }
      std::int32_t end = address + 1;
      while (end < map_.end() && map_.roles[map_.index(end)] == ByteRole::Data && !breaks_at(end)) ++end;
      data(address, end, out);
      address = end;
    }
  }

 private:
  void mark_labels() {
    const std::size_t size = map_.roles.size();
    code_label_.assign(size, false);
    table_label_.assign(size, nullptr);
    for (std::size_t at = 0; at < size; ++at) {
      if (!map_.labelled[at]) continue;
      // Into the middle of an instruction: named from the instruction's start.
      code_label_[map_.roles[at] == ByteRole::Operand ? at - 1 : at] = true;
    }
    // A table follows the code that reads it as a rule: the first data
    // after that code, else the first data of the page.
    for (const auto& [page, table] : map_.tables) {
      const std::int32_t reader_page = (table.reader + 1) & ~0xFF;
      const std::int32_t first = reader_page == page ? table.reader : page;
      if (mark_table(first, page + 0x100, table)) continue;
      mark_table(page, first, table);
    }
  }

  bool mark_table(std::int32_t from, std::int32_t to, const TablePage& table) {
    for (std::int32_t address = from; address < to; ++address) {
      if (map_.inside(address) && map_.roles[map_.index(address)] == ByteRole::Data) {
        table_label_[map_.index(address)] = &table;
        return true;
      }
    }
    return false;
  }

  bool breaks_at(std::int32_t address) const {
    const std::size_t at = map_.index(address);
    return code_label_[at] || table_label_[at] != nullptr;
  }

  // Appended rather than "L" + text: GCC 12 at -O3 warns falsely (-Wrestrict)
  // about a literal in front of a temporary string.
  static std::string label_of(std::int32_t address) {
    std::string label(1, 'L');
    label += address_text(address);
    return label;
  }

  // How an operand names a jump target: by its label, or by its address
  // when the image does not hold it.
  std::string target_name(std::int32_t target) const {
    if (!map_.inside(target)) return hex_number(static_cast<unsigned>(target), 4);
    if (map_.roles[map_.index(target)] == ByteRole::Operand) return label_of(target - 1) + "+1";
    return label_of(target);
  }

  int instruction(std::int32_t address, std::string& out) const {
    const std::size_t at = map_.index(address);
    const Opcode& op = opcodes_[bytes_[at]];
    const std::uint8_t second = op.length == 2 ? bytes_[at + 1] : 0;
    std::string given;  // the operand the second byte gives
    if (op.second == SecondByte::Immediate) {
      given = '#';
      given += hex_number(second, 2);
    }
    else if (op.second != SecondByte::None) given = target_name(map_.targets[at]);
    const std::string operands = operand_text(op, given);
    char code[8];
    if (op.length == 2) std::snprintf(code, sizeof code, "%02X %02X", bytes_[at], second);
    else std::snprintf(code, sizeof code, "%02X   ", bytes_[at]);
    const std::string comment = address_text(address) + "  " + code + "  " + std::to_string(op.cycles) +
                                (op.cycles == 1 ? " Zyklus" : " Zyklen");
    // A jmp or call into the other bank (a sel mb0/mb1 before it chose it):
    // assume mb says so, or the assembler would put a sel in front of it.
    const std::int32_t target = op.second == SecondByte::LongTarget ? map_.targets[at] : -1;
    const bool other_bank = target >= 0 && target / kBankSize != address / kBankSize;
    if (other_bank) statement(out, "assume", "mb:" + std::to_string(target / kBankSize), {});
    statement(out, op.mnemonic, operands, comment);
    if (other_bank) statement(out, "assume", "mb:nothing", {});
    return op.length;
  }

  // Data from `address` to `end`: db lines, and org over long runs of the
  // fill byte. The image's first and last byte are always written, so the
  // assembled image starts and ends where this one does.
  void data(std::int32_t address, std::int32_t end, std::string& out) const {
    std::int32_t pending = address;
    std::int32_t at = address;
    while (at < end) {
      if (bytes_[map_.index(at)] != settings_.fill_byte) {
        ++at;
        continue;
      }
      std::int32_t run_end = at;
      while (run_end < end && bytes_[map_.index(run_end)] == settings_.fill_byte) ++run_end;
      const std::int32_t gap_start = at == map_.base ? at + 1 : at;
      const std::int32_t gap_end = run_end == map_.end() ? run_end - 1 : run_end;
      if (gap_end - gap_start >= kMinGap) {
        data_lines(pending, gap_start, out);
        statement(out, "org", hex_number(static_cast<unsigned>(gap_end), 4), {});
        pending = gap_end;
      }
      at = run_end;
    }
    data_lines(pending, end, out);
  }

  // db lines of up to 16 bytes; a text that does not fit the rest of a line
  // starts the next one, so it is cut only where it is longer than a line.
  void data_lines(std::int32_t address, std::int32_t end, std::string& out) const {
    const std::size_t last = map_.index(end);
    std::size_t at = map_.index(address);
    std::size_t line_start = at;
    std::size_t line_bytes = 0;
    std::string items;
    const auto flush = [&] {
      if (line_bytes > 0) statement(out, "db", items, address_text(map_.base + static_cast<std::int32_t>(line_start)));
      items.clear();
      line_bytes = 0;
    };
    while (at < last) {
      std::size_t text_end = at;
      while (text_end < last && is_text_byte(bytes_[text_end])) ++text_end;
      const bool text = text_end - at >= kMinText;
      if (text && line_bytes > 0 && line_bytes + (text_end - at) > kBytesPerDataLine) flush();
      if (line_bytes == 0) line_start = at;
      if (!items.empty()) items += ", ";
      if (text) {
        const std::size_t take = std::min(text_end - at, kBytesPerDataLine - line_bytes);
        items += '"';
        items.append(reinterpret_cast<const char*>(bytes_.data() + at), take);
        items += '"';
        at += take;
        line_bytes += take;
      } else {
        items += hex_number(bytes_[at], 2);
        ++at;
        ++line_bytes;
      }
      if (line_bytes == kBytesPerDataLine) flush();
    }
    flush();
  }

  const ProgramMap& map_;
  std::span<const std::uint8_t> bytes_;
  const OpcodeMap& opcodes_;
  WriterSettings settings_;
  std::vector<bool> code_label_;                 // per byte: an L label stands there
  std::vector<const TablePage*> table_label_;    // per byte: the table whose T label stands there
};

}  // namespace

void write_source(const ProgramMap& map, std::span<const std::uint8_t> bytes, const OpcodeMap& opcodes,
                  const WriterSettings& settings, std::string& out) {
  Writer(map, bytes, opcodes, settings).write(out);
}

}  // namespace zorvin::dis
