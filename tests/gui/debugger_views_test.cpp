// The debugger's views of a program with nested calls, an external
// interrupt and a table written with movx: the instruction at the PC and
// the code around it by their labels, the return addresses with their
// labels and lines, the interrupt's frame, and the external RAM.
#include <gdk/gdkkeysyms.h>

#include "app/debugger/debugger_code.h"
#include "app/debugger/debugger_fields.h"
#include "app/debugger/debugger_watch.h"
#include "app/ids.h"
#include "asm/assembler.h"
#include "debugger_fixture.h"
#include "ui/debug_marks.h"

namespace zorvin::test {
namespace {

using namespace app;
namespace f = app::debug_field;

constexpr const char* kCalls =
    "zeiger  equ 30H\n"              // 1
    "        org 0\n"                // 2
    "        jmp start\n"            // 3  000
    "        org 3\n"                // 4
    "        jmp extern\n"           // 5  003
    "extern: inc r5\n"               // 6  005
    "        retr\n"                 // 7  006
    "start:  mov r0,#zeiger\n"       // 8  007
    "        mov a,#5AH\n"           // 9  009
    "        movx @r0,a\n"           // 10 00B
    "        en i\n"                 // 11 00C
    "        call aussen\n"          // 12 00D
    "fertig: jmp fertig\n"           // 13 00F
    "aussen: call innen\n"           // 14 011
    "        ret\n"                  // 15 013
    "innen:  mov r6,#3\n"            // 16 014
    "warte:  djnz r6,warte\n"        // 17 016
    "        ret\n"                  // 18 018
    "        end\n";

class DebuggerViews : public DebuggerTest {
 protected:
  void step_to_line(int line) {
    for (int i = 0; i < 30 && current_line() != line; ++i) key(GDK_KEY_F7);
    ASSERT_EQ(current_line(), line);
  }
};

TEST_F(DebuggerViews, LabelsCallsTheInterruptAndTheExternalRam) {
  start_app();
  app().panes().set_editor_text(kCalls);
  key(GDK_KEY_F7);
  EXPECT_EQ(window().text(f::kInstruction), "000H: jmp start");
  EXPECT_NE(window().all_text(f::kCode).find("→ 000  04 07  jmp start"), std::string::npos)
      << window().all_text(f::kCode);
  EXPECT_NE(window().all_text(f::kCallStack).find("(leer"), std::string::npos);

  step_to_line(11);  // after movx @r0,a
  EXPECT_EQ(window().cell_text(f::kExternalRam, 0x30), "5A");
  EXPECT_EQ(window().text(f::kInstruction).find("00C"), 0u);

  step_to_line(17);  // in innen, two calls deep
  EXPECT_EQ(window().text(f::kInstruction), "016H: djnz r6,warte");
  EXPECT_NE(window().status().find("angehalten bei 016H (warte), Zeile 17"), std::string::npos) << window().status();
  const std::string stack = window().all_text(f::kCallStack);
  const auto newest = stack.find("2: 013H  aussen+2 – Zeile 15");
  const auto oldest = stack.find("1: 00FH  fertig – Zeile 13");
  EXPECT_NE(newest, std::string::npos) << stack;
  EXPECT_NE(oldest, std::string::npos) << stack;
  EXPECT_LT(newest, oldest) << stack;
  const std::string code = window().all_text(f::kCode);
  EXPECT_NE(code.find("       warte:\n→ 016  EE 16  djnz r6,warte"), std::string::npos) << code;
  EXPECT_NE(code.find("       innen:\n  014  BE 03  mov r6,#03H"), std::string::npos) << code;

  // INT pulled low: the interrupt's frame is marked as such.
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(window().widget(f::kInt)), FALSE);
  pump(10);
  key(GDK_KEY_F7);
  EXPECT_EQ(window().text(f::kPc), "003");
  const std::string interrupted = window().all_text(f::kCallStack);
  EXPECT_NE(interrupted.find("3: 016H  warte – Zeile 17  (Interrupt"), std::string::npos) << interrupted;
  EXPECT_NE(interrupted.find("SP 3 von 8"), std::string::npos) << interrupted;
}

TEST(DebuggerCode, CallStackWrapsAndNamesWithoutALabelFallBackToTheNumber) {
  asm48::Assembler assembler;
  const std::string text = "        org 0\n        call sub\n        org 100H\nsub:    ret\n";
  ASSERT_TRUE(assembler.run(text).ok()) << assembler.run(text).summary;
  const DebuggerLineMap lines(assembler.table(), assembler.extended_listing(), text, "", 0xFF);
  sim::Simulator sim;
  sim.load_program(lines.image());
  sim.power_on();
  EXPECT_EQ(named_instruction(sim, lines, 0), "call sub");
  sim.program()[0x200] = 0xC6;  // jz 205H: no label there
  sim.program()[0x201] = 0x05;
  EXPECT_EQ(named_instruction(sim, lines, 0x200), "jz 205H");
  sim.step();
  EXPECT_EQ(sim.state().pc, 0x100);
  EXPECT_NE(call_stack(sim, lines).find("1: 002H\n"), std::string::npos) << call_stack(sim, lines);
  sim.state().sp = 7;
  EXPECT_NE(call_stack(sim, lines).find("der nächste call belegt die letzte"), std::string::npos);
  // Gone round: eight addresses, the newest (level 2, below SP 2) first.
  sim.state().sp = 2;
  for (int level = 0; level < 8; ++level) sim.state().ram[static_cast<std::size_t>(8 + 2 * level)] = static_cast<std::uint8_t>(0x10 + level);
  const std::string wrapped = call_stack(sim, lines, true);
  EXPECT_EQ(wrapped.find("Stapel übergelaufen"), 0u) << wrapped;
  EXPECT_LT(wrapped.find("2: 011H"), wrapped.find("1: 010H"));
  EXPECT_LT(wrapped.find("1: 010H"), wrapped.find("8: 017H"));
  EXPECT_LT(wrapped.find("8: 017H"), wrapped.find("3: 012H"));
  EXPECT_EQ(wrapped.find("(leer"), std::string::npos);
}

TEST(DebuggerWatch, NamesRegistersCellsAndSymbolsWithWhatChanged) {
  asm48::Assembler assembler;
  const std::string text = "zaehler equ 20H\n        org 0\nhier:   mov r1,#zaehler\n        end\n";
  ASSERT_TRUE(assembler.run(text).ok());
  const DebuggerLineMap lines(assembler.table(), assembler.extended_listing(), text, "", 0xFF);
  EXPECT_EQ(watch_names(" a, r1;zaehler  x:30h,,"), (std::vector<std::string>{"a", "r1", "zaehler", "x:30h"}));
  sim::Simulator sim;
  sim.load_program(lines.image());
  sim.power_on();
  const sim::State before = sim.state();
  sim.state().ram[0x20] = 0x11;
  sim.state().ram[0x19] = 0x44;  // R1 of bank 1, not the current one
  sim.state().xram[0x30] = 0x5A;
  sim.state().a = 0x07;
  struct Expected {
    const char* text;
    bool changed;
  };
  const Expected expected[] = {
      {"a = 07H", true},        {"r1 = 00H", false},     {"zaehler (RAM 20H) = 11H", true},
      {"x:30h = 5AH", true},    {"20h = 11H", true},     {"hier (RAM 00H) = 00H", false},
      {"PC = 000H", false},     {"nix: unbekannt", false}, {"40h: unbekannt", false},  // past the 8048's 64 bytes
  };
  const auto shown = watch_lines({"a", "r1", "zaehler", "x:30h", "20h", "hier", "PC", "nix", "40h"}, sim, before, lines);
  ASSERT_EQ(shown.size(), std::size(expected));
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].text, expected[i].text);
    EXPECT_EQ(shown[i].changed, expected[i].changed) << expected[i].text;
  }
  sim.state().bank1 = true;
  EXPECT_EQ(watch_lines({"r1"}, sim, before, lines)[0].text, "r1 = 44H");
}

}  // namespace
}  // namespace zorvin::test
