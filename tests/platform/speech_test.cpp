#include "platform/console.h"
#include "platform/key_mask.h"
#include "platform/speech.h"
#include "platform/speech_child.h"
#include "platform/speech_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string make_temp_dir()
{
    char temp[] = "/tmp/speech-test-XXXXXX";
    EXPECT_NE(mkdtemp(temp), nullptr);
    return temp;
}

void remove_dir(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    EXPECT_FALSE(ec) << ec.message();
}

// Every test starts from a stopped speech layer with an empty record.
struct SpeechTest : ::testing::Test {
    void SetUp() override
    {
        speech_stop();
        speech_clear_record();
        savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    }
    void TearDown() override
    {
        speech_stop();
        console_capture(nullptr);
        setenv("PATH", savedPath.c_str(), 1);
        configureSpeech(SpeechSettings{true, ""});
    }
    std::string savedPath;
};

uint32_t le32(const std::string& s, std::size_t at)
{
    return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
           uint32_t(uint8_t(s[at + 3])) << 24;
}

}  // namespace

TEST(PhraseQueue, KeepsOrderAndDropsOldestWhenFull)
{
    PhraseQueue q(3);
    EXPECT_FALSE(phrase_push(q, "a"));
    EXPECT_FALSE(phrase_push(q, "b"));
    EXPECT_FALSE(phrase_push(q, "c"));
    EXPECT_TRUE(phrase_push(q, "d"));
    EXPECT_TRUE(phrase_push(q, "e"));

    std::string got;
    for (const char* want : {"c", "d", "e"}) {
        ASSERT_TRUE(phrase_pop(q, got));
        EXPECT_EQ(got, want);
        phrase_done(q);
    }
    EXPECT_TRUE(phrase_wait_idle(q, 0));
}

TEST(PhraseQueue, IdleWaitsForTheWorkerAndCloseReleasesIt)
{
    PhraseQueue q(4);
    phrase_push(q, "x");
    std::string got;
    ASSERT_TRUE(phrase_pop(q, got));
    // Popped but not done: the worker is still busy.
    EXPECT_FALSE(phrase_wait_idle(q, 20));
    phrase_done(q);
    EXPECT_TRUE(phrase_wait_idle(q, 20));

    std::thread waiter([&] { EXPECT_FALSE(phrase_pop(q, got)); });
    phrase_close(q);
    waiter.join();
    EXPECT_FALSE(phrase_pop(q, got));
}

TEST_F(SpeechTest, SilentModeRecordsInOrderAndWritesNothing)
{
    std::string dir = make_temp_dir();
    configureSpeech(SpeechSettings{true, dir});
    std::string out;
    console_capture(&out);
    speech_say("銀座線");
    speech_say("運転を見合わせています");
    EXPECT_TRUE(speech_flush(1000));
    console_capture(nullptr);

    std::vector<std::string> said = speech_recorded();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[0], "銀座線");
    EXPECT_EQ(said[1], "運転を見合わせています");
    EXPECT_EQ(out, "");
    struct stat st;
    EXPECT_NE(stat((dir + "/0001.wav").c_str(), &st), 0);
    remove_dir(dir);
}

TEST_F(SpeechTest, WhatIsSaidHasTheKeyMasked)
{
    const std::string key = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";
    configureSpeech(SpeechSettings{true, ""});
    configureShownKey(key);
    speech_say(("キー" + key.substr(0, 10) + "\x01" + key.substr(10) + "です").c_str());
    configureShownKey("");
    EXPECT_EQ(speech_recorded(), (std::vector<std::string>{"キー***です"}));
}

TEST_F(SpeechTest, MissingEngineGivesOneNoticeAndStaysSilent)
{
    std::string dir = make_temp_dir();
    configureSpeech(SpeechSettings{false, dir});
    setenv("PATH", dir.c_str(), 1);  // no open_jtalk in it
    std::string out;
    console_capture(&out);
    speech_start();
    speech_say("東西線");
    speech_say("東西線");
    EXPECT_TRUE(speech_flush(1000));
    console_capture(nullptr);

    EXPECT_NE(out.find("not installed"), std::string::npos) << out;
    EXPECT_EQ(out.find("not installed"), out.rfind("not installed")) << "notice repeated: " << out;
    EXPECT_EQ(speech_recorded().size(), 2u);
    struct stat st;
    EXPECT_NE(stat((dir + "/0001.wav").c_str(), &st), 0);
    remove_dir(dir);
}

