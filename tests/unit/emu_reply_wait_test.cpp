#include <gtest/gtest.h>

#include <thread>

#include "emu/clock.h"
#include "emu/reply_wait.h"
#include "emu_test_pty.h"

namespace zorvin::emu {
namespace {

using testing::RecordingView;
using testing::TestPty;

constexpr int kPoll = 50;
constexpr int kTimeout = 400;

class ReplyWait : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(ports.open(kEmulatorPort, pty.slave_name(), {}), 0); }

  // The device's bytes, there before the first poll.
  bool wait_after(std::string_view reply, bool report_timeout = false) {
    pty.send(reply);
    return wait_reply(ports, view, kTimeout, kPoll, report_timeout);
  }

  TestPty pty;
  SerialPorts ports;
  RecordingView view;
};

TEST_F(ReplyWait, ALineEndedByCrLfIsShownWithoutItsLineEnds) {
  const std::int64_t start = elapsed_ms();
  EXPECT_TRUE(wait_after("OK\r\n"));
  const std::int64_t took = elapsed_ms() - start;
  EXPECT_EQ(view.lines, std::vector<std::string>{"OK"});
  EXPECT_EQ(view.scrolls, 1);
  // Answered at the first poll: one interval, not the timeout.
  EXPECT_GE(took, kPoll);
  EXPECT_LT(took, kTimeout);
}

TEST_F(ReplyWait, SeveralLinesInOneRoundBecomeOneLine) {
  EXPECT_TRUE(wait_after("A\r\nB\r\n"));
  EXPECT_TRUE(wait_after("\r\n"));
  EXPECT_TRUE(wait_after("->in\r\nACK\r\ntail"));  // bytes after the reply go with it
  EXPECT_TRUE(wait_after("x\ry\n\r\n"));             // lone CR and LF stay
  EXPECT_EQ(view.lines, (std::vector<std::string>{"AB", "", "->inACKtail", "x\ry\n"}));
}

TEST_F(ReplyWait, BytesAreLatin1Characters) {
  EXPECT_TRUE(wait_after("Gr\xF6\xDF" "e\r\n"));
  EXPECT_EQ(view.lines, std::vector<std::string>{"Gr\u00F6\u00DFe"});
}

TEST_F(ReplyWait, AZeroByteBeforeTheLineEndHidesTheReplyOfThatRound) {
  const std::int64_t start = elapsed_ms();
  EXPECT_FALSE(wait_after(std::string("OK\0\r\n", 5)));
  EXPECT_GE(elapsed_ms() - start, kTimeout);
  EXPECT_TRUE(view.lines.empty());
  EXPECT_EQ(view.scrolls, 1);
}

TEST_F(ReplyWait, ATimeoutIsReportedOnlyWhenAsked) {
  EXPECT_FALSE(wait_after("no line end", true));
  EXPECT_EQ(view.lines,
            std::vector<std::string>{"Fehler bei der Übertragung - Wartezeit abgelaufen"});
  EXPECT_EQ(view.scrolls, 1);
}

TEST_F(ReplyWait, OnlyThePartOfASplitReplyThatHoldsTheLineEndIsShown) {
  std::thread device([&] {
    pty.send("HEL");
    // Once the host has taken the first part, the rest comes in a later round.
    while (pty.waiting_at_host() < 3) delay_ms(1);
    while (pty.waiting_at_host() > 0) delay_ms(1);
    pty.send("LO\r\n");
  });
  EXPECT_TRUE(wait_reply(ports, view, 2000, kPoll, false));
  device.join();
  EXPECT_EQ(view.lines, std::vector<std::string>{"LO"});
}

}  // namespace
}  // namespace zorvin::emu
