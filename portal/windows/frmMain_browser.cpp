// Film links, page completion, history state and the aspect items of the main window.
#include "portal/windows/frmMain.h"

#include "common/windows/twips.h"
#include "platform/program_folder.h"
#include "platform/program_start.h"

#include <QAction>
#include <QTimer>
#include <QWebEnginePage>

#include <cmath>

void frmMain::WebBrowser1_NewWindow2(BrowserPane::BrowserObject* target)
{
    // Without the address of the clicked link (a script-opened window, a button) the new
    // window opens outside and nothing else changes.
    const QString href = WebBrowser1->activeElementHref();
    if (href.isNull())
        return;
    if (portal::isFilmLink(href.toStdString()))
        *target = WebBrowser2->Application();

    // Other links open in the system's browser, but the player view comes up all the same.
    Picture3->show();
    Picture1->hide();
    BFQ_YSKpic->showImage(&Picture5[1]);
    placePlayCover();
    Timer1->start();
    if (Timer1->isActive()) {
        play_load_Pic->show();
        play_load_Web->Navigate(
            QString::fromStdString(platform::programFolder()) + QStringLiteral("\\html\\Playloading.html"));
    } else {
        play_load_Pic->hide();
    }
    placePlayerPane();
    WebBrowser1->setSilent(true);
    WebBrowser2->setSilent(true);
}

void frmMain::WebBrowser1_DocumentComplete(BrowserPane::BrowserObject browser)
{
    WebBrowser1->setSilent(true);
    WebBrowser2->setSilent(true);
    // Only the top page takes the start cover down; frames inside it do not.
    if (browser == WebBrowser1->Application()) {
        load_Pic->hide();
        Picture1->show();
        // The library pane lies above the player pane, so the library is what is seen now.
        BFQ_YSKpic->showImage(&Picture5[0]);
        loadHiddenPanes();
    }
    ProgressPic->hide();
    ProgressTimer = false;
}

void frmMain::WebBrowser1_CommandStateChange(int command, bool enable)
{
    WebBrowser1->setSilent(true);
    WebBrowser2->setSilent(true);
    if (command == 2)
        GoBackMenu->setEnabled(enable);
    if (command == 1)
        GoForwardMenu->setEnabled(enable);
}

void frmMain::setAspect(int numerator, int denominator)
{
    // Only the width changes, computed in single precision from the outer height.
    const QRect outer = frameGeometry();
    const float outerHeightTwips = static_cast<float>(twips::fromPixels(outer.height()));
    const float widthTwips = outerHeightTwips * static_cast<float>(numerator) / static_cast<float>(denominator);
    const int outerWidth = twips::toPixels(static_cast<int>(std::lround(widthTwips)));
    const int frameExtra = outer.width() - width();
    resize(qMax(1, outerWidth - frameExtra), height());
}

void frmMain::openInSystemBrowser(const std::string& address)
{
    // A browser that cannot be started leaves the window as it is.
    platform::openInSystemBrowser(address);
}
