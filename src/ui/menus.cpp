// Menu bar, toolbar, keyboard shortcuts and status bar of a main window.
#include <algorithm>

#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::SignalBlock;

namespace {

// A menu item shows its icon, its label and, after a tab in the text, the key
// that triggers it, right-aligned. The key text binds nothing.
GtkWidget* menu_item_content(GtkWidget* icon, const std::string& text) {
  const auto tab = text.find('\t');
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_box_pack_start(GTK_BOX(box), icon, FALSE, FALSE, 0);
  GtkWidget* label = gtk_label_new(text.substr(0, tab).c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
  if (tab != std::string::npos) {
    GtkWidget* key = gtk_label_new(text.substr(tab + 1).c_str());
    gtk_style_context_add_class(gtk_widget_get_style_context(key), "accelerator");
    gtk_label_set_xalign(GTK_LABEL(key), 1.0f);
    gtk_box_pack_end(GTK_BOX(box), key, FALSE, FALSE, 12);
  }
  return box;
}

void on_menu_activate(GtkMenuItem*, gpointer data) {
  auto* item = static_cast<detail::MenuItemRecord*>(data);
  item->toolkit->push_event({EventKind::Command, item->window, item->id});
}

}  // namespace

GtkWidget* Toolkit::make_menu_item(const std::string& label, int image, bool check) {
  GtkWidget* item = check ? gtk_check_menu_item_new() : gtk_menu_item_new();
  GtkWidget* icon = image >= 0 ? image_widget(image) : gtk_image_new();
  if (image < 0) gtk_widget_set_size_request(icon, 16, 16);
  gtk_container_add(GTK_CONTAINER(item), menu_item_content(icon, label));
  return item;
}

void Toolkit::add_menu(int window, int menu, const std::string& label) {
  Window* record = find_window(window);
  if (!record || !record->menubar) return;
  GtkWidget* item = gtk_menu_item_new_with_label(label.c_str());
  GtkWidget* submenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), submenu);
  gtk_menu_shell_append(GTK_MENU_SHELL(record->menubar), item);
  gtk_widget_show_all(item);
  menus_[menu] = {window, submenu};
}

void Toolkit::add_submenu(int menu, int parent_menu, const std::string& label, int image) {
  auto parent = menus_.find(parent_menu);
  if (parent == menus_.end()) return;
  GtkWidget* item = make_menu_item(label, image, false);
  GtkWidget* submenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), submenu);
  gtk_menu_shell_append(GTK_MENU_SHELL(parent->second.second), item);
  gtk_widget_show_all(item);
  menus_[menu] = {parent->second.first, submenu};
}

void Toolkit::connect_menu_item(int id, GtkWidget* widget) {
  MenuItem* item = menu_items_[id];
  item->widget = widget;
  item->handler = g_signal_connect(widget, "activate", G_CALLBACK(on_menu_activate), item);
}

void Toolkit::add_menu_item(int parent_menu, int id, const std::string& label, int image) {
  add_item(parent_menu, id, label, image, false);
}

void Toolkit::add_item(int parent_menu, int id, const std::string& label, int image, bool check) {
  auto parent = menus_.find(parent_menu);
  if (parent == menus_.end() || menu_items_.count(id)) return;
  auto* item = new MenuItem{};
  item->toolkit = this;
  item->id = id;
  item->window = parent->second.first;
  item->shell = parent->second.second;
  item->label = label;
  item->image = image;
  item->check = check;
  menu_items_[id] = item;
  GtkWidget* widget = make_menu_item(label, image, check);
  gtk_menu_shell_append(GTK_MENU_SHELL(item->shell), widget);
  gtk_widget_show_all(widget);
  connect_menu_item(id, widget);
}

void Toolkit::add_radio_menu_item(int parent_menu, int id, const std::string& label) {
  add_item(parent_menu, id, label, -1, true);
  auto found = menu_items_.find(id);
  if (found != menu_items_.end() && found->second->check)
    gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(found->second->widget), TRUE);
}

void Toolkit::add_check_menu_item(int parent_menu, int id, const std::string& label, bool ticked) {
  add_item(parent_menu, id, label, -1, true);
  set_menu_item_tick(id, ticked);
}

void Toolkit::add_menu_separator(int parent_menu) {
  auto parent = menus_.find(parent_menu);
  if (parent == menus_.end()) return;
  GtkWidget* separator = gtk_separator_menu_item_new();
  gtk_menu_shell_append(GTK_MENU_SHELL(parent->second.second), separator);
  gtk_widget_show(separator);
}

void Toolkit::set_menu_item_tick(int id, bool ticked) {
  auto found = menu_items_.find(id);
  if (found == menu_items_.end()) return;
  MenuItem* item = found->second;
  if (!item->check) {
    // A plain item becomes a check item with the same label, id and place.
    GList* children = gtk_container_get_children(GTK_CONTAINER(item->shell));
    const int position = g_list_index(children, item->widget);
    g_list_free(children);
    gtk_widget_destroy(item->widget);
    GtkWidget* widget = make_menu_item(item->label, item->image, true);
    gtk_menu_shell_insert(GTK_MENU_SHELL(item->shell), widget, position);
    gtk_widget_show_all(widget);
    item->check = true;
    connect_menu_item(id, widget);
  }
  SignalBlock block(G_OBJECT(item->widget), item->handler);
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item->widget), ticked);
}

