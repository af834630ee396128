#include "common/windows/FindUpdate.h"

#include "common/windows/drawn_images.h"

#include "common/logic/update_check.h"
#include "common/logic/update_host.h"
#include "common/logic/update_notice.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int twipsPerPixel = 15;

QRect twips(int left, int top, int width, int height)
{
    return {left / twipsPerPixel, top / twipsPerPixel, width / twipsPerPixel, height / twipsPerPixel};
}

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// A transparent icon: an empty one would fall back to the application's icon.
QIcon noIcon()
{
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

} // namespace

FindUpdate::FindUpdate(UpdateHost& host)
    : QDialog(host.noticeOwner(),
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint)
    , m_host(host)
    , m_image(new QLabel(this))
    , m_Label1(new QLabel(this))
    , m_Label20(new QLabel(this))
    , m_btnOK(new QPushButton(QStringLiteral("是"), this))
    , m_btnNO(new QPushButton(QStringLiteral("否"), this))
    , m_Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("FindUpdate"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("有新版本啦！^_^"));
    setFixedSize(5670 / twipsPerPixel, 2670 / twipsPerPixel);

    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(twips(120, 240, 1200, 1200));
    // Drawn at the screen's device pixels: sharp at any scale.
    m_image->setPixmap(drawn_images::updateNotice().pixmap(QSize(80, 80), devicePixelRatioF()));
    m_image->setAlignment(Qt::AlignCenter);

    m_Label1->setObjectName(QStringLiteral("Label1"));
    m_Label1->setGeometry(twips(1440, 240, 4080, 600));
    m_Label1->setWordWrap(true);
    // Server texts are shown as they are: markup in them must not be rendered.
    m_Label1->setTextFormat(Qt::PlainText);
    m_Label20->setTextFormat(Qt::PlainText);
    m_Label20->setObjectName(QStringLiteral("Label20"));
    m_Label20->setGeometry(twips(1440, 900, 4080, 1020));
    m_Label20->setWordWrap(true);
    m_Label20->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnOK->setGeometry(twips(1440, 2040, 855, 375));
    m_btnNO->setObjectName(QStringLiteral("btnNO"));
    m_btnNO->setGeometry(twips(3120, 2040, 855, 375));
    m_btnOK->setAutoDefault(false);
    m_btnNO->setAutoDefault(false);
    connect(m_btnOK, &QPushButton::clicked, this, &FindUpdate::btnOK_Click);
    connect(m_btnNO, &QPushButton::clicked, this, &FindUpdate::btnNO_Click);

    m_Timer1->setObjectName(QStringLiteral("Timer1"));
    m_Timer1->setInterval(autoAcceptMs);
    connect(m_Timer1, &QTimer::timeout, this, &FindUpdate::Timer1_Timer);

    Form_Load();
}

FindUpdate::~FindUpdate() = default;

void FindUpdate::Form_Load()
{
    setWindowIcon(noIcon());
    const Shell shell = m_host.shell();
    m_Label1->setText(text(update_notice::headline(shell)));
    m_Label20->setText(text(update_notice::news(shell)));
    m_Timer1->start();
}

void FindUpdate::btnOK_Click()
{
    update_notice::accept(m_host.shell(), m_host.updateFields().TransferVersion);
    m_Timer1->stop();
    close();
    // Last: closing the main window may take this notice with it.
    UpdateHost& host = m_host;
    host.closeMainWindow();
}

void FindUpdate::btnNO_Click()
{
    update_notice::decline(m_host.shell());
    m_Timer1->stop();
    close();
}

void FindUpdate::Timer1_Timer()
{
    update_notice::accept(m_host.shell(), m_host.updateFields().TransferVersion);
    m_Timer1->stop();
    close();
}

void FindUpdate::closeEvent(QCloseEvent* event)
{
    // However the notice goes, it must not accept the update later by itself. The dialog's
    // own handling would turn the close into a rejection and back; a plain close is meant.
    m_Timer1->stop();
    event->accept();
}

void FindUpdate::showEvent(QShowEvent* event)
{
    // Centre the whole window, frame included, on the owner's; the frame is known only now.
    if (!m_placed) {
        m_placed = true;
        if (const QWidget* owner = parentWidget()) {
            const QRect frame = frameGeometry();
            move(owner->frameGeometry().center() - (frame.center() - frame.topLeft()));
        }
    }
    QDialog::showEvent(event);
}

void FindUpdate::reject()
{
    close();
}

FindUpdate* showUpdateNoticeWhenFlagged(UpdateHost& host)
{
    if (!takeUpdateNoticeRequest(host))
        return nullptr;
    // Reuse an open notice; one that was closed is only waiting to be deleted.
    FindUpdate* notice = nullptr;
    if (QWidget* owner = host.noticeOwner())
        for (FindUpdate* open : owner->findChildren<FindUpdate*>(QString(), Qt::FindDirectChildrenOnly))
            if (open->isVisible())
                notice = open;
    if (!notice)
        notice = new FindUpdate(host);
    notice->show();
    notice->raise();
    return notice;
}

void closeUpdateNotices(QWidget* owner)
{
    if (!owner)
        return;
    for (FindUpdate* notice : owner->findChildren<FindUpdate*>(QString(), Qt::FindDirectChildrenOnly))
        notice->close();
}
