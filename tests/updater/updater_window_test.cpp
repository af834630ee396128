#include "tests/updater/updater_fixture.h"

#include "platform/skin_engine.h"
#include "tests/support/child_process.h"
#include "tests/support/qt_test_util.h"
#include "updater/controls/windows/cc_xp_button.h"
#include "updater/controls/windows/xp_progress_bar.h"
#include "updater/windows/frmUpdate.h"
#include "updater/windows/qt_question_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>

#include <dlfcn.h>
#include <unistd.h>

#include <functional>

using UpdaterWindow = UpdaterFixture;

namespace {

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// What the list view shows: its rows, a cell's text and alignment, a header's.
int shownRows(const frmUpdate& window)
{
    return window.lvUpdateList->model()->rowCount();
}

QString cell(const frmUpdate& window, int row, int column)
{
    return window.lvUpdateList->model()->index(row, column).data().toString();
}

Qt::Alignment cellAlignment(const frmUpdate& window, int row, int column)
{
    return Qt::Alignment(window.lvUpdateList->model()->index(row, column).data(Qt::TextAlignmentRole).toInt());
}

} // namespace

TEST_F(UpdaterWindow, ControlsAsDesigned)
{
    frmUpdate window({});
    EXPECT_EQ(window.windowTitle(), text("Tovanis网络电视-自动更新程序"));
    EXPECT_EQ(window.picCompany->pixmap().size(), QSize(116, 218));
    EXPECT_EQ(window.picCompany->pixmap().toImage().depth(), 32); // drawn from a 24-bit picture

    const QAbstractItemModel* list = window.lvUpdateList->model();
    const QStringList headers {text("更新文件"), text("版本号"), text("文件大小"), text("进度"), QString()};
    const int widths[] = {247, 141, 118, 71, 0};
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight, Qt::AlignLeft};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(list->headerData(i, Qt::Horizontal).toString(), headers[i]) << i;
        EXPECT_EQ(Qt::Alignment(list->headerData(i, Qt::Horizontal, Qt::TextAlignmentRole).toInt())
                & Qt::AlignHorizontal_Mask,
            alignments[i])
            << i;
        if (i < 4) {
            EXPECT_EQ(window.lvUpdateList->columnWidth(i), widths[i]) << i;
        }
    }
    EXPECT_TRUE(window.lvUpdateList->isColumnHidden(4));
    EXPECT_FALSE(window.lvUpdateList->rootIsDecorated());

    EXPECT_EQ(window.cmdUpdate->Caption(), text("更新"));
    EXPECT_EQ(window.cmdFinish->Caption(), text("完成"));
    EXPECT_EQ(window.cmdUpdate->font().family(), QStringLiteral("Verdana"));
    EXPECT_DOUBLE_EQ(window.cmdFinish->font().pointSizeF(), 8.25);
    EXPECT_EQ(window.pbUpdate->Color(), QColor(0, 0xC0, 0));
    EXPECT_EQ(window.pbUpdate->Max(), 100);
    EXPECT_FALSE(window.pbUpdate->isVisibleTo(&window));
    EXPECT_EQ(window.statusPanel->text(), text("就绪"));
    EXPECT_EQ(window.datePanel->text(), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    EXPECT_FALSE(window.timePanel->text().isEmpty());
    EXPECT_EQ(window.tmrGetUpdateList->interval(), 200);
    EXPECT_FALSE(window.tmrGetUpdateList->isActive());
    // The bottom row lies below the separator, the list beside the banner.
    EXPECT_GT(window.cmdFinish->y(), window.Line1->y());
    EXPECT_GE(window.lvUpdateList->x(), window.picCompany->width());
}

