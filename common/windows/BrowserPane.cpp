#include "common/windows/BrowserPane.h"

#include "common/logic/page_servers.h"
#include "common/windows/local_pages.h"
#include "common/windows/pane_context_menu.h"
#include "common/windows/pane_playback.h"
#include "common/windows/pane_script.h"
#include "common/windows/pane_scripts.h"
#include "common/windows/renderer_recovery.h"
#include "platform/program_start.h"

#include <unistd.h>

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

// The page: hands navigations, console messages of the pane script and script dialogs to
// the pane.
class PanePage final : public QWebEnginePage
{
public:
    PanePage(BrowserPane* pane)
        : QWebEnginePage(QWebEngineProfile::defaultProfile(), pane)
        , m_pane(pane)
    { }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        return m_pane->onNavigationRequest(url, isMainFrame);
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int, const QString&) override
    {
        const QString marker = QString::fromUtf16(pane_script::marker);
        if (!message.startsWith(marker))
            return;
        const QString rest = message.mid(marker.size());
        const qsizetype bar = rest.indexOf(QLatin1Char('|'));
        if (bar > 0)
            m_pane->onBridgeMessage(rest.left(bar), rest.mid(bar + 1));
    }
    void javaScriptAlert(const QUrl& origin, const QString& text) override
    {
        if (!m_pane->Silent())
            QWebEnginePage::javaScriptAlert(origin, text);
    }
    bool javaScriptConfirm(const QUrl& origin, const QString& text) override
    {
        return m_pane->Silent() ? false : QWebEnginePage::javaScriptConfirm(origin, text);
    }
    bool javaScriptPrompt(const QUrl& origin, const QString& text, const QString& value, QString* result) override
    {
        return m_pane->Silent() ? false : QWebEnginePage::javaScriptPrompt(origin, text, value, result);
    }

private:
    BrowserPane* m_pane;
};

// The view: the pane decides about context menus.
class PaneView final : public QWebEngineView
{
public:
    PaneView(BrowserPane* pane)
        : QWebEngineView(pane)
        , m_pane(pane)
    { }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        if (!m_pane->onContextMenu(event->globalPos()))
            return;
        QMenu* menu = createStandardContextMenu();
        if (!menu)
            return;
        menu->setAttribute(Qt::WA_DeleteOnClose, true);
        pane_context_menu::keepWorkingItems(*menu, *page());
        if (menu->isEmpty())
            delete menu;
        else
            menu->popup(event->globalPos());
    }

private:
    BrowserPane* m_pane;
};

void BrowserPane::registerSchemes()
{
    local_pages::registerScheme();
}

void BrowserPane::prepareEngine()
{
    // The engine's sandbox cannot run as root; the pages are the maker's own portal.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // All panes of a program share one page process, as the panes of one window always did:
    // a window of four panes then starts about as fast and as small as one bare view.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--renderer-process-limit")) {
        flags += " --renderer-process-limit=1";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    }
    registerSchemes();
}

BrowserPane::BrowserPane(QWidget* parent)
    : QWidget(parent)
{
    local_pages::installHandler();
    m_view = new PaneView(this);
    m_page = new PanePage(this);
    m_view->setPage(m_page);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    pane_scripts::install(
        *m_page, QStringLiteral("pane-bridge"), pane_script::source(), QWebEngineScript::ApplicationWorld, true);
    // In the page's own world: its player looks up where its video comes from. The roles are
    // the program's, read from its environment as the pane is made.
    pane_scripts::install(*m_page, QStringLiteral("page-servers"), QString::fromStdString(page_servers::script()),
        QWebEngineScript::MainWorld, true);
    new PanePlayback(this, m_view, m_page);
    m_page->settings()->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    m_page->settings()->setAttribute(QWebEngineSettings::JavascriptCanPaste, true);

    connect(m_page, &QWebEnginePage::loadFinished, this, &BrowserPane::onLoadFinished);
    // A renderer that crashes or is killed would leave the pane blank for ever.
    new RendererRecovery(m_page);
    connect(m_page, &QWebEnginePage::urlChanged, this, &BrowserPane::reportHistory);
    connect(m_page, &QWebEnginePage::newWindowRequested, this,
        [this](QWebEngineNewWindowRequest& request) { onNewWindow(request.requestedUrl()); });
}

BrowserPane::~BrowserPane() = default;

QUrl BrowserPane::urlFor(const QString& address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || trimmed.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return QUrl(trimmed);
    // A local path built the programs' way; both separators are accepted.
    QString path = trimmed;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return local_pages::urlForPath(path);
}

