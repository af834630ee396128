// Channel switching, the progress strip and the view toggle of the main window.
#include "portal/windows/frmMain.h"

#include "common/logic/message_box.h"
#include "common/windows/twips.h"
#include "platform/program_folder.h"
#include "portal/logic/portal_layout.h"

#include <QAction>
#include <QLabel>
#include <QMovie>

namespace {

QString localPage(const char* relative)
{
    return QString::fromStdString(platform::programFolder()) + QString::fromUtf8(relative);
}

} // namespace

void frmMain::switchChannel(portal::Channel channel)
{
    const portal::ChannelInfo& info = portal::channelInfo(channel);
    const portal::ChannelEnabledStates enabled = portal::enabledStatesAfterSwitch(channel);

    BoxTitle->setText(QString::fromUtf8(info.title));
    if (Picture1->isHidden()) {
        Picture1->show();
        Picture3->hide();
        // Back in the library view the toggle offers the player again.
        BFQ_YSKpic->showImage(&Picture5[0]);
    }
    WebTV->setEnabled(enabled.liveTv);
    boxmovie->setEnabled(enabled.hdLibrary);
    qvodmovie->setEnabled(enabled.qvodLibrary);
    Load_Web->Navigate(localPage("\\html\\loading.html"));
    placeStartCover();

    if (channel == portal::Channel::LiveTv)
        WebBrowser1->resize(WebBrowser1->width(), Picture1->height() + twips::toPixels(115));
    if (info.probesOnSwitch) {
        // Start loading at once; the probe decides where the page finally comes from.
        WebBrowser1->Navigate(QString::fromStdString(portal::channelAddress(info, "probed")));
        m_fetch.FetchFilmProbe(*FindTVLinkQvod);
        WebBrowser1->Navigate(QString::fromStdString(portal::channelAddress(info, FindTVLinkQvod->text())));
    } else {
        WebBrowser1->Navigate(QString::fromStdString(portal::channelAddress(info, FindTVLink->text())));
    }
    WebBrowser1->setSilent(true);
    WebBrowser2->setSilent(true);
    play_load_Web->Navigate(localPage("\\html\\loading.html"));
    if (info.emptiesPlayer)
        WebBrowser2->Navigate(localPage("\\html\\Playloading.html"));

    Picture2->setEnabled(enabled.liveTv);
    Picture6->setEnabled(enabled.hdLibrary);
    Picture7->setEnabled(enabled.qvodLibrary);

    ProgressPic->show();
    ProgressTimer = true;
    const portal::Layout layout = portal::layoutFor(twips::fromPixels(width()), twips::fromPixels(height()));
    ProgressPic->move(twips::toPixels(layout.progressLeft), twips::toPixels(layout.progressTop));
    startProgressAnimation();
}

void frmMain::startProgressAnimation()
{
    // Each switch replaces the animation; the previous one goes with it.
    delete m_progressMovie;
    m_progressMovie = new QMovie(localPage("/Images/loading.gif"), QByteArray(), this);
    if (!m_progressMovie->isValid()) {
        message_box::show(windowTitle().toStdString(), "加载文件错误！");
        return;
    }
    m_progressView->setGeometry(0, 0, ProgressPic->width(), ProgressPic->height());
    m_progressView->setMovie(m_progressMovie);
    m_progressMovie->start();
}

void frmMain::BFQ_YSKpic_Click()
{
    // The button does what its image says, whichever view other code left on screen.
    const bool playerOnScreen = Picture1->isHidden() && !Picture3->isHidden();
    if (!playerOnScreen) {
        BFQ_YSKpic->showImage(&Picture5[1]);
        m_viewToggle = false;
        Picture1->hide();
        Picture3->show();
        placePlayerPane();
    } else {
        BFQ_YSKpic->showImage(&Picture5[0]);
        m_viewToggle = true;
        Picture1->show();
        Picture3->hide();
    }
}