TEST_F(UpdaterWindow, FindsUpdatesAndUpdatesThroughItsHandlers)
{
    writeLocalList({{"a.dat", "1"}});
    folder.write("a.dat", "old");
    writeServerList({{"a.dat", "2"}, {"sub\\b.dat", "1"}});
    serve("a.dat", "new a");
    serve("sub\\b.dat", std::string(4097, 'b'));

    frmUpdate window({});
    ASSERT_TRUE(window.Form_Load());
    EXPECT_TRUE(window.tmrGetUpdateList->isActive());
    window.show();
    window.tmrGetUpdateList_Timer();
    EXPECT_FALSE(window.tmrGetUpdateList->isActive());
    EXPECT_EQ(window.statusPanel->text(), text("共有 2 个更新 ，点【更新】开始更新..."));
    ASSERT_EQ(shownRows(window), 2);
    EXPECT_EQ(cell(window, 1, 0), QStringLiteral("sub\\b.dat"));
    EXPECT_EQ(cell(window, 1, 2), QStringLiteral("4KB"));
    EXPECT_EQ(cell(window, 1, 3), QStringLiteral("0%"));
    EXPECT_EQ(cell(window, 1, 4), QStringLiteral("4097"));
    EXPECT_EQ(cellAlignment(window, 1, 2) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_TRUE(window.cmdUpdate->isEnabled());
    EXPECT_EQ(window.cmdUpdate->Caption(), text("更新"));
    EXPECT_EQ(window.cmdFinish->Caption(), text("取消"));

    window.cmdUpdate_Click();
    EXPECT_EQ(window.statusPanel->text(), text("更新完成！"));
    EXPECT_TRUE(window.pbUpdate->isVisible());
    EXPECT_EQ(window.pbUpdate->Value(), 100);
    EXPECT_FALSE(window.cmdUpdate->isVisible());
    EXPECT_TRUE(window.cmdFinish->isEnabled());
    EXPECT_EQ(window.cmdFinish->Caption(), text("完成"));
    EXPECT_EQ(cell(window, 1, 3), QStringLiteral("100%"));
    EXPECT_EQ(folder.read("a.dat"), "new a");
    EXPECT_EQ(folder.read("sub/b.dat"), std::string(4097, 'b'));

    window.cmdFinish_Click(); // the list's Pallomar is not there: nothing starts
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(folder.exists("NewUpdList.xml"));
}

TEST_F(UpdaterWindow, NothingFoundLeavesOnlyTheExitButton)
{
    writeLocalList({{"a.dat", "1"}});
    writeServerList({{"a.dat", "1"}});
    frmUpdate window({});
    ASSERT_TRUE(window.Form_Load());
    window.show();
    window.tmrGetUpdateList_Timer();
    EXPECT_EQ(window.statusPanel->text(), text("没有可用更新，点【完成】退出..."));
    EXPECT_FALSE(window.cmdUpdate->isVisible());
    EXPECT_EQ(window.cmdFinish->Caption(), text("完成"));
    EXPECT_TRUE(window.cmdFinish->isEnabled());
}

TEST_F(UpdaterWindow, ASkinEngineThatCannotBeLoadedEndsTheStart)
{
    frmUpdate window([this] { return skin_engine::attach(folder.str(), folder.str() + "/skin/x.she", ""); });
    EXPECT_FALSE(window.Form_Load());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(skin_engine::libraryFileName()), std::string::npos) << messages[0];
    EXPECT_FALSE(window.tmrGetUpdateList->isActive());
}

TEST_F(UpdaterWindow, TheSkinEngineIsCalledOnceWithTheSkinFile)
{
    std::filesystem::copy_file(RECORDING_SKIN_ENGINE, folder / skin_engine::libraryFileName());
    const std::string skinFile = folder.str() + "/skin/白色简约.she";
    frmUpdate window([&] { return skin_engine::attach(folder.str(), skinFile, ""); });
    EXPECT_TRUE(window.Form_Load());
    EXPECT_TRUE(messages.empty());

    void* engine = ::dlopen((folder / skin_engine::libraryFileName()).c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(engine, nullptr);
    auto* recorded = reinterpret_cast<const char* (*)()>(::dlsym(engine, "recordedSkinFile"));
    auto* calls = reinterpret_cast<int (*)()>(::dlsym(engine, "recordedCalls"));
    ASSERT_TRUE(recorded && calls);
    EXPECT_EQ(std::string(recorded()), skinFile);
    EXPECT_EQ(calls(), 1);
    ::dlclose(engine);
}

namespace {

// Presses and releases the left mouse button in the middle of a drawn button.
void click(ccXPButton* button)
{
    const QPointF centre(button->width() / 2.0, button->height() / 2.0);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, centre, button->mapToGlobal(centre), Qt::LeftButton,
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &event);
    }
}

