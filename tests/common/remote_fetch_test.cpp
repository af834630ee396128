#include "common/logic/message_box.h"
#include "common/logic/remote_fetch.h"
#include "tests/support/sim_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Every role points at one local portal server; messages are recorded, never shown.
class Fetches : public ::testing::Test
{
protected:
    Fetches()
        : primary("PORTAL_PRIMARY_SERVER", sim.host())
        , mirror("FILM_MIRROR_SERVER", sim.host())
        , previous(message_box::setHandler([this](const std::string& caption, const std::string& text) {
            messages.push_back(caption + "|" + text);
        }))
    { }
    ~Fetches() override { message_box::setHandler(previous); }

    SimServer sim;
    ScopedEnv primary;
    ScopedEnv mirror;
    std::vector<std::string> messages;
    message_box::Handler previous;
    RemoteFetch portal {Shell::Portal, "Orvel影视盒", {}, 2000};
    RemoteFetch tv {Shell::TV, "TovanTV", {}, 2000};
};

// The window's event loop in miniature: steps posted from any thread, run on the test's.
class StepQueue
{
public:
    RemoteFetch::Poster poster()
    {
        return [this](std::function<void()> step) {
            std::lock_guard lock(m_mutex);
            m_steps.push_back(std::move(step));
            m_posted.notify_one();
        };
    }
    // Runs posted steps until `done` holds; false when none came for 10 seconds.
    bool runUntil(const std::function<bool()>& done)
    {
        while (!done()) {
            std::unique_lock lock(m_mutex);
            if (!m_posted.wait_for(lock, std::chrono::seconds(10), [&] { return !m_steps.empty(); }))
                return false;
            std::function<void()> step = std::move(m_steps.front());
            m_steps.pop_front();
            lock.unlock();
            step();
        }
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_steps;
};

} // namespace

