// The source editor with its 8048 highlighting under a private Xvfb: the
// time from a key press in a 10,000-line source to the repainted window,
// the time to load a 100,000-line source up to its first painted frame, and
// the time to remove error marks from many lines, and the highlighting of a
// 140,000-line source in each dialect's language.
#include <X11/Xlib.h>
#include <gtk/gtk.h>
#include <gtksourceview/gtksource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/ids.h"
#include "bench_app.h"
#include "files/source_file.h"
#include "key_press.h"
#include "private_xvfb.h"

namespace {

using zorvin::app::control::kEditor;
using zorvin::bench::Clock;
using zorvin::bench::median;
using zorvin::bench::ms_since;

// A program of short lines as people write them: labels, instructions with
// numbers in the various notations, a character literal and a comment. It
// stays below 10 bytes a line, so 100,000 lines fit the 1 MiB source limit.
std::string program(int lines) {
  static const char* const kinds[] = {
      "l{}: nop", " inc a",      " mov a,#0FFh", " jnz l{}", " add a,r{}",
      ";Schleife", " xrl a,#'A'", " outl p1,a",  " dec r{}", " db %1F",
  };
  std::string text;
  for (int line = 0; line < lines; ++line) {
    std::string row = kinds[line % 10];
    if (auto at = row.find("{}"); at != std::string::npos) row.replace(at, 2, std::to_string(line % 8));
    text += row + "\n";
  }
  return text;
}

// Runs the main loop until the window has painted a frame.
void until_painted(GdkFrameClock* clock) {
  bool painted = false;
  const gulong handler = g_signal_connect(clock, "after-paint", G_CALLBACK(+[](GdkFrameClock*, gpointer flag) {
                                            *static_cast<bool*>(flag) = true;
                                          }),
                                          &painted);
  while (!painted) gtk_main_iteration_do(TRUE);
  g_signal_handler_disconnect(clock, handler);
}

void settle(int ms) {
  const auto start = Clock::now();
  while (ms_since(start) < ms) {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    usleep(2000);
  }
}

// A key press as the X server delivers it, through the window's shortcut
// handler, the input method and the text view's insertion.
void press(GtkWidget* widget, guint keyval) { zorvin::test::send_key_press(widget, keyval, GdkModifierType(0), false); }

void measure_keystrokes(zorvin::ui::Toolkit& ui, zorvin::app::App& app, GdkFrameClock* clock, int presses) {
  app.panes().set_editor_text(program(10000));
  GtkWidget* view = ui.widget(kEditor);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  GtkTextIter middle;
  gtk_text_buffer_get_iter_at_line(buffer, &middle, 5000);
  gtk_text_buffer_place_cursor(buffer, &middle);
  gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(view), gtk_text_buffer_get_insert(buffer), 0.0, TRUE, 0.0, 0.5);
  gtk_widget_grab_focus(view);
  settle(500);
  std::vector<double> times;
  for (int i = 0; i < presses; ++i) {
    const auto start = Clock::now();
    press(view, i % 2 == 0 ? GDK_KEY_n : GDK_KEY_BackSpace);
    until_painted(clock);
    times.push_back(ms_since(start));
    settle(30);  // a typist's pace; the frame clock never has to wait
  }
  std::printf("key press to repainted window, 10,000-line source, highlighting on: median %.1f ms, worst %.1f ms "
              "(%d presses)\n",
              median(times), *std::max_element(times.begin(), times.end()), presses);
}

void measure_load(zorvin::ui::Toolkit& ui, zorvin::app::App& app, GdkFrameClock* clock, const std::filesystem::path& dir, int runs) {
  const std::string path = (dir / "gross.asm").string();
  std::ofstream(path, std::ios::binary) << program(100000);
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    app.panes().clear_editor();
    settle(200);
    const auto start = Clock::now();
    const zorvin::files::LoadedSource loaded = zorvin::files::read_source_file(path);
    if (!loaded.ok) {
      std::printf("loading a 100,000-line source: %s\n", loaded.error.c_str());
      return;
    }
    app.panes().set_editor_text(loaded.text);
    app.panes().set_modified(0);
    app.panes().set_file_status();
    until_painted(clock);
    times.push_back(ms_since(start));
  }
  // The rest of the text is highlighted in the background, in slices between
  // events; done in one go it takes this long.
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(ui.widget(kEditor)));
  GtkTextIter first, last;
  gtk_text_buffer_get_bounds(buffer, &first, &last);
  const auto start = Clock::now();
  gtk_source_buffer_ensure_highlight(GTK_SOURCE_BUFFER(buffer), &first, &last);
  const double highlighting = ms_since(start);
  std::printf("loading a 100,000-line source (%.0f KiB) to its first painted frame: median %.0f ms, best %.0f ms "
              "(%d runs)\n",
              std::filesystem::file_size(path) / 1024.0, median(times), *std::min_element(times.begin(), times.end()),
              runs);
  std::printf("highlighting what is left of those 100,000 lines at once: %.0f ms (else done in the background)\n",
              highlighting);
}

