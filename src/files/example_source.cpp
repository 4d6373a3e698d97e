#include "files/example_source.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>

namespace zorvin::files {

std::string date_text(const std::tm& local) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", local.tm_mday % 100, (local.tm_mon + 1) % 100,
                (local.tm_year + 1900) % 10000);
  return text;
}

std::string today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return date_text(local);
}

std::string login_name() {
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_name ? entry->pw_name : "";
}

std::vector<std::string> example_source_lines(const std::function<std::string()>& date, const std::string& author) {
  const std::string rule = ";" + std::string(60, '-');
  std::vector<std::string> lines = {
      rule,
      ";  Datei:           hallowelt.asm",
      ";  Beschreibung:    automatisch erzeugtes Programmgerüst",
      ";",
      ";  Prozessor:       z.B. 80C49, 2KiB ROM",
      ";  Taktfrequenz:    z.B. 2 MHz",
      ";",
      ";  erzeugt von:     8048 Assembler (zorvin.exe)",
  };
  lines.push_back(";  erstellt am:     " + date());
  lines.push_back(";  geändert am:     " + date());
  lines.push_back(";  Autor:           " + author);
  lines.insert(lines.end(), {rule,           "",        "ORG 0",    "   JMP START", "",
                             "ORG 3",        "   JMP ISR", "",     "ORG 7",       "   JMP TIMER",
                             "",             "ISR:",    "   NOP",   "   ;... Dein Code ...", "   RETR",
                             "",             "TIMER:",  "   NOP",   "   ;... Dein Code ...", "   RETR",
                             "",             "START:",  "   SEL RB0", "   SEL MB0", "",
                             "HAUPT:",       "   NOP",  "   ;... Dein Code ...", "   JMP HAUPT", "",
                             "END"});
  return lines;
}

}  // namespace zorvin::files
