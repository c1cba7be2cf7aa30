// The media session without mpv: what reaches the engine, and the state it
// ends in, whatever order and number of answers the engine gives.
#include "PlaybackSession.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using media::PlaybackSession;
using Stage = PlaybackSession::Stage;

// Records what the session asks; the test plays the engine's answers.
struct RecordingEngine : media::PlaybackEngine {
    std::vector<std::pair<std::uint64_t, std::string>> loads;
    std::vector<std::pair<bool, std::uint64_t>> pauses;
    std::vector<std::uint64_t> pictures;
    std::vector<std::uint64_t> resyncs;
    int seeks = 0;

    void load(std::uint64_t generation, const std::string& url) override { loads.emplace_back(generation, url); }
    void setPause(bool pause, std::uint64_t request) override { pauses.emplace_back(pause, request); }
    void seek(double, bool) override { ++seeks; }
    void seekBy(double) override { ++seeks; }
    void frameStep(bool) override {}
    void askPicture(std::uint64_t generation) override { pictures.push_back(generation); }
    void askLanding(std::uint64_t) override {}
    void resync(std::uint64_t generation) override { resyncs.push_back(generation); }
};

struct SessionTest : ::testing::Test {
    RecordingEngine engine;
    PlaybackSession session{engine};
    int opened = 0;

    SessionTest()
    {
        QObject::connect(&session, &PlaybackSession::opened, [this] { ++opened; });
    }

    // The engine takes the last load it was sent and plays it to its first picture.
    void playLastLoad(std::int64_t entry, QSize picture = {352, 288})
    {
        const auto generation = engine.loads.back().first;
        session.loadAnswered(generation, entry, {});
        session.fileStarted(entry);
        session.fileLoaded();
        session.playbackRestarted();
        ASSERT_FALSE(engine.pictures.empty());
        session.pictureAnswered(engine.pictures.back(), picture);
    }

    // Answers every pause request so far, in order, as mpv does.
    void answerPauses(bool reportEach)
    {
        for (const auto& [pause, request] : engine.pauses) {
            session.pauseAnswered(request);
            if (reportEach)
                session.pauseReported(pause);
        }
        engine.pauses.clear();
    }
};

TEST_F(SessionTest, OpensOvertakenBeforeTheEngineTookThemAreNeverSent)
{
    session.open("a.mpg", "/m/a.mpg");
    for (int i = 0; i < 2000; ++i)
        session.open("f" + std::to_string(i), "/m/f" + std::to_string(i));
    // One load in flight, the newest waiting behind it; nothing in between.
    ASSERT_EQ(engine.loads.size(), 1u);
    session.loadAnswered(engine.loads[0].first, 1, {});
    ASSERT_EQ(engine.loads.size(), 2u);
    EXPECT_EQ(engine.loads[1].second, "/m/f1999");

    // The first file's events are another entry's: they neither open nor fail it.
    session.fileStarted(1);
    session.fileEnded(1, PlaybackSession::EndReason::Failed, "broken");
    EXPECT_EQ(session.stage(), Stage::Loading);
    playLastLoad(2);
    EXPECT_EQ(session.stage(), Stage::Open);
    EXPECT_EQ(session.path(), "f1999");
    EXPECT_EQ(opened, 1);
}

TEST_F(SessionTest, AfterLostEventsTheOpenCompletesFromWhatTheEngineSaysNow)
{
    session.open("a.mpg", "/m/a.mpg");
    session.loadAnswered(engine.loads[0].first, 7, {});
    // file-started, file-loaded and the restart were all lost.
    session.eventsLost();
    ASSERT_EQ(engine.resyncs.size(), 1u);
    session.resynced(engine.resyncs[0], true, QSize(640, 360), true);
    EXPECT_EQ(session.stage(), Stage::Open);
    EXPECT_EQ(session.picture(), QSize(640, 360));
    EXPECT_EQ(opened, 1);

    // A picture not out yet waits for its restart; sound only opens at once.
    session.open("b.mpg", "/m/b.mpg");
    session.loadAnswered(engine.loads.back().first, 8, {});
    session.eventsLost();
    session.resynced(engine.resyncs.back(), true, std::nullopt, true);
    EXPECT_EQ(session.stage(), Stage::Loaded);
    session.playbackRestarted();
    session.pictureAnswered(engine.pictures.back(), QSize(320, 240));
    EXPECT_EQ(session.stage(), Stage::Open);

    session.open("c.mp3", "/m/c.mp3");
    session.loadAnswered(engine.loads.back().first, 9, {});
    session.eventsLost();
    // An answer about an older generation, or about another file, changes nothing.
    session.resynced(engine.resyncs.back() - 1, true, std::nullopt, false);
    session.resynced(engine.resyncs.back(), false, std::nullopt, false);
    EXPECT_EQ(session.stage(), Stage::Loading);
    session.resynced(engine.resyncs.back(), true, std::nullopt, false);
    EXPECT_EQ(session.stage(), Stage::Open);
    EXPECT_FALSE(session.picture());
    EXPECT_EQ(opened, 3);
}

TEST_F(SessionTest, PauseTogglesCountFromTheStateAskedForLast)
{
    session.open("a.mpg", "/m/a.mpg");
    playLastLoad(1);
    answerPauses(true);
    ASSERT_TRUE(session.paused());

    // Presses faster than the engine answers: each one turns over the one before.
    for (int i = 0; i < 1001; ++i)
        session.togglePause();
    ASSERT_EQ(engine.pauses.size(), 1001u);
    EXPECT_FALSE(engine.pauses.back().first); // an odd count from paused plays
    // Late reports in between do not reset the count.
    session.pauseReported(false);
    session.togglePause();
    EXPECT_TRUE(engine.pauses.back().first);
    answerPauses(true);
    EXPECT_TRUE(session.paused());
    EXPECT_EQ(session.playback(), PlaybackSession::Playback::Paused);

    // With nothing outstanding, a change of the engine's own (a frame step) counts.
    session.pauseReported(false);
    session.togglePause();
    EXPECT_TRUE(engine.pauses.back().first);
}

TEST_F(SessionTest, FailuresOfTheCurrentFileAreToldAndNothingOpens)
{
    session.open("bad.mpg", "/m/bad.mpg");
    session.loadAnswered(engine.loads[0].first, 3, {});
    session.fileStarted(3);
    session.fileEnded(3, PlaybackSession::EndReason::Failed, "unrecognized file format");
    EXPECT_EQ(session.stage(), Stage::Failed);
    EXPECT_EQ(session.failure().toStdString(), "Cannot play \"bad.mpg\": unrecognized file format");
    EXPECT_EQ(opened, 0);
    // Transport requests on failed media reach nothing.
    const auto asked = engine.pauses.size();
    session.play();
    session.stop();
    EXPECT_EQ(engine.pauses.size(), asked);

    session.open("list.m3u", "/m/list.m3u");
    session.loadAnswered(engine.loads.back().first, 4, {});
    session.fileEnded(4, PlaybackSession::EndReason::Playlist, {});
    EXPECT_EQ(session.failure().toStdString(), "Cannot play \"list.m3u\": it is a playlist, not a media file");
}

} // namespace
