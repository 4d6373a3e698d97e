// The dialect chosen per source file ("Ausführen → Dialekt"), the
// definitions F5 passes on ("Einstellungen → Definitionen…"), and the
// highlighting that follows the dialect in use.
#include <gtksourceview/gtksource.h>

#include <functional>

#include "app/ids.h"
#include "asm/dialect/dialects.h"
#include "gui_harness.h"

namespace zorvin::test {
namespace {

using namespace app;

// The menu item of a dialect by its option name ("plain" first, then the
// engine's conventions as the menu lists them).
int dialect_item(std::string_view option) {
  if (option == "plain") return dialect::kFirst;
  int item = dialect::kFirst + 1;
  for (const asm48::Convention* convention : asm48::engine_conventions()) {
    if (convention->option == option) return item;
    ++item;
  }
  return -1;
}

// Steps run every 50 ms inside a dialog's own loop until one reports done;
// after `limit` ticks the dialog is closed so that no test hangs in it.
void run_in_dialog(const std::string& title, std::vector<std::function<bool(GtkWindow*)>> steps) {
  struct State {
    std::string title;
    std::vector<std::function<bool(GtkWindow*)>> steps;
    std::size_t next = 0;
    int ticks = 0;
  };
  auto* state = new State{title, std::move(steps)};
  g_timeout_add_full(
      G_PRIORITY_DEFAULT, 50,
      [](gpointer data) -> gboolean {
        auto* s = static_cast<State*>(data);
        GtkWindow* found = nullptr;
        GList* all = gtk_window_list_toplevels();
        for (GList* w = all; w; w = w->next) {
          const char* t = gtk_window_get_title(GTK_WINDOW(w->data));
          if (t && s->title == t && gtk_widget_get_mapped(GTK_WIDGET(w->data))) found = GTK_WINDOW(w->data);
        }
        g_list_free(all);
        if (++s->ticks > 100) {
          if (found) gtk_window_close(found);
          return G_SOURCE_REMOVE;
        }
        if (!found) return s->next == 0 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
        if (s->steps[s->next](found)) ++s->next;
        return s->next < s->steps.size() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
      },
      state, [](gpointer data) { delete static_cast<State*>(data); });
}

// The definitions dialog's controls.
constexpr int kEntry = 17, kProblem = 18, kOk = 20;

class Dialects : public GuiTest {
 protected:
  std::string language() { return ui().source_language(control::kEditor); }
  std::string ticked_dialect() {
    if (ui().menu_item_ticked(dialect::kAutomatic)) return "automatisch";
    for (int item = dialect::kFirst; item <= dialect::kLast; ++item)
      if (ui().menu_item_ticked(item)) return std::to_string(item - dialect::kFirst);
    return "keiner";
  }
  std::string last_dialect_line() {
    const std::string all = messages();
    const auto at = all.rfind("Dialekt: ");
    return at == std::string::npos ? "" : all.substr(at, all.find('\n', at) - at);
  }
  void open(const std::string& name) {
    ui().request_file(dir_ + "/" + name);
    pump_until([&] { return app().panes().source_path() == dir_ + "/" + name; });
  }
  // Whether the editor colours the first occurrence of `text` as a comment.
  bool coloured_as_comment(const std::string& text) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(ui().widget(control::kEditor)));
    GtkTextIter start, end, match, after;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gtk_source_buffer_ensure_highlight(GTK_SOURCE_BUFFER(buffer), &start, &end);
    if (!gtk_text_iter_forward_search(&start, text.c_str(), GTK_TEXT_SEARCH_TEXT_ONLY, &match, &after, nullptr))
      return false;
    return gtk_source_buffer_iter_has_context_class(GTK_SOURCE_BUFFER(buffer), &match, "comment");
  }
  // The colour the highlighting gives the first occurrence of `text`: the
  // foreground of its highest tag that sets one, empty for none.
  std::string colour_at(const std::string& text) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(ui().widget(control::kEditor)));
    GtkTextIter start, end, match, after;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gtk_source_buffer_ensure_highlight(GTK_SOURCE_BUFFER(buffer), &start, &end);
    if (!gtk_text_iter_forward_search(&start, text.c_str(), GTK_TEXT_SEARCH_TEXT_ONLY, &match, &after, nullptr))
      return "?";
    std::string colour;
    int priority = -1;
    GSList* tags = gtk_text_iter_get_tags(&match);
    for (GSList* tag = tags; tag; tag = tag->next) {
      gboolean set = FALSE;
      GdkRGBA* rgba = nullptr;
      g_object_get(tag->data, "foreground-set", &set, "foreground-rgba", &rgba, nullptr);
      if (set && rgba && gtk_text_tag_get_priority(GTK_TEXT_TAG(tag->data)) > priority) {
        gchar* shown = gdk_rgba_to_string(rgba);
        colour = shown;
        g_free(shown);
        priority = gtk_text_tag_get_priority(GTK_TEXT_TAG(tag->data));
      }
      if (rgba) gdk_rgba_free(rgba);
    }
    g_slist_free(tags);
    return colour;
  }
  // "number" or "directive" when `text` has the colour of a number or a
  // directive word every dialect colours (0Fh, .db), else empty.
  std::string style_at(const std::string& text) {
    const std::string colour = colour_at(text);
    if (colour.empty()) return "";
    if (colour == colour_at("0Fh")) return "number";
    if (colour == colour_at(".db")) return "directive";
    return "other " + colour;
  }
};

