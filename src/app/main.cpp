// zorvin: assembler for the Intel 8048 with editor and EPROM emulator link.
#include <X11/Xlib.h>

#include <csignal>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "settings/settings.h"
#include "ui/toolkit.h"

int main(int argc, char** argv) {
  // A write beyond a file size limit or to a vanished device must come back
  // as an error the program reports, not end it.
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_NUMERIC, "C");
  setenv("GDK_BACKEND", "x11", 1);
  // The program draws nothing with OpenGL; without this GDK probes GLX at
  // start-up, which on software rendering maps a 40 MB shader compiler.
  setenv("GDK_GL", "disable", 0);
  XInitThreads();
  zorvin::ui::Toolkit ui(&argc, &argv);
  if (!ui.ready()) {
    std::fprintf(stderr, "zorvin: keine grafische Anzeige gefunden (DISPLAY nicht gesetzt?)\n");
    return 1;
  }
  // What GTK leaves of the command line: the source to open, as the
  // desktop's "Open with" and `zorvin FILE.asm` give it.
  std::string file;
  if (argc > 1) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(argv[1], error);
    file = error ? argv[1] : absolute.lexically_normal().string();
  }
  zorvin::app::App app(ui, zorvin::settings::settings_file_path());
  if (app.start(file)) app.run();
  app.finish();
  return 0;
}
