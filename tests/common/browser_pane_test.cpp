#include "common/logic/server_roles.h"
#include "common/windows/BrowserPane.h"
#include "platform/program_folder.h"
#include "tests/support/pane_test_util.h"
#include "tests/support/recording_browser.h"
#include "tests/support/scoped_hooks.h"
#include "tests/support/sim_server.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

namespace {

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

struct Events
{
    explicit Events(BrowserPane& pane)
    {
        QObject::connect(&pane, &BrowserPane::DocumentComplete, [this, &pane](BrowserPane::BrowserObject b, QString) {
            (b == pane.Application() ? topCompletes : frameCompletes)++;
        });
        QObject::connect(&pane, &BrowserPane::BeforeNavigate2, [this](const QString& url, bool* cancel) {
            navigations.push_back(url);
            if (url.startsWith(QStringLiteral("mouse://")) || url.contains(QStringLiteral("forbidden")))
                *cancel = true;
        });
        QObject::connect(&pane, &BrowserPane::CommandStateChange, [this](int command, bool enable) {
            if (command == 1)
                forward = enable;
            if (command == 2)
                back = enable;
        });
        QObject::connect(&pane, &BrowserPane::DownloadComplete, [this] { ++downloads; });
    }
    int topCompletes = 0;
    int frameCompletes = 0;
    int downloads = 0;
    bool forward = true;
    bool back = true;
    QStringList navigations;
};

class Pane : public ::testing::Test
{
protected:
    Pane()
    {
        sim.site().write("box.html",
            "<html><head><meta charset='utf-8'><title>box</title></head><body>"
            "<a id='film' href='/play/TOVAN/a.html' target='_blank'>film</a>"
            "<a id='out' href='/news.html' target='_blank'>news</a>"
            "<a id='bare' target='_blank'>no address</a>"
            "<p id='text'>copy me</p></body></html>");
        sim.site().write("play/TOVAN/a.html", "<html><body>playing</body></html>");
        sim.site().write("two.html", "<html><body>two</body></html>");
        sim.site().write("framed.html", "<html><body><iframe src='/two.html'></iframe></body></html>");
        sim.site().write("forbidden.html", "<html><body>never</body></html>");
        sim.site().write("pic.gif",
            "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00"
            "\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;");
        pane.resize(400, 300);
        pane.show();
    }

    bool loadAndWait(const QString& address, Events& events)
    {
        const int before = events.topCompletes;
        pane.Navigate(address);
        return waitUntil([&] { return events.topCompletes > before; });
    }

    // The pages asked for so far; the engine's own icon requests left out.
    std::vector<std::string> pageRequests()
    {
        std::vector<std::string> pages;
        for (const std::string& request : sim.server().requests())
            if (request != "GET /favicon.ico")
                pages.push_back(request);
        return pages;
    }

    SimServer sim;
    BrowserPane pane;
};

} // namespace

TEST_F(Pane, NavigatesAndReportsCompletionHistoryAndLocation)
{
    Events events(pane);
    EXPECT_EQ(pane.LocationURL(), QString());
    ASSERT_TRUE(loadAndWait(q(sim.url("/box")), events));
    EXPECT_EQ(pane.LocationURL(), q(sim.url("/box")));
    EXPECT_EQ(evaluate(pane, QStringLiteral("document.title")).toString(), QStringLiteral("box"));
    EXPECT_GE(events.downloads, 1);
    EXPECT_FALSE(events.back);
    EXPECT_FALSE(events.forward);
    EXPECT_TRUE(pane.hasHtmlDocument());

    ASSERT_TRUE(loadAndWait(q(sim.url("/two.html")), events));
    EXPECT_TRUE(events.back);
    pane.GoBack();
    ASSERT_TRUE(waitUntil([&] { return pane.LocationURL() == q(sim.url("/box")) && events.forward; }));
    EXPECT_FALSE(events.back);
    pane.GoForward();
    ASSERT_TRUE(waitUntil([&] { return pane.LocationURL() == q(sim.url("/two.html")); }));
    const int before = events.topCompletes;
    pane.Refresh();
    EXPECT_TRUE(waitUntil([&] { return events.topCompletes > before; }));
}

