#pragma once

#include "updater/logic/UpdaterSession.h"
#include "updater/logic/update_view.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <string>

class QFrame;
class QLabel;
class QStatusBar;
class QTimer;
class QTreeView;
class UpdateRowsModel;
class XP_ProgressBar;
class ccXPButton;

// The updater window: banner, the report list of files to update, the progress bar, the
// update and exit buttons and the status bar. Its handlers forward to UpdaterSession.
class frmUpdate final : public QWidget, public UpdateView
{
    Q_OBJECT

public:
    // Attaches the skin; returns "" or the reason it failed.
    using SkinAttach = std::function<std::string()>;

    explicit frmUpdate(SkinAttach attachSkin, QWidget* parent = nullptr);
    ~frmUpdate() override;
    Q_DISABLE_COPY_MOVE(frmUpdate)

    // The window's load. False when the skin engine could not be loaded: the user has been
    // told and the program ends.
    bool Form_Load();

    UpdaterSession& session() { return m_session; }

    // UpdateView
    void setStatusText(const std::string& text) override;
    void setButtonCaption(UpdaterButton button, const std::string& caption) override;
    void setButtonEnabled(UpdaterButton button, bool enabled) override;
    void setButtonVisible(UpdaterButton button, bool visible) override;
    void stopListTimer() override;
    void clearRows() override;
    int addRow(const std::string& name, const std::string& ver) override;
    int rowCount() const override;
    std::string cellText(int row, int column) const override;
    void setCellText(int row, int column, const std::string& text) override;
    void setProgressVisible(bool visible) override;
    void setProgressValue(int value) override;
    void processEvents() override;
    void closeWindow() override;

    // Handlers, public so that tests drive them as the events would.
    void tmrGetUpdateList_Timer();
    void cmdUpdate_Click();
    void cmdFinish_Click();

    QLabel* picCompany = nullptr;
    QTreeView* lvUpdateList = nullptr;
    QFrame* Line1 = nullptr;
    XP_ProgressBar* pbUpdate = nullptr;
    ccXPButton* cmdUpdate = nullptr;
    ccXPButton* cmdFinish = nullptr;
    QStatusBar* sbUpdateInfo = nullptr;
    QLabel* statusPanel = nullptr;
    QLabel* datePanel = nullptr;
    QLabel* timePanel = nullptr;
    QTimer* tmrGetUpdateList = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createStatusBar();
    // Names for assistive technology and the keyboard's order through the controls.
    void nameControls();
    void showClock();
    ccXPButton* button(UpdaterButton which) const;
    // New rows join the list a few times a second (see UpdateRowsModel).
    void showPendingRows();

    SkinAttach m_attachSkin;
    UpdateRowsModel* m_rows = nullptr;
    QElapsedTimer m_sinceRowsShown;
    UpdaterSession m_session;
};
