#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "emu/emulator_transfer.h"
#include "emu/port_discovery.h"
#include "emu/reply_wait.h"
#include "emu_test_pty.h"
#include "simulator_process.h"

namespace zorvin::emu {
namespace {

namespace fs = std::filesystem;
using testing::RecordingView;
using testing::SimulatorProcess;

class Simulator : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("zorvin_emusim_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string path(const std::string& name) const { return (dir / name).string(); }

  std::string image_file(std::size_t size) {
    std::mt19937 random(static_cast<unsigned>(size) + 1);
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    std::ofstream(path("image.bin"), std::ios::binary) << bytes;
    return bytes;
  }

  static std::string read_file(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }

  fs::path dir;
  SerialPorts ports;
  RecordingView view;
  settings::Settings settings;
};

TEST_F(Simulator, DiscoveryFindsTheAdaptersUnderThePrefixAndSelectsTheConfiguredOne) {
  SimulatorProcess first(path("ttyS0"), {"--banner-delay", "0"});
  SimulatorProcess second(path("ttyS3"), {"--banner-delay", "0"});
  ASSERT_TRUE(first.ok() && second.ok());
  settings.port_prefix = path("ttyS");
  const std::vector<std::string> both = {path("ttyS0"), path("ttyS3")};

  settings.port_name = path("ttyS3");
  PortList list = discover_ports(ports, settings);
  EXPECT_EQ(list.names, both);
  EXPECT_EQ(list.selected, 1);
  EXPECT_FALSE(ports.is_open(0));

  settings.port_name = "COM4";
  list = discover_ports(ports, settings);
  EXPECT_EQ(list.names, both);
  EXPECT_EQ(list.selected, 0);

  settings.port_prefix = path("ttyACM");
  list = discover_ports(ports, settings);
  EXPECT_TRUE(list.names.empty());
  EXPECT_EQ(list.selected, -1);

  EXPECT_EQ(first.stop(), 0);
  EXPECT_FALSE(first.link_exists());
}

TEST_F(Simulator, TheExampleTransferGetsOneReplyPerWaitAndLoadsTheImage) {
  SimulatorProcess sim(path("ttyUSB0"), {"--banner-delay", "0", "--dump", path("dump.bin"),
                                         "--log", path("log.txt")});
  ASSERT_TRUE(sim.ok());
  settings.port_name = path("ttyUSB0");
  settings.eprom_code = "64";
  settings.spi_flag = 0;
  settings.auto_load = 1;
  const std::string image = image_file(200);
  // Production timing: a prompt device answers every wait at its first poll.
  emulator_transfer(path("image.bin"), settings, ports, view);

  const std::string version =
      "-> HW: v2.1, FW: 2.0rc12, SPI: 0, Auto: 0, Last EPROM: 27512, zorvin-emusim";
  EXPECT_EQ(view.lines,
            (std::vector<std::string>{
                path("ttyUSB0") + " geöffnet, warte auf Eprom Emulator ...",
                "-> Bus set to 27512 EPROM MemoryConfig: Last EPROM used is 27512"
                "Option: Save to SPI EEPROM set to disable"
                "Option: Auto load from SPI EEPROM set to disable"
                "Emulator Started, waiting for computer contol" + version,
                version + "-> Bus set to 27512 EPROM Memory", "-> SPI save OFF",
                "-> Auto Load ON", "->inACK", "->inACK", "-> Bus set to 2764 EPROM Memory",
                "-> Emulator Running.", path("ttyUSB0") + " geschlossen"}));
  EXPECT_EQ(view.scrolls, 8);
  EXPECT_TRUE(read_file(path("dump.bin")) == image + std::string(56, '\0'));

  EXPECT_EQ(sim.stop(), 0);
  EXPECT_FALSE(sim.link_exists());
  const std::string log = read_file(path("log.txt"));
  EXPECT_NE(log.find("RX \":EMUOFF\\n\""), std::string::npos);
  EXPECT_NE(log.find("TX \"-> Emulator Running.\\r\\n\""), std::string::npos);
  EXPECT_EQ(log.find("protocol error"), std::string::npos);
}

TEST_F(Simulator, AFullImageArrivesWholeAndOnceEndsTheSimulatorAfterward) {
  SimulatorProcess sim(path("ttyUSB1"),
                       {"--banner-delay", "0", "--dump", path("dump.bin"), "--once"});
  ASSERT_TRUE(sim.ok());
  settings.port_name = path("ttyUSB1");
  settings.eprom_code = "E256";
  const std::string image = image_file(2048);
  emulator_transfer(path("image.bin"), settings, ports, view);

  EXPECT_EQ(view.scrolls, 22);
  EXPECT_EQ(std::count(view.lines.begin(), view.lines.end(), "->inACK"), 16);
  EXPECT_TRUE(read_file(path("dump.bin")) == image);
  EXPECT_EQ(sim.wait_for_exit(3000), 0);
  EXPECT_FALSE(sim.link_exists());
}

TEST_F(Simulator, ASilentSimulatorNeverAnswers) {
  SimulatorProcess sim(path("ttyUSB2"), {"--banner-delay", "0", "--silent"});
  ASSERT_TRUE(sim.ok());
  settings.port_name = path("ttyUSB2");
  image_file(10);
  emulator_transfer(path("image.bin"), settings, ports, view,
                    {.reply_timeout_ms = 100, .poll_interval_ms = 50, .first_event_wait_ms = 0});
  EXPECT_EQ(view.lines, (std::vector<std::string>{
                            path("ttyUSB2") + " geöffnet, warte auf Eprom Emulator ...",
                            path("ttyUSB2") + " geschlossen"}));
  EXPECT_EQ(view.scrolls, 7);
}

TEST_F(Simulator, ABlockThatStopsShortIsAcknowledgedAfterASecondAndLogged) {
  SimulatorProcess sim(path("ttyUSB3"),
                       {"--banner-delay", "0", "--reply-delay", "50", "--log", path("log.txt")});
  ASSERT_TRUE(sim.ok());
  ASSERT_NE(ports.open(kEmulatorPort, path("ttyUSB3"), {}), 0);
  EXPECT_TRUE(wait_reply(ports, view, 1000, 100, false));  // the banner
  ports.write_text(kEmulatorPort, ":SBN\n:0\n:128\nonly a few bytes", 1000);
  EXPECT_TRUE(wait_reply(ports, view, 1000, 100, false));
  EXPECT_EQ(view.lines.back(), "->in");
  // The board gives up after one second, acknowledges and takes commands again.
  EXPECT_TRUE(wait_reply(ports, view, 1300, 100, false));
  EXPECT_EQ(view.lines.back(), "ACK");
  ports.write_text(kEmulatorPort, ":EMUON\n", 1000);
  EXPECT_TRUE(wait_reply(ports, view, 1000, 100, false));
  EXPECT_EQ(view.lines.back(), "-> Emulator Running.");
  ports.close(kEmulatorPort);

  EXPECT_EQ(sim.stop(), 0);
  EXPECT_NE(read_file(path("log.txt")).find("block at 0 stalled after 16 of 128 data bytes"),
            std::string::npos);
}

TEST_F(Simulator, BadOptionsAndAnOccupiedLinkPathAreRefused) {
  std::ofstream(path("file")).close();
  SimulatorProcess on_a_file(path("file"), {});
  EXPECT_EQ(on_a_file.wait_for_exit(3000), 1);
  EXPECT_EQ(read_file(path("file")), "");
  SimulatorProcess bad_delay(path("ttyUSB4"), {"--banner-delay", "soon"});
  EXPECT_EQ(bad_delay.wait_for_exit(3000), 2);
  EXPECT_FALSE(bad_delay.link_exists());
}

}  // namespace
}  // namespace zorvin::emu
