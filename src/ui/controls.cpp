// Controls: text views, lists, splitters and the small gadgets of dialogs.
#include <algorithm>

#include "ui/source_editor.h"
#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace zorvin::ui {

using detail::buffer_of;
using detail::ControlRecord;
using detail::ControlType;
using detail::raise;
using detail::scrolled;
using detail::SignalBlock;

GtkWidget* detail::scrolled(GtkWidget* child) {
  GtkWidget* frame = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(frame), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(frame), GTK_SHADOW_ETCHED_IN);
  // Classic scroll bars that take their own room, so they never cover the
  // last line of a pane.
  gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(frame), FALSE);
  gtk_container_add(GTK_CONTAINER(frame), child);
  return frame;
}

namespace {

void on_position_changed(GObject*, GParamSpec*, gpointer data) {
  raise(static_cast<ControlRecord*>(data), ControlKind::PositionChanged);
}

void on_clicked(GtkWidget*, gpointer data) { raise(static_cast<ControlRecord*>(data), ControlKind::Clicked); }
void on_entry_changed(GtkEditable*, gpointer data) { raise(static_cast<ControlRecord*>(data), ControlKind::PositionChanged); }
void on_row_chosen(GtkTreeSelection*, gpointer data) { raise(static_cast<ControlRecord*>(data), ControlKind::Clicked); }
void on_row_activated(GtkTreeView*, GtkTreePath*, GtkTreeViewColumn*, gpointer data) {
  raise(static_cast<ControlRecord*>(data), ControlKind::Activated);
}

// A link counts as clicked when a left or right button is pressed and
// released over it.
gboolean on_link_release(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  if (event->button != 1 && event->button != 3) return FALSE;
  GtkAllocation area;
  gtk_widget_get_allocation(widget, &area);
  if (event->x >= 0 && event->y >= 0 && event->x < area.width && event->y < area.height)
    raise(static_cast<ControlRecord*>(data), ControlKind::Clicked);
  return TRUE;
}

void on_link_realize(GtkWidget* widget, gpointer) {
  GdkCursor* hand = gdk_cursor_new_from_name(gtk_widget_get_display(widget), "pointer");
  gdk_window_set_cursor(gtk_widget_get_window(widget), hand);
  if (hand) g_object_unref(hand);
}

std::string buffer_text(GtkTextBuffer* buffer, const GtkTextIter* start, const GtkTextIter* end) {
  GCharPtr text(gtk_text_buffer_get_text(buffer, start, end, TRUE));
  return text ? std::string(text.get()) : std::string();
}

void show_entry(GtkCellLayout*, GtkCellRenderer* cell, GtkTreeModel* model, GtkTreeIter* row, gpointer data) {
  gchar* text = nullptr;
  gtk_tree_model_get(model, row, 0, &text, -1);
  const std::string shown = (*static_cast<Toolkit::ShownText*>(data))(text ? text : "");
  g_free(text);
  g_object_set(cell, "text", shown.c_str(), nullptr);
}

constexpr int kListColumnWidth = 110;  // "000 04 0D" and room to spare

// The list's one column is as wide as its widest row, so the list scrolls
// sideways instead of cutting rows off. The rows share one font, so the
// row with the most characters is measured (tabs and wide characters
// aside, which listings do not hold).
void fit_column_to_rows(ControlRecord* control, const std::vector<std::string>& rows) {
  const std::string* widest = nullptr;
  glong most = 0;
  for (const std::string& row : rows) {
    const glong length = g_utf8_strlen(row.c_str(), static_cast<gssize>(row.size()));
    if (length > most) {
      most = length;
      widest = &row;
    }
  }
  if (!widest) return;
  GtkTreeViewColumn* column = gtk_tree_view_get_column(GTK_TREE_VIEW(control->inner), 0);
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(column));
  gchar* font = nullptr;
  if (cells) g_object_get(cells->data, "font", &font, nullptr);
  g_list_free(cells);
  PangoLayout* layout = gtk_widget_create_pango_layout(control->inner, widest->c_str());
  PangoFontDescription* description = pango_font_description_from_string(font ? font : "");
  if (font) pango_layout_set_font_description(layout, description);
  pango_font_description_free(description);
  g_free(font);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  const int wanted = width + 16;  // the cell's own padding and a little air
  if (wanted > gtk_tree_view_column_get_fixed_width(column)) gtk_tree_view_column_set_fixed_width(column, wanted);
}

