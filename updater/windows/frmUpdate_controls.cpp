#include "updater/windows/frmUpdate.h"

#include "updater/controls/windows/cc_xp_button.h"
#include "updater/controls/windows/xp_progress_bar.h"
#include "updater/logic/accessible_names.h"
#include "updater/windows/update_rows_model.h"

#include <QAccessibleWidget>
#include <QDateTime>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>

namespace {

constexpr int twipsPerPixel = 15;

constexpr int pixels(int twips)
{
    return (twips + twipsPerPixel / 2) / twipsPerPixel;
}

// Window layout in pixels: the banner at the left edge, the list beside it, a separator
// above the bottom row with the bar and the buttons, the status bar below.
constexpr int bannerWidth = 116;
constexpr int bannerHeight = 218;
constexpr int listLeft = bannerWidth + 8;
constexpr int listWidth = pixels(3704 + 2117 + 1764 + 1058) + 22;
constexpr int clientWidth = listLeft + listWidth + 8;
constexpr int lineTop = bannerHeight + 8;
constexpr int rowTop = lineTop + 8;
constexpr int buttonWidth = 90;
constexpr int buttonHeight = 25;
constexpr int statusTop = rowTop + buttonHeight + 8;
constexpr int statusHeight = 22;

// The columns' widths in twips; the hidden last one holds the announced size.
constexpr int columnWidthsTwips[UpdateRows::columnCount] = {3704, 2117, 1764, 1058, 0};

// The banner: a 24-bit picture of our own, a blue fade with the updater's name.
QPixmap bannerPicture()
{
    QImage image(bannerWidth, bannerHeight, QImage::Format_RGB888);
    QPainter painter(&image);
    QLinearGradient fade(0, 0, 0, bannerHeight);
    fade.setColorAt(0, QColor(0x2B, 0x5C, 0xA8));
    fade.setColorAt(1, QColor(0xD8, 0xE6, 0xF7));
    painter.fillRect(image.rect(), fade);
    painter.setPen(Qt::white);
    QFont title(QStringLiteral("Verdana"), 14, QFont::Bold);
    painter.setFont(title);
    painter.drawText(QRect(0, 24, bannerWidth, 30), Qt::AlignCenter, QStringLiteral("Renovo"));
    painter.setFont(QFont(QStringLiteral("Verdana"), 8));
    painter.drawText(QRect(0, 56, bannerWidth, 40), Qt::AlignCenter, QString::fromUtf8("自动更新"));
    painter.end();
    return QPixmap::fromImage(image);
}

// A screen reader announces a window it enters by a frame's name; a plain top-level widget
// would read as an unnamed filler.
QAccessibleInterface* windowFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("frmUpdate"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void frmUpdate::createControls()
{
    setFixedSize(clientWidth, statusTop + statusHeight);

    picCompany = new QLabel(this);
    picCompany->setObjectName(QStringLiteral("picCompany"));
    picCompany->setGeometry(0, 0, bannerWidth, bannerHeight);
    picCompany->setPixmap(bannerPicture());

    m_rows = new UpdateRowsModel(this);
    lvUpdateList = new QTreeView(this);
    lvUpdateList->setObjectName(QStringLiteral("lvUpdateList"));
    lvUpdateList->setGeometry(listLeft, 8, listWidth, bannerHeight - 8);
    lvUpdateList->setRootIsDecorated(false);
    lvUpdateList->setItemsExpandable(false);
    lvUpdateList->setUniformRowHeights(true);
    lvUpdateList->setSelectionMode(QAbstractItemView::SingleSelection);
    lvUpdateList->setModel(m_rows);
    lvUpdateList->header()->setStretchLastSection(false);
    lvUpdateList->header()->setMinimumSectionSize(0);
    for (int i = 0; i < UpdateRows::columnCount; ++i)
        lvUpdateList->setColumnWidth(i, pixels(columnWidthsTwips[i]));
    lvUpdateList->setColumnHidden(4, true);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(0, lineTop, clientWidth, 2);

    pbUpdate = new XP_ProgressBar(this);
    pbUpdate->setObjectName(QStringLiteral("pbUpdate"));
    pbUpdate->setGeometry(8, rowTop + 3, clientWidth - 2 * buttonWidth - 40, buttonHeight - 6);
    pbUpdate->setColor(QColor(0x00, 0xC0, 0x00));
    pbUpdate->setScrolling(0);
    pbUpdate->setShowText(false);
    pbUpdate->setMin(0);
    pbUpdate->setMax(100);
    pbUpdate->setVisible(false);

    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSizeF(8.25);
    cmdUpdate = new ccXPButton(this);
    cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    cmdUpdate->setFont(verdana);
    cmdUpdate->setCaption(QString::fromUtf8("更新"));
    cmdUpdate->setGeometry(clientWidth - 2 * buttonWidth - 16, rowTop, buttonWidth, buttonHeight);
    cmdFinish = new ccXPButton(this);
    cmdFinish->setObjectName(QStringLiteral("cmdFinish"));
    cmdFinish->setFont(verdana);
    cmdFinish->setCaption(QString::fromUtf8("完成"));
    cmdFinish->setGeometry(clientWidth - buttonWidth - 8, rowTop, buttonWidth, buttonHeight);
    connect(cmdUpdate, &ccXPButton::Click, this, &frmUpdate::cmdUpdate_Click);
    connect(cmdFinish, &ccXPButton::Click, this, &frmUpdate::cmdFinish_Click);

    createStatusBar();
    nameControls();

    tmrGetUpdateList = new QTimer(this);
    tmrGetUpdateList->setObjectName(QStringLiteral("tmrGetUpdateList"));
    tmrGetUpdateList->setInterval(200);
    connect(tmrGetUpdateList, &QTimer::timeout, this, &frmUpdate::tmrGetUpdateList_Timer);
}

void frmUpdate::nameControls()
{
    static const bool installed = (QAccessible::installFactory(windowFactory), true);
    (void)installed;
    for (const auto& [control, name] : accessible_names::controls)
        if (auto* widget = findChild<QWidget*>(QString::fromLatin1(control)))
            widget->setAccessibleName(QString::fromUtf8(name));
    // Reading order: the list, then the buttons; the picture, bar and status take no focus.
    setTabOrder(lvUpdateList, cmdUpdate);
    setTabOrder(cmdUpdate, cmdFinish);
}

void frmUpdate::createStatusBar()
{
    sbUpdateInfo = new QStatusBar(this);
    sbUpdateInfo->setObjectName(QStringLiteral("sbUpdateInfo"));
    sbUpdateInfo->setGeometry(0, statusTop, clientWidth, statusHeight);
    sbUpdateInfo->setSizeGripEnabled(false);
    statusPanel = new QLabel(QString::fromUtf8("就绪"), sbUpdateInfo);
    datePanel = new QLabel(sbUpdateInfo);
    timePanel = new QLabel(sbUpdateInfo);
    sbUpdateInfo->addWidget(statusPanel, 1);
    sbUpdateInfo->addPermanentWidget(datePanel);
    sbUpdateInfo->addPermanentWidget(timePanel);
    showClock();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &frmUpdate::showClock);
    clock->start(1000);
}

void frmUpdate::showClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    datePanel->setText(now.date().toString(QStringLiteral("yyyy-MM-dd")));
    timePanel->setText(now.time().toString(QStringLiteral("HH:mm:ss")));
}
