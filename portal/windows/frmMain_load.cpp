// Start-up, shutdown, layout and pin-on-top of the main window.
#include "portal/windows/frmMain.h"

#include "common/logic/ad_control.h"
#include "common/logic/self_update.h"
#include "common/logic/update_notice.h"
#include "common/windows/FindUpdate.h"
#include "common/windows/ad_control_run.h"
#include "common/windows/frmRightBottom.h"
#include "common/windows/guarded_step.h"
#include "common/windows/twips.h"
#include "platform/file_util.h"
#include "platform/installation.h"
#include "platform/program_folder.h"
#include "portal/frame/windows/caption_buttons.h"
#include "portal/logic/accessible_names.h"
#include "portal/logic/portal_layout.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QMenu>
#include <QTimer>

#include <exception>
#include <optional>

namespace {

QString localPage(const char* relative)
{
    return QString::fromStdString(platform::programFolder()) + QString::fromUtf8(relative);
}

void applyPlacement(QWidget* panel, QWidget* browser, const portal::PanelPlacement& p)
{
    panel->move(twips::toPixels(p.panelLeft), twips::toPixels(p.panelTop));
    // A size the window cannot take (too small, minimised) keeps the previous one.
    panel->resize(p.panelWidth ? twips::toPixels(*p.panelWidth) : panel->width(),
        p.panelHeight ? twips::toPixels(*p.panelHeight) : panel->height());
    browser->move(twips::toPixels(p.browserLeft), twips::toPixels(p.browserTop));
    browser->resize(p.browserWidth ? twips::toPixels(*p.browserWidth) : browser->width(),
        p.browserHeight ? twips::toPixels(*p.browserHeight) : browser->height());
}

} // namespace

void frmMain::Form_Load()
{
    guarded([&] { dtop->setEnabled(false); });
    guarded([&] {
        c_Skin = frame::newSkinForm();
        // The window's own minimum, before the frame's limits take over at the attach.
        c_Skin->setMinTrackSize({minimumWidth(), minimumHeight()});
        c_Skin->Attach(frame::hwndOf(this));
        addCaptionButtons();
    });
    // The cover's page began loading when the window was made.
    guarded([&] { placeStartCover(); });
    // The probe began when the window was made, beside the engine's start; its answer decides
    // the start page here, as a probe made now would.
    guarded([&] { m_fetch.FinishPortalProbe(*FindTVLink); });
    guarded([&] {
        const ServerRole role = FindTVLink->text() != "OK" ? ServerRole::PortalPrimary : ServerRole::PortalBackup;
        WebBrowser1->Navigate(QString::fromStdString(serverUrl(role, "/box")));
    });
    guarded([&] {
        if (WebBrowser2->LocationURL().isEmpty())
            WebBrowser2->NavigateDeferred(localPage("\\html\\Playloading.html"));
    });
    guarded([&] {
        WebBrowser1->setSilent(true);
        WebBrowser2->setSilent(true);
    });
    guarded([&] { play_load_Web->NavigateDeferred(localPage("\\html\\loading.html")); });
    // The hidden panes' pages load once the library page is complete, so that the page the
    // user waits for has the engine to itself; at the latest after a few seconds.
    guarded([&] { QTimer::singleShot(kHiddenPagesLatestMs, this, &frmMain::loadHiddenPanes); });
    guarded([&] {
        placeLibraryPane();
        Picture1->show();
        Picture3->hide();
    });
    guarded([&] { BFQ_YSKpic->showImage(&Picture5[0]); });
    guarded([&] { play_load_Pic->hide(); });
    guarded([&] { TimeAdControl->start(); });
    guarded([&] { boxmovie->setEnabled(false); });
    // The three pop-up menus are never part of a menu bar here; they only open as pop-ups.
    guarded([&] { PicTopControl->showImage(&PicTop1[0]); });
    // The progress strip is measured in pixels throughout.
    // A system installation is updated by the package manager: no update check.
    guarded([&] {
        if (self_update::enabled())
            gengxinTime->start();
    });
    guarded([&] { Picture6->setEnabled(false); });
}

void frmMain::beginStartCover()
{
    // Its page process starts while the rest of the window is made and the probe waits.
    guarded([&] { Load_Web->Navigate(localPage("\\html\\loading.html")); });
}

void frmMain::loadHiddenPanes()
{
    WebBrowser2->startDeferredNavigation();
    play_load_Web->startDeferredNavigation();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        closeUpdateNotices(this);
        // The unload stops at its first failure; the window closes all the same.
        try {
            Form_Unload();
        } catch (const std::exception&) { }
    }
    event->accept();
}