GtkListStore* store_of(const ControlRecord* control) {
  if (control->type == ControlType::Choice)
    return GTK_LIST_STORE(gtk_combo_box_get_model(GTK_COMBO_BOX(control->inner)));
  return GTK_LIST_STORE(gtk_tree_view_get_model(GTK_TREE_VIEW(control->inner)));
}

}  // namespace

Toolkit::Control* Toolkit::find_control(int id) const {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

GtkWidget* Toolkit::widget(int id) const {
  Control* control = find_control(id);
  return control ? control->inner : nullptr;
}

void Toolkit::register_control(int window, int id, GtkWidget* outer, GtkWidget* inner) {
  auto* control = new Control{};
  control->toolkit = this;
  control->window = window;
  control->id = id;
  control->outer = outer;
  control->inner = inner;
  if (Control* old = find_control(id)) delete old;
  controls_[id] = control;
}

void Toolkit::put_fixed(int window, GtkWidget* widget, Rect rect) {
  Window* record = find_window(window);
  if (!record) return;
  gtk_widget_set_size_request(widget, rect.width, rect.height);
  if (GTK_IS_LAYOUT(record->area)) {
    gtk_layout_put(GTK_LAYOUT(record->area), widget, rect.x, rect.y);
  } else {
    gtk_fixed_put(GTK_FIXED(record->area), widget, rect.x, rect.y);
  }
  gtk_widget_show_all(widget);
}

void Toolkit::place_in_control_area(int window, int id, Rect rect) {
  if (Control* control = find_control(id)) put_fixed(window, control->outer, rect);
}

void Toolkit::set_control_size(int id, int width, int height) {
  if (Control* control = find_control(id))
    gtk_widget_set_size_request(control->outer, std::max(width, 0), std::max(height, 0));
}

void Toolkit::focus(int id) {
  Control* control = find_control(id);
  if (!control) return;
  // A text view taking the focus also brings its window to the front.
  if (control->type == ControlType::TextView) {
    if (GtkWidget* top = gtk_widget_get_toplevel(control->inner); gtk_widget_get_visible(top))
      gtk_window_present(GTK_WINDOW(top));
  }
  gtk_widget_grab_focus(control->inner);
}

// --- text views -----------------------------------------------------------

// Blocked while the program itself changes the text, so only user edits
// arrive here.
void Toolkit::on_text_changed(GtkTextBuffer*, gpointer data) {
  auto* control = static_cast<ControlRecord*>(data);
  if (control->toolkit->edited_handler_) control->toolkit->edited_handler_(control->id);
}

void Toolkit::create_text_view(int window, int id, bool editable, int font) {
  GtkWidget* view = gtk_text_view_new();
  gtk_text_view_set_editable(GTK_TEXT_VIEW(view), editable);
  gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(view), editable);
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_NONE);
  if (font >= 0) apply_font(view, font);
  adopt_text_view(window, id, scrolled(view), view);
}

// A text view (plain or source) becomes a control: a mark to scroll to the
// end with, and the user's edits reported.
void Toolkit::adopt_text_view(int window, int id, GtkWidget* outer, GtkWidget* view) {
  register_control(window, id, outer, view);
  Control* control = find_control(id);
  control->type = ControlType::TextView;
  GtkTextBuffer* buffer = buffer_of(control);
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(buffer, &end);
  control->scroll_mark = gtk_text_buffer_create_mark(buffer, nullptr, &end, TRUE);
  control->source = G_OBJECT(buffer);
  control->handler = g_signal_connect(buffer, "changed", G_CALLBACK(on_text_changed), control);
  // Undoing back to the loaded or saved text clears the flag without an edit.
  control->modified_handler = g_signal_connect(buffer, "modified-changed", G_CALLBACK(on_text_changed), control);
}