TEST_F(Pane, FramesCompleteSeparatelyFromTheTopPage)
{
    Events events(pane);
    ASSERT_TRUE(loadAndWait(q(sim.url("/framed.html")), events));
    EXPECT_TRUE(waitUntil([&] { return events.frameCompletes == 1; }));
    EXPECT_EQ(events.topCompletes, 1);
}

TEST_F(Pane, LocalPagesShowAsWebPagesWhateverTheirExtensionAndReadAsGbk)
{
    TempFolder folder;
    folder.write("bin/tovanT.ocx", gbk("<html><head><title>网络电视</title></head><body>频道</body></html>"));
    folder.write("html/utf8.html", "<html><head><meta charset=\"utf-8\"><title>加载中</title></head></html>");
    Events events(pane);
    // Built the programs' way: folder + a relative path with backslashes.
    ASSERT_TRUE(loadAndWait(q(folder.str()) + QStringLiteral("\\bin\\tovanT.ocx"), events));
    EXPECT_EQ(evaluate(pane, QStringLiteral("document.title")).toString(), QStringLiteral("网络电视"));
    EXPECT_EQ(pane.LocationURL(), q((folder / "bin/tovanT.ocx").string()));

    ASSERT_TRUE(loadAndWait(q(folder.str()) + QStringLiteral("/html/utf8.html"), events));
    EXPECT_EQ(evaluate(pane, QStringLiteral("document.title")).toString(), QStringLiteral("加载中"));

    // A missing local page completes with the engine's error page instead of hanging.
    EXPECT_TRUE(loadAndWait(q(folder.str()) + QStringLiteral("/html/missing.html"), events));
}

TEST_F(Pane, BeforeNavigateSeesEveryNavigationWithTheExactAddressAndCanCancel)
{
    Events events(pane);
    ASSERT_TRUE(loadAndWait(q(sim.url("/box")), events));
    EXPECT_TRUE(events.navigations.contains(q(sim.url("/box"))));

    // A script's change of location.href, to a scheme no engine knows.
    evaluate(pane, QStringLiteral("location.href = 'mouse://move|10|5'; 1"));
    ASSERT_TRUE(waitUntil([&] { return events.navigations.contains(QStringLiteral("mouse://move|10|5")); }));

    // A cancelled ordinary navigation leaves the page where it was.
    evaluate(pane, QStringLiteral("location.href = '/forbidden.html'; 1"));
    ASSERT_TRUE(waitUntil([&] { return events.navigations.contains(q(sim.url("/forbidden.html"))); }));
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(pane.LocationURL(), q(sim.url("/box")));
    EXPECT_EQ(evaluate(pane, QStringLiteral("document.title")).toString(), QStringLiteral("box"));
}