TEST_F(Fetches, AFetchWithAStepWaitsOffTheCallersThreadAndItsStepsKeepTheirOrder)
{
    sim.site().write("update/update.txt", "3.0\r\n");
    sim.site().write("update/updatenews.txt", "news");
    sim.rule("/update/update.txt", "delay=300");
    StepQueue loop;
    int pumped = 0;
    std::vector<std::string> order;
    PlainTextHolder label1("2.0");
    PlainTextHolder label2("更新信息");
    {
        RemoteFetch window(
            Shell::TV, "TovanTV", [&] { ++pumped; }, 2000, loop.poster());
        window.FetchUpdateVersion(label1, [&] {
            order.push_back("version " + label1.text());
            window.FetchUpdateNews(label2, [&] { order.push_back("news " + label2.text()); });
        });
        // The call has returned with the fetch still under way.
        EXPECT_EQ(label1.text(), "2.0");
        EXPECT_EQ(window.pending(), 1);
        ASSERT_TRUE(loop.runUntil([&] { return order.size() == 2; }));
        EXPECT_EQ(order, (std::vector<std::string> {"version 3.0\r\n", "news news"}));
        EXPECT_EQ(window.pending(), 0);
        EXPECT_EQ(pumped, 0) << "the window's pump belongs to the window's thread";

        // A fetch still waiting when the window goes ends with it, and its step never runs.
        sim.rule("/update/TovanTVAdControl.txt", "hang");
        PlainTextHolder label3("on");
        bool ran = false;
        {
            RemoteFetch closing(Shell::TV, "TovanTV", {}, 60000, loop.poster());
            closing.FetchAdControl(label3, [&] { ran = true; });
        }
        window.FetchUpdateVersion(label1, [&] { order.push_back("after"); });
        ASSERT_TRUE(loop.runUntil([&] { return order.size() == 3; }));
        EXPECT_FALSE(ran);
        EXPECT_EQ(label3.text(), "on");
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(Fetches, VersionFileArrivesWithItsLineBreak)
{
    sim.site().write("update/updatePallo.txt", "2.1\r\n");
    sim.site().write("update/update.txt", "3.0\n");
    PlainTextHolder label1("2.0");
    portal.FetchUpdateVersion(label1);
    EXPECT_EQ(label1.text(), "2.1\r\n");
    PlainTextHolder tvLabel1("2.0");
    tv.FetchUpdateVersion(tvLabel1);
    EXPECT_EQ(tvLabel1.text(), "3.0\n");
    EXPECT_TRUE(messages.empty());
}

TEST_F(Fetches, GbkNewsIsDecodedByRawFetchButNotByStatusFetch)
{
    const std::string news = "1. 新增高清影库频道\r\n2. 修正了播放器的若干问题";
    sim.site().write("update/updatePalloNews.txt", gbk(news));
    PlainTextHolder label2("更新信息");
    portal.FetchUpdateNews(label2);
    EXPECT_EQ(label2.text(), news);

    PlainTextHolder viaStatus("更新信息");
    portal.StatusFetch(sim.url("/update/updatePalloNews.txt"), viaStatus);
    EXPECT_NE(viaStatus.text(), news);
    EXPECT_NE(viaStatus.text(), "更新信息");
}

TEST_F(Fetches, EmptyAndMissingFiles)
{
    sim.site().write("update/PallomarAdControl.txt", "");
    PlainTextHolder label3("Label3");
    portal.FetchAdControl(label3);
    EXPECT_EQ(label3.text(), "");

    // 404: the status fetch keeps its holder, the raw fetch takes the error page.
    PlainTextHolder label1("2.0");
    portal.FetchUpdateVersion(label1);
    EXPECT_EQ(label1.text(), "2.0");
    PlainTextHolder label2("更新信息");
    portal.FetchUpdateNews(label2);
    EXPECT_NE(label2.text().find("404 Not Found"), std::string::npos);

    // Any status but 200 is a failure for the status fetch, even with a body.
    sim.site().write("update/updatePallo.txt", "9.9\r\n");
    sim.rule("/update/updatePallo.txt", "status=500");
    portal.FetchUpdateVersion(label1);
    EXPECT_EQ(label1.text(), "2.0");
    EXPECT_TRUE(messages.empty());
}

TEST_F(Fetches, UnreachableServerShowsTheMessageOncePerFetchAndLeavesHolders)
{
    ScopedEnv down("PORTAL_PRIMARY_SERVER", "127.0.0.1:" + std::to_string(closedPort()));
    PlainTextHolder probe("OK");
    portal.FetchPortalProbe(probe);
    EXPECT_EQ(probe.text(), "OK");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Orvel影视盒|连接网络失败！");

    PlainTextHolder label3("Label3");
    portal.FetchAdControl(label3);
    EXPECT_EQ(label3.text(), "");
    EXPECT_EQ(messages.size(), 2u);

    // The film mirror is still up: its probe succeeds and the holder changes.
    sim.site().write("update/PallomarAdControl.txt", "off,off\r\n");
    PlainTextHolder qvod("OK");
    portal.FetchFilmProbe(qvod);
    EXPECT_EQ(qvod.text(), "off,off\r\n");
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(Fetches, ServerThatNeverAnswersEndsAtTheTimeOutWithoutAMessage)
{
    sim.site().write("update/updatePalloNews.txt", "late");
    sim.site().write("update/updatePallo.txt", "2.5");
    sim.rule("/update/updatePalloNews.txt", "hang");
    sim.rule("/update/updatePallo.txt", "hang");
    int pumped = 0;
    RemoteFetch waiting(
        Shell::Portal, "Orvel影视盒", [&] { ++pumped; }, 300);
    PlainTextHolder label2("更新信息");
    waiting.FetchUpdateNews(label2);
    EXPECT_EQ(label2.text(), "");
    PlainTextHolder label1("2.0");
    waiting.FetchUpdateVersion(label1);
    EXPECT_EQ(label1.text(), "2.0");
    EXPECT_GT(pumped, 10);
    EXPECT_TRUE(messages.empty());

    // A body cut short is no body at all.
    sim.server().clearRules();
    sim.rule("/update/updatePalloNews.txt", "truncate=2");
    label2.setText("更新信息");
    waiting.FetchUpdateNews(label2);
    EXPECT_EQ(label2.text(), "");
}

TEST_F(Fetches, StatusFetchReusesOneRequestObjectRawFetchMakesOneEachTime)
{
    sim.site().write("update/updatePallo.txt", "2.0\r\n");
    sim.site().write("update/PallomarAdControl.txt", "on,off\r\n");
    int created = 0;
    portal.setRequestFactory([&] {
        ++created;
        return std::make_unique<platform::XmlHttpRequest>();
    });
    PlainTextHolder holder("OK");
    portal.FetchPortalProbe(holder);
    const platform::XmlHttpRequest* first = portal.statusRequestObject();
    portal.FetchUpdateVersion(holder);
    EXPECT_EQ(portal.statusRequestObject(), first);
    EXPECT_EQ(created, 1);
    portal.FetchAdControl(holder);
    portal.FetchAdControl(holder);
    EXPECT_EQ(created, 3);
    EXPECT_EQ(holder.text(), "on,off\r\n");
}

TEST_F(Fetches, AFetchStartedWhileAnotherWaitsGetsItsOwnObject)
{
    sim.site().write("update/updatePallo.txt", "2.2\r\n");
    sim.site().write("update/PallomarAdControl.txt", "x");
    sim.rule("/update/PallomarAdControl.txt", "delay=200");
    PlainTextHolder inner("2.0");
    bool nestedDone = false;
    RemoteFetch* self = nullptr;
    RemoteFetch window(Shell::Portal, "Orvel影视盒", [&] {
        // A timer tick during the wait runs the update check's fetch.
        if (!nestedDone) {
            nestedDone = true;
            self->FetchUpdateVersion(inner);
        }
    });
    self = &window;
    PlainTextHolder probe("OK");
    window.FetchPortalProbe(probe);
    EXPECT_EQ(inner.text(), "2.2\r\n");
    EXPECT_EQ(probe.text(), "x");
}

TEST_F(Fetches, ProbesBelongToThePortalShellOnly)
{
    sim.site().write("update/PallomarAdControl.txt", "on");
    PlainTextHolder probe("OK");
    tv.FetchPortalProbe(probe);
    tv.FetchFilmProbe(probe);
    EXPECT_EQ(probe.text(), "OK");
    EXPECT_TRUE(sim.server().requests().empty());
}

// The probe begun early and finished later leaves the holder and the messages as the
// synchronous probe does, whatever the server answered; so the start page it picks is the same.
TEST_F(Fetches, AProbeBegunEarlyEndsAsTheSynchronousProbe)
{
    struct Case
    {
        const char* name;
        const char* file; // nullptr: no such file on the server
        bool serverDown;
        const char* holderAfter;
        std::size_t messagesAfter;
    };
    const Case cases[] = {
        {"answer OK", "OK", false, "OK", 0},
        {"other answer", "on,off\r\n", false, "on,off\r\n", 0},
        {"missing file", nullptr, false, "initial", 0},
        {"server down", "OK", true, "initial", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.file)
            sim.site().write("update/PallomarAdControl.txt", c.file);
        else
            std::filesystem::remove(sim.site() / "update/PallomarAdControl.txt");
        std::optional<ScopedEnv> down;
        if (c.serverDown)
            down.emplace("PORTAL_PRIMARY_SERVER", "127.0.0.1:" + std::to_string(closedPort()));
        for (const bool early : {false, true}) {
            SCOPED_TRACE(early ? "begun early" : "synchronous");
            messages.clear();
            PlainTextHolder probe("initial");
            RemoteFetch fetch {Shell::Portal, "Orvel影视盒", {}, 2000};
            if (early) {
                fetch.StartPortalProbe();
                // The engine's start, in miniature: the answer is in before the finish looks.
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                fetch.FinishPortalProbe(probe);
            } else {
                fetch.FetchPortalProbe(probe);
            }
            EXPECT_EQ(probe.text(), c.holderAfter);
            EXPECT_EQ(messages.size(), c.messagesAfter);
        }
    }
    // A finish with no start, or a second finish, fetches then.
    sim.site().write("update/PallomarAdControl.txt", "again");
    PlainTextHolder probe("initial");
    portal.FinishPortalProbe(probe);
    EXPECT_EQ(probe.text(), "again");
    // The TV shell has no probe: neither half does anything.
    tv.StartPortalProbe();
    PlainTextHolder none("initial");
    tv.FinishPortalProbe(none);
    EXPECT_EQ(none.text(), "initial");
}
