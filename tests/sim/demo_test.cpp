#include "sim/demo.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <string>

TEST(Demo, GivesTheClientAWorkingFeedAndNotesAWindowlessRunOnce) {
    DemoAccess access;
    std::string error;
    testing::internal::CaptureStderr();
    Feed* feed = demo_start(true, false, &access, &error);
    std::string notes = testing::internal::GetCapturedStderr();
    ASSERT_NE(feed, nullptr) << error;

    EXPECT_EQ(access.root, feed_root(feed));
    EXPECT_EQ(access.root.rfind("http://127.0.0.1:", 0), 0u);
    httplib::Client client(access.root);
    auto answer = client.Get("/api/v2/datapoints?rdf:type=odpt:TrainInformation&acl:consumerKey=" + access.key);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_NE(notes.find("--snapshot"), std::string::npos);
    feed_stop(feed);

    testing::internal::CaptureStderr();
    feed = demo_start(true, true, &access, &error);
    notes = testing::internal::GetCapturedStderr();
    ASSERT_NE(feed, nullptr) << error;
    EXPECT_EQ(notes.find("--snapshot"), std::string::npos) << "no note when a snapshot file was given";
    feed_stop(feed);
}
