#include "common/windows/pane_playback.h"

#include "common/windows/full_screen_view.h"

#include <QEvent>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWidget>

namespace {

// In the panes' own script world, so that no page script can see or undo it.
constexpr char kHoldMedia[] = R"(
    globalThis.heldMedia = Array.from(document.querySelectorAll('video, audio')).filter(m => !m.paused);
    globalThis.heldMedia.forEach(m => m.pause());
)";
constexpr char kResumeMedia[] = R"(
    (globalThis.heldMedia || []).forEach(m => m.play().catch(() => {}));
    globalThis.heldMedia = [];
)";

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
    pane->installEventFilter(this);
}

PanePlayback::~PanePlayback() = default;

bool PanePlayback::eventFilter(QObject* watched, QEvent* event)
{
    // Only a hide by the program (a view toggle, a page switch, the window closing or going
    // to the tray) stops the media; a window the user merely minimizes plays on.
    if (watched == m_pane && m_page && !event->spontaneous()) {
        if (event->type() == QEvent::Hide) {
            if (m_fullScreen)
                m_page->triggerAction(QWebEnginePage::ExitFullScreen);
            m_page->runJavaScript(QString::fromLatin1(kHoldMedia), QWebEngineScript::ApplicationWorld);
        } else if (event->type() == QEvent::Show) {
            m_page->runJavaScript(QString::fromLatin1(kResumeMedia), QWebEngineScript::ApplicationWorld);
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
    } else {
        request.accept();
        m_fullScreen.reset();
    }
}