void BrowserPane::Navigate(const QString& address)
{
    m_navigated = true;
    m_deferredUrl.clear();
    m_page->load(urlFor(address));
}

void BrowserPane::NavigateDeferred(const QString& address)
{
    m_navigated = true;
    m_deferredUrl = urlFor(address);
}

void BrowserPane::startDeferredNavigation()
{
    if (m_deferredUrl.isEmpty())
        return;
    const QUrl url = m_deferredUrl;
    m_deferredUrl.clear();
    m_page->load(url);
}

void BrowserPane::GoBack()
{
    m_page->triggerAction(QWebEnginePage::Back);
}

void BrowserPane::GoForward()
{
    m_page->triggerAction(QWebEnginePage::Forward);
}

void BrowserPane::Refresh()
{
    m_page->triggerAction(QWebEnginePage::Reload);
}

void BrowserPane::setSilent(bool silent)
{
    m_silent = silent;
}

QString BrowserPane::LocationURL() const
{
    if (!m_navigated)
        return {};
    QUrl url = m_deferredUrl;
    if (url.isEmpty())
        url = m_page->url().isEmpty() ? m_page->requestedUrl() : m_page->url();
    const QString local = local_pages::pathForUrl(url);
    return local.isEmpty() ? url.toString() : local;
}

BrowserPane::BrowserObject BrowserPane::Application() const
{
    return m_page;
}

bool BrowserPane::execCommand(const QString& command)
{
    if (command.compare(QLatin1String("copy"), Qt::CaseInsensitive) == 0)
        m_page->triggerAction(QWebEnginePage::Copy);
    else if (command.compare(QLatin1String("paste"), Qt::CaseInsensitive) == 0)
        m_page->triggerAction(QWebEnginePage::Paste);
    else
        return false;
    return true;
}

bool BrowserPane::execScript(const QString& script, const QString& language)
{
    if (language.compare(QLatin1String("javascript"), Qt::CaseInsensitive) != 0)
        return false;
    m_page->runJavaScript(script);
    return true;
}

void BrowserPane::onBridgeMessage(const QString& kind, const QString& value)
{
    if (kind == QLatin1String("href")) {
        m_activeHref = value == QString::fromUtf16(pane_script::noHref) ? QString() : value;
    } else if (kind == QLatin1String("doctype")) {
        m_htmlDocument = value == QLatin1String("text/html") || value == QLatin1String("application/xhtml+xml");
    } else if (kind == QLatin1String("frame-complete")) {
        emit DocumentComplete(nullptr, value);
    } else if (kind == QLatin1String("navigate")) {
        // A scheme no engine handles: the script has stopped it already; the handler sees the
        // exact text, and whatever it decides, there is nothing to load.
        bool cancel = false;
        emit BeforeNavigate2(value, &cancel);
    }
}

void BrowserPane::onLoadFinished(bool)
{
    reportHistory();
    // Images and plug-in documents run no script: a finished load without a document report
    // is not an HTML document.
    emit DocumentComplete(m_page, LocationURL());
    emit DownloadComplete();
}

void BrowserPane::reportHistory()
{
    emit CommandStateChange(1, m_page->history()->canGoForward());
    emit CommandStateChange(2, m_page->history()->canGoBack());
}

bool BrowserPane::onNavigationRequest(const QUrl& url, bool isMainFrame)
{
    const QString local = local_pages::pathForUrl(url);
    bool cancel = false;
    emit BeforeNavigate2(local.isEmpty() ? url.toString() : local, &cancel);
    if (!cancel && isMainFrame) {
        // A new document: its kind is unknown until it reports it, and no element of it has
        // been activated yet, so a later new-window request is not judged by an old link.
        m_htmlDocument = false;
        m_activeHref.clear();
    }
    return !cancel;
}

void BrowserPane::onNewWindow(const QUrl& url)
{
    BrowserObject target = nullptr;
    emit NewWindow2(&target);
    if (target) {
        if (auto* pane = qobject_cast<BrowserPane*>(target->parent()))
            pane->Navigate(url.toString());
        else
            target->load(url);
        return;
    }
    // Not taken into a pane of ours: the system's browser shows it, so no click vanishes.
    if (url.isValid() && !url.isEmpty())
        platform::openInSystemBrowser(url.toString().toStdString());
}

bool BrowserPane::onContextMenu(const QPoint& globalPos)
{
    if (!m_htmlDocument)
        return false;
    bool showDefault = true;
    emit ContextMenu(globalPos, &showDefault);
    return showDefault;
}