TEST_F(Pane, NewWindowsOpenInTheChosenPaneOrInTheSystemBrowser)
{
    RecordingBrowser browser;

    BrowserPane player;
    player.resize(300, 200);
    player.show();
    Events events(pane);
    Events playerEvents(player);
    bool takeIntoPlayer = true;
    QString hrefSeen = QStringLiteral("unset");
    QObject::connect(&pane, &BrowserPane::NewWindow2, [&](BrowserPane::BrowserObject* target) {
        hrefSeen = pane.activeElementHref();
        if (takeIntoPlayer)
            *target = player.Application();
    });
    ASSERT_TRUE(loadAndWait(q(sim.url("/box")), events));

    evaluate(pane, QStringLiteral("document.getElementById('film').click(); 1"));
    ASSERT_TRUE(waitUntil([&] { return player.LocationURL() == q(sim.url("/play/TOVAN/a.html")); }));
    EXPECT_EQ(hrefSeen, q(sim.url("/play/TOVAN/a.html")));

    takeIntoPlayer = false;
    evaluate(pane, QStringLiteral("document.getElementById('out').click(); 1"));
    ASSERT_TRUE(waitUntil([&] { return browser.openedAny(); }));
    EXPECT_EQ(browser.opened(), sim.url("/news.html") + "\n");
    EXPECT_EQ(pane.LocationURL(), q(sim.url("/box")));

    // A link without an address has no href to report.
    evaluate(pane,
        QStringLiteral("document.getElementById('bare').dispatchEvent(new MouseEvent('mousedown', "
                       "{bubbles: true})); 1"));
    EXPECT_TRUE(waitUntil([&] { return pane.activeElementHref().isNull(); }));

    // A new document forgets the link pressed in the old one, so a later window opened by a
    // script is not taken for that link.
    evaluate(pane,
        QStringLiteral("document.getElementById('film').dispatchEvent(new MouseEvent('mousedown', "
                       "{bubbles: true})); 1"));
    ASSERT_TRUE(waitUntil([&] { return pane.activeElementHref() == q(sim.url("/play/TOVAN/a.html")); }));
    ASSERT_TRUE(loadAndWait(q(sim.url("/two.html")), events));
    EXPECT_TRUE(pane.activeElementHref().isNull());
}

TEST_F(Pane, ContextMenuHookOnlyForHtmlDocuments)
{
    Events events(pane);
    int asked = 0;
    QObject::connect(&pane, &BrowserPane::ContextMenu, [&](const QPoint&, bool* showDefault) {
        ++asked;
        *showDefault = false;
    });
    ASSERT_TRUE(loadAndWait(q(sim.url("/box")), events));
    ASSERT_TRUE(waitUntil([&] { return pane.hasHtmlDocument(); }));
    // The renderer takes input only once it has drawn the page: click until it answers.
    EXPECT_TRUE(waitUntil([&] {
        if (asked == 0)
            rightClick(pane, QPoint(200, 150));
        waitUntil([&] { return asked > 0; }, 200);
        return asked > 0;
    }));
    asked = 0;

    ASSERT_TRUE(loadAndWait(q(sim.url("/pic.gif")), events));
    waitUntil([] { return false; }, 200);
    EXPECT_FALSE(pane.hasHtmlDocument());
    for (int i = 0; i < 5; ++i) {
        rightClick(pane, QPoint(200, 150));
        waitUntil([] { return false; }, 200);
    }
    EXPECT_EQ(asked, 0);
}

TEST_F(Pane, DocumentCommandsAndScriptsWhileSilent)
{
    Events events(pane);
    pane.setSilent(true);
    ASSERT_TRUE(loadAndWait(q(sim.url("/box")), events));
    // An alert in a silent pane raises no dialog, so the script runs on.
    EXPECT_EQ(evaluate(pane, QStringLiteral("alert('x'); confirm('y') ? 1 : 2")).toInt(), 2);

    EXPECT_TRUE(pane.execScript(QStringLiteral("document.title = 'changed'")));
    EXPECT_FALSE(pane.execScript(QStringLiteral("x"), QStringLiteral("vbscript")));
    EXPECT_TRUE(waitUntil(
        [&] { return evaluate(pane, QStringLiteral("document.title")).toString() == QStringLiteral("changed"); }));

    evaluate(pane,
        QStringLiteral("var r = document.createRange(); r.selectNodeContents(document.getElementById('text'));"
                       "getSelection().removeAllRanges(); getSelection().addRange(r); 1"));
    QApplication::clipboard()->clear();
    EXPECT_TRUE(pane.execCommand(QStringLiteral("copy")));
    EXPECT_TRUE(waitUntil([] { return QApplication::clipboard()->text() == QStringLiteral("copy me"); }));
    EXPECT_FALSE(pane.execCommand(QStringLiteral("bold")));
}

