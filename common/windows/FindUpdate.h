#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;
class UpdateHost;

// The update notice: a small always-on-top window over the main window that offers the
// server's new version. Yes, or no answer within 40 seconds, starts the updater and records
// the version; Yes also closes the main window. No only removes the local update files.
class FindUpdate final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FindUpdate)

public:
    // Loads the notice for the main window behind `host`, which owns it and outlives it.
    explicit FindUpdate(UpdateHost& host);
    ~FindUpdate() override;

    static constexpr int autoAcceptMs = 40000;

public slots:
    void btnOK_Click();
    void btnNO_Click();
    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Escape closes the notice like its frame does, with no answer.
    void reject() override;

private:
    void Form_Load();

    UpdateHost& m_host;
    QLabel* m_image;
    QLabel* m_Label1;
    QLabel* m_Label20;
    QPushButton* m_btnOK;
    QPushButton* m_btnNO;
    QTimer* m_Timer1;
    bool m_placed = false;
};

// The tick of the notice timer (FindUpdateTimer / Timer4): when the check set the update
// flag, shows the notice (creating it when needed) with the main window as owner and clears
// the flag. Returns the notice shown, or nullptr.
FindUpdate* showUpdateNoticeWhenFlagged(UpdateHost& host);

// The notice belongs to its main window: the main window's unload closes it, so that no
// answer, by button or by timer, runs after the user has quit.
void closeUpdateNotices(QWidget* owner);
