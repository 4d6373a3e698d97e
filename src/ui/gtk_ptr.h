// Ownership helpers for GObject references and GLib strings.
#pragma once

#include <glib-object.h>

#include <memory>

namespace zorvin::ui {

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<gchar, GFree>;

}  // namespace zorvin::ui
