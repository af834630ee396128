#include "common/windows/renderer_recovery.h"

#include "common/windows/local_pages.h"
#include "platform/program_folder.h"

#include <QTimer>

RendererRecovery::RendererRecovery(QWebEnginePage* page)
    : QObject(page)
    , m_page(page)
{
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
        [this](QWebEnginePage::RenderProcessTerminationStatus status, int) { onTerminated(status); });
    connect(page, &QWebEnginePage::loadFinished, this, &RendererRecovery::onLoadFinished);
}

void RendererRecovery::onTerminated(QWebEnginePage::RenderProcessTerminationStatus status)
{
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    switch (m_stage) {
    case Stage::Healthy: {
        m_stage = Stage::Reloading;
        const QUrl again = m_page->url();
        // Not from inside the engine's own notification.
        QTimer::singleShot(0, this, [this, again] {
            if (again.isValid())
                m_page->load(again);
            else
                m_page->triggerAction(QWebEnginePage::Reload);
        });
        break;
    }
    case Stage::Reloading:
        giveUp();
        break;
    case Stage::ShowingFallback:
        // The ended renderer may have been the one the local page was to load in (a failed
        // reload is reported before its renderer's end): once more, then nothing more.
        if (m_fallbackTries < 2)
            showFallback();
        break;
    }
}

void RendererRecovery::onLoadFinished(bool ok)
{
    if (m_stage == Stage::Reloading) {
        if (ok)
            m_stage = Stage::Healthy;
        else
            giveUp();
        return;
    }
    // A page the user or the program opens after the fallback starts a new round.
    if (m_stage == Stage::ShowingFallback && ok && m_page->url() != m_fallback)
        m_stage = Stage::Healthy;
}

void RendererRecovery::giveUp()
{
    m_stage = Stage::ShowingFallback;
    m_fallbackTries = 0;
    m_fallback = local_pages::urlForPath(
        QString::fromStdString(platform::joinPath(platform::programFolder(), "/html/loading.html")));
    showFallback();
}

void RendererRecovery::showFallback()
{
    ++m_fallbackTries;
    QTimer::singleShot(0, this, [this] { m_page->load(m_fallback); });
}
