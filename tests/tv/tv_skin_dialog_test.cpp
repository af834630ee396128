// The skin choice through the real file dialog, as a user types a name into it.
#include "tests/tv/tv_test_fixture.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class TvSkinDialog : public ::testing::Test, public TvFixture
{ };

// Once the file dialog is open: types `name` into its file name field key by key and presses
// its Open button. Records the folder it opened in.
void typeIntoTheDialog(const QString& name, QString& openedIn, bool& typed)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, name, &openedIn, &typed] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* field = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        auto* buttons = dialog ? dialog->findChild<QDialogButtonBox*>() : nullptr;
        if (!field || !buttons || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        openedIn = dialog->directory().absolutePath();
        field->setFocus();
        // Key by key, each key giving its character, as a keyboard or an input method does.
        for (const QChar c : name) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &press);
            QApplication::sendEvent(field, &release);
        }
        // The name completion's list would take the click; it goes first.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        QPushButton* open = buttons->button(QDialogButtonBox::Open);
        if (!open)
            return;
        QTest::mouseClick(open, Qt::LeftButton);
        typed = true;
    });
    poll->start(20);
    // A dialog that never got its answer is closed, so the test fails instead of waiting.
    QTimer::singleShot(30000, [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
}

} // namespace

TEST_F(TvSkinDialog, TypedNameOfNoFileGivesTheInvalidSkinMessageAndAnExistingSkinIsApplied)
{
    const std::string defaultSkin = "时尚星系.she";
    const std::string whiteSkin = "白色简约.she";
    realFileDialog = true;
    program.write("Setting.ini", gbk("[Skin]\r\nName=" + defaultSkin + "\r\n"));
    auto window = start();
    ASSERT_TRUE(dressedIn(skin(defaultSkin)));

    const struct
    {
        std::string typed;
        bool invalid;
        std::string inForce;
    } cases[] = {
        {whiteSkin, false, whiteSkin},
        {"没有这个皮肤.she", true, defaultSkin},
    };
    for (const auto& c : cases) {
        messages.clear();
        QString openedIn;
        bool typed = false;
        typeIntoTheDialog(q(c.typed), openedIn, typed);
        window->menuItem("skinsa")->trigger();
        ASSERT_TRUE(typed) << c.typed;
        EXPECT_EQ(openedIn, q(local("/skin")));
        const std::vector<ShownMessage> expected {
            {message_box::Icon::Error, "Tovanis网络电视", "无效的皮肤文件！请查看是否为：* . she 文件！"}};
        EXPECT_EQ(messages, c.invalid ? expected : std::vector<ShownMessage> {}) << c.typed;
        EXPECT_EQ(window->SkinName(), c.inForce) << c.typed;
        EXPECT_TRUE(dressedIn(skin(c.inForce))) << c.typed;
    }
}