std::string Toolkit::text(int id) const {
  Control* control = find_control(id);
  if (control && control->type == ControlType::Entry) return gtk_entry_get_text(GTK_ENTRY(control->inner));
  if (control && control->type == ControlType::Label) return gtk_label_get_text(GTK_LABEL(control->inner));
  if (!control || control->type != ControlType::TextView) return {};
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer_of(control), &start, &end);
  return buffer_text(buffer_of(control), &start, &end);
}

void Toolkit::set_text(int id, const std::string& text) {
  Control* control = find_control(id);
  if (control && control->type == ControlType::Entry) {
    gtk_entry_set_text(GTK_ENTRY(control->inner), text.c_str());
    return;
  }
  if (control && control->type == ControlType::Label) {
    gtk_label_set_text(GTK_LABEL(control->inner), text.c_str());
    return;
  }
  if (!control || control->type != ControlType::TextView) return;
  SignalBlock block(control->source, control->handler);
  SignalBlock block_modified(control->source, control->modified_handler);
  GtkTextBuffer* buffer = buffer_of(control);
  {
    detail::FreshHistory fresh(buffer);
    gtk_text_buffer_set_text(buffer, text.c_str(), static_cast<gint>(text.size()));
  }
  // A new text is read from its start, where the view shows it.
  GtkTextIter start;
  gtk_text_buffer_get_start_iter(buffer, &start);
  gtk_text_buffer_place_cursor(buffer, &start);
  gtk_text_buffer_set_modified(buffer, FALSE);
}

void Toolkit::append_line(int id, const std::string& line) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  SignalBlock block(control->source, control->handler);
  SignalBlock block_modified(control->source, control->modified_handler);
  GtkTextBuffer* buffer = buffer_of(control);
  detail::FreshHistory fresh(buffer);
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(buffer, &end);
  const std::string piece = gtk_text_buffer_get_char_count(buffer) == 0 ? line : "\n" + line;
  gtk_text_buffer_insert(buffer, &end, piece.c_str(), static_cast<gint>(piece.size()));
}

int Toolkit::line_count(int id) const {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return 0;
  GtkTextBuffer* buffer = buffer_of(control);
  return gtk_text_buffer_get_char_count(buffer) == 0 ? 0 : gtk_text_buffer_get_line_count(buffer);
}

std::string Toolkit::line_text(int id, int line) const {
  if (line < 0 || line >= line_count(id)) return {};
  GtkTextBuffer* buffer = buffer_of(find_control(id));
  GtkTextIter start, end;
  gtk_text_buffer_get_iter_at_line(buffer, &start, line);
  end = start;
  if (!gtk_text_iter_ends_line(&end)) gtk_text_iter_forward_to_line_end(&end);
  return buffer_text(buffer, &start, &end);
}

void Toolkit::cursor_position(int id, int& line, int& column) const {
  line = 0;
  column = 0;
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  GtkTextBuffer* buffer = buffer_of(control);
  GtkTextIter cursor;
  gtk_text_buffer_get_iter_at_mark(buffer, &cursor, gtk_text_buffer_get_insert(buffer));
  line = gtk_text_iter_get_line(&cursor);
  column = gtk_text_iter_get_line_offset(&cursor);
}

bool Toolkit::selected_lines(int id, int& first, int& last) const {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return false;
  GtkTextIter start, end;
  if (!gtk_text_buffer_get_selection_bounds(buffer_of(control), &start, &end)) return false;
  first = gtk_text_iter_get_line(&start);
  last = gtk_text_iter_get_line(&end);
  if (last > first && gtk_text_iter_starts_line(&end)) --last;
  return true;
}

void Toolkit::scroll_to_line(int id, int line) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  GtkTextBuffer* buffer = buffer_of(control);
  GtkTextIter start;
  gtk_text_buffer_get_iter_at_line(buffer, &start, std::max(line, 0));
  gtk_text_buffer_move_mark(buffer, control->scroll_mark, &start);
  gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(control->inner), control->scroll_mark, 0.0, FALSE, 0.0, 0.0);
}

