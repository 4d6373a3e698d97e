#include "ui/toolkit.h"

#include <algorithm>

#include "ui/dialog_frame.h"
#include "ui/message_icons.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::SignalBlock;

namespace {

struct TimerData {
  Toolkit* toolkit;
  int window;
  int id;
};

gboolean wake_up(gpointer flag) {
  *static_cast<bool*>(flag) = true;
  return G_SOURCE_REMOVE;
}

}  // namespace

Toolkit::Toolkit(int* argc, char*** argv) : ready_(gtk_init_check(argc, argv)) {}

Toolkit::~Toolkit() {
  if (recent_handler_) g_signal_handler_disconnect(gtk_recent_manager_get_default(), recent_handler_);
  for (auto [window, timer] : timers_) g_source_remove(timer);
  for (auto& [id, window] : windows_) {
    gtk_widget_destroy(window->window);
    delete window;
  }
  for (auto& [id, control] : controls_) delete control;
  for (auto& [id, item] : menu_items_) delete item;
  if (style_provider_) g_object_unref(style_provider_);
}

// --- events and loops -----------------------------------------------------

Event Toolkit::wait_event() {
  while (queue_.empty()) gtk_main_iteration_do(TRUE);
  return *queue_.pop();
}

std::optional<Event> Toolkit::poll_event() {
  while (queue_.empty() && gtk_events_pending()) gtk_main_iteration_do(FALSE);
  return queue_.pop();
}

void Toolkit::flush_dropping_events() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  queue_.clear();
}

void Toolkit::wait_once_dropping_events(int timeout_ms) {
  bool timed_out = false;
  const guint source = g_timeout_add(static_cast<guint>(std::max(timeout_ms, 0)), wake_up, &timed_out);
  g_main_context_iteration(nullptr, TRUE);
  if (!timed_out) g_source_remove(source);
  queue_.clear();
}

// --- images and fonts -----------------------------------------------------

void Toolkit::add_image(int id, int width, int height, const std::vector<unsigned char>& rgba) {
  if (width <= 0 || height <= 0 || rgba.size() != static_cast<std::size_t>(width) * height * 4) return;
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  for (int row = 0; row < height; ++row)
    std::copy_n(rgba.data() + static_cast<std::size_t>(row) * width * 4, width * 4, pixels + row * stride);
  images_[id].reset(pixbuf);
}

void Toolkit::scale_image(int id, int width, int height) {
  auto found = images_.find(id);
  if (found == images_.end()) return;
  GdkPixbuf* scaled = gdk_pixbuf_scale_simple(found->second.get(), width, height, GDK_INTERP_BILINEAR);
  if (scaled) found->second.reset(scaled);
}

void Toolkit::add_font(int id, const std::string& family, int points) {
  font_css_[id] = "* { font-family: \"" + family + "\"; font-size: " + std::to_string(points) + "pt; }";
  font_names_[id] = family + " " + std::to_string(points);
}

