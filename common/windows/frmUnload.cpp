#include "common/windows/frmUnload.h"

#include "common/logic/ad_control.h"
#include "common/logic/server_roles.h"
#include "common/windows/BrowserPane.h"
#include "common/windows/ad_popup_parts.h"

#include "common/logic/popup_names.h"

#include <QTimer>

frmUnload::frmUnload(Shell shell, std::vector<std::string> items)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , Picture1(new QWidget(this))
    , WebBrowser1(new BrowserPane(Picture1))
    , Timer1(new QTimer(this))
    , m_items(std::move(items))
{
    const AdShellNames& names = adShellNames(shell);
    setObjectName(QString::fromUtf8(names.exitWindow));
    setAttribute(Qt::WA_DeleteOnClose);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAutoFillBackground(true);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    // The close image lies on the window itself, above the container.
    Picture2 = new AdCloseImage(this);
    Picture2->place(QRect(0, 0, ad_popup::pixels(255), ad_popup::pixels(255)));
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(names.exitCloseMs);
    connect(Timer1, &QTimer::timeout, this, &frmUnload::Timer1_Timer);
    connect(Picture2, &AdCloseImage::clicked, this, &frmUnload::Picture2_Click);
    ad_popup::makeAccessible(*this, popup_names::exitPopup, *Picture2, *WebBrowser1);
}

frmUnload::~frmUnload() = default;

bool frmUnload::Form_Load()
{
    WebBrowser1->Navigate(QString::fromStdString(serverUrl(ServerRole::TvSite, ad_control::exitPagePath)));
    const auto g = ad_control::exitPopupGeometry(m_items);
    if (!g)
        return false;
    resize(ad_popup::pixels(g->width), ad_popup::pixels(g->height));
    Picture1->setGeometry(ad_popup::pixels(g->container));
    WebBrowser1->setGeometry(ad_popup::pixels(g->browser));
    Picture2->place(ad_popup::pixels(g->closeImage));
    Timer1->start();
    return true;
}

void frmUnload::Timer1_Timer()
{
    close();
}

void frmUnload::Picture2_Click()
{
    close();
}

frmUnload* showExitPopup(Shell shell, const std::vector<std::string>& items)
{
    auto* popup = new frmUnload(shell, items);
    if (!popup->Form_Load()) {
        delete popup;
        return nullptr;
    }
    const ad_popup::ScreenTwips screen = ad_popup::primaryScreen();
    const QSize screenSize(ad_popup::pixels(screen.width), ad_popup::pixels(screen.height));
    popup->move(
        screen.origin + QPoint((screenSize.width() - popup->width()) / 2, (screenSize.height() - popup->height()) / 2));
    popup->show();
    // The keyboard starts on the way out, and the screen reader reads the window.
    popup->Picture2->setFocus();
    ad_popup::announce(*popup);
    return popup;
}