namespace {

void scroll_mark_into_view(GtkTextView* view, GtkTextMark* mark) {
  gtk_text_view_scroll_to_mark(view, mark, 0.0, FALSE, 0.0, 0.0);
}

// How long after a scroll to the end the view keeps following it while
// wrapped lines are still being laid out (later on a loaded machine).
constexpr gint64 kFollowEndMicroseconds = 2 * G_USEC_PER_SEC;

// The view's height grew or shrank as lines took their real height: the
// end is brought into view again, but only shortly after a scroll to it.
void follow_end(GtkAdjustment*, gpointer data) {
  auto* view = GTK_TEXT_VIEW(data);
  const auto* until = static_cast<const gint64*>(g_object_get_data(G_OBJECT(view), "zorvin-follow-until"));
  auto* mark = static_cast<GtkTextMark*>(g_object_get_data(G_OBJECT(view), "zorvin-end-mark"));
  if (until && mark && g_get_monotonic_time() < *until && gtk_widget_get_realized(GTK_WIDGET(view)))
    scroll_mark_into_view(view, mark);
}

}  // namespace

void Toolkit::scroll_to_end(int id) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  GtkTextBuffer* buffer = buffer_of(control);
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(buffer, &end);
  gtk_text_buffer_move_mark(buffer, control->scroll_mark, &end);
  GtkTextView* view = GTK_TEXT_VIEW(control->inner);
  scroll_mark_into_view(view, control->scroll_mark);
  // Wrapped lines take their real height only as the view lays them out in
  // the background, which can push the end out of sight again: for a short
  // while each change of the view's height brings the end back.
  g_object_set_data(G_OBJECT(view), "zorvin-end-mark", control->scroll_mark);
  auto* until = g_new(gint64, 1);
  *until = g_get_monotonic_time() + kFollowEndMicroseconds;
  g_object_set_data_full(G_OBJECT(view), "zorvin-follow-until", until, g_free);
  if (!g_object_get_data(G_OBJECT(view), "zorvin-follows-end")) {
    g_signal_connect_object(gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(view)), "changed", G_CALLBACK(follow_end),
                            view, GConnectFlags(0));
    g_object_set_data(G_OBJECT(view), "zorvin-follows-end", GINT_TO_POINTER(1));
  }
  g_object_ref(view);
  g_idle_add_full(G_PRIORITY_DEFAULT_IDLE,
                  [](gpointer data) -> gboolean {
                    follow_end(nullptr, data);
                    return G_SOURCE_REMOVE;
                  },
                  view, g_object_unref);
}

void Toolkit::set_line_wrapping(int id, bool wrap) {
  Control* control = find_control(id);
  if (control && control->type == ControlType::TextView)
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(control->inner), wrap ? GTK_WRAP_WORD_CHAR : GTK_WRAP_NONE);
}

bool Toolkit::text_modified(int id) const {
  Control* control = find_control(id);
  return control && control->type == ControlType::TextView && gtk_text_buffer_get_modified(buffer_of(control));
}

void Toolkit::set_text_modified(int id, bool modified) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  SignalBlock block(control->source, control->modified_handler);
  gtk_text_buffer_set_modified(buffer_of(control), modified);
}

namespace {

bool is_typing(const GdkEventKey* event) {
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  if (modifiers & ~GDK_SHIFT_MASK) return false;
  switch (event->keyval) {
    case GDK_KEY_BackSpace:
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete:
      return true;
    default:
      return g_unichar_isprint(gdk_keyval_to_unicode(event->keyval));
  }
}

// The key is handed to the other view as it came, so the input method and
// the view's own bindings treat it as if it had been typed there.
gboolean pass_typing_on(GtkWidget*, GdkEventKey* event, gpointer data) {
  if (!is_typing(event)) return FALSE;
  auto* target = static_cast<ControlRecord*>(data);
  gtk_widget_grab_focus(target->inner);
  gtk_widget_event(target->inner, reinterpret_cast<GdkEvent*>(event));
  return TRUE;
}

}  // namespace

