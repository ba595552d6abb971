#include "sim/feed/demo.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <ctime>
#include <string>

#include "tests/japan_time.h"

TEST(Demo, GivesTheClientAWorkingFeedAndNotesAWindowlessRunOnce)
{
    DemoAccess access;
    std::string error;
    testing::internal::CaptureStderr();
    std::int64_t clockOffset = japanTime("2026-12-08T12:00") - std::time(nullptr);
    Feed* feed = demo_start(true, false, &clockOffset, &access, &error);
    std::string notes = testing::internal::GetCapturedStderr();
    ASSERT_NE(feed, nullptr) << error;

    EXPECT_EQ(access.root, feed_root(feed));
    EXPECT_EQ(access.root.rfind("http://127.0.0.1:", 0), 0u);
    httplib::Client client(access.root);
    auto answer =
        client.Get("/api/v2/datapoints?rdf:type=odpt:TrainInformation&acl:consumerKey=" + access.key);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_NE(notes.find("--snapshot"), std::string::npos);
    feed_stop(feed);

    testing::internal::CaptureStderr();
    // the monitor's clock, set to another day, is the feed's
    const std::int64_t offset = japanTime("2026-12-11T14:00") - std::time(nullptr);
    clockOffset = offset;
    feed = demo_start(true, true, &clockOffset, &access, &error);
    notes = testing::internal::GetCapturedStderr();
    ASSERT_NE(feed, nullptr) << error;
    EXPECT_EQ(notes.find("--snapshot"), std::string::npos) << "no note when a snapshot file was given";
    EXPECT_EQ(clockOffset, offset);
    auto notices =
        httplib::Client(access.root).Get("/api/v4/odpt:TrainInformation?acl:consumerKey=" + access.key);
    ASSERT_TRUE(notices);
    // the notices as the real API gives them: generated every 5 minutes, in five languages
    EXPECT_NE(notices->body.find("\"dc:date\":\"2026-12-11T14:00:00+09:00\""), std::string::npos)
        << notices->body.substr(0, 300);
    EXPECT_NE(notices->body.find("\"zh-Hant\":"), std::string::npos);
    feed_stop(feed);
}