// "Quelle laden" after F5 marked many error lines: before, the new text
// replaced the old one while the marks stood, and they were deleted one by
// one after it; now they go in one step first.
void measure_error_marks(zorvin::ui::Toolkit& ui, zorvin::app::App& app, int lines) {
  GtkSourceBuffer* buffer = GTK_SOURCE_BUFFER(gtk_text_view_get_buffer(GTK_TEXT_VIEW(ui.widget(kEditor))));
  std::vector<int> all(static_cast<std::size_t>(lines));
  for (int line = 0; line < lines; ++line) all[static_cast<std::size_t>(line)] = line;
  const std::string marked = program(lines);
  const std::string next = program(100);
  const auto flush = [] {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  };

  app.panes().set_editor_text(marked);
  std::vector<GtkSourceMark*> marks;
  for (int line : all) {
    GtkTextIter at;
    gtk_text_buffer_get_iter_at_line(GTK_TEXT_BUFFER(buffer), &at, line);
    marks.push_back(gtk_source_buffer_create_source_mark(buffer, nullptr, "zorvin-error", &at));
  }
  settle(200);
  auto start = Clock::now();
  app.panes().set_editor_text(next);
  for (GtkSourceMark* mark : marks) gtk_text_buffer_delete_mark(GTK_TEXT_BUFFER(buffer), GTK_TEXT_MARK(mark));
  flush();
  const double before = ms_since(start);

  app.panes().set_editor_text(marked);
  ui.set_line_marks(kEditor, all);
  settle(200);
  start = Clock::now();
  ui.set_line_marks(kEditor, {});
  app.panes().set_editor_text(next);
  flush();
  const double now = ms_since(start);
  std::printf("loading after %d error marks: %.0f ms (marks removed in one step first; before: %.0f ms)\n", lines, now,
              before);
}

// Highlighting a whole 140,000-line source in each dialect's language, the
// plain dialect's (the only one before) first as the baseline.
void measure_languages(zorvin::ui::Toolkit& ui, zorvin::app::App& app, int lines) {
  std::string text = "#define SCHNELL 1\n";
  const std::string body = program(lines - 4);
  text += body + " .db ';', \"a;b\" ; Zeichen\n mov a,#$1F\n mov a,#%0101\n";
  app.panes().set_editor_text(text);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(ui.widget(kEditor)));
  for (const char* language : {"mcs48", "mcs48-as", "mcs48-tasm", "mcs48-sbasm", "mcs48-asxxxx", "mcs48-asm48"}) {
    ui.set_source_language(kEditor, language);
    if (ui.source_language(kEditor) != language) {
      std::printf("language %s not installed\n", language);
      continue;
    }
    GtkTextIter first, last;
    gtk_text_buffer_get_bounds(buffer, &first, &last);
    const auto start = Clock::now();
    gtk_source_buffer_ensure_highlight(GTK_SOURCE_BUFFER(buffer), &first, &last);
    std::printf("highlighting %d lines at once in %-13s %6.0f ms\n", lines, language, ms_since(start));
    ui.set_source_language(kEditor, "mcs48");
  }
}

}  // namespace

int main() {
  const pid_t xvfb = zorvin::test::start_private_xvfb();
  if (xvfb <= 0) return 1;
  zorvin::bench::use_display_as_the_program_does();
  {
    zorvin::bench::BenchApp bench("editor");
    settle(300);
    GdkFrameClock* clock = gtk_widget_get_frame_clock(GTK_WIDGET(bench.ui.gtk_window(zorvin::app::window::kMain)));
    measure_keystrokes(bench.ui, bench.app, clock, 101);
    measure_load(bench.ui, bench.app, clock, bench.dir, 5);
    measure_error_marks(bench.ui, bench.app, 20000);
    measure_languages(bench.ui, bench.app, 140000);
  }
  zorvin::test::stop_private_xvfb(xvfb);
  return 0;
}
