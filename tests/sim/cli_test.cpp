// zorvin-sim as a Makefile uses it: exit status 0 when every expectation
// holds, 1 when one does not (naming it and the value found) or the run
// went wrong, 2 for a wrong call.
#include <vector>

#include "sim_cli.h"

namespace {

using zorvin::sim::test::Outcome;

class SimCli : public zorvin::sim::test::SimCliTest {};

constexpr const char* kDelay =
    "; a delay of 2 + 2 * 200 cycles, then a table lookup\n"
    "        mov r7,#200\n"
    "wait:   djnz r7,wait\n"
    "        mov a,#20h\n"
    "        movp a,@a\n"
    "        mov r0,#30h\n"
    "        mov @r0,a\n"
    "done:   jmp done\n"
    "        org 20h\n"
    "        db 5Ah\n";

TEST_F(SimCli, AllExpectationsHold) {
  write("delay.asm", kDelay);
  const Outcome run = sim("delay.asm --until done --expect CYCLES=409 --expect A=5A --expect RAM[30]=5A "
                          "--expect r7=0 --expect PC=00A");
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("CYCLES=409"), std::string::npos) << run.out;
}

TEST_F(SimCli, AFailedExpectationNamesTheValueFound) {
  write("delay.asm", kDelay);
  const Outcome run = sim("delay.asm --until done --expect CYCLES=400 --expect A=5A --expect ram[30]=00");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Erwartung CYCLES=400 nicht erfüllt, gefunden: CYCLES=409"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Erwartung ram[30]=00 nicht erfüllt, gefunden: ram[30]=5A"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Erwartung A="), std::string::npos) << run.out;
}

TEST_F(SimCli, TheReadmesMakefileExamplePasses) {
  write("delay.asm", "        mov r7,#200\nwait:   djnz r7,wait\ndelay_done:\n        jmp delay_done\n");
  write("table.asm",
        "; table.asm: seven-segment codes of the digits 0-3\n        cpu 8048\n        mov a,#1\n"
        "        call digit\n        mov r0,#30h\n        mov @r0,a\n        mov a,#0\n        call digit\n"
        "done:   jmp done\ndigit:  add a,#40h\n        movp a,@a\n        ret\n        org 40h\n"
        "        db 3Fh,06h,5Bh,4Fh\n");
  EXPECT_EQ(sim("delay.asm --until delay_done --expect CYCLES=402").status, 0);
  EXPECT_EQ(sim("table.asm --until done --expect A=3F --expect RAM[30]=06").status, 0);
}

TEST_F(SimCli, LimitsEndTheRun) {
  write("delay.asm", kDelay);
  EXPECT_EQ(sim("delay.asm --steps 3 --expect CYCLES=6 --expect R7=C6").status, 0);
  // The first boundary at or after 101 cycles: 2 + 50 * 2 = 102.
  EXPECT_EQ(sim("delay.asm --cycles 101 --expect CYCLES=102").status, 0);
  EXPECT_EQ(sim("delay.asm --until 4 --expect CYCLES=402").status, 0);
}

TEST_F(SimCli, UntilNotReachedFails) {
  write("delay.asm", kDelay);
  const Outcome run = sim("delay.asm --until done --steps 5");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("--until done (00AH) wurde nicht erreicht"), std::string::npos) << run.out;
}

TEST_F(SimCli, AnUndefinedOpcodeFailsNamingItsAddress) {
  write("bad.asm", " nop\n db 01h\n");
  const Outcome run = sim("bad.asm");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Undefinierter Befehlscode 01H bei Adresse 0001H"), std::string::npos) << run.out;
}

TEST_F(SimCli, AssemblyErrorsFail) {
  write("broken.asm", " mov a,#1\n frob\n");
  const Outcome run = sim("broken.asm");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("Zeile: 2"), std::string::npos) << run.out;
  // A 00H byte ends what was read: the program would run without its rest.
  write("cut.asm", std::string(" mov a,#1\n\0 jmp 0\n", 19));
  const Outcome cut = sim("cut.asm --steps 1");
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.out.find("00H-Byte"), std::string::npos) << cut.out;
}

TEST_F(SimCli, WrongCallsExitWith2) {
  write("delay.asm", kDelay);
  for (const char* arguments : {"", "delay.asm --frob", "delay.asm --steps", "delay.asm --steps 1x",
                                "delay.asm --cpu 8051", "delay.asm --expect Q=1", "delay.asm --until nowhere",
                                "missing.asm", "delay.asm --stim missing.txt", "delay.asm other.asm",
                                "delay.asm --trace delay.asm", "delay.asm --trace ./delay.asm"}) {
    const Outcome run = sim(arguments);
    EXPECT_EQ(run.status, 2) << arguments << "\n" << run.out << run.err;
    EXPECT_NE(run.err.find("zorvin-sim: "), std::string::npos) << arguments;
  }
  EXPECT_EQ(read("delay.asm"), kDelay);  // never overwritten by its own trace
}

TEST_F(SimCli, StimulusDrivesThePins) {
  write("echo.asm",
        "loop:   jt0 loop\n"
        "        in a,p1\n"
        "        outl p2,a\n"
        "done:   jmp done\n");
  write("input.txt", "# P1 first, then T0 low\n50 P1 3C\n100 T0 0\n");
  const Outcome run = sim("echo.asm --stim input.txt --until done --expect P2=3C --expect A=3C --expect CYCLES=106");
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  write("bad.txt", "50 P9 1\n");
  const Outcome bad = sim("echo.asm --stim bad.txt");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("Zeile 1: unbekannter Pin 'P9'"), std::string::npos) << bad.err;
}