TEST_F(Pane, HiddenPaneLoadsAtOnceAndDeferredStartUpPagesWaitUntilStarted)
{
    QWidget panel;
    panel.resize(300, 200);
    BrowserPane hidden(&panel);
    Events events(hidden);
    EXPECT_TRUE(hidden.LocationURL().isEmpty());

    // A pane nobody sees loads what it is told, at once.
    hidden.Navigate(q(sim.url("/box")));
    ASSERT_TRUE(waitUntil([&] { return events.topCompletes == 1; }));
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(hidden.LocationURL(), q(sim.url("/box")));
    EXPECT_EQ(pageRequests(), std::vector<std::string> {"GET /box"});

    // A deferred start-up page is the location at once but loads only when started...
    sim.server().clearRequests();
    hidden.NavigateDeferred(q(sim.url("/two.html")));
    EXPECT_EQ(hidden.LocationURL(), q(sim.url("/two.html")));
    waitUntil([] { return false; }, 300);
    EXPECT_TRUE(pageRequests().empty());
    hidden.startDeferredNavigation();
    ASSERT_TRUE(waitUntil([&] { return events.topCompletes == 2; }));
    EXPECT_EQ(pageRequests(), std::vector<std::string> {"GET /two.html"});

    // ...and a navigation in between replaces it for good.
    sim.server().clearRequests();
    hidden.NavigateDeferred(q(sim.url("/framed.html")));
    hidden.Navigate(q(sim.url("/box")));
    hidden.startDeferredNavigation();
    ASSERT_TRUE(waitUntil([&] { return events.topCompletes == 3; }));
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(hidden.LocationURL(), q(sim.url("/box")));
    EXPECT_EQ(pageRequests(), std::vector<std::string> {"GET /box"});
}

TEST_F(Pane, ThePagesContextMenuOffersOnlyWhatWorksOnTheShellsPages)
{
    Events events(pane);
    ASSERT_TRUE(loadAndWait(q(sim.url("/box")), events));
    ASSERT_TRUE(waitUntil([&] { return pane.hasHtmlDocument(); }));
    const auto openMenu = [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible())
                return menu;
        return static_cast<QMenu*>(nullptr);
    };
    EXPECT_TRUE(waitUntil([&] {
        if (!openMenu())
            rightClick(pane, QPoint(200, 150));
        waitUntil([&] { return openMenu() != nullptr; }, 300);
        return openMenu() != nullptr;
    }));
    QMenu* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    QWebEnginePage* page = pane.view()->page();
    const QList<QAction*> items = menu->actions();
    EXPECT_TRUE(items.contains(page->action(QWebEnginePage::Reload)));
    for (const QWebEnginePage::WebAction gone : {QWebEnginePage::ViewSource, QWebEnginePage::SavePage,
             QWebEnginePage::InspectElement, QWebEnginePage::OpenLinkInNewTab})
        EXPECT_FALSE(items.contains(page->action(gone))) << gone;
    ASSERT_FALSE(items.isEmpty());
    EXPECT_FALSE(items.front()->isSeparator());
    EXPECT_FALSE(items.back()->isSeparator());
    menu->close();
}