// Open JTalk is part of the build's dependencies; this runs the real engine.
TEST_F(SpeechTest, OpenJtalkWritesNumberedSpeechAndText)
{
    std::string dir = make_temp_dir();
    configureSpeech(SpeechSettings{false, dir});
    std::string out;
    console_capture(&out);
    speech_say("銀座線");
    speech_say("渋谷駅で信号トラブルのため、運転を見合わせています。");
    ASSERT_TRUE(speech_flush(60000));
    console_capture(nullptr);
    EXPECT_EQ(out, "");

    EXPECT_EQ(read_file(dir + "/0001.txt"), u8"銀座線");
    EXPECT_EQ(read_file(dir + "/0002.txt"), u8"渋谷駅で信号トラブルのため、運転を見合わせています。");

    std::size_t shortBytes = 0;
    for (const char* name : {"/0001.wav", "/0002.wav"}) {
        std::string wav = read_file(dir + name);
        ASSERT_GT(wav.size(), 44u) << name;
        EXPECT_EQ(wav.compare(0, 4, "RIFF"), 0);
        EXPECT_EQ(wav.compare(8, 4, "WAVE"), 0);
        uint32_t rate = le32(wav, 24);
        uint32_t bytesPerSecond = le32(wav, 28);
        EXPECT_GE(rate, 8000u);
        // A three-kana name lasts under a few seconds; the sentence several.
        double seconds = double(wav.size() - 44) / bytesPerSecond;
        if (std::strcmp(name, "/0001.wav") == 0) {
            EXPECT_GT(seconds, 0.3);
            EXPECT_LT(seconds, 5.0);
            shortBytes = wav.size();
        } else {
            EXPECT_GT(seconds, 2.0);
            EXPECT_LT(seconds, 20.0);
            EXPECT_GT(wav.size(), shortBytes);
        }
        // 16-bit samples: somewhere the voice must be loud.
        int peak = 0;
        for (std::size_t i = 44; i + 1 < wav.size(); i += 2) {
            int v = int16_t(uint16_t(uint8_t(wav[i])) | uint16_t(uint8_t(wav[i + 1])) << 8);
            peak = std::max(peak, std::abs(v));
        }
        EXPECT_GT(peak, 1000) << name;
    }

    // A second start continues the numbering instead of overwriting.
    speech_stop();
    speech_say("南北線");
    ASSERT_TRUE(speech_flush(60000));
    struct stat st;
    EXPECT_EQ(stat((dir + "/0003.wav").c_str(), &st), 0);
    EXPECT_EQ(read_file(dir + "/0003.txt"), u8"南北線");
    remove_dir(dir);
}

TEST(SpeechChild, RunsWithTheEnvironmentLessTheConsumerKey)
{
    const std::string dir = make_temp_dir();
    const std::string dump = dir + "/env";
    setenv("LINEWATCH_CONSUMER_KEY", "ace98bd9a9a823da79ff03890f565fe33c1b3beae37c9057fe02e24fb87db290", 1);
    setenv("LINEWATCH_CHILD_TEST", "kept", 1);
    std::atomic<bool> cancel{false};
    const bool ran = speech_run_child({"/bin/sh", "-c", "env > '" + dump + "'"}, nullptr, 10000, cancel);
    unsetenv("LINEWATCH_CONSUMER_KEY");
    unsetenv("LINEWATCH_CHILD_TEST");
    EXPECT_TRUE(ran);
    const std::string env = read_file(dump);
    EXPECT_EQ(env.find("LINEWATCH_CONSUMER_KEY"), std::string::npos) << env;
    EXPECT_EQ(env.find("ace98bd9a9a8"), std::string::npos) << env;
    EXPECT_NE(env.find("LINEWATCH_CHILD_TEST=kept\n"), std::string::npos) << env;
    EXPECT_NE(env.find("PATH="), std::string::npos) << env;
    remove_dir(dir);
}
