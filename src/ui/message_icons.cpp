#include "ui/message_icons.h"

namespace zorvin::ui::detail {

void add_message_icon(GtkMessageDialog* box, MessageIcon icon) {
  const char* name = icon == MessageIcon::Warning ? "dialog-warning"
                     : icon == MessageIcon::Error ? "dialog-error"
                                                  : "dialog-information";
  GtkWidget* image = gtk_image_new_from_icon_name(name, GTK_ICON_SIZE_DIALOG);
  gtk_widget_set_valign(image, GTK_ALIGN_START);
  // The text column sits in a row of the box; the sign goes in front of it,
  // and the text then reads from the left like in other programs' boxes.
  GtkWidget* text = gtk_message_dialog_get_message_area(box);
  GtkWidget* row = gtk_widget_get_parent(text);
  if (!GTK_IS_BOX(row)) return;
  gtk_box_pack_start(GTK_BOX(row), image, FALSE, FALSE, 0);
  gtk_box_reorder_child(GTK_BOX(row), image, 0);
  gtk_widget_show(image);
  GList* labels = gtk_container_get_children(GTK_CONTAINER(text));
  for (GList* entry = labels; entry; entry = entry->next) {
    if (!GTK_IS_LABEL(entry->data)) continue;
    gtk_widget_set_halign(GTK_WIDGET(entry->data), GTK_ALIGN_START);
    gtk_label_set_xalign(GTK_LABEL(entry->data), 0.0f);
    gtk_label_set_justify(GTK_LABEL(entry->data), GTK_JUSTIFY_LEFT);
  }
  g_list_free(labels);
}

}  // namespace zorvin::ui::detail
