// F6 (load the image into the EPROM emulator) and the "EPROM Emulator"
// settings dialog.
#include "app/app.h"
#include "app/ids.h"
#include "emu/emulator_transfer.h"
#include "emu/port_discovery.h"
#include "emu/transfer_steps.h"

namespace zorvin::app {

namespace {

// The transfer reaches the window only through these three operations.
class PaneTransferView : public emu::TransferView {
 public:
  PaneTransferView(ui::Toolkit& ui, Panes& panes) : ui_(ui), panes_(panes) {}
  void append_message(const std::string& line) override { panes_.append_message(line); }
  void scroll_messages_to_end() override { panes_.scroll_messages_to_end(); }
  // Between steps the window is only redrawn: a wait for one more event
  // would hold up every step of the transfer.
  void update_messages() override {
    ui_.flush_dropping_events();
    panes_.show_last_message();
  }
  void wait_for_one_event(int timeout_ms) override { ui_.wait_once_dropping_events(timeout_ms); }

 private:
  ui::Toolkit& ui_;
  Panes& panes_;
};

constexpr int kPortFrame = 4, kSwitchFrame = 5, kPortLabel = 6, kEpromLabel = 7, kPortList = 8, kEpromList = 9,
              kSpiBox = 10, kAutoBox = 11, kCancel = 12, kSave = 13;

// A row of the EPROM list: the part, padded, then ";" and its code.
std::string eprom_entry(const emu::EpromPart& part) {
  return std::string(part.part) + std::string(11, ' ') + ";" + std::string(part.code);
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void App::transfer() {
  if (image_path_.empty()) {
    ui_.message_box("Hinweis", "Es gibt nichts zu emulieren.", ui::MessageIcon::Information, false);
    return;
  }
  // What is sent is the image of the last successful assembly; say so when
  // the editor no longer holds what it was made from.
  if (last_assembly_failed_) {
    panes_.append_message("Hinweis: Der letzte Assemblerlauf war fehlerhaft - gesendet wird " + image_path_ +
                          " vom letzten fehlerfreien Lauf");
  } else if (panes_.editor_text() != image_source_text_) {
    panes_.append_message("Hinweis: Die Quelle wurde seit dem Schreiben von " + image_path_ +
                          " geändert - gesendet wird der alte Stand");
  }
  // Loading the settings made "64" of an unknown EPROM value; send nothing
  // for a type the user never chose.
  if (const std::optional<std::string> problem = emu::stored_eprom_problem(settings_path_)) {
    panes_.append_message("Fehler bei der Übertragung - " + *problem + "; unter Einstellungen -> EPROM Emulator wählen");
    panes_.scroll_messages_to_end();
    return;
  }
  PaneTransferView view(ui_, panes_);
  emu::emulator_transfer(image_path_, settings_, serial_ports_, view);
}

void App::open_emulator_dialog() {
  // Wide enough for the title beside the window manager's buttons, and for
  // the longer device names in the port list.
  if (!ui_.open_window(window::kEmulatorSettings, "EPROM Emulator", {0, 0, 260, 200}, ui::WindowStyle::Dialog,
                       window::kMain))
    return;
  ui_.set_window_icon(window::kEmulatorSettings, image::kChip);
  ui_.set_window_enabled(window::kMain, false);
  const int dialog = window::kEmulatorSettings;
  ui_.create_frame(dialog, kPortFrame, {5, 5, 250, 80});
  ui_.create_frame(dialog, kSwitchFrame, {5, 90, 250, 65});
  ui_.create_label(dialog, kPortLabel, {20, 25, 50, 20}, "COM:");
  ui_.create_label(dialog, kEpromLabel, {20, 55, 50, 20}, "EPROM:");
  // The lists show the device name and the part number.
  ui_.create_choice(dialog, kPortList, {100, 22, 140, 20}, [](const std::string& device) {
    return device.substr(device.rfind('/') + 1);
  });
  ui_.create_choice(dialog, kEpromList, {100, 52, 140, 20}, [](const std::string& entry) {
    return trimmed(entry.substr(0, entry.find(';')));
  });
  ui_.create_check_box(dialog, kSpiBox, {20, 100, 220, 25}, "Sicherung auf SPI", settings_.spi_flag == 1);
  ui_.create_check_box(dialog, kAutoBox, {20, 120, 220, 25}, "Automatsiches Laden", settings_.auto_load == 1);
  ui_.create_button(dialog, kCancel, {5, 170, 80, 25}, "Abbrechen");
  ui_.create_button(dialog, kSave, {175, 170, 80, 25}, "Speichern");

  const emu::PortList ports = emu::discover_ports(settings_);
  for (const std::string& name : ports.names) ui_.append_row(kPortList, name);
  if (ports.selected >= 0) ui_.select_row(kPortList, ports.selected);
  const std::span<const emu::EpromPart> parts = emu::eprom_parts();
  for (const emu::EpromPart& part : parts) ui_.append_row(kEpromList, eprom_entry(part));
  ui_.select_row(kEpromList, 0);
  for (std::size_t position = 0; position < parts.size(); ++position) {
    if (parts[position].code == settings_.eprom_code) {
      ui_.select_row(kEpromList, static_cast<int>(position));
      break;
    }
  }
  ui_.show_window(dialog);
  ui_.focus(kCancel);

  for (;;) {
    const ui::Event event = ui_.wait_event();
    if (event.kind == ui::EventKind::CloseRequest) break;
    if (event.kind != ui::EventKind::Control || event.window != dialog) continue;
    if (event.id == kCancel) break;
    if (event.id != kSave) continue;
    // Every reset of the board would load the old backup over the program sent.
    if (ui_.ticked(kAutoBox) && !ui_.ticked(kSpiBox) &&
        !ask("„Automatsiches Laden“ ohne „Sicherung auf SPI“: Bei jedem Reset des Boards lädt der Emulator dann "
             "die alte SPI-Sicherung (oder überall 0FFH, wenn nie gesichert wurde) über das gesendete Programm."
             "\n\nTrotzdem speichern?"))
      continue;
    const std::vector<std::string> names = ui_.rows(kPortList);
    const int port = ui_.selected_row(kPortList);
    if (port >= 0 && port < static_cast<int>(names.size()) && !trimmed(names[port]).empty())
      settings_.port_name = trimmed(names[port]);
    const int eprom = ui_.selected_row(kEpromList);
    if (eprom >= 0 && eprom < static_cast<int>(parts.size())) settings_.eprom_code = parts[eprom].code;
    settings_.spi_flag = ui_.ticked(kSpiBox) ? 1 : 0;
    settings_.auto_load = ui_.ticked(kAutoBox) ? 1 : 0;
    settings::save_settings(settings_, settings_path_);
    break;
  }
  ui_.close_window(dialog);
  ui_.set_window_enabled(window::kMain, true);
}

}  // namespace zorvin::app