TEST_F(SimCli, TraceHasALinePerStepAndTheRamAtTheEnd) {
  write("delay.asm", kDelay);
  ASSERT_EQ(sim("delay.asm --steps 4 --trace trace.txt").status, 0);
  const std::string trace = read("trace.txt");
  std::istringstream lines(trace);
  std::vector<std::string> all;
  for (std::string line; std::getline(lines, line);) all.push_back(line);
  ASSERT_EQ(all.size(), 4u + 4u);  // 64 bytes of RAM in 4 lines
  EXPECT_EQ(all[0], "         0 000 BF C8  A=00 PSW=08 R=00 00 00 00 00 00 00 C8 T=00 P1=FF P2=FF  mov r7,#0C8H");
  EXPECT_EQ(all[1].substr(0, 22), "         2 002 EF 02  ");
  EXPECT_EQ(all[4].substr(0, 7), "RAM 00:");
}

TEST_F(SimCli, AnOpenEndedTraceKeepsTheFirst100000Steps) {
  // 198000 steps of nested loops, then an undefined opcode ends the run.
  write("loop.asm",
        " mov r5,#3\nl5: mov r6,#0\nl6: mov r7,#0\nl7: djnz r7,l7\n djnz r6,l6\n djnz r5,l5\n db 01h\n");
  ASSERT_EQ(sim("loop.asm --trace trace.txt").status, 1);
  const std::string trace = read("trace.txt");
  EXPECT_NE(trace.find("\nTrace nach 100000 Schritten gekürzt (ohne --steps oder --cycles)\nRAM 00:"),
            std::string::npos);
  EXPECT_LT(trace.size(), 10'000'000u);
}

TEST_F(SimCli, ImagesRunAsTheyAreTheNameSaysWhichFormTheyHave) {
  const struct {
    const char* name;
    std::string bytes;
    const char* arguments;
    int status;
    const char* error;  // start of standard error
  } cases[] = {
      // mov a,#0A5h; outl p1,a; jmp 3 -- as a binary and as Intel HEX
      {"prog.bin", std::string("\x23\xA5\x39\x04\x03", 5), " --until 3 --expect P1=A5 --expect CYCLES=4", 0, ""},
      {"prog.hex", ":0500000023A5390403F3\n:00000001FF\n", " --until 3 --expect P1=A5", 0, ""},
      {"bad.hex", ":0500000023A5390403F4\n:00000001FF\n", "", 2, "zorvin-sim: bad.hex: Intel-HEX-Zeile 1: "},
      // outl p2,a first: a binary that starts with ':' is still a binary
      {"colon.bin", std::string("\x3A\x04\x01", 3), " --until 1 --expect P2=00", 0, ""},
      // code from 10H on: below it the memory reads 00H (nop)
      {"high.ihx", ":0500100023A5390414D2\n:00000001FF\n", " --until 14 --expect P1=A5", 0, ""},
      {"cut.hex", ":0500000023A5390403F3\n", "", 2, "zorvin-sim: cut.hex: Intel-HEX-Zeile 1: Endesatz fehlt"},
  };
  for (const auto& c : cases) {
    write(c.name, c.bytes);
    const Outcome run = sim(c.name + std::string(c.arguments));
    EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.err;
    EXPECT_TRUE(run.err.starts_with(c.error)) << c.name << "\n" << run.err;
  }
  const Outcome missing = sim("missing.hex");
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(missing.err.starts_with("zorvin-sim: missing.hex kann nicht gelesen werden")) << missing.err;
}

TEST_F(SimCli, CpuComesFromTheSourceOrTheOption) {
  write("upi.asm", " cpu 8041\n mov a,#3\n out dbb,a\ndone: jmp done\n");
  EXPECT_EQ(sim("upi.asm --until done --expect A=03").status, 0);
  // as an 8048 the same bytes mean outl bus,a
  write("plain.bin", std::string("\x23\x03\x02\x04\x03", 5));
  EXPECT_EQ(sim("plain.bin --until 3 --expect BUS=03").status, 0);
  EXPECT_EQ(sim("plain.bin --cpu 8041 --until 3 --expect BUS=FF").status, 0);
}

// Source errors in the GNU convention, by the option or the variable, for
// an editor's error list; an included file's error names that file.
TEST_F(SimCli, ErrorFormatGnuNamesFileAndLine) {
  write("prog.asm", "        cpu 8048\n        nop\n        frob\n        include \"part.inc\"\n");
  write("part.inc", "        nop\n        mov a,#300\n");
  const std::string gnu =
      "prog.asm:3: Fehler: Syntaxfehler\n"
      "part.inc:2: Fehler: Wert außerhalb des zulässigen Bereiches: 300 (erlaubt -128 bis 255)\n"
      "2 Fehler beim Assemblieren!\n";
  struct Case {
    const char* prefix;
    const char* arguments;
    std::string out;
  };
  const Case cases[] = {
      {"", "prog.asm",
       "Zeile: 3 -> Syntaxfehler\n"
       "Zeile: 4 -> part.inc, Zeile 2: Wert außerhalb des zulässigen Bereiches: 300 (erlaubt -128 bis 255)\n"
       "2 Fehler beim Assemblieren!\n"},
      {"", "prog.asm --fehlerformat gnu", gnu},
      {"ZORVIN_FEHLERFORMAT=gnu", "prog.asm", gnu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome run = sim(c.arguments, c.prefix);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, c.out);
  }
  const Outcome wrong = sim("prog.asm --fehlerformat emacs");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_TRUE(wrong.err.starts_with("zorvin-sim: --fehlerformat erwartet gnu oder standard, nicht 'emacs'\n"))
      << wrong.err;
}

}  // namespace
