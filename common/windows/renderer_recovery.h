#pragma once

#include <QObject>
#include <QUrl>
#include <QWebEnginePage>

// Brings a page back whose renderer crashed or was killed, which would leave its pane blank
// for ever: the page is loaded again once; when that fails too (its renderer ends again, or
// the load fails) the pane shows the local loading page of the program folder
// ("/html/loading.html"), and then stops trying,
// so a page that kills every renderer cannot make a loop.
class RendererRecovery final : public QObject
{
    Q_OBJECT
public:
    explicit RendererRecovery(QWebEnginePage* page);

private:
    void onTerminated(QWebEnginePage::RenderProcessTerminationStatus status);
    void onLoadFinished(bool ok);
    void giveUp();
    void showFallback();

    QWebEnginePage* m_page;
    QUrl m_fallback;
    int m_fallbackTries = 0;
    enum class Stage { Healthy, Reloading, ShowingFallback } m_stage = Stage::Healthy;
};
