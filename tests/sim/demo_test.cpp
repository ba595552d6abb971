#include "sim/demo.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <string>

TEST(Demo, PointsTheClientAtAWorkingFeedAndNotesAWindowlessRunOnce) {
    unsetenv("LINEWATCH_API_ROOT");
    unsetenv("LINEWATCH_CONSUMER_KEY");
    std::string error;
    testing::internal::CaptureStderr();
    Feed* feed = demo_start(true, false, &error);
    std::string notes = testing::internal::GetCapturedStderr();
    ASSERT_NE(feed, nullptr) << error;

    const char* root = std::getenv("LINEWATCH_API_ROOT");
    const char* key = std::getenv("LINEWATCH_CONSUMER_KEY");
    ASSERT_NE(root, nullptr);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(std::string(root), feed_root(feed));
    EXPECT_EQ(std::string(root).rfind("http://127.0.0.1:", 0), 0u);
    httplib::Client client(root);
    auto answer = client.Get(std::string("/api/v2/datapoints?rdf:type=odpt:TrainInformation&acl:consumerKey=") + key);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_NE(notes.find("--snapshot"), std::string::npos);
    feed_stop(feed);

    testing::internal::CaptureStderr();
    feed = demo_start(true, true, &error);
    notes = testing::internal::GetCapturedStderr();
    ASSERT_NE(feed, nullptr) << error;
    EXPECT_EQ(notes.find("--snapshot"), std::string::npos) << "no note when a snapshot file was given";
    feed_stop(feed);
}