void Toolkit::forward_typing(int from, int to) {
  Control* source = find_control(from);
  Control* target = find_control(to);
  if (source && target) g_signal_connect(source->inner, "key-press-event", G_CALLBACK(pass_typing_on), target);
}

// --- lists ----------------------------------------------------------------

void Toolkit::create_list(int window, int id, int font) {
  GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
  GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(view), FALSE);
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(view)), GTK_SELECTION_SINGLE);
  GtkCellRenderer* cell = gtk_cell_renderer_text_new();
  if (auto found = font_names_.find(font); found != font_names_.end())
    g_object_set(cell, "font", found->second.c_str(), nullptr);
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(view), -1, nullptr, cell, "text", 0, nullptr);
  // All rows have the same height, so the view need not measure each one.
  GtkTreeViewColumn* column = gtk_tree_view_get_column(GTK_TREE_VIEW(view), 0);
  gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_fixed_width(column, kListColumnWidth);
  gtk_tree_view_set_fixed_height_mode(GTK_TREE_VIEW(view), TRUE);
  GtkWidget* frame = scrolled(view);
  gtk_widget_set_size_request(frame, 120, -1);
  register_control(window, id, frame, view);
  find_control(id)->type = ControlType::List;
}

void Toolkit::create_choice(int window, int id, Rect rect, ShownText shown) {
  GtkWidget* combo = gtk_combo_box_text_new();
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(combo));
  if (cells) {
    // Long entries are cut at the front, and do not widen the list.
    GtkCellRenderer* cell = GTK_CELL_RENDERER(cells->data);
    g_object_set(cell, "ellipsize", PANGO_ELLIPSIZE_START, "max-width-chars", 1, nullptr);
    if (shown) {
      gtk_cell_layout_set_cell_data_func(GTK_CELL_LAYOUT(combo), cell, show_entry, new ShownText(std::move(shown)),
                                         [](gpointer p) { delete static_cast<ShownText*>(p); });
    }
  }
  g_list_free(cells);
  register_control(window, id, combo, combo);
  find_control(id)->type = ControlType::Choice;
  put_fixed(window, combo, rect);
}

void Toolkit::append_row(int id, const std::string& text) {
  Control* control = find_control(id);
  if (!control) return;
  GtkTreeIter row;
  gtk_list_store_insert_with_values(store_of(control), &row, -1, 0, text.c_str(), -1);
  if (control->type == ControlType::List) fit_column_to_rows(control, {text});
}

void Toolkit::set_rows(int id, const std::vector<std::string>& rows) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::List) return;
  // Filled while detached from its view, so the view lays out once.
  GtkTreeView* view = GTK_TREE_VIEW(control->inner);
  GtkListStore* store = GTK_LIST_STORE(g_object_ref(gtk_tree_view_get_model(view)));
  gtk_tree_view_set_model(view, nullptr);
  gtk_list_store_clear(store);
  GtkTreeIter row;
  for (const std::string& text : rows) gtk_list_store_insert_with_values(store, &row, -1, 0, text.c_str(), -1);
  gtk_tree_view_set_model(view, GTK_TREE_MODEL(store));
  g_object_unref(store);
  gtk_tree_view_column_set_fixed_width(gtk_tree_view_get_column(view, 0), kListColumnWidth);
  fit_column_to_rows(control, rows);
}

std::vector<std::string> Toolkit::rows(int id) const {
  std::vector<std::string> result;
  Control* control = find_control(id);
  if (!control) return result;
  GtkTreeModel* model = GTK_TREE_MODEL(store_of(control));
  GtkTreeIter row;
  for (gboolean valid = gtk_tree_model_get_iter_first(model, &row); valid; valid = gtk_tree_model_iter_next(model, &row)) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, &row, 0, &text, -1);
    result.emplace_back(text ? text : "");
    g_free(text);
  }
  return result;
}

void Toolkit::select_row(int id, int row) {
  Control* control = find_control(id);
  if (!control) return;
  if (control->type == ControlType::Choice) {
    gtk_combo_box_set_active(GTK_COMBO_BOX(control->inner), row);
  } else {
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_selection_select_path(gtk_tree_view_get_selection(GTK_TREE_VIEW(control->inner)), path);
    gtk_tree_path_free(path);
  }
}