void Toolkit::apply_font(GtkWidget* widget, int font) {
  auto found = font_css_.find(font);
  if (found == font_css_.end()) return;
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, found->second.c_str(), -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(provider),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

GtkWidget* Toolkit::image_widget(int image) const {
  auto found = images_.find(image);
  if (found == images_.end()) return gtk_image_new();
  return gtk_image_new_from_pixbuf(found->second.get());
}

// --- windows --------------------------------------------------------------

Toolkit::Window* Toolkit::find_window(int id) const {
  auto found = windows_.find(id);
  return found == windows_.end() ? nullptr : found->second;
}

GtkWindow* Toolkit::gtk_window(int window) const {
  Window* record = find_window(window);
  return record ? GTK_WINDOW(record->window) : nullptr;
}

bool Toolkit::open_window(int id, const std::string& title, Rect inner, WindowStyle style, int owner) {
  if (has_window(id)) return false;
  GtkWidget* widget = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (!widget) return false;
  auto* record = new Window{};
  record->toolkit = this;
  record->id = id;
  record->window = widget;
  windows_[id] = record;

  GtkWindow* window = GTK_WINDOW(widget);
  gtk_window_set_title(window, title.c_str());
  Window* owner_record = find_window(owner);
  if (style == WindowStyle::Main) {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    record->menubar = gtk_menu_bar_new();
    record->toolbar = gtk_toolbar_new();
    gtk_toolbar_set_style(GTK_TOOLBAR(record->toolbar), GTK_TOOLBAR_ICONS);
    gtk_toolbar_set_icon_size(GTK_TOOLBAR(record->toolbar), GTK_ICON_SIZE_SMALL_TOOLBAR);
    record->area = gtk_layout_new(nullptr, nullptr);
    gtk_widget_set_vexpand(record->area, TRUE);
    record->statusbar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
    gtk_box_pack_start(GTK_BOX(box), record->menubar, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), record->toolbar, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), record->area, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(box), record->statusbar, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), box);
    // The control area places its children itself, so the window may shrink
    // below their size; the resize handler fits them again.
    GdkGeometry hints{};
    hints.min_width = 30;
    hints.min_height = 30;
    gtk_window_set_geometry_hints(window, nullptr, &hints, GDK_HINT_MIN_SIZE);
    gtk_window_set_default_size(window, std::max(inner.width, 30), std::max(inner.height, 30));
    gtk_window_move(window, inner.x, inner.y);
  } else {
    record->area = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(window), record->area);
    gtk_widget_set_size_request(record->area, inner.width, inner.height);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    detail::make_dialog_frame(record);
    if (owner_record) {
      gtk_window_set_transient_for(window, GTK_WINDOW(owner_record->window));
      gtk_window_set_position(window, GTK_WIN_POS_CENTER_ON_PARENT);
    } else {
      gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    }
  }

  g_signal_connect(widget, "delete-event", G_CALLBACK(on_delete), record);
  g_signal_connect(widget, "configure-event", G_CALLBACK(on_configure), record);
  g_signal_connect(widget, "key-press-event", G_CALLBACK(on_key_press), record);
  int x = 0, y = 0, width = 0, height = 0;
  gtk_window_get_position(window, &x, &y);
  gtk_window_get_size(window, &width, &height);
  record->last_position = {x, y, 0, 0};
  record->last_size = {0, 0, width, height};
  return true;
}

void Toolkit::show_window(int id) {
  Window* record = find_window(id);
  if (!record) return;
  gtk_widget_show_all(record->window);
  // A dialog takes the keyboard from its owner, which may hold it.
  if (!record->menubar) gtk_window_present(GTK_WINDOW(record->window));
}

void Toolkit::close_window(int id) {
  Window* record = find_window(id);
  if (!record) return;
  for (auto it = controls_.begin(); it != controls_.end();) {
    if (it->second->window == id) {
      delete it->second;
      it = controls_.erase(it);
    } else {
      ++it;
    }
  }
  // Everything that belonged to the window goes with it.
  std::erase_if(menus_, [id](const auto& entry) { return entry.second.first == id; });
  std::erase_if(menu_items_, [id](const auto& entry) {
    if (entry.second->window != id) return false;
    delete entry.second;
    return true;
  });
  std::erase_if(status_fields_, [id](const auto& entry) { return entry.second.first == id; });
  std::erase_if(shortcuts_, [id](const auto& entry) { return std::get<0>(entry.first) == id; });
  std::erase_if(timers_, [id](const auto& entry) {
    if (entry.first != id) return false;
    g_source_remove(entry.second);
    return true;
  });
  windows_.erase(id);
  gtk_widget_destroy(record->window);
  delete record;
}

void Toolkit::set_window_icon(int window, int image) {
  Window* record = find_window(window);
  auto found = images_.find(image);
  if (record && found != images_.end()) gtk_window_set_icon(GTK_WINDOW(record->window), found->second.get());
}

void Toolkit::set_window_enabled(int window, bool enabled) {
  Window* record = find_window(window);
  if (!record) return;
  record->enabled = enabled;
  gtk_widget_set_sensitive(record->window, enabled);
}

bool Toolkit::window_enabled(int window) const {
  Window* record = find_window(window);
  return record && record->enabled;
}

void Toolkit::set_minimum_size(int window, int width, int height) {
  Window* record = find_window(window);
  if (!record) return;
  GdkGeometry hints{};
  hints.min_width = width;
  hints.min_height = height;
  gtk_window_set_geometry_hints(GTK_WINDOW(record->window), nullptr, &hints, GDK_HINT_MIN_SIZE);
}

