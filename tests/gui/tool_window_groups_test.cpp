// A tool window's collapsed group: its widgets are made when the user first
// opens it, and what the program set in it before shows then, edits in it
// reach the handlers as in any other group.
#include <gdk/gdkkeysyms.h>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "gui_harness.h"
#include "key_press.h"
#include "ui/tool_window.h"

namespace zorvin::test {
namespace {

enum Id { kShown = 1, kValue, kReadOnly, kTick, kFixedTick, kBytes, kLog, kLeds };

class ToolWindowGroups : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    start_app();
    tool_ = std::make_unique<ui::ToolWindow>(ui(), 990);
    tool_->create("Gruppenprobe", 2);
    const int open = tool_->add_group(0, "Offen");
    tool_->add_field(open, kShown, 0, 0, "Immer", 4, true);
    later_ = tool_->add_group(1, "Später", false);
    tool_->add_field(later_, kValue, 0, 0, "Wert", 4, true);
    tool_->add_field(later_, kReadOnly, 0, 1, "Nur lesen", 6, false);
    tool_->add_check(later_, kTick, 1, 0, "Haken", true);
    tool_->add_check(later_, kFixedTick, 1, 1, "Fest", false);
    tool_->add_hex_grid(later_, kBytes, 32);
    tool_->add_text_view(later_, kLog, 3, 2);
    tool_->add_leds(later_, kLeds, 4, "LEDs");
    tool_->on_field_edited([this](int id, const std::string& text) { edited_.emplace_back(id, text); });
    tool_->on_check_toggled([this](int id, bool ticked) { toggled_.emplace_back(id, ticked); });
  }
  void TearDown() override {
    tool_.reset();
    GuiTest::TearDown();
  }

  // The group titled `title` in the pane, found as the user sees it.
  static GtkWidget* group_titled(GtkWidget* pane, const std::string& title) {
    return find_widget(pane, [&title](GtkWidget* widget) {
      if (!GTK_IS_EXPANDER(widget)) return false;
      GtkWidget* label = gtk_expander_get_label_widget(GTK_EXPANDER(widget));
      return label && GTK_IS_LABEL(label) && title == gtk_label_get_text(GTK_LABEL(label));
    });
  }

  // The group opened as the user does: its title clicked.
  void open_later_group() {
    GtkWidget* expander = group_titled(tool_->pane(), "Später");
    ASSERT_TRUE(expander);
    gtk_widget_activate(expander);
    pump(50);
  }

  bool marked(int id) {
    return gtk_style_context_has_class(gtk_widget_get_style_context(tool_->widget(id)), "zorvin-changed");
  }

  std::unique_ptr<ui::ToolWindow> tool_;
  int later_ = 0;
  std::vector<std::pair<int, std::string>> edited_;
  std::vector<std::pair<int, bool>> toggled_;
};

TEST_F(ToolWindowGroups, ValuesSetBeforeTheGroupWasOpenedShowOnceItIs) {
  std::vector<std::uint8_t> bytes(32);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
  bool changed[32] = {};
  changed[5] = true;
  tool_->set_text(kValue, "3F", true);
  tool_->set_text(kReadOnly, "alt");
  tool_->set_text(kReadOnly, "neu");  // the last one counts
  tool_->set_check(kTick, true, true);
  tool_->set_check(kFixedTick, true);
  tool_->set_editable(kValue, false);
  tool_->set_editable(kReadOnly, true);
  tool_->set_bytes(kBytes, bytes, changed);
  tool_->append_text(kLog, "erste\n");
  tool_->append_text(kLog, "zweite");
  tool_->set_leds(kLeds, 0x81);
  tool_->show();
  pump(50);
  ASSERT_FALSE(tool_->group_built(later_)) << "a collapsed group is made when first opened";
  // Read back before it is made, as the program does.
  EXPECT_EQ(tool_->text(kReadOnly), "neu");
  EXPECT_TRUE(tool_->checked(kTick));
  EXPECT_EQ(tool_->cell_text(kBytes, 5), "A5");
  EXPECT_EQ(tool_->all_text(kLog), "erste\nzweite");

  open_later_group();
  ASSERT_TRUE(tool_->group_built(later_));
  EXPECT_TRUE(gtk_widget_is_drawable(tool_->widget(kValue)));
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(tool_->widget(kValue))), "3F");
  EXPECT_TRUE(marked(kValue));
  EXPECT_FALSE(gtk_editable_get_editable(GTK_EDITABLE(tool_->widget(kValue))));
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(tool_->widget(kReadOnly))), "neu");
  EXPECT_FALSE(marked(kReadOnly));
  EXPECT_TRUE(gtk_editable_get_editable(GTK_EDITABLE(tool_->widget(kReadOnly))));
  EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(tool_->widget(kTick))));
  EXPECT_TRUE(marked(kTick));
  EXPECT_TRUE(gtk_widget_get_sensitive(tool_->widget(kTick)));
  EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(tool_->widget(kFixedTick))));
  EXPECT_FALSE(gtk_widget_get_sensitive(tool_->widget(kFixedTick)));
  GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(tool_->widget(kBytes)));
  GtkTreeIter row;
  ASSERT_TRUE(gtk_tree_model_iter_nth_child(model, &row, nullptr, 1));
  gchar* cell = nullptr;
  gtk_tree_model_get(model, &row, 1 + 3, &cell, -1);  // byte 13H
  EXPECT_STREQ(cell, "B3");
  g_free(cell);
  GtkTextBuffer* log = gtk_text_view_get_buffer(GTK_TEXT_VIEW(tool_->widget(kLog)));
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(log, &start, &end);
  gchar* text = gtk_text_buffer_get_text(log, &start, &end, FALSE);
  EXPECT_STREQ(text, "erste\nzweite");
  g_free(text);
  EXPECT_EQ(tool_->leds(kLeds), 0x81);
  // Nothing the program set reached the handlers.
  EXPECT_TRUE(edited_.empty());
  EXPECT_TRUE(toggled_.empty());
  // Set after it was made, as in any group.
  tool_->set_text(kValue, "40");
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(tool_->widget(kValue))), "40");
  EXPECT_FALSE(marked(kValue));
}

