#include "common/windows/frmRightBottom.h"

#include "common/logic/server_roles.h"
#include "common/windows/BrowserPane.h"
#include "common/windows/ad_popup_parts.h"

#include "common/logic/popup_names.h"

#include <QTimer>

frmRightBottom::frmRightBottom(Shell shell, std::vector<std::string> items)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    , Picture1(new QWidget(this))
    , WebBrowser1(new BrowserPane(Picture1))
    , Picture2(new AdCloseImage(Picture1))
    , Timer1(new QTimer(this))
    , Timer2(new QTimer(this))
    , m_items(std::move(items))
{
    const AdShellNames& names = adShellNames(shell);
    setObjectName(QString::fromUtf8(names.cornerWindow));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // A window of its own like any other: the program lives on while it is open, even after
    // the main window has closed (a tool window would not count).
    setAttribute(Qt::WA_QuitOnClose, true);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAutoFillBackground(true);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    Picture2->raise();
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(names.cornerCloseMs);
    connect(Timer1, &QTimer::timeout, this, &frmRightBottom::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &frmRightBottom::Timer2_Timer);
    connect(Picture2, &AdCloseImage::clicked, this, &frmRightBottom::Picture2_Click);
    ad_popup::makeAccessible(*this, popup_names::cornerPopup, *Picture2, *WebBrowser1);
}

frmRightBottom::~frmRightBottom() = default;

bool frmRightBottom::Form_Load()
{
    // The close timer runs from the load on where the shell has one.
    if (Timer2->interval() > 0)
        Timer2->start();
    WebBrowser1->Navigate(QString::fromStdString(serverUrl(ServerRole::TvSite, ad_control::cornerPagePath)));
    hide();
    const ad_popup::ScreenTwips screen = ad_popup::primaryScreen();
    if (!screen.bottomMargin)
        return false;
    const auto g = ad_control::cornerPopupGeometry(m_items, screen.width, screen.height, *screen.bottomMargin);
    if (!g)
        return false;
    m_screenOrigin = screen.origin;
    m_leftTwips = g->window.left;
    m_slide.emplace(g->window.top);
    resize(ad_popup::pixels(g->window.width), ad_popup::pixels(g->window.height));
    placeAtTop();
    Picture1->setGeometry(ad_popup::pixels(g->container));
    WebBrowser1->setGeometry(ad_popup::pixels(g->browser));
    Picture2->place(ad_popup::pixels(g->closeImage));
    Timer1->setInterval(ad_control::cornerSlideMs);
    Timer1->start();
    show();
    // It takes no focus: the screen reader is told it opened instead.
    ad_popup::announce(*this);
    return true;
}

double frmRightBottom::topTwips() const
{
    return m_slide ? m_slide->topTwips() : 0;
}

int frmRightBottom::tickCounter() const
{
    return m_slide ? m_slide->ticks() : 0;
}

void frmRightBottom::placeAtTop()
{
    move(m_screenOrigin + QPoint(ad_popup::pixels(m_leftTwips), ad_popup::pixels(m_slide->topTwips())));
}

void frmRightBottom::Timer1_Timer()
{
    if (!m_slide)
        return;
    const bool goesOn = m_slide->tick();
    placeAtTop();
    if (!goesOn)
        Timer1->stop();
}

void frmRightBottom::Timer2_Timer()
{
    Timer1->stop();
    Timer2->stop();
    close();
}

void frmRightBottom::Picture2_Click()
{
    close();
}

frmRightBottom* showCornerPopup(Shell shell, const std::vector<std::string>& items)
{
    auto* popup = new frmRightBottom(shell, items);
    if (!popup->Form_Load()) {
        delete popup;
        return nullptr;
    }
    return popup;
}
