#include <gtest/gtest.h>

#include <optional>

#include "emulator_device.h"
#include "number_reader.h"
#include "repeating_text.h"
#include "usb_adapter.h"

namespace zorvin::emusim {
namespace {

using namespace std::string_literals;

constexpr Micros kBoot = ms(100);
const std::string kCurrentBanner =
    "-> Bus set to 27512 EPROM Memory\r\n"
    "Config: Last EPROM used is 27512\r\n"
    "Option: Save to SPI EEPROM set to disable\r\n"
    "Option: Auto load from SPI EEPROM set to disable\r\n"
    "\r\n"
    "Emulator Started, waiting for computer contol\r\n"
    "-> HW: v2.1, FW: 2.0rc12, SPI: 0, Auto: 0, Last EPROM: 27512, zorvin-emusim\r\n";

std::string times(int n, std::string_view text) {
  std::string out;
  for (int i = 0; i < n; ++i) out += text;
  return out;
}

// Drives one board with made-up times; `now` only moves forward.
class EmulatorDeviceTest : public ::testing::Test {
 protected:
  void make(Firmware firmware = Firmware::Current, StoredSettings settings = {},
            std::vector<unsigned char> backup = {}, std::set<std::uint64_t> lost = {}) {
    device.emplace(DeviceConfig{firmware, kBoot, 0, std::move(lost)}, settings, std::move(backup));
    now = 0;
  }
  // Resets the board and returns its start-up output.
  std::string boot() {
    device->reset(now);
    return run_to(now + ms(2000));
  }
  std::string run_to(Micros t) {
    now = t;
    device->advance(t);
    for (std::string& note : device->take_notes()) notes += note + "\n";
    return device->take_output(t);
  }
  std::string send(std::string_view bytes, Micros then = ms(50)) {
    device->receive(bytes, now);
    return run_to(now + then);
  }
  std::string sram(std::size_t from, std::size_t n) const {
    return {device->sram().begin() + from, device->sram().begin() + from + n};
  }