TEST_F(Dialects, ChoiceIsRememberedPerFileAcrossReloadsAndRestartsAndNamedByF5) {
  // Valid in the plain dialect and in TASM alike.
  write_file("prog.asm", "        nop\n        mov a,#12h\n");
  write_file("other.asm", "        org 0\n        nop\n");
  start_app("", "prog.asm");
  EXPECT_EQ(ticked_dialect(), "automatisch");
  EXPECT_EQ(language(), "mcs48");
  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(last_dialect_line(), "Dialekt: einfach (keine Kennzeichen eines anderen Dialekts)");

  app().dispatch_command(dialect_item("tasm"));
  EXPECT_EQ(ticked_dialect(), std::to_string(dialect_item("tasm") - dialect::kFirst));
  EXPECT_EQ(language(), "mcs48-tasm");
  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(last_dialect_line(), "Dialekt: TASM (gewählt: tasm)");

  open("other.asm");  // a file without a choice: recognised
  EXPECT_EQ(ticked_dialect(), "automatisch");
  EXPECT_EQ(language(), "mcs48");
  open("prog.asm");
  EXPECT_EQ(ticked_dialect(), std::to_string(dialect_item("tasm") - dialect::kFirst));
  EXPECT_EQ(language(), "mcs48-tasm");

  finish_app();
  EXPECT_NE(read_file("zorvin.ini").find("[Dialekte]\nDatei1 = tasm|" + dir_ + "/prog.asm\n"), std::string::npos);
  start_app("", "prog.asm");
  EXPECT_EQ(language(), "mcs48-tasm");
  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(last_dialect_line(), "Dialekt: TASM (gewählt: tasm)");

  // Back to "Automatisch erkennen": forgotten for the file.
  app().dispatch_command(dialect::kAutomatic);
  EXPECT_EQ(ticked_dialect(), "automatisch");
  finish_app();
  EXPECT_EQ(read_file("zorvin.ini").find("Datei1 ="), std::string::npos);
}