TEST_F(ToolWindowGroups, EditsInAGroupMadeLateReachTheHandlers) {
  tool_->show();
  pump(50);
  open_later_group();
  ASSERT_TRUE(tool_->group_built(later_));
  GtkWidget* entry = tool_->widget(kValue);
  gtk_widget_grab_focus(entry);
  for (guint key : {GDK_KEY_7, GDK_KEY_f, GDK_KEY_Return}) send_key_press(entry, key, GdkModifierType(0), true);
  pump(20);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(tool_->widget(kTick)), TRUE);
  pump(20);
  const std::vector<std::pair<int, std::string>> edited = {{kValue, "7f"}};
  EXPECT_EQ(edited_, edited);
  const std::vector<std::pair<int, bool>> toggled = {{kTick, true}};
  EXPECT_EQ(toggled_, toggled);
  EXPECT_TRUE(tool_->checked(kTick));
}

// Asked for one of its widgets (as tests do), a group is made but stays
// collapsed; the layout it is kept in knows it collapsed.
TEST_F(ToolWindowGroups, AWidgetAskedForIsMadeInAGroupThatStaysCollapsed) {
  tool_->set_text(kValue, "12");
  tool_->show();
  pump(50);
  GtkWidget* entry = tool_->widget(kValue);
  ASSERT_TRUE(entry && GTK_IS_ENTRY(entry));
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(entry)), "12");
  EXPECT_FALSE(tool_->group_open(later_));
  EXPECT_FALSE(gtk_widget_is_drawable(entry));
  tool_->set_group_open(later_, true);
  pump(50);
  EXPECT_TRUE(gtk_widget_is_drawable(entry)) << "shown with the group";
}

// What the widget draws, as rows of pixels.
std::vector<std::uint32_t> drawn(GtkWidget* widget, int width, int height) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(surface);
  gtk_widget_draw(widget, cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  std::vector<std::uint32_t> pixels;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * cairo_image_surface_get_stride(surface));
    pixels.insert(pixels.end(), row, row + width);
  }
  cairo_surface_destroy(surface);
  return pixels;
}

// The tool windows draw a ticked box's tick from a picture they keep, not
// from the theme's file read anew: it must look the same.
TEST_F(ToolWindowGroups, ATickedBoxLooksAsTheThemeDrawsItElsewhere) {
  tool_->set_check(kTick, true);
  tool_->show();
  pump(50);
  open_later_group();
  GtkWidget* tick = tool_->widget(kTick);
  const int width = gtk_widget_get_allocated_width(tick), height = gtk_widget_get_allocated_height(tick);
  GtkWidget* other = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  GtkWidget* theirs = gtk_check_button_new_with_label("Haken");
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(theirs), TRUE);
  gtk_widget_set_size_request(theirs, width, height);
  gtk_widget_set_halign(theirs, GTK_ALIGN_START);
  gtk_widget_set_valign(theirs, GTK_ALIGN_START);
  gtk_container_add(GTK_CONTAINER(box), theirs);
  gtk_container_add(GTK_CONTAINER(other), box);
  gtk_widget_show_all(other);
  pump(100);
  ASSERT_EQ(gtk_widget_get_allocated_width(theirs), width);
  ASSERT_EQ(gtk_widget_get_allocated_height(theirs), height);
  const auto ours = drawn(tick, width, height), expected = drawn(theirs, width, height);
  gtk_widget_destroy(other);
  int apart = 0;  // pixels that differ in more than the smoothing of an edge
  for (std::size_t i = 0; i < ours.size(); ++i)
    for (int shift : {0, 8, 16, 24}) {
      const int ours_part = static_cast<int>((ours[i] >> shift) & 0xFF);
      const int expected_part = static_cast<int>((expected[i] >> shift) & 0xFF);
      if (std::abs(ours_part - expected_part) > 24) {
        ++apart;
        break;
      }
    }
  EXPECT_EQ(apart, 0);
  tool_->set_check(kTick, false);
  pump(50);
  EXPECT_NE(drawn(tick, width, height), ours) << "the tick was drawn at all";
}

}  // namespace
}  // namespace zorvin::test