  std::optional<EmulatorDevice> device;
  Micros now = 0;
  std::string notes;
};

// --- start-up, reset and the receive buffer --------------------------------

TEST_F(EmulatorDeviceTest, TheStartUpLinesFollowTheBootPauseAtWireSpeed) {
  make();
  device->reset(0);
  EXPECT_EQ(device->next_deadline(), kBoot);
  EXPECT_EQ(run_to(kBoot - 1), "");
  const std::string first = run_to(kBoot + ms(10));
  EXPECT_EQ(first, kCurrentBanner.substr(0, 115));  // 11.52 bytes a millisecond
  EXPECT_EQ(first + run_to(kBoot + ms(30)), kCurrentBanner);

  make(Firmware::Old, {true, false, find_eprom("16")});
  EXPECT_EQ(boot(),
            "Config: Last EPROM used is 2716\r\n"
            "Option: Save to SPI EEPROM set to enable\r\n"
            "Option: Auto load from SPI EEPROM set to disable\r\n"
            "\r\n"
            "Emulator Started, waiting for computer contol\r\n"
            "-> HW: v1.9c @ 115200, FW: 2.0rc4, SPI: 1, Auto: 0, Last EPROM: 2716, "
            "zorvin-emusim\r\n");
}

TEST_F(EmulatorDeviceTest, BytesAreLostInTheBootPauseOnTheLineAndBeyondSixtyFourWhileBusy) {
  make(Firmware::Current, {}, {}, {72});
  device->reset(0);
  send("\n", ms(50));
  EXPECT_EQ(notes, "Byte 1 vom Host verloren in der Bootpause\n");
  std::string out = run_to(kBoot + ms(1));
  device->receive(std::string(70, '\n'), now);  // bytes 2-71 while the banner goes out
  out += run_to(kBoot + ms(100));
  EXPECT_EQ(out, kCurrentBanner + times(64, ">\r\n"));
  EXPECT_NE(notes.find("Bytes 66-71 vom Host verloren an den vollen Empfangspuffer"),
            std::string::npos);
  EXPECT_EQ(send("x\n:>\n"), ">\r\n<\r\n");  // byte 72, the x, is lost to noise
  EXPECT_NE(notes.find("Byte 72 vom Host verloren auf der Leitung"), std::string::npos);
}

TEST_F(EmulatorDeviceTest, AResetKeepsMemoryAndSettingsButTheCurrentFirmwareZeroes0001) {
  for (const Firmware firmware : {Firmware::Current, Firmware::Old}) {
    make(firmware);
    boot();
    send(std::string(sync_command(firmware)) + "\n:iniSPI1\n:iniAuto0\n:ini32\n");
    EXPECT_EQ(send(":SBN\n:0\n:4\nABCD"), "->in\r\nACK\r\n");
    EXPECT_NE(boot().find("Last EPROM: 2732"), std::string::npos);
    EXPECT_EQ(sram(0, 4), firmware == Firmware::Current ? std::string("A\0CD", 4) : "ABCD");
    EXPECT_EQ(device->loaded().size(), 4u);
  }
}

// --- auto-load -----------------------------------------------------------

TEST_F(EmulatorDeviceTest, TheCurrentFirmwareLoadsInRowsOf64DotsAndLeavesTheLastRowOpen) {
  std::vector<unsigned char> backup(3000, 'b');
  make(Firmware::Current, {false, true, find_eprom("16")}, backup);
  const std::string out = boot();
  // The bus is set for the stored part before the load and again after it.
  EXPECT_NE(out.find("enable\r\n-> Bus set to 2716 EPROM Memory\r\n-> Loading 2716 EPROM from SPI\r\n" +
                     times(16, ".") +
                     "-> Bus set to 2716 EPROM Memory\r\nDone loading from SPI EEPROM to SRAM\r\n"
                     "\r\nEmulator Started"),
            std::string::npos)
      << out;
  EXPECT_EQ(sram(0, 2049), std::string(2048, 'b') + '\0');  // 16 pages, 0001H overwritten
  EXPECT_FALSE(device->device_holds_bus());

  make(Firmware::Current, {false, true, find_eprom("512")});
  device->reset(0);
  std::string rows = run_to(kBoot + ms(1295));  // 2.54 ms a page
  EXPECT_EQ(rows.find("Done"), std::string::npos);
  rows += run_to(ms(3000));
  EXPECT_NE(rows.find("SPI\r\n" + times(8, times(64, ".") + "\r\n") + "-> Bus set to 27512"),
            std::string::npos);
  EXPECT_EQ(std::count(device->sram().begin(), device->sram().end(), 0xFF), 65536);
}

TEST_F(EmulatorDeviceTest, TheOldFirmwareLoadsOnePageMoreInRowsOf65AndEndsTheLastRow) {
  make(Firmware::Old, {false, true, find_eprom("16")});
  EXPECT_NE(boot().find("enable\r\n-> Bus set to 2716 EPROM Memory\r\n-> Loading 2716 EPROM from SPI\r\n" +
                        times(17, ".") + "\r\n-> Bus set to 2716"),
            std::string::npos);
  make(Firmware::Old, {false, true, find_eprom("512")});
  const std::string out = boot();
  EXPECT_NE(out.find(times(7, times(65, ".") + "\r\n") + times(58, ".") + "\r\n-> Bus"),
            std::string::npos);
}

// --- blocks --------------------------------------------------------------

TEST_F(EmulatorDeviceTest, NumbersAreReadAsParseIntDoes) {
  NumberReader reader;
  for (const char c : std::string_view("x :-12")) EXPECT_TRUE(reader.offer(c));
  EXPECT_FALSE(reader.offer('\n'));  // ends the number, stays unread
  EXPECT_EQ(reader.value(), 65536 - 12);
  reader.restart();
  for (const char c : std::string_view("1065545")) reader.offer(c);
  EXPECT_EQ(reader.value(), 1065545 % 65536);
  reader.restart();
  reader.offer('a');
  reader.time_out();
  EXPECT_TRUE(reader.done());
  EXPECT_EQ(reader.value(), 0);

  // On the board: the offset's wait runs out (offset 0), the count follows.
  make();
  boot();
  EXPECT_EQ(send(":SBN\n", ms(1500)), "->in\r\n");
  EXPECT_EQ(send("2\nXY"), "ACK\r\n");
  EXPECT_EQ(sram(0, 2), "XY");
}

TEST_F(EmulatorDeviceTest, BlocksWrapAt64KAndAStalledOneIsAcknowledgedWithStaleBytes) {
  make();
  boot();
  EXPECT_EQ(send(":SBN\n:65534\n:4\nWXYZ"), "->in\r\nACK\r\n");
  EXPECT_EQ(sram(65534, 2) + sram(0, 2), "WXYZ");
  EXPECT_EQ(device->loaded().size(), 65536u);

  send(":SBN\n:100\n:8\nxy", ms(999));
  EXPECT_EQ(run_to(now + ms(2)), "ACK\r\n");  // a second after the last byte
  EXPECT_EQ(sram(100, 8), "xyYZ\0\0\0\0"s);    // the rest is the earlier block's
  EXPECT_NE(notes.find("Block an 100 blieb nach 2 von 8 Datenbytes stecken"), std::string::npos);
}

TEST_F(EmulatorDeviceTest, BlocksOfMoreThan512AreReadButRefused) {
  make();
  boot();
  EXPECT_EQ(send(":SBN\n:0\n:-1\n" + std::string(600, 'z'), ms(1500)), "->in\r\n");
  EXPECT_NE(notes.find("Protokollfehler: Block von 65535 Bytes an 0 abgewiesen"), std::string::npos);
  // The line feed and 513 bytes are read, what follows is a command again.
  EXPECT_EQ(send(":SBN\n:0\n:513\n" + std::string(513, 'z') + ":>\n"), "->in\r\n<\r\n");
  EXPECT_NE(notes.find("Block von 513 Bytes an 0 abgewiesen"), std::string::npos);
  EXPECT_EQ(device->loaded().size(), 0u);
}

TEST_F(EmulatorDeviceTest, WritesGoNowhereWhileTheTargetRuns) {
  make();
  boot();
  send(":SBN\n:0\n:1\nA:EMUON\n:SBN\n:1\n:2\nBC");
  EXPECT_EQ(device->take_emulation_start(), std::vector<unsigned char>{'A'});
  EXPECT_EQ(device->loaded().size(), 1u);  // B and C went nowhere

  make(Firmware::Old);
  boot();
  EXPECT_EQ(send("\n:>\n:EMUOFF\n:iniE64\n:SBN\n:0\n:2\nAB"), "->in\r\nACK\r\n");
  EXPECT_EQ(device->loaded().size(), 0u);  // the target owns the bus until :dml
  EXPECT_EQ(send(":dml\n"),
            "-> HW: v1.9c @ 115200, FW: 2.0rc4, SPI: 0, Auto: 0, Last EPROM: 27512, "
            "zorvin-emusim\r\n-> Bus set to 27512 EPROM Memory\r\n");
  send(":SBN\n:0\n:2\nAB");
  EXPECT_EQ(sram(0, 2), "AB");
  EXPECT_EQ(send(":EMUON\n"), "-> Emulator Running!\r\n");
}

TEST_F(EmulatorDeviceTest, WithSpiSaveBlocksGoToTheBackupTooAndTakeFiveMsAPage) {
  make();
  boot();
  send(":iniSPI1\n:ini64\n");
  device->receive(":SBN\n:10\n:129\n" + std::string(129, 's') + "\n", now);
  EXPECT_EQ(run_to(now + ms(9)), "->in\r\n");
  EXPECT_EQ(run_to(now + ms(2)), "ACK\r\n>\r\n");  // the line feed waited in the buffer
  EXPECT_EQ(std::string(device->backup().begin() + 10, device->backup().begin() + 140),
            std::string(129, 's') + '\xFF');
  EXPECT_EQ(device->settings().last_eprom->name, "2764");
  EXPECT_EQ(send(":SPICLR\n"), "->ERASED SPI EEPROM\r\n");
  EXPECT_EQ(std::count(device->backup().begin(), device->backup().end(), 0xFF), 65536);
}

TEST_F(EmulatorDeviceTest, HelpListsTheCommandsOnLinesEndedByLineFeedsOnlyOnTheCurrentFirmware) {
  make();
  boot();
  const std::string help = send(":help\n", ms(200));  // some 1000 bytes at wire speed
  EXPECT_TRUE(help.starts_with("-> Help for remote control commands (case sensitive)\n:EMUOFF   Get sync or stop "
                               "emulation \n:EMUON    Start emulation\n"))
      << help;
  EXPECT_TRUE(help.ends_with(":iniAuto1 Set auto load on\n:help     This help\n\r\n")) << help;
  EXPECT_EQ(std::count(help.begin(), help.end(), '\n'), 18);  // 17 lines and the reply's end
  EXPECT_EQ(std::count(help.begin(), help.end(), '\r'), 1);
  EXPECT_EQ(send("?\n", ms(200)), help);
  EXPECT_EQ(send("help\n", ms(200)), help);
  EXPECT_EQ(send(":HELP\n"), "");  // commands are case sensitive

  make(Firmware::Old);
  boot();
  EXPECT_EQ(send(":help\n?\n"), "");
}

// The adapter: a packet when 62 bytes are there, else when the latency
// timer runs out, 16 ms after the first byte the packet holds.
TEST(UsbAdapter, PassesBytesOnInFullPacketsOrWhenItsTimerRunsOut) {
  struct Case {
    Micros latency;
    std::vector<std::pair<Micros, std::string>> from_board;
    std::vector<std::pair<Micros, std::string>> to_host;  // what take() gives at each time
  };
  const std::string full(62, 'x');
  const std::vector<Case> cases = {
      {ms(16), {{0, "->in\r\n"}, {ms(10), "ACK\r\n"}}, {{ms(15), ""}, {ms(16), "->in\r\nACK\r\n"}}},
      {ms(16), {{0, full + "ab"}}, {{0, full}, {ms(16) - 1, ""}, {ms(16), "ab"}}},
      {ms(16), {{0, "a"}, {ms(20), "b"}}, {{ms(16), "a"}, {ms(35), ""}, {ms(36), "b"}}},
      {0, {{0, "a"}, {5, "b"}}, {{5, "ab"}}},
  };
  for (const Case& c : cases) {
    UsbAdapter adapter(c.latency);
    std::string got;
    std::size_t next_in = 0;
    for (const auto& [at, expected] : c.to_host) {
      while (next_in < c.from_board.size() && c.from_board[next_in].first <= at) {
        adapter.receive(c.from_board[next_in].second, c.from_board[next_in].first);
        ++next_in;
      }
      EXPECT_EQ(adapter.take(at), expected) << "at " << at;
    }
    EXPECT_EQ(adapter.next_due(), std::nullopt);
  }
}

TEST(EmulatorDeviceStream, GoesOutAtWireSpeedWithEscapesDecoded) {
  RepeatingText stream(decode_escapes("ab\\r\\n\\x"));
  stream.start(ms(5));
  EXPECT_EQ(stream.take(ms(5) + 530), "ab\r\n\\x");
  EXPECT_EQ(stream.take(ms(6)), "ab\r\n\\");
}

}  // namespace
}  // namespace zorvin::emusim