bool Toolkit::menu_item_ticked(int id) const {
  auto found = menu_items_.find(id);
  if (found == menu_items_.end() || !found->second->check) return false;
  return gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(found->second->widget));
}

bool Toolkit::menu_item_is_check(int id) const {
  auto found = menu_items_.find(id);
  return found != menu_items_.end() && found->second->check;
}

void Toolkit::add_tool_button(int window, int command, int image, const std::string& tooltip) {
  Window* record = find_window(window);
  if (!record || !record->toolbar) return;
  GtkToolItem* button = gtk_tool_button_new(image_widget(image), nullptr);
  gtk_widget_set_tooltip_text(GTK_WIDGET(button), tooltip.c_str());
  auto* event = new Event{EventKind::Command, window, command};
  g_object_set_data_full(G_OBJECT(button), "zorvin-event", event, [](gpointer p) { delete static_cast<Event*>(p); });
  g_object_set_data(G_OBJECT(button), "zorvin-toolkit", this);
  g_signal_connect(button, "clicked", G_CALLBACK(+[](GtkToolButton* self, gpointer) {
                     auto* toolkit = static_cast<Toolkit*>(g_object_get_data(G_OBJECT(self), "zorvin-toolkit"));
                     toolkit->push_event(*static_cast<Event*>(g_object_get_data(G_OBJECT(self), "zorvin-event")));
                   }),
                   nullptr);
  gtk_toolbar_insert(GTK_TOOLBAR(record->toolbar), button, -1);
  gtk_widget_show_all(GTK_WIDGET(button));
}

void Toolkit::add_tool_separator(int window) {
  Window* record = find_window(window);
  if (!record || !record->toolbar) return;
  GtkToolItem* separator = gtk_separator_tool_item_new();
  gtk_separator_tool_item_set_draw(GTK_SEPARATOR_TOOL_ITEM(separator), TRUE);
  gtk_toolbar_insert(GTK_TOOLBAR(record->toolbar), separator, -1);
  gtk_widget_show(GTK_WIDGET(separator));
}

void Toolkit::add_shortcut(int window, guint keyval, int command, GdkModifierType modifiers) {
  shortcuts_[{window, keyval, modifiers}] = command;
}

void Toolkit::add_status_field(int window, int field, int width, float xalign) {
  Window* record = find_window(window);
  if (!record || !record->statusbar) return;
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
  GtkWidget* label = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(label), xalign);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  if (xalign < 0.5f) gtk_widget_set_margin_start(label, 4);
  int natural = 0;
  gtk_widget_get_preferred_height(label, nullptr, &natural);
  const int height = natural < 16 ? 22 : natural + 6;
  if (width > 0) {
    // As wide as asked while there is room; in a narrow window the field
    // gives way (its text ellipsized) instead of widening the window.
    GtkWidget* room = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(room), GTK_POLICY_EXTERNAL, GTK_POLICY_NEVER);
    gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(room), TRUE);
    gtk_widget_set_size_request(label, width, -1);
    gtk_container_add(GTK_CONTAINER(room), label);
    gtk_container_add(GTK_CONTAINER(frame), room);
  } else {
    gtk_container_add(GTK_CONTAINER(frame), label);
  }
  gtk_widget_set_size_request(frame, -1, height);
  gtk_box_pack_start(GTK_BOX(record->statusbar), frame, width <= 0, width <= 0, 0);
  gtk_widget_show_all(frame);
  status_fields_[field] = {window, label};
}

void Toolkit::set_status_text(int field, const std::string& text) {
  auto found = status_fields_.find(field);
  if (found != status_fields_.end()) gtk_label_set_text(GTK_LABEL(found->second.second), text.c_str());
}

std::string Toolkit::status_text(int field) const {
  auto found = status_fields_.find(field);
  return found == status_fields_.end() ? std::string() : gtk_label_get_text(GTK_LABEL(found->second.second));
}

}  // namespace zorvin::ui

