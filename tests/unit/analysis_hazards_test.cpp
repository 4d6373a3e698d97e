// Hazards: page ends, tables out of a movp's reach, the bank flip-flop at
// long jumps, the bank's end, interrupt routines that clobber the
// interrupted program, and code nothing reaches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis_test_program.h"

namespace {

using zorvin::analysis::Analysis;
using zorvin::analysis::FindingKind;
using zorvin::analysis::testing::analyse_source;

struct Expected {
  FindingKind kind;
  int line;
  const char* text_part;
};

struct HazardCase {
  const char* what;
  std::string source;
  std::vector<Expected> expected;  // exactly these, in order
};

// A main program that enables the external interrupt and waits; the
// routine at 003H jumps to the case's code at 023H (line 10).
std::string with_interrupt(const std::string& isr) {
  return "        org 0\n        jmp main\n        org 3\n        jmp isr\n        org 7\n        retr\n"
         "        org 20h\nmain:   en i\nhalt:   jmp halt\nisr:    " + isr;
}

// Calls `read` at 010H (line 5) from the reset entry.
std::string with_reader(const std::string& read) {
  return "        org 0\n        call read\nh:      jmp h\n        org 10h\nread:   " + read;
}

TEST(AnalysisHazards, TableDriven) {
  const HazardCase cases[] = {
      {"a clean program", with_interrupt("sel rb1\n        mov r7,a\n        in a,p1\n        mov a,r7\n        retr\n"), {}},
      {"conditional jump at a page's last byte",
       "        org 0\n        call edge\nh:      jmp h\n        org 0FFh\nedge:   jz next\nnext:   ret\n",
       {{FindingKind::PageEnd, 5, "jz bei 0FFh steht am Seitenende: sein Adressbyte liegt in der nächsten Seite, das Sprungziel 101h"}}},
      {"conditional jump on a page's last two bytes: its own page",
       "        org 0\n        call edge\nh:      jmp h\n        org 0FEh\nedge:   jz edge\n        ret\n", {}},
      {"movp before a page's last byte: its own page",
       "        org 0\n        call edge\nh:      jmp h\n        org 0FEh\nedge:   movp a,@a\n        ret\n", {}},
      {"movp at a page's last byte",
       "        org 0\n        call edge\nh:      jmp h\n        org 1FFh\nedge:   movp a,@a\n        ret\n",
       {{FindingKind::PageEnd, 5, "movp bei 1FFh steht am Seitenende und liest die Seite 200h bis 2FFh"}}},
      {"table over a page end",
       with_reader("add a,#0FCh\n        movp a,@a\n        ret\n"
                   "        org 0FCh\ntab:    db 1\n        db 2\n        db 3\n        db 4\n        db 5\n        db 6\n"),
       {{FindingKind::TablePage, 9, "die Tabelle ab tab (0FCh) reicht über das Seitenende 0FFh hinaus; movp bei 012h liest nur 000h bis 0FFh"}}},
      {"a new table after the page end is fine",
       with_reader("add a,#0FEh\n        movp a,@a\n        ret\n        org 0FEh\ntab:    db 1\n        db 2\nnext:   db 3\n"),
       {}},
      {"movp3 reads page 3 wherever it stands",
       with_reader("movp3 a,@a\n        ret\n        org 3FEh\ntab3:   db 1\n        db 2\n        db 3\n"),
       {{FindingKind::TablePage, 8, "die Tabelle ab tab3 (3FEh) reicht über das Seitenende 3FFh hinaus; movp3 bei 010h liest nur 300h bis 3FFh"}}},
      {"table in another page",
       with_reader("mov a,#10h\n        movp a,@a\n        ret\n        org 110h\ntab:    db 7\n"),
       {{FindingKind::TablePage, 6, "movp bei 012h liest 000h bis 0FFh, die Tabelle tab (110h) liegt aber in 100h bis 1FFh"}}},
      {"sel mb unknown at a jmp",
       "        org 0\n        jmp start\n        org 10h\nstart:  sel mb1\n        jc both\n        sel mb0\nboth:   jmp start\n",
       {{FindingKind::BankUnknown, 7, "jmp bei 014h: ob sel mb0 oder sel mb1 gilt"},
        {FindingKind::RunsIntoData, 7, "erreicht bei 810h keinen Befehl"}}},
      {"code running into the bank's end",
       "        org 0\n        jmp edge\n        org 7FEh\nedge:   nop\n        nop\n",
       {{FindingKind::BankWrap, 5, "der Code läuft nach 7FFh über das Bankende hinaus und setzt bei 000h fort"}}},
      {"interrupt changes A", with_interrupt("mov a,#1\n        outl p1,a\n        retr\n"),
       {{FindingKind::InterruptChanges, 10, "die Unterbrechungsroutine 003h ändert A bei 023h, ohne A vorher zu sichern"}}},
      {"interrupt changes a register of the main bank", with_interrupt("inc r5\n        retr\n"),
       {{FindingKind::InterruptChanges, 10, "ändert r5 bei 023h in der Registerbank des unterbrochenen Programms"}}},
      {"saving A in the main bank clobbers a register",
       with_interrupt("mov r7,a\n        in a,p1\n        mov a,r7\n        retr\n"),
       {{FindingKind::InterruptChanges, 10, "ändert r7 bei 023h"}}},
      {"interrupt writes PSW", with_interrupt("sel rb1\n        mov r7,a\n        mov psw,a\n        mov a,r7\n        retr\n"),
       {{FindingKind::InterruptChanges, 12, "schreibt PSW bei 025h (mov psw,a)"}}},
      {"interrupt ends with ret", with_interrupt("ret\n"),
       {{FindingKind::InterruptChanges, 10, "endet bei 023h mit ret statt retr"}}},
      {"code nothing reaches",
       "        org 0\nh:      jmp h\n        org 10h\nold:    mov a,#1\n        outl p1,a\n        ret\n        db 5\nmore:   ret\n",
       {{FindingKind::Unreached, 4, "Code wird nie erreicht: 010h bis 013h (bis Zeile 6)"},
        {FindingKind::Unreached, 8, "Code wird nie erreicht: 015h bis 015h"}}},
      {"jmpp reaches the code its table names",
       "        org 0\n        jmp main\n        org 10h\nmain:   mov a,r2\n        jmpp @a\none:    jmp main\n"
       "two:    jmp main\n        org 0F0h\n        db 12h\n        db 14h\n",
       {}},
      {"jmpp without a table leaves its targets unreached",
       "        org 0\n        jmp main\n        org 10h\nmain:   mov a,r2\n        jmpp @a\none:    jmp main\n",
       {{FindingKind::Unreached, 6, "Code wird nie erreicht: 012h bis 013h"}}},
  };
  for (const HazardCase& c : cases) {
    const Analysis analysis = analyse_source(c.source);
    ASSERT_EQ(analysis.findings.size(), c.expected.size()) << c.what << ": "
        << (analysis.findings.empty() ? std::string("none") : analysis.findings.front().text);
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      const auto& finding = analysis.findings[i];
      EXPECT_EQ(finding.kind, c.expected[i].kind) << c.what;
      EXPECT_EQ(finding.line, c.expected[i].line) << c.what;
      EXPECT_NE(finding.text.find(c.expected[i].text_part), std::string::npos) << c.what << ": " << finding.text;
    }
  }
}

}  // namespace

