// The tool window's board parts: a character LCD drawn as the module looks
// (dark characters in their cells on a backlit yellow-green glass) and a pad
// of keys pressed with the mouse or the PC's keyboard.
#include <pango/pangocairo.h>

#include <algorithm>

#include "ui/tool_window_field.h"

namespace zorvin::ui {

namespace {

// One character cell of the glass and the gaps around it, in pixels.
constexpr int kCellWidth = 15;
constexpr int kCellHeight = 24;
constexpr int kGap = 3;
constexpr int kBezel = 10;  // the dark frame of the module
constexpr int kGlass = 8;   // the glass around the cells

// Characters, not bytes: the display's text is UTF-8 (°, ¥, →).
int lcd_columns(const std::vector<std::string>& lines) {
  if (lines.empty()) return 16;
  return static_cast<int>(g_utf8_strlen(lines.front().c_str(), static_cast<gssize>(lines.front().size())));
}

int lcd_columns(const ToolWindow::Field& field) { return lcd_columns(field.lines); }

int lcd_rows(const ToolWindow::Field& field) { return field.lines.empty() ? 2 : static_cast<int>(field.lines.size()); }

void size_lcd(ToolWindow::Field& field) {
  const int columns = std::max(lcd_columns(field), 1);
  const int rows = std::max(lcd_rows(field), 1);
  gtk_widget_set_size_request(field.widget, 2 * (kBezel + kGlass) + columns * (kCellWidth + kGap) - kGap,
                              2 * (kBezel + kGlass) + rows * (kCellHeight + kGap) - kGap);
}

gboolean draw_lcd(GtkWidget*, cairo_t* cr, gpointer data) {
  const auto* field = static_cast<const ToolWindow::Field*>(data);
  const int columns = lcd_columns(*field);
  const int rows = lcd_rows(*field);
  const double width = 2 * kGlass + columns * (kCellWidth + kGap) - kGap;
  const double height = 2 * kGlass + rows * (kCellHeight + kGap) - kGap;
  // The module's dark frame, then the glass: lit yellow-green, or grey-green
  // without power to the backlight's characters.
  cairo_set_source_rgb(cr, 0.10, 0.14, 0.10);
  cairo_rectangle(cr, 0, 0, width + 2 * kBezel, height + 2 * kBezel);
  cairo_fill(cr);
  cairo_pattern_t* glass = cairo_pattern_create_linear(0, kBezel, 0, kBezel + height);
  cairo_pattern_add_color_stop_rgb(glass, 0, 0.78, 0.86, 0.20);
  cairo_pattern_add_color_stop_rgb(glass, 1, 0.66, 0.78, 0.12);
  cairo_set_source(cr, glass);
  cairo_rectangle(cr, kBezel, kBezel, width, height);
  cairo_fill(cr);
  cairo_pattern_destroy(glass);

  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans Mono Bold");
  pango_font_description_set_absolute_size(font, (kCellHeight - 4) * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  for (int row = 0; row < rows; ++row) {
    const std::string& line = row < static_cast<int>(field->lines.size()) ? field->lines[static_cast<std::size_t>(row)] : "";
    const char* at = line.c_str();
    for (int column = 0; column < columns; ++column) {
      const double x = kBezel + kGlass + column * (kCellWidth + kGap);
      const double y = kBezel + kGlass + row * (kCellHeight + kGap);
      // The cell's 5x8 dots show faintly even when nothing is written.
      cairo_set_source_rgba(cr, 0.2, 0.3, 0.0, 0.10);
      cairo_rectangle(cr, x, y, kCellWidth, kCellHeight);
      cairo_fill(cr);
      if (*at == '\0') continue;
      const char* next = g_utf8_next_char(at);
      const std::string glyph(at, static_cast<std::size_t>(next - at));
      at = next;
      if (!field->lit || glyph == " ") continue;
      pango_layout_set_text(layout, glyph.c_str(), -1);
      int glyph_width = 0, glyph_height = 0;
      pango_layout_get_pixel_size(layout, &glyph_width, &glyph_height);
      cairo_set_source_rgb(cr, 0.10, 0.16, 0.06);
      cairo_move_to(cr, x + (kCellWidth - glyph_width) / 2.0, y + (kCellHeight - glyph_height) / 2.0);
      pango_cairo_show_layout(cr, layout);
    }
  }
  g_object_unref(layout);
  return TRUE;
}

void install_key_style() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(
      provider, ".zorvin-key-down { background-image: none; background-color: #e8b800; }"
                ".zorvin-pad-focused > border { border: 2px solid #3070d0; }",
      -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
  g_object_unref(provider);
}

struct KeyPlace {
  ToolWindow::Field* field;
  int row;
  int column;
};

void on_key_button(GtkButton* button, bool down) {
  auto* place = static_cast<KeyPlace*>(g_object_get_data(G_OBJECT(button), "zorvin-key"));
  // The pad takes the focus so that the PC's keys reach it next.
  if (down) gtk_widget_grab_focus(place->field->widget);
  place->field->owner->pad_key(place->field, place->row, place->column, "", down);
}

void on_key_button_pressed(GtkButton* button, gpointer) { on_key_button(button, true); }
void on_key_button_released(GtkButton* button, gpointer) { on_key_button(button, false); }

// A key's release names what its press typed: Shift let go first must not
// turn the release of "*" into one of "8".
gboolean on_pad_key_event(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* field = static_cast<ToolWindow::Field*>(data);
  const bool down = event->type == GDK_KEY_PRESS;
  auto& held = field->typed_down;
  const auto same_key = [&](const auto& entry) { return entry.first == event->hardware_keycode; };
  const auto found = std::find_if(held.begin(), held.end(), same_key);
  std::string typed;
  if (found != held.end()) {
    typed = found->second;
    if (!down) held.erase(found);
  } else {
    const gunichar character = gdk_keyval_to_unicode(event->keyval);
    if (character >= 0x21 && g_unichar_isprint(character)) {
      char utf8[8] = {};
      g_unichar_to_utf8(g_unichar_toupper(character), utf8);
      typed = utf8;
    } else if (const char* name = gdk_keyval_name(event->keyval)) {
      typed = name;
    }
    if (typed.empty()) return FALSE;
    if (down) held.emplace_back(event->hardware_keycode, typed);
  }
  return field->owner->pad_key(field, -1, -1, typed, down) ? TRUE : FALSE;
}

gboolean on_pad_focus(GtkWidget*, GdkEventFocus* event, gpointer frame) {
  GtkStyleContext* style = gtk_widget_get_style_context(GTK_WIDGET(frame));
  if (event->in) {
    gtk_style_context_add_class(style, "zorvin-pad-focused");
  } else {
    gtk_style_context_remove_class(style, "zorvin-pad-focused");
  }
  return FALSE;
}

gboolean on_pad_click(GtkWidget* widget, GdkEventButton*, gpointer) {
  gtk_widget_grab_focus(widget);
  return FALSE;
}

}  // namespace

void ToolWindow::add_lcd(int group, int id, int row) {
  Field* field = add_record(id, FieldKind::Lcd, group);
  place(group, [field, row](GtkGrid* grid) {
    field->widget = gtk_drawing_area_new();
    gtk_widget_set_halign(field->widget, GTK_ALIGN_START);
    size_lcd(*field);
    g_signal_connect(field->widget, "draw", G_CALLBACK(draw_lcd), field);
    gtk_grid_attach(grid, field->widget, 0, row, 2, 1);
  });
}

void ToolWindow::set_lcd(int id, const std::vector<std::string>& lines, bool lit) {
  Field* field = find(id);
  if (!field || field->kind != FieldKind::Lcd || (field->lines == lines && field->lit == lit)) return;
  const bool resized = field->lines.size() != lines.size() || lcd_columns(field->lines) != lcd_columns(lines);
  field->lines = lines;
  field->lit = lit;
  if (!field->widget) return;  // drawn as it is when made
  if (resized) size_lcd(*field);
  gtk_widget_queue_draw(field->widget);
}

std::vector<std::string> ToolWindow::lcd_lines(int id) const {
  Field* field = find(id);
  return field && field->kind == FieldKind::Lcd ? field->lines : std::vector<std::string>{};
}

void ToolWindow::add_key_pad(int group, int id, int row) {
  install_key_style();
  Field* field = add_record(id, FieldKind::KeyPad, group);
  place(group, [field, row](GtkGrid* into) {
    field->widget = gtk_event_box_new();
    gtk_widget_set_can_focus(field->widget, TRUE);
    gtk_widget_add_events(field->widget,
                          GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_BUTTON_PRESS_MASK | GDK_FOCUS_CHANGE_MASK);
    g_signal_connect(field->widget, "key-press-event", G_CALLBACK(on_pad_key_event), field);
    g_signal_connect(field->widget, "key-release-event", G_CALLBACK(on_pad_key_event), field);
    g_signal_connect(field->widget, "button-press-event", G_CALLBACK(on_pad_click), nullptr);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 4);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 4);
    gtk_grid_set_column_homogeneous(GTK_GRID(grid), TRUE);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 3);
    // A frame round the keys shows when the PC's keys reach them.
    GtkWidget* frame = gtk_frame_new(nullptr);
    gtk_container_add(GTK_CONTAINER(frame), grid);
    gtk_container_add(GTK_CONTAINER(field->widget), frame);
    g_signal_connect(field->widget, "focus-in-event", G_CALLBACK(on_pad_focus), frame);
    g_signal_connect(field->widget, "focus-out-event", G_CALLBACK(on_pad_focus), frame);
    gtk_grid_attach(into, field->widget, 0, row, 2, 1);
  });
}