// Calls `act` with every message box that opens while `run` runs.
void answerBoxes(const std::function<void()>& run, const std::function<void(QMessageBox*)>& act)
{
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                act(box);
    });
    watcher.start();
    run();
}

} // namespace

TEST_F(UpdaterWindow, TheButtonsShowProgressAndFailuresOnTheWindow)
{
    writeLocalList({{"a.dat", "1"}, {"b.dat", "1"}, {"c.dat", "1"}});
    for (const char* name : {"a.dat", "b.dat", "c.dat"})
        folder.write(name, std::string("old ") + name);
    writeServerList({{"a.dat", "2"}, {"b.dat", "2"}, {"c.dat", "2"}});
    serve("a.dat", std::string(3000, 'a'));
    serve("b.dat", std::string(3000, 'b'));
    serve("c.dat", std::string(1024 * 3 + 1, 'c'));
    frmUpdate window({});
    ASSERT_TRUE(window.Form_Load());
    window.show();
    window.tmrGetUpdateList_Timer();
    ASSERT_TRUE(window.cmdUpdate->isEnabled());

    // The server loses b.dat after it announced it: an error page is no file.
    sim.rule("/update/files/b.dat", "status=404");
    std::vector<int> shown;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (shown.empty() || shown.back() != window.pbUpdate->Value())
            shown.push_back(window.pbUpdate->Value());
    });
    sampler.start(0);
    click(window.cmdUpdate);
    sampler.stop();
    shown.push_back(window.pbUpdate->Value());

    EXPECT_EQ(shown, (std::vector<int> {0, 30, 61, 91, 100}));
    EXPECT_EQ(window.statusPanel->text(), text("更新未完成：1 个文件更新失败（b.dat），下次启动将重新更新"));
    EXPECT_EQ(cell(window, 1, 3), text("失败"));
    EXPECT_EQ(cell(window, 2, 3), QStringLiteral("100%"));
    EXPECT_EQ(folder.read("a.dat"), std::string(3000, 'a'));
    EXPECT_EQ(folder.read("b.dat"), "old b.dat");
    EXPECT_EQ(folder.read("c.dat"), std::string(1024 * 3 + 1, 'c'));
    EXPECT_FALSE(window.cmdUpdate->isVisible());
    EXPECT_TRUE(window.cmdFinish->isEnabled());
    EXPECT_TRUE(messages.empty());

    click(window.cmdFinish);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(folder.exists("NewUpdList.xml"));
    for (const auto& name : folderContents())
        EXPECT_FALSE(name.ends_with(".tmp")) << name;
}