namespace {

// The bank flip-flop through calls: a routine that selects no bank leaves
// it as it was, so the caller's own sel mb0 decides the next jmp.
TEST(AnalysisHazards, TheBankFlipFlopFollowsCallsAndReturns) {
  struct Case {
    const char* what;
    const char* after_call;
    bool lands_in_bank_one;
  };
  const Case cases[] = {
      {"sel mb0 after the call", "        sel mb0\n", false},
      {"no sel mb0 after the call", "", true},
  };
  for (const Case& c : cases) {
    const std::string source = std::string("        cpu 8048\n        org 0\n        sel mb1\n        call far\n") +
                               c.after_call + "loop:   jmp loop\n        org 800h\nfar:    ret\n";
    const Analysis analysis = analyse_source(source);
    bool into_data = false;
    for (const auto& finding : analysis.findings) {
      EXPECT_NE(finding.kind, FindingKind::BankUnknown) << c.what;
      EXPECT_NE(finding.kind, FindingKind::Unreached) << c.what << ": " << finding.text;
      into_data |= finding.kind == FindingKind::RunsIntoData;
    }
    EXPECT_EQ(into_data, c.lands_in_bank_one) << c.what;
    EXPECT_EQ(analysis.stack.main_depth, 1) << c.what;
  }
}

// A routine that selects a bank hands its choice back to every caller.
TEST(AnalysisHazards, ARoutineThatSelectsABankDecidesAfterItsReturn) {
  const Analysis analysis = analyse_source(
      "        cpu 8048\n        org 0\n        call pick\nloop:   jmp loop\n        org 10h\npick:   jc one\n"
      "        sel mb0\n        ret\none:    sel mb1\n        ret\n");
  ASSERT_FALSE(analysis.findings.empty());
  EXPECT_EQ(analysis.findings.front().kind, FindingKind::BankUnknown);
  EXPECT_EQ(analysis.findings.front().line, 4);
}

}  // namespace