int Toolkit::selected_row(int id) const {
  Control* control = find_control(id);
  if (!control) return -1;
  if (control->type == ControlType::Choice) return gtk_combo_box_get_active(GTK_COMBO_BOX(control->inner));
  GtkTreeModel* model = nullptr;
  GtkTreeIter row;
  if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(control->inner)), &model, &row))
    return -1;
  GtkTreePath* path = gtk_tree_model_get_path(model, &row);
  const int index = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  return index;
}

// --- splitters ------------------------------------------------------------

void Toolkit::create_splitter(int window, int id, bool side_by_side, int first, int second) {
  GtkWidget* paned = gtk_paned_new(side_by_side ? GTK_ORIENTATION_HORIZONTAL : GTK_ORIENTATION_VERTICAL);
  if (Control* child = find_control(first)) gtk_paned_pack1(GTK_PANED(paned), child->outer, TRUE, TRUE);
  // The second part keeps at least its minimum size, so a divider position
  // beyond the splitter's size cannot hide it.
  if (Control* child = find_control(second)) gtk_paned_pack2(GTK_PANED(paned), child->outer, TRUE, FALSE);
  register_control(window, id, paned, paned);
  Control* control = find_control(id);
  control->type = ControlType::Splitter;
  control->source = G_OBJECT(paned);
  control->handler = g_signal_connect(paned, "notify::position", G_CALLBACK(on_position_changed), control);
}

int Toolkit::splitter_position(int id) const {
  Control* control = find_control(id);
  return control && control->type == ControlType::Splitter ? gtk_paned_get_position(GTK_PANED(control->inner)) : 0;
}

void Toolkit::set_splitter_position(int id, int position) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::Splitter) return;
  SignalBlock block(control->source, control->handler);
  gtk_paned_set_position(GTK_PANED(control->inner), std::max(position, 0));
}

int Toolkit::splitter_room(int id) const {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::Splitter) return -1;
  GtkPaned* paned = GTK_PANED(control->inner);
  GtkWidget* first = gtk_paned_get_child1(paned);
  GtkWidget* second = gtk_paned_get_child2(paned);
  if (!first || !second || !gtk_widget_get_realized(control->inner)) return -1;
  const bool side_by_side = gtk_orientable_get_orientation(GTK_ORIENTABLE(paned)) == GTK_ORIENTATION_HORIZONTAL;
  return side_by_side ? gtk_widget_get_allocated_width(first) + gtk_widget_get_allocated_width(second)
                      : gtk_widget_get_allocated_height(first) + gtk_widget_get_allocated_height(second);
}

// --- dialog gadgets -------------------------------------------------------

void Toolkit::create_label(int window, int id, Rect rect, const std::string& text, bool centred, bool one_line) {
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_label_set_line_wrap(GTK_LABEL(label), !one_line);
  if (one_line) gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_MIDDLE);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 1);  // wrap at the control's width, not the text's
  gtk_label_set_xalign(GTK_LABEL(label), centred ? 0.5f : 0.0f);
  gtk_label_set_yalign(GTK_LABEL(label), centred ? 0.0f : 0.5f);
  if (centred) gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
  register_control(window, id, label, label);
  find_control(id)->type = ControlType::Label;
  put_fixed(window, label, rect);
}