TEST_F(Dialects, DefinitionsFromTheSettingsReachF5AndAWrongEntryKeepsTheDialogOpen) {
  write_file("cond.asm",
             "        .org 0\n#ifdef SCHNELL\n        .db 1\n#else\n        .db 2\n#endif\n"
             "#ifdef STUFE\n#if STUFE > 3\n        .db 4\n#endif\n#endif\n");
  start_app("", "cond.asm");
  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(read_file("cond.bin"), std::string("\x02", 1)) << messages();

  std::string problem;
  bool closed_too_early = false;
  run_in_dialog("Definitionen",
                {[&](GtkWindow*) {
                   ui().set_text(kEntry, "SCHNELL, 1STUFE=5");
                   gtk_button_clicked(GTK_BUTTON(ui().widget(kOk)));
                   return true;
                 },
                 [&](GtkWindow*) {
                   problem = ui().text(kProblem);
                   closed_too_early = !ui().has_window(window::kDefinitions);
                   ui().set_text(kEntry, "SCHNELL, STUFE=5");
                   g_signal_emit_by_name(ui().widget(kEntry), "activate");  // Return in the field
                   return true;
                 }});
  app().dispatch_command(command::kDefinitions);
  EXPECT_FALSE(closed_too_early);
  EXPECT_NE(problem.find("Fehler: '1STUFE=5' ist keine Definition"), std::string::npos) << problem;
  EXPECT_FALSE(ui().has_window(window::kDefinitions));
  EXPECT_EQ(app().settings().definitions, "SCHNELL, STUFE=5");
  EXPECT_NE(read_file("zorvin.ini").find("[Assembler]\nDefinitionen = SCHNELL, STUFE=5\n"), std::string::npos);

  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(read_file("cond.bin"), std::string("\x01\x04", 2)) << messages();
}

TEST_F(Dialects, HighlightingFollowsTheRecognisedChosenAndAssembledDialect) {
  write_file("plain.asm", "        db ';'  ; Semikolon\n");
  write_file("tasm.asm", "#define X 1\n        .db ';'  ; Semikolon\n");
  start_app("", "plain.asm");
  EXPECT_EQ(language(), "mcs48");
  // The plain dialect reads the ';' in quotes as the comment's start.
  EXPECT_TRUE(coloured_as_comment(";'"));
  open("tasm.asm");
  EXPECT_EQ(language(), "mcs48-tasm");  // recognised at #define
  EXPECT_FALSE(coloured_as_comment(";'"));  // a character constant there
  EXPECT_TRUE(coloured_as_comment("; Semikolon"));

  app().dispatch_command(dialect_item("sbasm"));
  EXPECT_EQ(language(), "mcs48-sbasm");
  app().dispatch_command(dialect::kAutomatic);
  EXPECT_EQ(language(), "mcs48-tasm");

  // Number forms and directive words as each convention reads them.
  write_file("forms.asm", "        .db $1F, %0101, @17, 0b11, 0Fh\n#define Y 2\n");
  open("forms.asm");
  const struct {
    const char* option;
    const char* dollar;   // style of "$1F"
    const char* percent;  // of "%0101"
    const char* at;       // of "@17"
    const char* prefix;   // of "0b11"
    const char* hash;     // of "#define"
  } forms[] = {
      {"plain", "", "number", "", "", ""},
      {"tasm", "number", "number", "number", "", "directive"},
      {"asm48", "", "number", "", "", ""},
      {"asxxxx", "number", "number", "", "number", ""},
  };
  for (const auto& f : forms) {
    app().dispatch_command(dialect_item(f.option));
    EXPECT_EQ(style_at("$1F"), f.dollar) << f.option;
    EXPECT_EQ(style_at("%0101"), f.percent) << f.option;
    EXPECT_EQ(style_at("@17"), f.at) << f.option;
    EXPECT_EQ(style_at("0b11"), f.prefix) << f.option;
    EXPECT_EQ(style_at("#define"), f.hash) << f.option;
  }

  // A marker typed in: F5 reads another dialect, and the colours follow.
  open("plain.asm");
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(ui().widget(control::kEditor)));
  GtkTextIter start;
  gtk_text_buffer_get_start_iter(buffer, &start);
  gtk_text_buffer_insert(buffer, &start, "        cpu 8048\n", -1);
  app().dispatch_command(command::kAssemble);
  EXPECT_EQ(language(), "mcs48-as");
}

}  // namespace
}  // namespace zorvin::test
