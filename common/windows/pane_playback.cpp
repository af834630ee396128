#include "common/windows/pane_playback.h"

#include "common/windows/full_screen_view.h"
#include "common/windows/pane_scripts.h"

#include <QEvent>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWidget>

namespace {

// In the panes' own script world, so that no page script can see or undo it. From the
// document's creation on, every start of a media element of the page (autoplay, a play()
// call of any script) is taken back at once while the pane is held, and remembered; the
// document still loads its media. A document starts held while its page is off screen; the
// pane tells each new document its own state as soon as the document is there.
constexpr char kHoldScript[] = R"(
(function () {
    if (globalThis.paneHold) return;
    const hold = globalThis.paneHold = { on: document.visibilityState !== 'visible', media: new Set() };
    document.addEventListener('play', function (event) {
        const media = event.target;
        if (hold.on && media instanceof HTMLMediaElement) {
            hold.media.add(media);
            media.pause();
        }
    }, true);
    // A pause before the first frame withdraws autoplay, which would otherwise run a moment
    // before its play event arrives.
    document.addEventListener('loadstart', function (event) {
        const media = event.target;
        if (hold.on && media instanceof HTMLMediaElement && media.autoplay && media.paused) {
            hold.media.add(media);
            media.pause();
        }
    }, true);
})();
)";
constexpr char kHold[] = R"(
    if (globalThis.paneHold) {
        paneHold.on = true;
        document.querySelectorAll('video, audio').forEach(m => { if (!m.paused) { paneHold.media.add(m); m.pause(); } });
    }
)";
constexpr char kRelease[] = R"(
    if (globalThis.paneHold) {
        paneHold.on = false;
        paneHold.media.forEach(m => m.play().catch(() => {}));
        paneHold.media.clear();
    }
)";
// The user closed the window that showed the film: it stops, and stays stopped.
constexpr char kStop[] = R"(
    document.querySelectorAll('video, audio').forEach(m => m.pause());
    if (globalThis.paneHold) paneHold.media.clear();
)";

const QString kHoldScriptName = QStringLiteral("pane-hold");

} // namespace

PanePlayback::PanePlayback(QWidget* pane, QWebEngineView* view, QWebEnginePage* page)
    : QObject(pane)
    , m_pane(pane)
    , m_view(view)
    , m_page(page)
{
    page->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    page->settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    // The TV shell's channel pages are local files whose players stream from the TV site.
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    connect(page, &QWebEnginePage::fullScreenRequested, this, &PanePlayback::onFullScreenRequested);
    pane_scripts::install(
        *page, kHoldScriptName, QString::fromLatin1(kHoldScript), QWebEngineScript::ApplicationWorld, false);
    // Each new document learns whether its pane holds it: the page's visibility it starts
    // from may not be the pane's (a minimized window's pane plays, a pane just shown or
    // hidden may not have told the page yet).
    connect(page, &QWebEnginePage::urlChanged, this, &PanePlayback::tellDocument);
    connect(page, &QWebEnginePage::loadFinished, this, &PanePlayback::tellDocument);
    pane->installEventFilter(this);
    // A pane is made before it is shown: its first pages wait for it to show.
    setHeld(!pane->isVisible());
}

PanePlayback::~PanePlayback() = default;

void PanePlayback::setHeld(bool held)
{
    m_held = held;
    tellDocument();
}

void PanePlayback::tellDocument()
{
    if (m_page)
        m_page->runJavaScript(QString::fromLatin1(m_held ? kHold : kRelease), QWebEngineScript::ApplicationWorld);
}

bool PanePlayback::eventFilter(QObject* watched, QEvent* event)
{
    // Only a hide by the program (a view toggle, a page switch, the window closing or going
    // to the tray) holds the media; a window the user merely minimizes plays on.
    if (watched == m_pane && m_page && !event->spontaneous()) {
        if (event->type() == QEvent::Hide) {
            if (m_fullScreen)
                m_page->triggerAction(QWebEnginePage::ExitFullScreen);
            setHeld(true);
        } else if (event->type() == QEvent::Show) {
            setHeld(false);
        }
    }
    return QObject::eventFilter(watched, event);
}

void PanePlayback::onFullScreenRequested(QWebEngineFullScreenRequest request)
{
    if (request.toggleOn()) {
        if (m_fullScreen || !m_view || !m_page)
            return request.reject();
        request.accept();
        m_fullScreen = std::make_unique<FullScreenView>(m_view, m_page);
        connect(m_fullScreen.get(), &FullScreenView::closedByUser, this, [this] {
            if (m_page)
                m_page->runJavaScript(QString::fromLatin1(kStop), QWebEngineScript::ApplicationWorld);
        });
    } else {
        request.accept();
        m_fullScreen.reset();
    }
}
