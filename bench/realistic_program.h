// A plain-dialect 8048 program in the style of published ones, of any
// number of lines: equ constants, the reset and interrupt vectors, an
// initialisation and main loop, then subroutines of the common kinds (delay
// loops with djnz, keyboard scan, 7-segment table read with movp, bit-banged
// serial output, tick counters in RAM, BCD counting), each kept inside one
// page as conditional jumps require. Used by the benchmarks.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zorvin::bench {

struct ProgramLine {
  std::string text;
  int bytes = 0;
};

class ProgramWriter {
 public:
  explicit ProgramWriter(int wanted_lines) : wanted_(wanted_lines) {}

  int lines() const { return static_cast<int>(text_lines_.size()); }
  int address() const { return address_; }

  // Adds the routine when it fits in what is left of lines and memory; a
  // routine that would cross a page starts on the next one.
  bool add(const std::vector<ProgramLine>& routine) {
    int size = 0;
    for (const auto& line : routine) size += line.bytes;
    const bool new_page = address_ % 256 + size > 256;
    const int start = new_page ? (address_ / 256 + 1) * 256 : address_;
    const int needed = static_cast<int>(routine.size()) + (new_page ? 1 : 0);
    if (lines() + needed > wanted_ || start + size > 2048) return false;
    if (new_page) push(format("        org   %03Xh", start), 0);
    address_ = start;
    for (const auto& line : routine) push(line.text, line.bytes);
    return true;
  }

  // Pads with comment lines to exactly the wanted number of lines.
  std::string finish() {
    while (lines() < wanted_) push(lines() % 2 ? "" : "; (frei)", 0);
    std::string source;
    for (const auto& line : text_lines_) source += line + "\n";
    return source;
  }

  template <class... Args>
  static std::string format(const char* pattern, Args... args) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
  }

 private:
  void push(const std::string& text, int bytes) {
    text_lines_.push_back(text);
    address_ += bytes;
  }

  int wanted_;
  int address_ = 0;
  std::vector<std::string> text_lines_;
};

inline std::vector<ProgramLine> header_and_vectors() {
  return {{"; Zeitschaltuhr mit Tastenfeld, Anzeige und serieller Ausgabe", 0},
          {"; 8048 mit 6 MHz, Anzeige an P1, Tastenfeld an P2", 0},
          {"", 0},
          {"C_OUTER     equ  20         ; Warteschleife aussen", 0},
          {"C_INNER     equ  250        ; Warteschleife innen", 0},
          {"C_KEYMASK   equ  0Fh        ; Spalten des Tastenfelds", 0},
          {"C_BAUD      equ  52         ; Bitzeit fuer 1200 Baud", 0},
          {"C_RAM       equ  20h        ; erster Zaehler im internen RAM", 0},
          {"C_TICKS     equ  100        ; Ticks pro Sekunde", 0},
          {"C_RELOAD    equ  0C0h       ; Timer-Startwert", 0},
          {"", 0},
          {"        org   0", 0},
          {"        jmp   init", 2},
          {"        org   3", 0},
          {"        jmp   xint", 2},
          {"        org   7", 0},
          {"        jmp   tint", 2},
          {"", 0},
          {"xint:   retr                ; externer Interrupt: nicht benutzt", 1},
          {"tint:   sel   rb1", 1},
          {"        mov   r7,a", 1},
          {"        mov   a,#C_RELOAD", 2},
          {"        mov   t,a", 1},
          {"        mov   r0,#C_RAM", 2},
          {"        inc   @r0", 1},
          {"        mov   a,r7", 1},
          {"        retr", 1},
          {"", 0},
          {"init:   dis   i", 1},
          {"        sel   rb0", 1},
          {"        sel   mb0", 1},
          {"        mov   r0,#3Fh         ; internen RAM loeschen", 2},
          {"        clr   a", 1},
          {"initram: mov  @r0,a", 1},
          {"        djnz  r0,initram", 2},
          {"        mov   a,#C_RELOAD", 2},
          {"        mov   t,a", 1},
          {"        strt  t", 1},
          {"        en    tcnti", 1},
          {"        mov   a,#0FFh", 2},
          {"        outl  p1,a", 1},
          {"        outl  p2,a", 1}};
}