void frmMain::Form_Unload()
{
    const std::string adControl
        = platform::joinPath(platform::installation::cacheFolder(), adShellNames(Shell::Portal).localCopy);
    if (platform::fileExists(adControl))
        platform::removeFile(adControl);

    // The second line of the advertisement control decides on the exit advertisement.
    runExitRule(*List1, m_exitAdvert, *TimeAdControl);

    // The frame may be handling the close that runs this unload; it ends when it is done.
    frame::CSkinForm::Release(std::move(c_Skin));

    update_notice::removeLocalFiles(Shell::Portal);
}

void frmMain::Timer1_Timer()
{
    Timer1->stop();
    play_load_Pic->hide();
    Picture1->hide();
    Picture3->show();
    BFQ_YSKpic->showImage(&Picture5[1]);
}

void frmMain::TimeAdControl_Timer()
{
    // The pop-up is a window of its own: it outlives this one and deletes itself on closing.
    runAdControl(Shell::Portal, m_fetch, *Label3Holder, *List1, *TimeAdControl,
        [this](frmRightBottom* popup) { m_cornerPopup = popup; });
}

frmRightBottom* frmMain::cornerPopup() const
{
    return qobject_cast<frmRightBottom*>(m_cornerPopup.data());
}

void frmMain::addCaptionButtons()
{
    const portal_accessible::CaptionNames& n = portal_accessible::captionNames;
    auto* buttons = new frame::CaptionButtons(*this, [this] { return c_Skin.get(); },
        {QString::fromUtf8(n.minimize), QString::fromUtf8(n.maximize), QString::fromUtf8(n.restore),
            QString::fromUtf8(n.close)});
    // After the title area's own buttons, before the pages.
    setTabOrder(MenuePicBox, buttons->minimizeButton());
    setTabOrder(buttons->minimizeButton(), buttons->maximizeButton());
    setTabOrder(buttons->maximizeButton(), buttons->closeButton());
}

void frmMain::PicTopControl_Click()
{
    setStaysOnTop(!m_pinned);
    PicTopControl->showImage(&PicTop1[m_pinned ? 0 : 1]);
    m_pinned = !m_pinned;
}

void frmMain::setStaysOnTop(bool on)
{
    frame::setStaysOnTop(*this, on);
}

void frmMain::PicTopControl_MouseMove()
{
    const bool pinnedImage = PicTopControl->shownImage() == &PicTop1[1];
    PicTopControl->setToolTip(pinnedImage ? QStringLiteral("取消置顶") : QStringLiteral("置顶"));
}

int frmMain::clientWidthTwips() const
{
    return twips::fromPixels(width());
}

int frmMain::clientHeightTwips() const
{
    return twips::fromPixels(height());
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void frmMain::placeStartCover()
{
    applyPlacement(load_Pic, Load_Web, portal::layoutFor(clientWidthTwips(), clientHeightTwips()).startCover);
}

void frmMain::placeLibraryPane()
{
    applyPlacement(Picture1, WebBrowser1, portal::layoutFor(clientWidthTwips(), clientHeightTwips()).libraryPane);
}

void frmMain::placePlayerPane()
{
    applyPlacement(Picture3, WebBrowser2, portal::layoutFor(clientWidthTwips(), clientHeightTwips()).playerPane);
}

void frmMain::placePlayCover()
{
    applyPlacement(play_load_Pic, play_load_Web, portal::layoutFor(clientWidthTwips(), clientHeightTwips()).playCover);
}

void frmMain::layOut()
{
    const portal::Layout l = portal::layoutFor(clientWidthTwips(), clientHeightTwips());
    applyPlacement(load_Pic, Load_Web, l.startCover);
    applyPlacement(Picture1, WebBrowser1, l.libraryPane);
    applyPlacement(Picture3, WebBrowser2, l.playerPane);
    applyPlacement(play_load_Pic, play_load_Web, l.playCover);
    MenuePicBox->move(twips::toPixels(l.menuButtonLeft), MenuePicBox->y());
    PicTopControl->move(twips::toPixels(l.pinButtonLeft), PicTopControl->y());
    BFQ_YSKpic->setVisible(l.viewToggleShown);
    Picture6->move(twips::toPixels(l.channelButtonLefts[0]), Picture6->y());
    Picture7->move(twips::toPixels(l.channelButtonLefts[1]), Picture7->y());
    Picture2->move(twips::toPixels(l.channelButtonLefts[2]), Picture2->y());
    ProgressPic->move(twips::toPixels(l.progressLeft), twips::toPixels(l.progressTop));
}
