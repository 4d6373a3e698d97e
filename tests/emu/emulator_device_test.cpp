#include <gtest/gtest.h>

#include "emulator_device.h"

namespace zorvin::emusim {
namespace {

class Device : public ::testing::Test {
 protected:
  // Feeds bytes at time `now` and returns what the device answered.
  std::vector<std::string> feed(std::string_view bytes, std::int64_t now = 0) {
    DeviceOutput out;
    device.receive(bytes, now, out);
    for (const auto& e : out.errors) errors.push_back(e);
    started = started || out.emulation_started;
    return out.replies;
  }
  std::vector<std::string> tick(std::int64_t now) {
    DeviceOutput out;
    device.give_up_if_due(now, out);
    for (const auto& e : out.errors) errors.push_back(e);
    return out.replies;
  }
  std::string loaded() const { return {device.loaded().begin(), device.loaded().end()}; }

  EmulatorDevice device;
  std::vector<std::string> errors;
  bool started = false;
};

TEST_F(Device, CommandsAreCaseSensitiveLinesWithCrIgnored) {
  EXPECT_EQ(feed(":iniSPI1\r\n"), std::vector<std::string>{"-> SPI save ON"});
  EXPECT_EQ(feed(":iniAuto1\n:iniAuto0\n"),
            (std::vector<std::string>{"-> Auto Load ON", "-> Auto Load OFF"}));
  EXPECT_EQ(feed(":ini256\n:iniE64\n:iniE256\n"),
            (std::vector<std::string>{"-> Bus set to 27256 EPROM Memory",
                                      "-> Bus set to 28C64 EPROM Memory",
                                      "-> Bus set to 28C256 EEPROM Memory"}));
  EXPECT_TRUE(feed(":emuon\n:iniSPI2\n:ini1024\n").empty());
  const std::vector<std::string> off = feed(":EMU");
  EXPECT_TRUE(off.empty());  // not a line yet
  const std::vector<std::string> reply = feed("OFF\n");
  ASSERT_EQ(reply.size(), 2u);
  EXPECT_NE(reply[0].find("SPI: 1, Auto: 0"), std::string::npos);  // the state it was given
  EXPECT_EQ(reply[1], "-> Bus set to 27512 EPROM Memory");
  EXPECT_FALSE(started);
  EXPECT_EQ(feed(":EMUON\n"), std::vector<std::string>{"-> Emulator Running."});
  EXPECT_TRUE(started);
  EXPECT_TRUE(errors.empty());
}

TEST_F(Device, ABlockIsStoredAtItsOffsetAndAcknowledged) {
  EXPECT_EQ(feed(":SBN\n"), std::vector<std::string>{"->in"});
  // Bytes that look like commands are data here.
  EXPECT_EQ(feed(":4\nx6\r\n\n:SBN\n"), std::vector<std::string>{"ACK"});
  EXPECT_EQ(loaded(), std::string("\0\0\0\0\n:SBN\n", 10));
  EXPECT_EQ(feed(":SBN\n:0\n:2\nAB"), (std::vector<std::string>{"->in", "ACK"}));
  EXPECT_EQ(loaded(), std::string("AB\0\0\n:SBN\n", 10));
  EXPECT_EQ(feed(":SBN\n:9\n:0\n"), (std::vector<std::string>{"->in", "ACK"}));
  EXPECT_EQ(loaded().size(), 10u);
  EXPECT_TRUE(errors.empty());

  device.reset();
  EXPECT_EQ(loaded(), "");
}

TEST_F(Device, ItGivesUpOnMissingOffsetLengthOrDataAfterOneSecond) {
  feed(":SBN\n", 0);
  EXPECT_EQ(device.deadline(), std::optional<std::int64_t>(1000));
  tick(999);
  EXPECT_TRUE(errors.empty());
  tick(1000);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("offset"), std::string::npos);
  EXPECT_EQ(device.deadline(), std::nullopt);
  EXPECT_EQ(feed(":iniSPI0\n", 1100), std::vector<std::string>{"-> SPI save OFF"});

  feed(":SBN\n:0\n", 2000);
  tick(3000);
  EXPECT_NE(errors.at(1).find("length"), std::string::npos);

  feed(":SBN\n:0\n:4\nAB", 4000);
  feed("C", 4900);  // each byte restarts the second
  tick(5800);
  EXPECT_EQ(errors.size(), 2u);
  // A late byte is seen as the start of a command once the device gave up.
  EXPECT_TRUE(feed("\n:EMUON\n", 6000).size() == 1);
  EXPECT_NE(errors.at(2).find("data byte 3 of 4"), std::string::npos);
  EXPECT_EQ(loaded(), "ABC");
}

TEST_F(Device, BadNumbersAndBlocksPastTheMemoryAreProtocolErrors) {
  EXPECT_EQ(feed(":SBN\n:\n"), std::vector<std::string>{"->in"});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(feed(":SBN\n:65534\n:4\nWXYZ"), (std::vector<std::string>{"->in", "ACK"}));
  EXPECT_EQ(errors.size(), 2u);
  EXPECT_EQ(loaded().size(), EmulatorDevice::kMemorySize);
  EXPECT_EQ(loaded().substr(65534), "WX");
}

TEST(ParseLineNumber, SkipsLeadingNonDigits) {
  EXPECT_EQ(parse_line_number(":128"), std::optional<std::size_t>(128));
  EXPECT_EQ(parse_line_number("  x1920y5"), std::optional<std::size_t>(1920));
  EXPECT_EQ(parse_line_number(":"), std::nullopt);
  EXPECT_EQ(parse_line_number("99999999999999999999"), std::nullopt);
}

}  // namespace
}  // namespace zorvin::emusim