// Routine kinds, each named after its number.
inline std::vector<ProgramLine> routine(int kind, int n, int address) {
  using W = ProgramWriter;
  const std::string rule = "; ---------------------------------------------------------------";
  switch (kind % 6) {
    case 0:
      return {{rule, 0},
              {W::format("; dly%d: Warteschleife, R6 mal R7 Durchlaeufe", n), 0},
              {rule, 0},
              {W::format("dly%d:   mov   r6,#C_OUTER", n), 2},
              {W::format("dly%da:  mov   r7,#C_INNER", n), 2},
              {W::format("dly%db:  djnz  r7,dly%db", n, n), 2},
              {W::format("        djnz  r6,dly%da", n), 2},
              {"        ret", 1},
              {"", 0}};
    case 1:
      return {{rule, 0},
              {W::format("; scan%d: Tastenfeld abfragen; A = Tastennummer, 0FFh = keine", n), 0},
              {rule, 0},
              {W::format("scan%d:  mov   r2,#4", n), 2},
              {"        mov   a,#0FEh         ; erste Zeile aktiv", 2},
              {W::format("scan%da: outl  p1,a", n), 1},
              {"        mov   r3,a", 1},
              {"        in    a,p2", 1},
              {"        cpl   a", 1},
              {"        anl   a,#C_KEYMASK", 2},
              {W::format("        jnz   scan%db         ; Taste gedrueckt", n), 2},
              {"        mov   a,r3", 1},
              {"        rl    a               ; naechste Zeile", 1},
              {W::format("        djnz  r2,scan%da", n), 2},
              {"        mov   a,#0FFh", 2},
              {"        ret", 1},
              {W::format("scan%db: mov   r4,a", n), 1},
              {"        mov   a,r2", 1},
              {"        dec   a", 1},
              {"        rl    a", 1},
              {"        rl    a", 1},
              {"        add   a,r4", 1},
              {"        ret", 1},
              {"", 0}};
    case 2: {
      // The table follows the 6 code bytes; movp reads in the current page.
      std::vector<ProgramLine> lines = {
          {rule, 0},
          {W::format("; seg%d: Ziffer in A (0..15) als Muster der 7-Segment-Anzeige", n), 0},
          {rule, 0},
          {W::format("seg%d:   anl   a,#0Fh", n), 2},
          {W::format("        add   a,#%02Xh", (address + 6) % 256), 2},
          {"        movp  a,@a", 1},
          {"        ret", 1}};
      static const int patterns[16] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07,
                                       0x7F, 0x6F, 0x77, 0x7C, 0x39, 0x5E, 0x79, 0x71};
      for (int digit = 0; digit < 16; ++digit)
        lines.push_back({W::format("        db    %02Xh             ; %X", patterns[digit], digit), 1});
      lines.push_back({"", 0});
      return lines;
    }
    case 3:
      return {{rule, 0},
              {W::format("; tx%d: Zeichen in A seriell ueber P1.7 ausgeben, 8N1", n), 0},
              {rule, 0},
              {W::format("tx%d:    mov   r5,#8", n), 2},
              {"        anl   p1,#7Fh         ; Startbit", 2},
              {W::format("        call  bit%d", n), 2},
              {W::format("tx%da:   rrc   a", n), 1},
              {W::format("        jc    tx%db", n), 2},
              {"        anl   p1,#7Fh", 2},
              {W::format("        jmp   tx%dc", n), 2},
              {W::format("tx%db:   orl   p1,#80h", n), 2},
              {W::format("tx%dc:   call  bit%d", n, n), 2},
              {W::format("        djnz  r5,tx%da", n), 2},
              {"        orl   p1,#80h         ; Stoppbit", 2},
              {W::format("bit%d:   mov   r7,#C_BAUD", n), 2},
              {W::format("bit%da:  djnz  r7,bit%da", n, n), 2},
              {"        ret", 1},
              {"", 0}};
    case 4:
      return {{W::format("; tick%d: Zaehler im RAM weiterzaehlen, Uebertrag in die naechste Zelle", n), 0},
              {W::format("tick%d:  mov   r0,#C_RAM", n), 2},
              {"        inc   @r0", 1},
              {"        mov   a,@r0", 1},
              {"        xrl   a,#C_TICKS", 2},
              {W::format("        jnz   tick%da", n), 2},
              {"        mov   @r0,a", 1},
              {"        inc   r0", 1},
              {"        inc   @r0", 1},
              {W::format("tick%da: ret", n), 1},
              {"", 0}};
    default:
      return {{W::format("; bcd%d: zweistellige BCD-Zahl in R2 um eins erhoehen", n), 0},
              {W::format("bcd%d:   mov   a,r2", n), 1},
              {"        add   a,#1", 2},
              {"        da    a", 1},
              {"        mov   r2,a", 1},
              {"        ret", 1},
              {"", 0}};
  }
}

inline std::string realistic_program(int wanted_lines) {
  ProgramWriter writer(wanted_lines);
  writer.add(header_and_vectors());
  // The main loop calls the first routine of every kind.
  std::vector<ProgramLine> main_loop = {{"", 0}, {"main:   call  scan1", 2}, {"        call  dly0", 2},
                                        {"        mov   a,r4", 1},      {"        call  seg2", 2},
                                        {"        outl  p1,a", 1},      {"        call  tx3", 2},
                                        {"        call  tick4", 2},     {"        call  bcd5", 2},
                                        {"        jmp   main", 2},      {"", 0}};
  writer.add(main_loop);
  for (int n = 0;; ++n)
    if (!writer.add(routine(n, n, writer.address()))) break;
  return writer.finish();
}

}  // namespace zorvin::bench
