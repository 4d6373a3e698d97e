// The menu "Bearbeiten" and the usual keys of an editor: undo and redo, the
// clipboard, searching, replacing, going to a line, and Ctrl+N/O/S for the
// source commands.
#include <gdk/gdkkeysyms.h>

#include "app/app.h"
#include "app/ids.h"

namespace zorvin::app {

namespace {

constexpr auto kCtrl = GDK_CONTROL_MASK;
constexpr auto kCtrlShift = GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK);

}  // namespace

void App::build_edit_menu() {
  ui_.add_menu(window::kMain, menu::kEdit, "Bearbeiten");
  ui_.add_menu_item(menu::kEdit, edit::kUndo, "Rückgängig\tStrg+Z");
  ui_.add_menu_item(menu::kEdit, edit::kRedo, "Wiederholen\tStrg+Umschalt+Z");
  ui_.add_menu_separator(menu::kEdit);
  ui_.add_menu_item(menu::kEdit, edit::kCut, "Ausschneiden\tStrg+X");
  ui_.add_menu_item(menu::kEdit, edit::kCopy, "Kopieren\tStrg+C");
  ui_.add_menu_item(menu::kEdit, edit::kPaste, "Einfügen\tStrg+V");
  ui_.add_menu_item(menu::kEdit, edit::kSelectAll, "Alles auswählen\tStrg+A");
  ui_.add_menu_separator(menu::kEdit);
  ui_.add_menu_item(menu::kEdit, edit::kFind, "Suchen…\tStrg+F");
  ui_.add_menu_item(menu::kEdit, edit::kReplace, "Ersetzen…\tStrg+H");
  ui_.add_menu_item(menu::kEdit, edit::kGoToLine, "Gehe zu Zeile…\tStrg+L");
  ui_.add_menu_separator(menu::kEdit);
  ui_.add_menu_item(menu::kEdit, edit::kZoomIn, "Schrift größer\tStrg++");
  ui_.add_menu_item(menu::kEdit, edit::kZoomOut, "Schrift kleiner\tStrg+-");
  ui_.add_menu_item(menu::kEdit, edit::kZoomReset, "Normale Schriftgröße\tStrg+0");
}

// Ctrl+X, C, V and A stay with the focused text field, which handles them
// itself; the menu items act on that field too.
void App::add_standard_shortcuts() {
  const struct {
    guint key;
    GdkModifierType modifiers;
    int command;
  } keys[] = {
      {GDK_KEY_n, kCtrl, command::kNewSource},
      {GDK_KEY_o, kCtrl, command::kLoadSource},
      {GDK_KEY_s, kCtrl, command::kSaveSource},
      {GDK_KEY_s, kCtrlShift, command::kSaveSourceAs},
      {GDK_KEY_z, kCtrl, edit::kUndo},
      {GDK_KEY_z, kCtrlShift, edit::kRedo},
      {GDK_KEY_y, kCtrl, edit::kRedo},
      {GDK_KEY_f, kCtrl, edit::kFind},
      {GDK_KEY_h, kCtrl, edit::kReplace},
      {GDK_KEY_l, kCtrl, edit::kGoToLine},
      {GDK_KEY_F3, GdkModifierType(0), edit::kFindNext},
      {GDK_KEY_F3, GDK_SHIFT_MASK, edit::kFindPrevious},
      // "+" is a key of its own on German keyboards, Shift and "=" on others.
      {GDK_KEY_plus, kCtrl, edit::kZoomIn},
      {GDK_KEY_plus, kCtrlShift, edit::kZoomIn},
      {GDK_KEY_equal, kCtrl, edit::kZoomIn},
      {GDK_KEY_KP_Add, kCtrl, edit::kZoomIn},
      {GDK_KEY_minus, kCtrl, edit::kZoomOut},
      {GDK_KEY_KP_Subtract, kCtrl, edit::kZoomOut},
      {GDK_KEY_0, kCtrl, edit::kZoomReset},
      {GDK_KEY_KP_0, kCtrl, edit::kZoomReset},
  };
  for (const auto& key : keys) ui_.add_shortcut(window::kMain, key.key, key.command, key.modifiers);
}

void App::edit_command(int id) {
  using ui::EditorAction;
  static const std::pair<int, EditorAction> actions[] = {
      {edit::kUndo, EditorAction::Undo},         {edit::kRedo, EditorAction::Redo},
      {edit::kCut, EditorAction::Cut},           {edit::kCopy, EditorAction::Copy},
      {edit::kPaste, EditorAction::Paste},       {edit::kSelectAll, EditorAction::SelectAll},
      {edit::kFind, EditorAction::Find},         {edit::kReplace, EditorAction::Replace},
      {edit::kGoToLine, EditorAction::GoToLine}, {edit::kFindNext, EditorAction::FindNext},
      {edit::kFindPrevious, EditorAction::FindPrevious}, {edit::kZoomIn, EditorAction::ZoomIn},
      {edit::kZoomOut, EditorAction::ZoomOut},           {edit::kZoomReset, EditorAction::ZoomReset},
  };
  for (const auto& [command, action] : actions) {
    if (command != id) continue;
    ui_.editor_action(control::kEditor, action);
    return;
  }
}

}  // namespace zorvin::app
