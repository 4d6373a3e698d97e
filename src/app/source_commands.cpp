// "Quelle neu", "Quelle laden", "Quelle speichern" and "Quelle speichern als".
#include <unistd.h>

#include <filesystem>
#include <utility>

#include "app/app.h"
#include "files/example_source.h"
#include "files/file_identity.h"
#include "files/source_file.h"

namespace zorvin::app {

namespace {

const std::vector<ui::FileFilter> kSourceFilters = {
    {"Quelldateien (*.asm)", "*.[aA][sS][mM]"},
    {"Alle Dateien (*.*)", "*"},
};

std::string file_name_of(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file name in quotes, as messages show it. Appended piece by piece:
// "'" + a temporary string trips GCC 12's false -Wrestrict warning at -O3.
std::string quoted_file_name(const std::string& path) {
  std::string quoted = "'";
  quoted += file_name_of(path);
  quoted += '\'';
  return quoted;
}

std::string working_directory() {
  std::string buffer(4096, '\0');
  if (!getcwd(buffer.data(), buffer.size())) return "";
  buffer.resize(buffer.find('\0'));
  return buffer;
}

}  // namespace

void App::load_source() {
  const auto chosen = ui_.choose_file_to_open("Quelle laden", kSourceFilters);
  if (chosen) open_source(*chosen);
}

void App::open_requested_file() {
  const std::string path = std::exchange(requested_file_, {});
  if (path.empty() || !confirm("Quelle wurde geändert. Trotzdem laden?")) return;
  // An image from the recent files is opened again as an image.
  if (std::exchange(requested_kind_, ui::FileKind::Source) == ui::FileKind::Binary)
    open_binary_file(path);
  else
    open_source(path);
}

void App::open_source(const std::string& path) {
  // The source path changes only once the file has been read, so a failed
  // load can never make the next save overwrite that file.
  files::LoadedSource loaded = files::read_source_file(path);
  // A larger file may well be the user's own, saved here after a big paste:
  // it loads when the user agrees to wait for it.
  if (loaded.large && ask(quoted_file_name(path) + " ist größer als " + std::string(files::kMaxSourceText) +
                          ". Das Laden kann eine Weile dauern. Trotzdem laden?"))
    loaded = files::read_source_file(path, true);
  if (!loaded.ok) {
    panes_.append_message(path + " - Datei konnte nicht geladen werden (" + loaded.error + ")");
    panes_.scroll_messages_to_end();
    return;
  }
  panes_.set_source_path(path);
  source_file_ = files::identity_of(path);
  source_file_cut_ = loaded.cut_at_zero;
  source_utf8_ = loaded.utf8_with_mark;
  // The marks go first: replacing a text that holds thousands of them
  // would move each one.
  forget_error_lines();
  panes_.set_editor_text(loaded.text);
  panes_.set_modified(0);
  panes_.set_file_status();
  remember_source(path);
  restore_dialect();
  panes_.append_message(path + " (" + std::to_string(loaded.size) + " Byte) geladen");
  if (loaded.utf8_with_mark) panes_.append_message(path + " - " + std::string(files::kReadAsUtf8));
  if (loaded.cut_at_zero)
    panes_.append_message(path + " - ab dem ersten 00H-Byte wurden " + std::to_string(loaded.bytes_not_loaded) +
                          " Byte nicht geladen");
  panes_.scroll_messages_to_end();
  panes_.focus_editor();
}

// The file is offered again in the recent files and opened at the next
// start. A path with a line break cannot stand in the settings file.
void App::remember_source(const std::string& path) {
  ui_.remember_recent_file(path);
  if (path.find_first_of("\r\n") == std::string::npos) settings_.last_source = path;
}

// Saving must not silently replace a file the editor's text did not come
// from (the example's hallowelt.asm may be the user's own work), nor cut a
// file that was loaded only up to a 00H byte.
bool App::may_replace(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return true;  // nothing to lose, or writing refuses it
  const std::string name = quoted_file_name(path);
  if (files::identity_of(path) != source_file_) return ask(name + " gibt es schon. Ersetzen?");
  if (source_file_cut_)
    return ask(name + " wurde beim Laden an einem 00H-Byte abgeschnitten. Trotzdem speichern? Der Rest der Datei geht "
                      "dabei verloren.");
  return true;
}

void App::save_source(bool save_as) {
  save_source_to_file(save_as);
  // The outcome shows even when the pane is scrolled elsewhere.
  panes_.show_last_message();
}

void App::save_source_to_file(bool save_as) {
  std::string path = panes_.source_path();
  if (path.empty() || save_as) {
    const auto chosen = ui_.choose_file_to_save("Quelle speichern unter", kSourceFilters, path);
    if (!chosen) {
      panes_.append_message("Speichern der Quelle abgebrochen");
      return;
    }
    path = *chosen;
  }
  if (!may_replace(path)) {
    panes_.append_message("Speichern der Quelle abgebrochen");
    return;
  }
  const files::SavedSource saved = files::write_source_file(path, panes_.editor_text(), source_utf8_);
  if (!saved.ok) {
    // The source path stays where it was, so the status bar and the next
    // "Quelle speichern" both still name the previous file.
    panes_.append_message("Fehler beim Speichern der Quelle");
    panes_.append_message(path + " - " + saved.error);
    ui_.message_box("Fehler", quoted_file_name(path) + " konnte nicht gespeichert werden!", ui::MessageIcon::Error,
                    false);
    return;
  }
  keep_dialect_for(path);  // the choice goes with the text to its new name
  panes_.set_source_path(path);
  source_file_ = files::identity_of(path);  // a replaced file is a new inode
  source_file_cut_ = false;
  panes_.set_modified(0);
  panes_.set_file_status();
  remember_source(path);
  panes_.append_message(path + " (" + std::to_string(saved.size) + " Byte) gespeichert");
  if (saved.size > files::kMaxLargeSourceBytes)
    panes_.append_message("Warnung: " + quoted_file_name(path) + " ist größer als " +
                          std::string(files::kMaxLargeSourceText) + " und kann nicht wieder geladen werden");
  if (saved.dropped > 0)
    panes_.append_message(std::to_string(saved.dropped) +
                          " Zeichen ohne 8-Bit-Code (ISO 8859-1) wurden nicht gespeichert");
}

void App::new_example_source() {
  panes_.clear_editor();
  forget_error_lines();
  for (const std::string& line : files::example_source_lines(files::today, files::login_name()))
    panes_.append_editor_line(line);
  panes_.append_message("Beispielprogramm 'hallowelt.asm' erzeugt");
  std::string directory = working_directory();
  if (!directory.empty() && directory.back() != '/') directory += '/';
  panes_.set_source_path(directory + "hallowelt.asm");
  source_file_.reset();  // hallowelt.asm may exist: saving asks first
  source_file_cut_ = false;
  source_utf8_ = false;
  panes_.set_modified(1);
  panes_.set_file_status();
  restore_dialect(false);  // the example is read as it is written
  panes_.show_last_message();
  panes_.focus_editor();
}

}  // namespace zorvin::app
