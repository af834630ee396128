#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>

class QWebEnginePage;
class QWebEngineView;
class PanePage;

// One embedded browser pane over Qt WebEngine, with the operations and events the windows
// were written against: Navigate, GoBack, GoForward, Refresh, Silent, LocationURL, the
// document operations, Application, and the events NewWindow2, DocumentComplete,
// BeforeNavigate2, CommandStateChange and DownloadComplete. Geometry is the widget's own;
// a pane placed partly outside its parent panel is clipped by it.
class BrowserPane final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowserPane)

public:
    // The browser object the events hand around: a pane's Application.
    using BrowserObject = QWebEnginePage*;

    explicit BrowserPane(QWidget* parent = nullptr);
    ~BrowserPane() override;

    // Must run before the QApplication is created (the local page scheme).
    static void registerSchemes();
    // What a program does before its QApplication: the scheme, and the engine's settings.
    static void prepareEngine();

    // An "http://" address, or a local path: program folder + a relative path with "\" or
    // "/" separators. Loading starts and the call returns at once, whether the pane is on
    // screen or not.
    void Navigate(const QString& address);
    // For a pane's first page at start-up, when another pane's page matters more: the
    // address becomes the pane's location at once, and loading starts at
    // startDeferredNavigation(). A Navigate in between replaces it.
    void NavigateDeferred(const QString& address);
    void startDeferredNavigation();
    void GoBack();
    void GoForward();
    void Refresh();
    // While silent, script dialogs (alert, confirm, prompt) raise nothing.
    void setSilent(bool silent);
    bool Silent() const { return m_silent; }
    // The current address; empty before the first navigation. Local pages read as paths.
    QString LocationURL() const;
    BrowserObject Application() const;

    // Document operations.
    // The "href" of the element the user last activated in the current document (resolved
    // address); a null text when that element has no href or none was activated yet.
    QString activeElementHref() const { return m_activeHref; }
    // True while the current document is an HTML document (not an image or plug-in).
    bool hasHtmlDocument() const { return m_htmlDocument; }
    // "copy" or "paste" on the current document; false for other commands.
    bool execCommand(const QString& command);
    // Runs script text in the page; `language` must be "javascript".
    bool execScript(const QString& script, const QString& language = QStringLiteral("javascript"));

    QWebEngineView* view() const { return m_view; }

signals:
    // A page asks for a new window. Leave `target` null to open the address in the system's
    // web browser, or set it to a pane's Application to open it in that pane.
    void NewWindow2(BrowserPane::BrowserObject* target);
    // A document completed: the top page (`browser` == Application()) or a frame.
    void DocumentComplete(BrowserPane::BrowserObject browser, const QString& url);
    // Before every navigation, with the exact address; set *cancel to stop it.
    void BeforeNavigate2(const QString& url, bool* cancel);
    // 1: forward possible or not; 2: back possible or not.
    void CommandStateChange(int command, bool enable);
    void DownloadComplete();
    // The user asks for a context menu on an HTML document. Set *showDefault to false to
    // suppress the engine's own menu (the handler shows its own). Not raised for other
    // documents, which get no menu at all.
    void ContextMenu(const QPoint& globalPos, bool* showDefault);

private:
    friend class PanePage;
    friend class PaneView;
    void onBridgeMessage(const QString& kind, const QString& value);
    void onLoadFinished(bool ok);
    void reportHistory();
    bool onNavigationRequest(const QUrl& url, bool isMainFrame);
    void onNewWindow(const QUrl& url);
    bool onContextMenu(const QPoint& globalPos);
    static QUrl urlFor(const QString& address);

    QWebEngineView* m_view = nullptr;
    PanePage* m_page = nullptr;
    bool m_silent = false;
    bool m_navigated = false;
    bool m_htmlDocument = false;
    QString m_activeHref;
    QUrl m_deferredUrl;
};