namespace {

// A file manager offers a file as a list of addresses and as plain text;
// the text view would take the text. The list is asked for instead.
gboolean ask_for_files(GtkWidget* widget, GdkDragContext* context, gint, gint, guint time, gpointer) {
  const GdkAtom uri_list = gdk_atom_intern_static_string("text/uri-list");
  for (GList* target = gdk_drag_context_list_targets(context); target; target = target->next) {
    if (GDK_POINTER_TO_ATOM(target->data) != uri_list) continue;
    gtk_drag_get_data(widget, context, uri_list, time);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void Toolkit::accept_dropped_files(int window) {
  Window* record = find_window(window);
  if (!record) return;
  gtk_drag_dest_set(record->window, GTK_DEST_DEFAULT_ALL, nullptr, 0, GDK_ACTION_COPY);
  gtk_drag_dest_add_uri_targets(record->window);
  g_signal_connect(record->window, "drag-data-received", G_CALLBACK(on_files_dropped), this);
  // An editable text view takes drops itself: a file list comes first among
  // what it accepts, so a file manager's drop is a file, not its address.
  for (auto& [id, control] : controls_) {
    if (control->window != window || control->type != detail::ControlType::TextView ||
        !gtk_text_view_get_editable(GTK_TEXT_VIEW(control->inner)))
      continue;
    GtkTargetList* targets = gtk_target_list_new(nullptr, 0);
    gtk_target_list_add_uri_targets(targets, 0);
    if (GtkTargetList* own = gtk_drag_dest_get_target_list(control->inner)) {
      gint count = 0;
      GtkTargetEntry* entries = gtk_target_table_new_from_list(own, &count);
      gtk_target_list_add_table(targets, entries, static_cast<guint>(count));
      gtk_target_table_free(entries, count);
    }
    gtk_drag_dest_set_target_list(control->inner, targets);
    gtk_target_list_unref(targets);
    g_signal_connect(control->inner, "drag-drop", G_CALLBACK(ask_for_files), nullptr);
    g_signal_connect(control->inner, "drag-data-received", G_CALLBACK(on_files_dropped), this);
  }
}

void Toolkit::on_files_dropped(GtkWidget* widget, GdkDragContext* context, gint, gint, GtkSelectionData* data, guint,
                               guint time, gpointer self) {
  gchar** uris = data ? gtk_selection_data_get_uris(data) : nullptr;
  if (!uris) return;  // plain text: the editor inserts it as usual
  g_signal_stop_emission_by_name(widget, "drag-data-received");
  std::vector<std::string> paths;
  for (gchar** uri = uris; *uri; ++uri) {
    if (GCharPtr path{g_filename_from_uri(*uri, nullptr, nullptr)}) paths.emplace_back(path.get());
  }
  g_strfreev(uris);
  // The window's drop site finishes the drag itself; the text view's own
  // handler, which would have, was stopped.
  if (context && GTK_IS_TEXT_VIEW(widget)) gtk_drag_finish(context, !paths.empty(), FALSE, time);
  // One editor: the first file is opened.
  if (!paths.empty()) static_cast<Toolkit*>(self)->request_file(paths.front());
}

Rect Toolkit::window_position(int window) const {
  Rect rect;
  if (Window* record = find_window(window)) gtk_window_get_position(GTK_WINDOW(record->window), &rect.x, &rect.y);
  return rect;
}

Rect Toolkit::window_inner_size(int window) const {
  Rect rect;
  if (Window* record = find_window(window))
    gtk_window_get_size(GTK_WINDOW(record->window), &rect.width, &rect.height);
  return rect;
}

void Toolkit::install_style_sheet(const std::string& css) {
  if (!style_provider_) {
    style_provider_ = gtk_css_provider_new();
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(style_provider_),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }
  gtk_css_provider_load_from_data(style_provider_, css.c_str(), -1, nullptr);
}

gboolean Toolkit::on_delete(GtkWidget*, GdkEvent*, gpointer data) {
  auto* record = static_cast<Window*>(data);
  if (record->enabled) record->toolkit->queue_.push({EventKind::CloseRequest, record->id});
  return TRUE;  // the window stays; the program decides
}

gboolean Toolkit::on_configure(GtkWidget* widget, GdkEventConfigure*, gpointer data) {
  auto* record = static_cast<Window*>(data);
  Toolkit* toolkit = record->toolkit;
  const int id = record->id;
  int x = 0, y = 0, width = 0, height = 0;
  gtk_window_get_position(GTK_WINDOW(widget), &x, &y);
  gtk_window_get_size(GTK_WINDOW(widget), &width, &height);
  if (x != record->last_position.x || y != record->last_position.y) {
    record->last_position = {x, y, 0, 0};
    if (toolkit->moved_handler_) toolkit->moved_handler_(id);
    toolkit->queue_.push({EventKind::WindowMoved, id});
  }
  // A disabled window reports no resize; the next one after enabling counts.
  if (record->enabled && (width != record->last_size.width || height != record->last_size.height)) {
    record->last_size = {0, 0, width, height};
    if (toolkit->resized_handler_) toolkit->resized_handler_(id);
    toolkit->queue_.push({EventKind::WindowResized, id});
  }
  return FALSE;
}

gboolean Toolkit::on_key_press(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* record = static_cast<Window*>(data);
  Toolkit* toolkit = record->toolkit;
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  auto found = toolkit->shortcuts_.find({record->id, gdk_keyval_to_lower(event->keyval), modifiers});
  if (found == toolkit->shortcuts_.end()) return FALSE;
  if (record->enabled) toolkit->queue_.push({EventKind::Command, record->id, found->second});
  return TRUE;
}

// --- timers ---------------------------------------------------------------

gboolean Toolkit::on_timer(gpointer data) {
  auto* timer = static_cast<TimerData*>(data);
  timer->toolkit->queue_.push({EventKind::Timer, timer->window, timer->id});
  return G_SOURCE_CONTINUE;
}

void Toolkit::start_timer(int window, int id, int interval_ms) {
  auto* data = new TimerData{this, window, id};
  timers_.emplace_back(window, g_timeout_add_full(G_PRIORITY_DEFAULT, static_cast<guint>(interval_ms), on_timer, data,
                                       [](gpointer p) { delete static_cast<TimerData*>(p); }));
}

// --- boxes and requesters -------------------------------------------------

Answer Toolkit::message_box(const std::string& title, const std::string& text, MessageIcon icon, bool yes_no) {
  const GtkMessageType type = icon == MessageIcon::Warning ? GTK_MESSAGE_WARNING
                              : icon == MessageIcon::Error ? GTK_MESSAGE_ERROR
                                                           : GTK_MESSAGE_INFO;
  GtkWidget* box = gtk_message_dialog_new(gtk_window(0), GTK_DIALOG_MODAL, type, GTK_BUTTONS_NONE, "%s", text.c_str());
  // The program's own German labels, whatever the locale.
  if (yes_no) {
    gtk_dialog_add_buttons(GTK_DIALOG(box), "_Ja", GTK_RESPONSE_YES, "_Nein", GTK_RESPONSE_NO, nullptr);
  } else {
    gtk_dialog_add_button(GTK_DIALOG(box), "_OK", GTK_RESPONSE_OK);
  }
  gtk_window_set_title(GTK_WINDOW(box), title.c_str());
  detail::add_message_icon(GTK_MESSAGE_DIALOG(box), icon);
  gtk_window_set_position(GTK_WINDOW(box), gtk_window(0) ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
  const int response = gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  switch (response) {
    case GTK_RESPONSE_YES: return Answer::Yes;
    case GTK_RESPONSE_NO: return Answer::No;
    case GTK_RESPONSE_OK: return Answer::Ok;
    default: return Answer::Closed;
  }
}

namespace {

std::optional<std::string> run_file_chooser(GtkWindow* parent, const std::string& title, GtkFileChooserAction action,
                                            const char* accept_label, const std::vector<FileFilter>& filters,
                                            const std::string& preselected) {
  GtkWidget* dialog = gtk_file_chooser_dialog_new(title.c_str(), parent, action, "_Abbrechen", GTK_RESPONSE_CANCEL,
                                                  accept_label, GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_select_multiple(chooser, FALSE);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
  for (const FileFilter& entry : filters) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, entry.name.c_str());
    gtk_file_filter_add_pattern(filter, entry.pattern.c_str());
    gtk_file_chooser_add_filter(chooser, filter);
  }
  if (!preselected.empty()) {
    const auto slash = preselected.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : preselected.substr(0, slash + 1);
    gtk_file_chooser_set_current_folder(chooser, folder.c_str());
    gtk_file_chooser_set_current_name(chooser, preselected.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
  } else {
    // The working directory, where the sources usually are, rather than the
    // list of recently used files.
    GCharPtr here(g_get_current_dir());
    gtk_file_chooser_set_current_folder(chooser, here.get());
  }
  std::optional<std::string> chosen;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    GCharPtr name(gtk_file_chooser_get_filename(chooser));
    if (name) chosen = name.get();
  }
  gtk_widget_destroy(dialog);
  return chosen;
}

}  // namespace

std::optional<std::string> Toolkit::choose_file_to_open(const std::string& title, const std::vector<FileFilter>& filters) {
  return run_file_chooser(gtk_window(0), title, GTK_FILE_CHOOSER_ACTION_OPEN, "_Öffnen", filters, "");
}

std::optional<std::string> Toolkit::choose_file_to_save(const std::string& title, const std::vector<FileFilter>& filters,
                                                        const std::string& preselected) {
  return run_file_chooser(gtk_window(0), title, GTK_FILE_CHOOSER_ACTION_SAVE, "_Speichern", filters, preselected);
}

}  // namespace zorvin::ui