TEST_F(Pane, AKilledRendererReloadsThePageOnceAndAFailingReloadShowsTheLocalLoadingPage)
{
    TempFolder program;
    program.write("html/loading.html", "<html><body>loading</body></html>");
    const ScopedProgramFolder inProgram(program.str());
    Events events(pane);
    ASSERT_TRUE(loadAndWait(q(sim.url("/box")), events));
    QWebEnginePage* page = pane.view()->page();
    // The real renderer process, killed as a crash or the system's memory killer would.
    qint64 killed = 0;
    const auto killRenderer = [&] {
        qint64 pid = 0;
        if (!waitUntil([&] { return (pid = page->renderProcessPid()) > 0 && pid != killed; }))
            return qint64 {0};
        ::kill(static_cast<::pid_t>(pid), SIGKILL);
        return killed = pid;
    };

    // Killed once: the same page comes back in a new renderer.
    const qint64 first = killRenderer();
    ASSERT_GT(first, 0);
    const int before = events.topCompletes;
    ASSERT_TRUE(waitUntil([&] { return events.topCompletes > before && page->renderProcessPid() > 0; }));
    EXPECT_EQ(pane.LocationURL(), q(sim.url("/box")));
    EXPECT_NE(page->renderProcessPid(), first);
    const std::vector<std::string> requests = pageRequests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET /box"), 2) << "loaded once again";
    EXPECT_TRUE(waitUntil([&] { return pane.hasHtmlDocument(); }));

    // Killed again while the reload still waits for the server: the local loading page.
    sim.rule("/box", "delay=8000");
    ASSERT_GT(killRenderer(), 0);
    ASSERT_GT(killRenderer(), 0) << "the reload's renderer";
    const QString loading = q(program.str() + "/html/loading.html");
    // What the page shows, as the renderer reports it.
    QString shown;
    const auto text = [&] {
        page->toPlainText([&](const QString& plain) { shown = plain; });
        waitUntil([] { return false; }, 100);
        return shown;
    };
    EXPECT_TRUE(waitUntil([&] { return pane.LocationURL() == loading && text() == QStringLiteral("loading"); }, 15000))
        << pane.LocationURL().toStdString();
    // And it stays: no further reloads.
    waitUntil([] { return false; }, 1500);
    EXPECT_EQ(pane.LocationURL(), loading);
    EXPECT_EQ(text(), QStringLiteral("loading"));
}

TEST_F(Pane, EveryPanesFirstPageStartsWithThePanesScripts)
{
    // Panes made and sent off at once, as a window makes its panes: each first document has
    // the server roles before its own script runs, the bridge and the hold on its films.
    sim.site().write("first.html", "<html><body><script>document.title = typeof portalServers;</script></body></html>");
    for (int round = 0; round < 4; ++round) {
        // Sent off before they show, and shown before they are sent off.
        const bool showFirst = round % 2 == 1;
        QWidget panel;
        std::vector<std::unique_ptr<BrowserPane>> panes;
        for (int i = 0; i < 6; ++i) {
            panes.push_back(std::make_unique<BrowserPane>(&panel));
            if (showFirst)
                panes.back()->show();
            panes.back()->Navigate(q(sim.url("/first.html")));
        }
        panel.show();
        for (auto& made : panes) {
            BrowserPane& each = *made;
            EXPECT_TRUE(waitUntil([&] { return each.hasHtmlDocument(); })) << "the bridge, round " << round;
            EXPECT_EQ(evaluate(each, QStringLiteral("document.title")).toString(), QStringLiteral("object"));
            bool held = false;
            bool done = false;
            each.Application()->runJavaScript(QStringLiteral("typeof paneHold === 'object'"),
                QWebEngineScript::ApplicationWorld, [&](const QVariant& value) {
                    held = value.toBool();
                    done = true;
                });
            EXPECT_TRUE(waitUntil([&] { return done; }) && held) << "the hold, round " << round;
        }
    }
}

