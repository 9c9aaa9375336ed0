#include "link/send_cli.h"
#include "standin/stand_in_machines.h"
#include "support/fakes.h"
#include "support/in_language.h"

#include <gtest/gtest.h>

namespace {

// The command's words are asserted in English.
class SendCommandLine : public testing::Test {
    kq::test::InLanguage english{kq::Language::English};
};

TEST_F(SendCommandLine, PrintsTheFrameAndEveryReply) {
    kq::test::TempHome home;
    const auto machines = home.startMachines({1, 2});
    ASSERT_TRUE(machines);

    testing::internal::CaptureStdout();
    EXPECT_EQ(kq::link::runSendCommand({"--machine", "0", "8010", "--wait", "50"}), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("(17 bytes): 5A 45 4C 55 4E 41 2D 4E 45 54 00 01 00 00 80 10 03"), std::string::npos) << out;
    EXPECT_NE(out.find("reply 1 (16 bytes): 4B 51"), std::string::npos) << out;
    EXPECT_NE(out.find("reply 2 (16 bytes): 4B 51"), std::string::npos) << out;
}

TEST_F(SendCommandLine, RefusesBadArgumentsAndForbiddenDestinations) {
    kq::test::TempHome home; // no loopback settings: the machines' real broadcast address
    kq::test::TempHome::usePrivatePluginListener();
    const QStringList bad[] = {
        {"8010"},
        {"--machine", "256", "8010"},
        {"--machine", "1"},
        {"--machine", "1", "80"},
        {"--machine", "1", "8013", "0A1"},
        {"--machine", "1", "8013", "0G"},
        {"--machine", "1", "8010", "--bogus"},
    };
    testing::internal::CaptureStderr();
    for (const QStringList& args : bad)
        EXPECT_EQ(kq::link::runSendCommand(args), 2) << args.join(' ').toStdString();
    testing::internal::CaptureStdout();
    EXPECT_EQ(kq::link::runSendCommand({"--machine", "1", "8010", "--wait", "0"}), 1);
    testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("odd number of digits"), std::string::npos) << err;
    EXPECT_NE(err.find("nothing was sent to 255.255.255.255:4800"), std::string::npos) << err;
}

} // namespace
