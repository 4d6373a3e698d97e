// What the GUI benchmarks share: timing helpers, the display settings the
// program makes for itself, and the program's main window inside the
// benchmark's own process with its settings in a folder of its own.
#pragma once

#include <X11/Xlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app.h"
#include "ui/toolkit.h"

namespace zorvin::bench {

using Clock = std::chrono::steady_clock;

inline double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// GTK on X11, without the accessibility bus and without GL, as the program
// sets itself up.
inline void use_display_as_the_program_does() {
  setenv("GDK_BACKEND", "x11", 1);
  setenv("NO_AT_BRIDGE", "1", 1);
  setenv("GDK_GL", "disable", 0);
  XInitThreads();
}

class BenchApp {
 public:
  explicit BenchApp(const std::string& name)
      : name_(name),
        args_{name_.data(), nullptr},
        argv_(args_),
        ui(&argc_, &argv_),
        dir(std::filesystem::temp_directory_path() / ("zorvin-bench-" + name + "-" + std::to_string(getpid()))),
        app(ui, settings_file_in(dir)) {
    app.start();
  }
  ~BenchApp() {
    app.finish();
    std::filesystem::remove_all(dir);
  }
  BenchApp(const BenchApp&) = delete;
  BenchApp& operator=(const BenchApp&) = delete;

 private:
  static std::string settings_file_in(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    return (folder / "zorvin.ini").string();
  }

  std::string name_;
  char* args_[2];
  int argc_ = 1;
  char** argv_;

 public:
  ui::Toolkit ui;
  std::filesystem::path dir;
  app::App app;
};

}  // namespace zorvin::bench