namespace zorvin::ui {

// --- recent files -----------------------------------------------------------

namespace {

constexpr int kRecentFilesShown = 10;
// The recent files' group of the images opened with "Binärdatei öffnen…".
constexpr const char* kBinaryGroup = "zorvin-binary";

gint newest_first(gconstpointer a, gconstpointer b) {
  const auto first = gtk_recent_info_get_modified(static_cast<GtkRecentInfo*>(const_cast<gpointer>(a)));
  const auto second = gtk_recent_info_get_modified(static_cast<GtkRecentInfo*>(const_cast<gpointer>(b)));
  return first < second ? 1 : first > second ? -1 : 0;
}

void on_recent_item(GtkMenuItem* item, gpointer data) {
  const auto* path = static_cast<const gchar*>(g_object_get_data(G_OBJECT(item), "zorvin-path"));
  const bool binary = g_object_get_data(G_OBJECT(item), "zorvin-binary") != nullptr;
  if (path) static_cast<Toolkit*>(data)->request_file(path, binary ? FileKind::Binary : FileKind::Source);
}

}  // namespace

void Toolkit::add_recent_files_menu(int parent_menu, const std::string& label) {
  auto parent = menus_.find(parent_menu);
  if (parent == menus_.end() || recent_menu_) return;
  GtkWidget* item = make_menu_item(label, -1, false);
  recent_menu_ = gtk_menu_new();
  // Forgotten when its window goes.
  g_object_add_weak_pointer(G_OBJECT(recent_menu_), reinterpret_cast<gpointer*>(&recent_menu_));
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), recent_menu_);
  gtk_menu_shell_append(GTK_MENU_SHELL(parent->second.second), item);
  gtk_widget_show_all(item);
  if (!recent_handler_)
    recent_handler_ = g_signal_connect_swapped(gtk_recent_manager_get_default(), "changed",
                                               G_CALLBACK(+[](Toolkit* self) { self->fill_recent_menu(); }), this);
  fill_recent_menu();
}

// The files this program opened or saved that still exist, newest first.
void Toolkit::fill_recent_menu() {
  if (!recent_menu_) return;
  GList* old = gtk_container_get_children(GTK_CONTAINER(recent_menu_));
  for (GList* entry = old; entry; entry = entry->next) gtk_widget_destroy(GTK_WIDGET(entry->data));
  g_list_free(old);
  GList* items = g_list_sort(gtk_recent_manager_get_items(gtk_recent_manager_get_default()), newest_first);
  int shown = 0;
  for (GList* entry = items; entry && shown < kRecentFilesShown; entry = entry->next) {
    auto* info = static_cast<GtkRecentInfo*>(entry->data);
    if (!gtk_recent_info_has_application(info, g_get_application_name()) || !gtk_recent_info_is_local(info) ||
        !gtk_recent_info_exists(info))
      continue;
    GCharPtr path(g_filename_from_uri(gtk_recent_info_get_uri(info), nullptr, nullptr));
    if (!path) continue;
    // The name first, its folder after it, a long folder cut in the middle.
    GCharPtr name(g_filename_display_basename(path.get()));
    GCharPtr folder_path(g_path_get_dirname(path.get()));
    GCharPtr folder(g_filename_display_name(folder_path.get()));
    const std::string label = std::string(name.get()) + "  –  " + folder.get();
    GtkWidget* item = gtk_menu_item_new_with_label(label.c_str());
    GtkLabel* text = GTK_LABEL(gtk_bin_get_child(GTK_BIN(item)));
    gtk_label_set_ellipsize(text, PANGO_ELLIPSIZE_MIDDLE);
    gtk_label_set_max_width_chars(text, 60);
    GCharPtr full(g_filename_display_name(path.get()));
    gtk_widget_set_tooltip_text(item, full.get());
    g_object_set_data_full(G_OBJECT(item), "zorvin-path", g_strdup(path.get()), g_free);
    if (gtk_recent_info_has_group(info, kBinaryGroup)) g_object_set_data(G_OBJECT(item), "zorvin-binary", item);
    g_signal_connect(item, "activate", G_CALLBACK(on_recent_item), this);
    gtk_menu_shell_append(GTK_MENU_SHELL(recent_menu_), item);
    ++shown;
  }
  g_list_free_full(items, reinterpret_cast<GDestroyNotify>(gtk_recent_info_unref));
  if (shown == 0) {
    GtkWidget* none = gtk_menu_item_new_with_label("(keine)");
    gtk_widget_set_sensitive(none, FALSE);
    gtk_menu_shell_append(GTK_MENU_SHELL(recent_menu_), none);
  }
  gtk_widget_show_all(recent_menu_);
}

// The file requester notes every file it opens as well, without a kind:
// the group tells an image from a source.
void Toolkit::remember_recent_file(const std::string& path, FileKind kind) {
  GCharPtr uri{g_filename_to_uri(path.c_str(), nullptr, nullptr)};
  if (!uri) return;
  GtkRecentManager* manager = gtk_recent_manager_get_default();
  if (kind == FileKind::Source) {
    // An image opened as a source from now on: the group goes with the old entry.
    if (GtkRecentInfo* info = gtk_recent_manager_lookup_item(manager, uri.get(), nullptr)) {
      if (gtk_recent_info_has_group(info, kBinaryGroup)) gtk_recent_manager_remove_item(manager, uri.get(), nullptr);
      gtk_recent_info_unref(info);
    }
    gtk_recent_manager_add_item(manager, uri.get());
    return;
  }
  GCharPtr exec(g_strconcat(g_get_prgname() ? g_get_prgname() : "zorvin", " %u", nullptr));
  const gchar* groups[] = {kBinaryGroup, nullptr};
  GtkRecentData data{};
  data.mime_type = const_cast<gchar*>("application/octet-stream");
  data.app_name = const_cast<gchar*>(g_get_application_name());
  data.app_exec = exec.get();
  data.groups = const_cast<gchar**>(groups);
  gtk_recent_manager_add_full(manager, uri.get(), &data);
}

}  // namespace zorvin::ui