TEST_F(UpdaterWindow, ClosingTheWindowDuringTheUpdatePutsNothingInPlace)
{
    writeLocalList({{"a.dat", "1"}, {"b.dat", "1"}});
    folder.write("a.dat", "old a");
    folder.write("b.dat", "old b");
    writeServerList({{"a.dat", "2"}, {"b.dat", "2"}});
    serve("a.dat", "new a");
    serve("b.dat", "new b");
    const std::string localList = folder.read("UpdList.xml");
    frmUpdate window({});
    ASSERT_TRUE(window.Form_Load());
    window.show();
    window.tmrGetUpdateList_Timer();
    ASSERT_EQ(shownRows(window), 2);

    sim.rule("/update/files/b.dat", "hang");
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (window.statusPanel->text() == text("正在更新：b.dat ...") && window.session().intClient().stillExecuting())
            window.close();
    });
    closer.start(10);
    click(window.cmdUpdate);
    closer.stop();
    sim.rule("/update/files/b.dat", "normal");

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(folder.read("a.dat"), "old a");
    EXPECT_EQ(folder.read("b.dat"), "old b");
    EXPECT_EQ(folder.read("UpdList.xml"), localList);
    for (const auto& name : folderContents())
        EXPECT_FALSE(name.ends_with(".tmp")) << name;
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(UpdaterWindow, TheExitButtonWhileTheListIsFetchedLeavesNoServerList)
{
    writeLocalList({{"a.dat", "1"}});
    writeServerList({{"a.dat", "2"}});
    serve("a.dat", "a");
    sim.rule("/update/files/UpdList.xml", "hang");
    frmUpdate window({});
    ASSERT_TRUE(window.Form_Load());
    window.show();
    QTimer exiter;
    QObject::connect(&exiter, &QTimer::timeout, [&] {
        if (window.isVisible() && window.session().intClient().stillExecuting()) {
            click(window.cmdFinish);
            // The server answers again: nothing fetched for the closed window may stay behind.
            sim.rule("/update/files/UpdList.xml", "normal");
        }
    });
    exiter.start(10);
    window.tmrGetUpdateList_Timer();
    exiter.stop();

    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(folder.exists("NewUpdList.xml"));
    EXPECT_FALSE(folder.exists("a.dat")) << "nothing was updated";
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(UpdaterWindow, TheRunningProgramIsAskedAboutInARealQuestionBox)
{
    const std::string name = "RenovoWindowRunApp" + std::to_string(::getpid());
    const auto program = folder / name;
    std::filesystem::copy_file("/bin/sleep", program);
    std::filesystem::permissions(program, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
    writeLocalList({});
    writeServerList({{"a.dat", "1"}}, name + ".exe");
    serve("a.dat", "a");
    ChildProcess child(program.string(), {"60"});
    ASSERT_TRUE(child.started());
    installQtQuestionBox();

    frmUpdate window({});
    ASSERT_TRUE(window.Form_Load());
    window.show();
    std::vector<QString> asked;
    answerBoxes([&] { window.tmrGetUpdateList_Timer(); },
        [&](QMessageBox* box) {
            asked.push_back(box->text());
            EXPECT_EQ(box->icon(), QMessageBox::Question);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::No));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Renovo"));
            box->button(QMessageBox::Yes)->click();
        });
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0],
        QString::fromStdString("更新主程序：" + program.string() + "正在运行!\n\r关闭此程序按[是]，终止更新按[否]"));
    EXPECT_NE(child.wait(5000), -1) << "ended on Yes";
    EXPECT_EQ(window.statusPanel->text(), text("共有 1 个更新 ，点【更新】开始更新..."));
    EXPECT_TRUE(window.cmdUpdate->isEnabled());
}

TEST_F(UpdaterWindow, ClosingTheWindowWhileSizesAreAskedEndsTheList)
{
    writeLocalList({});
    writeServerList({{"a.dat", "1"}, {"b.dat", "1"}, {"c.dat", "1"}});
    for (const char* name : {"a.dat", "b.dat", "c.dat"})
        serve(name, name);
    sim.rule("/update/files/b.dat", "hang");
    frmUpdate window({});
    ASSERT_TRUE(window.Form_Load());
    window.show();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (shownRows(window) == 2 && window.session().intClient().stillExecuting())
            window.close();
    });
    closer.start(10);
    window.tmrGetUpdateList_Timer();
    closer.stop();
    sim.rule("/update/files/b.dat", "normal");

    EXPECT_FALSE(window.isVisible());
    const auto requests = sim.server().requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "HEAD /update/files/c.dat"), 0);
    EXPECT_EQ(window.statusPanel->text(), text("正在获取更新列表，请稍候..."));
    EXPECT_FALSE(window.cmdUpdate->isEnabled());
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(UpdaterWindow, TheDefaultSkinDressesTheWindow)
{
    const std::string programFolder = TEST_PROGRAM_FOLDER;
    // The skin restyles the whole application: put it back however the test ends.
    struct ApplicationLook
    {
        QPalette palette = QApplication::palette();
        ~ApplicationLook()
        {
            qApp->setStyleSheet(QString());
            QApplication::setPalette(palette);
        }
    } const restoreLook;
    frmUpdate window(
        [&] { return skin_engine::attach(programFolder, programFolder + "/skin/白色简约.she", std::string()); });
    ASSERT_TRUE(window.Form_Load());
    window.show();
    const QImage image = window.grab().toImage();
    const QPoint statusBar = window.sbUpdateInfo->geometry().center();
    const QPoint listArea = window.lvUpdateList->geometry().center();
    const QColor statusColour = image.pixelColor(statusBar.x(), window.sbUpdateInfo->geometry().bottom() - 2);
    const QColor listColour = image.pixelColor(listArea);

    EXPECT_EQ(statusColour, QColor(0xED, 0xF0, 0xF4));
    EXPECT_EQ(listColour, QColor(0xFF, 0xFF, 0xFF));
    EXPECT_TRUE(messages.empty());
}
