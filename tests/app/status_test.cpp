// The status report: which notices are printed, which are spoken and in
// what parts.
#include "app/monitor_state.h"
#include "app/status.h"
#include "network/stations.h"
#include "opendata/fetch.h"
#include "opendata/normalise_v4.h"
#include "opendata/parse.h"
#include "platform/charset.h"
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
// 2014-10-14T10:15:02+09:00, the moment the tests report at unless they say otherwise.
constexpr std::int64_t kReportTime = 1413249302;

struct StatusTest : ::testing::Test {
    std::unique_ptr<MonitorState> owned = std::make_unique<MonitorState>();
    MonitorState& st = *owned;
    std::string out;

    // The version whose rule decides what is new.
    virtual ApiVersion version() const { return ApiVersion::V2; }

    void SetUp() override
    {
        ApiSettings api;
        api.version = version();
        configureFetch(api);
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
        configureFetch(ApiSettings{});
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

    // Reports once at Unix time now; returns what was printed and leaves the
    // phrases in `said`.
    std::string report(std::int64_t now = kReportTime)
    {
        out.clear();
        speech_clear_record();
        reportStatus(st, now);
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

TEST_F(StatusTest, AKeyInANoticeIsMaskedOnTheConsoleAndInSpeechWhateverItsForm)
{
    const std::string key = "5e6d0c1b7a2f4e9d8c3b6a5f4e1d0c9b";
    ApiSettings api;
    api.consumerKey = key;
    configureFetch(api);
    // Control bytes between its characters, which the console line drops,
    // and long enough that the speech cuts it in parts across the key.
    const std::string split = key.substr(0, 5) + "\x01" + key.substr(5, 20) + "\x7f" + key.substr(25);
    const std::string text = suspended + std::string(150, 'x') + split + " " + split + "。";
    set_notice(0, 6, text.c_str());
    std::string printed = report();
    std::string spoken;
    for (const std::string& phrase : said)
        spoken += phrase;
    for (const std::string* shown : {&printed, &spoken}) {
        EXPECT_EQ(shown->find(key.substr(0, 8)), std::string::npos) << *shown;
        EXPECT_EQ(shown->find(key.substr(25)), std::string::npos) << *shown;
        EXPECT_NE(shown->find(std::string(150, 'x') + "*** ***。"), std::string::npos) << *shown;
    }
    EXPECT_GT(said.size(), 2u) << "spoken in parts";
}

namespace {

// Version 4: every object of an answer carries the answer's generation time.
struct StatusV4Test : StatusTest {
    ApiVersion version() const override { return ApiVersion::V4; }

    // A version-4 answer as the rewrite leaves it: the nine lines in table
    // order, one generation date, no origin, a status only when disrupted.
    void answer(const char* generated)
    {
        for (int k = 0; k < railwayCount; ++k) {
            set_notice(k, k, normal, "", generated);
            infoRecords[k].informationStatus.clear();
        }
    }
    // The console line of a new notice.
    static std::string line(const char* when, int railway, const std::string& text)
    {
        return std::string(when) + " " + railways[railway].name + " " + text + "\n";
    }
};

const char delayed[] = "８時１２分頃、門前仲町駅で急病人の救護を行った影響で、ダイヤが乱れています。";

}  // namespace

TEST_F(StatusV4Test, ANoticeIsNewWhenItsLineSaysSomethingElseNotWhenTheAnswerIsRenewed)
{
    answer("2026-11-20T08:40:00+09:00");
    std::string nine;
    for (int k = 0; k < railwayCount; ++k)
        nine += line("2014-10-14T10:15:02", k, normal);
    EXPECT_EQ(report(), nine);

    // Renewed five minutes later, and listed in another order: nothing is news.
    answer("2026-11-20T08:45:00+09:00");
    std::swap(infoRecords[0], infoRecords[8]);
    std::swap(infoRecords[2], infoRecords[5]);
    EXPECT_EQ(report(kReportTime + 300), "");

    // A disruption without an origin is stamped with the moment it was first
    // seen, and keeps that stamp; it is spoken at every refresh all the same.
    answer("2026-11-20T08:50:00+09:00");
    infoRecords[3].informationStatus = "ダイヤ乱れ";
    infoRecords[3].informationText = delayed;
    EXPECT_EQ(report(kReportTime + 600), line("2014-10-14T10:25:02", 3, delayed));
    EXPECT_EQ(said, (std::vector<std::string>{railways[3].name, delayed}));
    answer("2026-11-20T08:55:00+09:00");
    infoRecords[3].informationStatus = "ダイヤ乱れ";
    infoRecords[3].informationText = delayed;
    std::swap(infoRecords[3], infoRecords[4]);
    EXPECT_EQ(report(kReportTime + 900), "");
    EXPECT_EQ(said, (std::vector<std::string>{railways[3].name, delayed}));

    // A new status alone is news; so is an origin given later, which becomes the stamp.
    infoRecords[4].informationStatus = "運転見合わせ";
    EXPECT_EQ(report(kReportTime + 1200), line("2014-10-14T10:35:02", 3, delayed));
    infoRecords[4].timeOfOrigin = "2026-11-20T08:12:00+09:00";
    EXPECT_EQ(report(kReportTime + 1500), line("2026-11-20T08:12:00", 3, delayed));
    // The line back to normal is news again, stamped when seen.
    answer("2026-11-20T09:00:00+09:00");
    EXPECT_EQ(report(kReportTime + 1800), line("2014-10-14T10:45:02", 3, normal));
    EXPECT_TRUE(said.empty());
}

TEST_F(StatusV4Test, TheBranchSpeaksForItsMainLineAndALostNoticeIsNewsOnce)
{
    answer("2026-11-20T08:40:00+09:00");
    report();
    // The branch's disruption in 丸ノ内線's slot, then the main line's normal notice again.
    infoRecords[1].railway = "odpt.Railway:TokyoMetro.MarunouchiBranch";
    infoRecords[1].informationStatus = "ダイヤ乱れ";
    infoRecords[1].informationText = delayed;
    EXPECT_EQ(report(kReportTime + 90), line("2014-10-14T10:16:32", 1, delayed));
    answer("2026-11-20T08:45:00+09:00");
    EXPECT_EQ(report(kReportTime + 180), line("2014-10-14T10:18:02", 1, normal));

    // An answer that lost a line's notice says so once.
    infoRecords[6] = TrainInfoRecord{};
    infoRecords[6].railway = railways[6].railwayId;
    EXPECT_EQ(report(kReportTime + 270),
              "2014-10-14T10:19:32 " + std::string(railways[6].name) + " データがありません\n");
    EXPECT_EQ(report(kReportTime + 360), "");

    // Nothing before the first answer, and a record of no known railway is no line's news.
    for (TrainInfoRecord& r : infoRecords)
        r = TrainInfoRecord{};
    infoRecords[0].railway = "odpt.Railway:Toei.Asakusa";
    infoRecords[0].informationText = delayed;
    auto fresh = std::make_unique<MonitorState>();
    out.clear();
    reportStatus(*fresh, kReportTime);
    EXPECT_EQ(out, "");
}

TEST_F(StatusV4Test, AVeryLongNoticeIsHeldWithinItsBoundAndAChangeAtItsEndIsStillNews)
{
    answer("2026-11-20T08:40:00+09:00");
    std::string text(3 * kNoticeKeyCapacity, 'x');
    infoRecords[0].informationText = text;
    EXPECT_NE(report(), "");
    EXPECT_LE(st.reportedNotices[0].key.size(), kNoticeKeyCapacity);
    EXPECT_EQ(report(kReportTime + 90), "");
    infoRecords[0].informationText.back() = 'y';
    EXPECT_NE(report(kReportTime + 180), "");
}

TEST_F(StatusV4Test, RenewedAnswersThroughTheRewritePrintNothingNewAndNoGenerationTimeAsStamp)
{
    // The real answer's shape: one generation date for all, the disrupted
    // line's status but no origin, the objects in another order next time.
    auto notice = [](const char* railway, const char* date, const char* status, const char* text) {
        std::string o =
            std::string("{\"@id\":\"urn:uuid:1\",\"@type\":\"odpt:TrainInformation\",\"dc:date\":\"") + date +
            "\",\"odpt:railway\":\"odpt.Railway:TokyoMetro." + railway + "\"";
        if (*status)
            o += std::string(",\"odpt:trainInformationStatus\":{\"ja\":\"") + cp932ToUtf8(status) + "\"}";
        return o + ",\"odpt:trainInformationText\":{\"ja\":\"" + cp932ToUtf8(text) + "\"}}";
    };
    auto load = [](const std::string& answer) {
        responseText[ResponseKind::Status] = utf8ToCp932(normaliseV4(ResponseKind::Status, answer).text);
        parseResponse(ResponseKind::Status);
    };
    load("[" + notice("Ginza", "2026-11-20T08:40:00+09:00", "", normal) + "," +
         notice("Tozai", "2026-11-20T08:40:00+09:00", "ダイヤ乱れ", delayed) + "]");
    const std::string first = report();
    EXPECT_NE(first.find(line("2014-10-14T10:15:02", 3, delayed)), std::string::npos) << first;
    EXPECT_EQ(first.find("08:40"), std::string::npos) << first;
    EXPECT_EQ(said, (std::vector<std::string>{railways[3].name, delayed}));

    load("[" + notice("Tozai", "2026-11-20T08:45:00+09:00", "ダイヤ乱れ", delayed) + "," +
         notice("Ginza", "2026-11-20T08:45:00+09:00", "", normal) + "]");
    EXPECT_EQ(report(kReportTime + 300), "");
    EXPECT_EQ(said, (std::vector<std::string>{railways[3].name, delayed}));
}