TEST_F(Pane, PagesPlayWithoutAClickFindTheServersRolesAndStopWhileTheirPaneIsHidden)
{
    // The film comes from the film mirror server the environment names, not the page's own.
    SimServer mirror;
    std::filesystem::copy_file(std::filesystem::path(TEST_PORTAL_SIM).parent_path() / "site/media/films/film3.webm",
        mirror.site() / "film.webm");
    sim.site().write("film.html",
        "<html><body><video id='v'></video><script>"
        "v.src = 'http://' + portalServers.filmMirror + '/film.webm'; v.play();</script></body></html>");
    QWidget panel;
    panel.resize(400, 300);
    std::optional<ScopedEnv> mirrorRole(std::in_place, "FILM_MIRROR_SERVER", mirror.host());
    BrowserPane player(&panel);
    mirrorRole.reset(); // the pane took the role when it was made
    panel.show();
    player.Navigate(q(sim.url("/film.html")));
    const auto time = [&] { return evaluate(player, QStringLiteral("v.currentTime")).toDouble(); };
    ASSERT_TRUE(waitUntil([&] { return time() > 0.5; }, 20000)) << "it plays without a click";
    EXPECT_EQ(evaluate(player, QStringLiteral("portalServers.tvSite")).toString(), q(serverHost(ServerRole::TvSite)));
    EXPECT_FALSE(mirror.server().requests().empty());

    // Hidden with its panel, the pane stops its film; shown again, the film goes on.
    panel.hide();
    ASSERT_TRUE(waitUntil([&] { return evaluate(player, QStringLiteral("v.paused")).toBool(); }));
    const double stopped = time();
    waitUntil([] { return false; }, 800);
    EXPECT_EQ(time(), stopped);
    panel.show();
    EXPECT_TRUE(waitUntil([&] { return time() > stopped + 0.3; }, 10000));
}

TEST_F(Pane, APageThatStartsPlayingWhileItsPaneIsHiddenWaitsForThePaneToShow)
{
    std::filesystem::copy_file(
        std::filesystem::path(TEST_PORTAL_SIM).parent_path() / "site/media/films/film3.webm", sim.site() / "film.webm");
    // Each way a page starts its media: the autoplay attribute, play() as the page loads, and
    // play() on a video the page makes later.
    sim.site().write("films.html",
        "<html><body><video id='a' src='/film.webm' autoplay muted></video><video id='b' src='/film.webm'></video>"
        "<script>b.play().catch(() => {});"
        "function later() { const v = document.createElement('video'); v.id = 'c'; v.src = '/film.webm';"
        " document.body.appendChild(v); v.play().catch(() => {}); }</script></body></html>");
    QWidget panel;
    panel.resize(400, 300);
    BrowserPane player(&panel);
    Events events(player);
    player.Navigate(q(sim.url("/films.html")));
    ASSERT_TRUE(waitUntil([&] { return events.topCompletes == 1; }));
    const auto state = [&](const char* id) {
        return evaluate(player,
            QStringLiteral("(v => v ? [v.readyState >= 1, v.paused, v.currentTime > 0].join() : "
                           "'none')(document.getElementById('%1'))")
                .arg(QLatin1String(id)))
            .toString();
    };
    const QString loadedHeld = QStringLiteral("true,true,false");
    const QString playing = QStringLiteral("true,false,true");

    // Hidden from the start: the films load, yet none moves.
    EXPECT_TRUE(waitUntil([&] { return state("a") == loadedHeld && state("b") == loadedHeld; }, 10000))
        << state("a").toStdString() << " " << state("b").toStdString();
    waitUntil([] { return false; }, 1000);
    EXPECT_EQ(state("a"), loadedHeld);
    EXPECT_EQ(state("b"), loadedHeld);

    // Shown, both play; hidden again, a film the page starts now waits too.
    panel.show();
    EXPECT_TRUE(waitUntil([&] { return state("a") == playing && state("b") == playing; }, 10000));
    panel.hide();
    evaluate(player, QStringLiteral("later()"));
    EXPECT_TRUE(waitUntil([&] { return state("c") == loadedHeld; }, 10000)) << state("c").toStdString();
    waitUntil([] { return false; }, 800);
    for (const char* id : {"a", "b", "c"})
        EXPECT_EQ(
            evaluate(player, QStringLiteral("document.getElementById('%1').paused").arg(QLatin1String(id))).toBool(),
            true)
            << id;
    panel.show();
    EXPECT_TRUE(waitUntil([&] { return state("c") == playing; }, 10000));
}
