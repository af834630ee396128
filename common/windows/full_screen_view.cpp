#include "common/windows/full_screen_view.h"

#include <QAction>
#include <QCloseEvent>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

FullScreenView::FullScreenView(QWebEngineView* from, QWebEnginePage* page)
    : m_view(new QWebEngineView(this))
    , m_from(from)
    , m_page(page)
{
    setWindowTitle(from->window()->windowTitle());
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->setPage(page);

    auto* leave = new QAction(this);
    leave->setShortcut(Qt::Key_Escape);
    leave->setShortcutContext(Qt::WindowShortcut);
    connect(leave, &QAction::triggered, this, [this] {
        if (m_page)
            m_page->triggerAction(QWebEnginePage::ExitFullScreen);
    });
    addAction(leave);

    // On the screen the program's window is on.
    setGeometry(from->window()->geometry());
    showFullScreen();
    activateWindow();
    m_view->setFocus();
}

FullScreenView::~FullScreenView()
{
    if (m_from && m_page)
        m_from->setPage(m_page);
}

void FullScreenView::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closedByUser();
    if (m_page)
        m_page->triggerAction(QWebEnginePage::ExitFullScreen);
}
