// The status report: which notices are printed, which are spoken and in
// what parts.
#include "app/monitor_state.h"
#include "app/status.h"
#include "network/stations.h"
#include "opendata/parse.h"
#include "platform/console.h"
#include "platform/speech.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const char normal[] = "現在、平常どおり運転しています。";
const char suspended[] = "渋谷駅での人身事故のため、全線で運転を見合わせています。";
const char stamp[] = "2014-10-14T10:15:02+09:00";

struct StatusTest : ::testing::Test {
    std::unique_ptr<MonitorState> owned = std::make_unique<MonitorState>();
    MonitorState& st = *owned;
    std::string out;

    void SetUp() override
    {
        configureSpeech(SpeechSettings{true, ""});
        for (TrainInfoRecord& r : infoRecords)
            r = TrainInfoRecord{};
        sound_flag = 1;
        speech_clear_record();
        console_capture(&out);
    }
    void TearDown() override
    {
        console_capture(nullptr);
        sound_flag = 1;
    }

    void set_notice(int slot, int railway, const char* text, const char* origin = "2014-10-14T09:58:00+09:00",
                    const char* date = stamp)
    {
        TrainInfoRecord& r = infoRecords[slot];
        r.date = date;
        r.railway = railways[railway].railwayId;
        r.timeOfOrigin = origin;
        r.informationText = text;
    }

    // Reports once; returns what was printed and leaves the phrases in `said`.
    std::string report()
    {
        out.clear();
        speech_clear_record();
        reportStatus(st);
        said = speech_recorded();
        return out;
    }
    std::vector<std::string> said;
};

}  // namespace

TEST_F(StatusTest, NormalNoticesArePrintedOnceAndNeverSpoken)
{
    for (int i = 0; i < 9; ++i)
        set_notice(i, i, normal);
    std::string expected;
    for (int i = 0; i < 9; ++i)
        expected += std::string("2014-10-14T10:15:02 ") + railways[i].name + " " + normal + "\n";
    EXPECT_EQ(report(), expected);
    EXPECT_TRUE(said.empty());

    EXPECT_EQ(report(), "");
    EXPECT_TRUE(said.empty());

    // Slots are compared by position: the same notices in another order are new.
    std::swap(infoRecords[0], infoRecords[1]);
    infoRecords[1].date = "2014-10-14T10:16:32+09:00";
    EXPECT_EQ(report(), std::string("2014-10-14T10:16:32 ") + railways[0].name + " " + normal + "\n");
}

TEST_F(StatusTest, DisruptionIsSpokenEveryTimeButPrintedOnlyWhenNew)
{
    set_notice(0, 3, suspended);
    EXPECT_EQ(report(), std::string("2014-10-14T10:15:02 ") + railways[3].name + " " + suspended + "\n");
    EXPECT_EQ(said, (std::vector<std::string>{railways[3].name, suspended}));

    EXPECT_EQ(report(), "");
    EXPECT_EQ(said, (std::vector<std::string>{railways[3].name, suspended}));

    infoRecords[0].date = "2014-10-14T10:20:02+09:00";
    EXPECT_NE(report(), "");
    EXPECT_EQ(said.size(), 2u);

    // The stamp holds only 19 bytes: a change after them is not news.
    infoRecords[0].date = "2014-10-14T10:20:02+00:00";
    EXPECT_EQ(report(), "");

    sound_flag = 0;
    infoRecords[0].date = "2014-10-14T10:30:02+09:00";
    EXPECT_NE(report(), "");
    EXPECT_TRUE(said.empty());
    EXPECT_EQ(report(), "");
    EXPECT_TRUE(said.empty());
}

TEST_F(StatusTest, LongTextsAreSpokenInPartsOfAtMost200Bytes)
{
    std::string text;
    for (int i = 0; i < 225; ++i)
        text += "運";
    ASSERT_EQ(text.size(), 450u);
    set_notice(0, 0, text.c_str());
    report();
    ASSERT_EQ(said.size(), 4u);
    EXPECT_EQ(said[0], railways[0].name);
    EXPECT_EQ(said[1], text.substr(0, 200));
    EXPECT_EQ(said[2], text.substr(200, 200));
    EXPECT_EQ(said[3], text.substr(400));

    // With single-byte characters a part holds 100 characters, fewer bytes,
    // and never ends inside a double-byte character.
    std::string mixed = "A";
    for (int i = 0; i < 150; ++i)
        mixed += "線";
    set_notice(0, 0, mixed.c_str(), "2014-10-14T09:58:00+09:00", "2014-10-14T11:00:00+09:00");
    report();
    ASSERT_EQ(said.size(), 3u);
    EXPECT_EQ(said[1], mixed.substr(0, 199));
    EXPECT_EQ(said[2], mixed.substr(199));

    // Exactly 200 bytes go in one call.
    set_notice(0, 0, text.substr(0, 200).c_str(), "2014-10-14T09:58:00+09:00", "2014-10-14T12:00:00+09:00");
    report();
    EXPECT_EQ(said.size(), 2u);
}

TEST_F(StatusTest, WhatIsNotADisruption)
{
    // A short time of origin is never spoken, though the notice is printed.
    set_notice(0, 1, suspended, "null");
    set_notice(1, 2, "データがありません");
    set_notice(2, 4, "", "");
    EXPECT_EQ(report(), std::string("2014-10-14T10:15:02 ") + railways[1].name + " " + suspended + "\n" +
                            "2014-10-14T10:15:02 " + railways[2].name + " データがありません\n" +
                            "2014-10-14T10:15:02 " + railways[4].name + " データがありません\n");
    EXPECT_TRUE(said.empty());

    // A notice without text that still counts as a disruption speaks the fallback.
    set_notice(3, 5, "", "2014-10-14T09:58:00+09:00");
    report();
    EXPECT_EQ(said, (std::vector<std::string>{railways[5].name, "データがありません\n"}));
}

TEST_F(StatusTest, EmptySlotsPrintNothingAndTheBranchNamesItsLine)
{
    EXPECT_EQ(report(), "");
    EXPECT_TRUE(said.empty());

    set_notice(4, 0, normal);
    infoRecords[4].railway = "odpt.Railway:TokyoMetro.MarunouchiBranch";
    EXPECT_EQ(report(), std::string("2014-10-14T10:15:02 ") + railways[1].name + " " + normal + "\n");
}

TEST_F(StatusTest, ControlBytesOfANoticeNeverReachTheConsoleButAreSpoken)
{
    std::string text = std::string("\x1b[2J現在、\r\b平常\x7f") + suspended + "\n";
    set_notice(0, 6, text.c_str());
    EXPECT_EQ(report(),
              std::string("2014-10-14T10:15:02 ") + railways[6].name + " [2J現在、平常" + suspended + "\n");
    EXPECT_EQ(said, (std::vector<std::string>{railways[6].name, text}));
}
