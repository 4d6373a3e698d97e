// F5 shows in the message pane the very lines zorvin-asm prints for the same
// source file: the dialect line, every warning, the errors, the image and
// the summary, in the same order.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "app/ids.h"
#include "built_program.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// What zorvin-asm prints on its standard output for `path`.
std::string command_line_output(const std::string& path) {
  std::vector<std::string> command = built_program_command(ZORVIN_ASM_EXE, {path});
  std::FILE* pipe = popen(shell_command(command).c_str(), "r");
  if (!pipe) return "(zorvin-asm nicht gestartet)";
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  return out;
}

class AssembleMessages : public GuiTest {};

TEST_F(AssembleMessages, AreTheLinesZorvinAsmPrintsForTheSameSource) {
  struct Case {
    const char* name;
    const char* source;  // 8-bit text, as on disk
    const char* expected_warning;  // one line the pane must hold
  };
  const Case cases[] = {
      // TASM takes the low byte of a value too big for it, and reads $ and %
      // numbers its own way; an error besides does not hide the warnings.
      {"tasm.asm", "#define ON 1\n mov a,#300\n mov a,#$10\n mov a,#%101\n bogus\n",
       "Zeile: 2 -> Warnung: Wert passt nicht in ein Byte, unteres Byte genommen: 300"},
      // Warnings of a run without errors, before the image's line.
      {"tasm_ok.asm", "#define ON 1\n mov a,#300\n mov a,#$10\n",
       "Zeile: 2 -> Warnung: Wert passt nicht in ein Byte, unteres Byte genommen: 300"},
      // The plain dialect's warning about code written twice.
      {"overlap.asm", " org 0\n nop\n nop\n org 1\n cpl a\n",
       "Warnung: Code ab Zeile 5 \xC3\xBC" "berschreibt Code ab Zeile 3 (0001H bis 0001H)"},
  };
  start_app();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_file(c.name, c.source);
    const std::string path = dir_ + "/" + c.name;
    ui().request_file(path);
    ASSERT_TRUE(pump_until([&] { return app().panes().source_path() == path; }));
    const std::size_t before = lines_of(messages()).size();
    app().dispatch_command(command::kAssemble);
    const std::vector<std::string> all = lines_of(messages());
    const std::vector<std::string> shown(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    const std::vector<std::string> printed = lines_of(command_line_output(path));
    EXPECT_EQ(shown, printed) << messages();
    EXPECT_NE(std::find(shown.begin(), shown.end(), std::string(c.expected_warning)), shown.end()) << messages();
  }
}

}  // namespace
}  // namespace zorvin::test
