#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class QWebEngineFullScreenRequest;
class QWidget;
class QWebEnginePage;
class QWebEngineView;
class FullScreenView;

// What a pane does for the video its pages play: playback starts without a click (the
// pages are opened for playing), the page's full-screen requests (the player's button, a
// double click) are granted in a full-screen window of their own that leaves the program's
// window untouched, and media stop when the pane goes off screen, so that a hidden pane
// keeps neither sound nor decoding; they go on when it comes back. A page that starts
// playing while its pane is hidden (made hidden, or loaded behind another pane) waits for
// the pane to show. Closing the full-screen window stops the film.
class PanePlayback final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PanePlayback)

public:
    // `pane` is the widget whose hiding stops the media; `view` shows `page` in it.
    PanePlayback(QWidget* pane, QWebEngineView* view, QWebEnginePage* page);
    ~PanePlayback() override;

    bool isFullScreen() const { return m_fullScreen != nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setHeld(bool held);
    void tellDocument();
    void onFullScreenRequested(QWebEngineFullScreenRequest request);

    QWidget* m_pane;
    QPointer<QWebEngineView> m_view;
    QPointer<QWebEnginePage> m_page;
    std::unique_ptr<FullScreenView> m_fullScreen;
    bool m_held = false;
};