void Toolkit::create_link(int window, int id, Rect rect, const std::string& text) {
  GtkWidget* box = gtk_event_box_new();
  GtkWidget* label = gtk_label_new(nullptr);
  GCharPtr markup(g_markup_printf_escaped("<span foreground=\"#0000FF\" underline=\"single\">%s</span>", text.c_str()));
  gtk_label_set_markup(GTK_LABEL(label), markup.get());
  gtk_label_set_xalign(GTK_LABEL(label), 0.5f);
  gtk_container_add(GTK_CONTAINER(box), label);
  register_control(window, id, box, label);
  Control* control = find_control(id);
  control->type = ControlType::Link;
  gtk_widget_add_events(box, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  g_signal_connect(box, "button-release-event", G_CALLBACK(on_link_release), control);
  g_signal_connect(box, "realize", G_CALLBACK(on_link_realize), nullptr);
  put_fixed(window, box, rect);
}

void Toolkit::create_picture(int window, int id, Rect rect, int image) {
  GtkWidget* picture = image_widget(image);
  register_control(window, id, picture, picture);
  find_control(id)->type = ControlType::Picture;
  put_fixed(window, picture, rect);
}

void Toolkit::create_button(int window, int id, Rect rect, const std::string& text) {
  GtkWidget* button = gtk_button_new_with_label(text.c_str());
  register_control(window, id, button, button);
  Control* control = find_control(id);
  control->type = ControlType::Button;
  g_signal_connect(button, "clicked", G_CALLBACK(on_clicked), control);
  put_fixed(window, button, rect);
}

void Toolkit::create_entry(int window, int id, Rect rect, const std::string& text) {
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
  register_control(window, id, entry, entry);
  Control* control = find_control(id);
  control->type = ControlType::Entry;
  g_signal_connect(entry, "activate", G_CALLBACK(on_clicked), control);
  put_fixed(window, entry, rect);
}

namespace {

gboolean on_line_tooltip(GtkWidget* widget, gint x, gint y, gboolean keyboard, GtkTooltip* tooltip, gpointer data) {
  GtkTextView* view = GTK_TEXT_VIEW(widget);
  GtkTextIter at;
  if (keyboard) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
    gtk_text_buffer_get_iter_at_mark(buffer, &at, gtk_text_buffer_get_insert(buffer));
  } else {
    int buffer_x = 0, buffer_y = 0;
    gtk_text_view_window_to_buffer_coords(view, GTK_TEXT_WINDOW_WIDGET, x, y, &buffer_x, &buffer_y);
    if (!gtk_text_view_get_iter_at_location(view, &at, buffer_x, buffer_y)) return FALSE;
  }
  const std::string text = (*static_cast<Toolkit::LineTip*>(data))(gtk_text_iter_get_line(&at));
  if (text.empty()) return FALSE;
  gtk_tooltip_set_text(tooltip, text.c_str());
  return TRUE;
}

}  // namespace

void Toolkit::show_line_tips(int id, LineTip tip) {
  Control* control = find_control(id);
  if (!control || control->type != ControlType::TextView) return;
  gtk_widget_set_has_tooltip(control->inner, TRUE);
  g_signal_connect_data(control->inner, "query-tooltip", G_CALLBACK(on_line_tooltip), new LineTip(std::move(tip)),
                        [](gpointer data, GClosure*) { delete static_cast<LineTip*>(data); }, GConnectFlags(0));
}

void Toolkit::watch_changes(int id) {
  Control* control = find_control(id);
  if (!control) return;
  if (control->type == ControlType::Entry) g_signal_connect(control->inner, "changed", G_CALLBACK(on_entry_changed), control);
  if (control->type != ControlType::List) return;
  g_signal_connect(gtk_tree_view_get_selection(GTK_TREE_VIEW(control->inner)), "changed", G_CALLBACK(on_row_chosen), control);
  g_signal_connect(control->inner, "row-activated", G_CALLBACK(on_row_activated), control);
}

void Toolkit::create_check_box(int window, int id, Rect rect, const std::string& text, bool ticked) {
  GtkWidget* box = gtk_check_button_new_with_label(text.c_str());
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), ticked);
  register_control(window, id, box, box);
  Control* control = find_control(id);
  control->type = ControlType::CheckBox;
  g_signal_connect(box, "toggled", G_CALLBACK(on_clicked), control);
  put_fixed(window, box, rect);
}

bool Toolkit::ticked(int id) const {
  Control* control = find_control(id);
  return control && control->type == ControlType::CheckBox &&
         gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(control->inner));
}

void Toolkit::create_frame(int window, int id, Rect rect) {
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_ETCHED_IN);
  register_control(window, id, frame, frame);
  find_control(id)->type = ControlType::Frame;
  put_fixed(window, frame, rect);
}

}  // namespace zorvin::ui
