#pragma once

#include <QPointer>
#include <QWidget>

class QWebEnginePage;
class QWebEngineView;

// A page shown full screen: a window of its own covering the screen shows the page, and
// Escape asks the page to leave full screen. The program's window is not touched at all
// (frame, size, pin and stacking stay as they are); when this window goes, the page returns
// to the view it came from. Closed by the user (the window manager's close), the window
// reports it and the page leaves full screen.
class FullScreenView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FullScreenView)

public:
    FullScreenView(QWebEngineView* from, QWebEnginePage* page);
    ~FullScreenView() override;

signals:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWebEngineView* m_view;
    QPointer<QWebEngineView> m_from;
    QPointer<QWebEnginePage> m_page;
};
