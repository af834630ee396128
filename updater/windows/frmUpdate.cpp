#include "updater/windows/frmUpdate.h"

#include "common/logic/message_box.h"
#include "common/windows/qt_message_box.h"
#include "updater/controls/windows/cc_xp_button.h"
#include "updater/controls/windows/xp_progress_bar.h"
#include "updater/logic/updater_texts.h"
#include "updater/windows/update_rows_model.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

namespace {

// The updater's waits let every event through, clicks and key presses included: the exit
// button and the window's close must work while a request waits.
void pumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

frmUpdate::frmUpdate(SkinAttach attachSkin, QWidget* parent)
    : QWidget(parent)
    , m_attachSkin(std::move(attachSkin))
    , m_session(*this, [this] { processEvents(); })
{
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(QString::fromUtf8(updater_texts::windowCaption));
    createControls();
}

frmUpdate::~frmUpdate() = default;

bool frmUpdate::Form_Load()
{
    setWindowState(Qt::WindowNoState);
    m_session.Form_Load();
    if (m_attachSkin) {
        if (const std::string error = m_attachSkin(); !error.empty()) {
            message_box::show(updater_texts::programTitle, error);
            return false;
        }
    }
    tmrGetUpdateList->start();
    return true;
}

void frmUpdate::tmrGetUpdateList_Timer()
{
    m_session.tmrGetUpdateList_Timer();
}

void frmUpdate::cmdUpdate_Click()
{
    m_session.cmdUpdate_Click();
}

void frmUpdate::cmdFinish_Click()
{
    m_session.cmdFinish_Click();
}

void frmUpdate::closeEvent(QCloseEvent* event)
{
    // Closed by its frame under a running transfer: the transfer stops and nothing is put in
    // place; the running step unwinds once the window is gone. Nothing fetched stays behind.
    m_session.windowClosing();
    event->accept();
}

ccXPButton* frmUpdate::button(UpdaterButton which) const
{
    return which == UpdaterButton::Update ? cmdUpdate : cmdFinish;
}

void frmUpdate::showPendingRows()
{
    m_rows->show();
    m_sinceRowsShown.restart();
}

void frmUpdate::setStatusText(const std::string& text)
{
    showPendingRows();
    statusPanel->setText(QString::fromStdString(text));
}

void frmUpdate::setButtonCaption(UpdaterButton which, const std::string& caption)
{
    showPendingRows();
    button(which)->setCaption(QString::fromStdString(caption));
}

void frmUpdate::setButtonEnabled(UpdaterButton which, bool enabled)
{
    showPendingRows();
    button(which)->setEnabled(enabled);
}

void frmUpdate::setButtonVisible(UpdaterButton which, bool visible)
{
    showPendingRows();
    button(which)->setVisible(visible);
}

void frmUpdate::stopListTimer()
{
    tmrGetUpdateList->stop();
}

void frmUpdate::clearRows()
{
    m_rows->clear();
}

int frmUpdate::addRow(const std::string& name, const std::string& ver)
{
    const int row = m_rows->add(name, ver);
    if (!m_sinceRowsShown.isValid() || m_sinceRowsShown.elapsed() >= 200)
        showPendingRows();
    return row;
}

int frmUpdate::rowCount() const
{
    return m_rows->rows().size();
}

std::string frmUpdate::cellText(int row, int column) const
{
    return m_rows->rows().text(row, column);
}

void frmUpdate::setCellText(int row, int column, const std::string& text)
{
    m_rows->setText(row, column, text);
}

void frmUpdate::setProgressVisible(bool visible)
{
    showPendingRows();
    pbUpdate->setVisible(visible);
}

void frmUpdate::setProgressValue(int value)
{
    showPendingRows();
    pbUpdate->setValue(value);
}

void frmUpdate::processEvents()
{
    if (m_rows->hasHiddenRows() && m_sinceRowsShown.elapsed() >= 200)
        showPendingRows();
    pumpEvents();
}

void frmUpdate::closeWindow()
{
    showPendingRows();
    close();
}