void ToolWindow::set_key_pad(int id, const std::vector<std::vector<std::string>>& names) {
  Field* field = built(id);
  if (!field || field->kind != FieldKind::KeyPad) return;
  GtkWidget* grid = gtk_bin_get_child(GTK_BIN(gtk_bin_get_child(GTK_BIN(field->widget))));
  GList* children = gtk_container_get_children(GTK_CONTAINER(grid));
  for (GList* child = children; child; child = child->next) gtk_widget_destroy(GTK_WIDGET(child->data));
  g_list_free(children);
  field->keys.assign(names.size(), {});
  for (std::size_t row = 0; row < names.size(); ++row) {
    for (std::size_t column = 0; column < names[row].size(); ++column) {
      const std::string& name = names[row][column];
      if (name.empty() || name == "-") {
        field->keys[row].push_back(nullptr);
        continue;
      }
      GtkWidget* button = gtk_button_new_with_label(name.c_str());
      gtk_widget_set_focus_on_click(button, FALSE);
      gtk_widget_set_size_request(button, 52, 36);
      auto* place = new KeyPlace{field, static_cast<int>(row), static_cast<int>(column)};
      g_object_set_data_full(G_OBJECT(button), "zorvin-key", place, [](gpointer p) { delete static_cast<KeyPlace*>(p); });
      g_signal_connect(button, "pressed", G_CALLBACK(on_key_button_pressed), nullptr);
      g_signal_connect(button, "released", G_CALLBACK(on_key_button_released), nullptr);
      gtk_grid_attach(GTK_GRID(grid), button, static_cast<gint>(column), static_cast<gint>(row), 1, 1);
      field->keys[row].push_back(button);
    }
  }
  gtk_widget_show_all(grid);
}

void ToolWindow::set_key_down(int id, int row, int column, bool down) {
  GtkWidget* button = key_button(id, row, column);
  if (!button) return;
  GtkStyleContext* style = gtk_widget_get_style_context(button);
  if (down) {
    gtk_style_context_add_class(style, "zorvin-key-down");
  } else {
    gtk_style_context_remove_class(style, "zorvin-key-down");
  }
}

GtkWidget* ToolWindow::key_button(int id, int row, int column) {
  Field* field = built(id);
  if (!field || field->kind != FieldKind::KeyPad || row < 0 || column < 0) return nullptr;
  if (static_cast<std::size_t>(row) >= field->keys.size()) return nullptr;
  const auto& keys = field->keys[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(column) < keys.size() ? keys[static_cast<std::size_t>(column)] : nullptr;
}

bool ToolWindow::pad_key(Field* field, int row, int column, const std::string& typed, bool down) {
  return pad_key_ && pad_key_(field->id, row, column, typed, down);
}

}  // namespace zorvin::ui
