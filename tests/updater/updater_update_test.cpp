#include "tests/updater/updater_fixture.h"

#include <chrono>
#include <thread>

using Update = UpdaterFixture;

namespace {

std::string bytesOf(std::size_t size, char seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed + i * 7 % 251);
    return bytes;
}

} // namespace

TEST_F(Update, DownloadsReplacesAndMakesTheServerListLocal)
{
    writeLocalList({{"old.dat", "1"}, {"keep.dat", "1"}});
    folder.write("old.dat", "old content");
    folder.write("keep.dat", "untouched");
    const std::string odd = bytesOf(1024 * 5 + 1, 'a');
    const std::string nested = bytesOf(3000, 'n');
    const std::string big = bytesOf(1048576 * 2 + 17, 'b');
    writeServerList({{"old.dat", "2"}, {"keep.dat", "1"}, {"a\\b\\c.dat", "1"}, {"odd.dat", "1"}, {"big.dat", "1"}});
    serve("old.dat", "new content");
    serve("a\\b\\c.dat", nested);
    serve("odd.dat", odd);
    serve("big.dat", big);

    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 4u);
    session->cmdUpdate_Click();

    EXPECT_EQ(folder.read("old.dat"), "new content");
    EXPECT_EQ(folder.read("keep.dat"), "untouched");
    EXPECT_EQ(folder.read("a/b/c.dat"), nested);
    EXPECT_EQ(folder.read("odd.dat"), odd); // the last chunk of one byte is kept
    EXPECT_EQ(folder.read("big.dat"), big);
    EXPECT_EQ(view.progressValues, (std::vector<int> {0, 23, 45, 68, 91, 100}));
    EXPECT_TRUE(view.progressVisible);
    for (const auto& row : view.rows)
        EXPECT_EQ(row[3], "100%");
    EXPECT_EQ(view.status, "更新完成！");
    EXPECT_FALSE(view.update.visible);
    EXPECT_TRUE(view.finish.enabled);
    EXPECT_EQ(view.finish.caption, "完成");
    EXPECT_EQ(session->members().strCurrentFileName, "big.dat");
    EXPECT_EQ(session->members().lngCurrentFileSize, static_cast<std::int32_t>(big.size()));
    EXPECT_TRUE(messages.empty());

    // The percentages of the big file climb one by one to 100.
    std::vector<std::string> bigSteps;
    bool inBig = false;
    for (const std::string& cell : view.progressCells) {
        if (cell == "1%")
            inBig = true;
        if (inBig)
            bigSteps.push_back(cell);
    }
    ASSERT_FALSE(bigSteps.empty());
    EXPECT_EQ(bigSteps.back(), "100%");

    EXPECT_FALSE(folder.exists("NewUpdList.xml"));
    EXPECT_EQ(folder.read("UpdList.xml"), sim.site().read("update/files/UpdList.xml"));
    for (const auto& name : folderContents())
        EXPECT_FALSE(name.ends_with(".tmp")) << name;

    FakeView next;
    start(next);
    EXPECT_EQ(next.status, "没有可用更新，点【完成】退出...");
}

TEST_F(Update, TheExitButtonStartsTheUpdatedProgramOnlyWhenOneWasFound)
{
    writeLocalList({{"a.dat", "1"}});
    writeServerList({{"a.dat", "1"}}, "Starter.exe");
    auto quiet = start(view);
    ASSERT_TRUE(folder.exists("NewUpdList.xml"));
    quiet->cmdFinish_Click();
    EXPECT_TRUE(view.closed);
    EXPECT_FALSE(folder.exists("NewUpdList.xml"));

    // With an update found, the exit button (captioned "取消") starts the program.
    folder.write("Starter", "#!/bin/sh\necho started > \"$(dirname \"$0\")/started.txt\"\n");
    std::filesystem::permissions(folder / "Starter", std::filesystem::perms::owner_all);
    writeServerList({{"a.dat", "2"}}, "Starter.exe");
    serve("a.dat", "a");
    FakeView found;
    auto session = start(found);
    EXPECT_EQ(found.finish.caption, "取消");
    session->cmdFinish_Click();
    EXPECT_TRUE(found.closed);
    EXPECT_FALSE(folder.exists("NewUpdList.xml"));
    for (int i = 0; i < 200 && !folder.exists("started.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_TRUE(folder.exists("started.txt"));
    EXPECT_FALSE(quiet->members().strRunAppPath.size());
}

TEST_F(Update, AnUpdatedProgramCanStillBeStarted)
{
    folder.write("Starter", "#!/bin/sh\necho old > \"$(dirname \"$0\")/started.txt\"\n");
    std::filesystem::permissions(folder / "Starter", std::filesystem::perms::owner_all);
    writeLocalList({{"Starter", "1"}});
    writeServerList({{"Starter", "2"}, {"bin\\Helper", "1"}, {"bin\\notes.txt", "1"}}, "Starter.exe");
    serve("Starter", "#!/bin/sh\necho new > \"$(dirname \"$0\")/started.txt\"\n");
    serve("bin\\Helper",
        "\x7f"
        "ELF and the rest of a program");
    serve("bin\\notes.txt", "#not a script, only a note");

    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 3u);
    session->cmdUpdate_Click();
    EXPECT_EQ(view.status, "更新完成！");
    // The new file keeps the old one's permissions, so the exit button starts the new program.
    EXPECT_EQ(std::filesystem::status(folder / "Starter").permissions(), std::filesystem::perms::owner_all);
    // A program new to the installation can be run; other new files cannot.
    const auto exec = std::filesystem::perms::owner_exec;
    EXPECT_EQ(std::filesystem::status(folder / "bin/Helper").permissions() & exec, exec);
    EXPECT_EQ(std::filesystem::status(folder / "bin/notes.txt").permissions() & exec, std::filesystem::perms::none);
    session->cmdFinish_Click();
    for (int i = 0; i < 200 && folder.read("started.txt").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_EQ(folder.read("started.txt"), "new\n");
}

// A server that misbehaves on the download, after having answered the list and HEAD well.
class FailingServer : public UpdaterFixture
{
protected:
    void SetUp() override
    {
        UpdaterFixture::SetUp();
        writeLocalList({{"good.dat", "1"}, {"bad.dat", "1"}});
        folder.write("good.dat", "old good");
        folder.write("bad.dat", "old bad");
        writeServerList({{"good.dat", "2"}, {"bad.dat", "2"}, {"fresh.dat", "1"}});
        serve("good.dat", "new good");
        serve("bad.dat", bytesOf(5000, 'x'));
        serve("fresh.dat", "fresh");
    }

    void expectBadFileFailed(const std::vector<std::string>& failedNames)
    {
        EXPECT_EQ(folder.read("good.dat"), "new good");
        EXPECT_EQ(folder.read("bad.dat"), "old bad");
        EXPECT_FALSE(folder.exists("bad.dat.tmp"));
        std::string names;
        for (const auto& name : failedNames)
            names += (names.empty() ? "" : "、") + name;
        EXPECT_EQ(view.status,
            "更新未完成：" + std::to_string(failedNames.size()) + " 个文件更新失败（" + names
                + "），下次启动将重新更新");
        EXPECT_NE(view.status, "更新完成！");
        EXPECT_EQ(view.rows[1][3], "失败");

        // The next run offers exactly the files that failed, with their old entries kept.
        EXPECT_FALSE(folder.exists("NewUpdList.xml"));
        sim.server().clearRules();
        FakeView next;
        start(next);
        std::vector<std::string> offered;
        for (const auto& row : next.rows)
            offered.push_back(row[0]);
        EXPECT_EQ(offered, failedNames);
    }
};

TEST_F(FailingServer, AnErrorPageIsNoFile)
{
    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 3u);
    sim.rule("/update/files/bad.dat", "status=404");
    session->cmdUpdate_Click();
    expectBadFileFailed({"bad.dat"});
    EXPECT_EQ(folder.read("fresh.dat"), "fresh");
}

TEST_F(FailingServer, ABodyCutShortIsNoFile)
{
    auto session = start(view);
    sim.rule("/update/files/bad.dat", "truncate=1000");
    session->cmdUpdate_Click();
    expectBadFileFailed({"bad.dat"});
    EXPECT_EQ(messages, std::vector<std::string> {"网络连接错误，请检查网络连接是否正常!."});
}

TEST_F(FailingServer, ABodyOtherThanAnnouncedIsNoFile)
{
    auto session = start(view);
    serve("bad.dat", bytesOf(6000, 'y')); // grew after the size was announced
    serve("fresh.dat", "fre"); // shrank
    session->cmdUpdate_Click();
    expectBadFileFailed({"bad.dat", "fresh.dat"});
    EXPECT_FALSE(folder.exists("fresh.dat"));
}

TEST_F(FailingServer, ATargetThatCannotBeReplacedKeepsItsContent)
{
    auto session = start(view);
    // A non-empty folder where the new file should go cannot be renamed over.
    folder.write("fresh.dat/inside.txt", "in the way");
    session->cmdUpdate_Click();
    EXPECT_EQ(folder.read("fresh.dat/inside.txt"), "in the way");
    EXPECT_FALSE(folder.exists("fresh.dat.tmp"));
    EXPECT_EQ(view.rows[2][3], "失败");
    EXPECT_EQ(view.status, "更新未完成：1 个文件更新失败（fresh.dat），下次启动将重新更新");
    EXPECT_EQ(folder.read("bad.dat"), bytesOf(5000, 'x'));
}

TEST_F(Update, PercentagesStayWithin0And100WhateverTheServerAnnounced)
{
    writeLocalList({});
    // Only the list tells the size: the server announces none.
    std::string list = listXml(base(), {{"nolength.dat", "1"}});
    list.replace(list.find("Ver=\"1\""), 7, "Ver=\"1\" Size=\"50000\"");
    sim.site().write("update/files/UpdList.xml", list);
    serve("nolength.dat", bytesOf(50000, 'z'));
    sim.rule("/update/files/nolength.dat", "nolength");
    auto session = start(view);
    ASSERT_EQ(view.rows[0][4], "1");
    session->cmdUpdate_Click();
    EXPECT_EQ(folder.read("nolength.dat"), bytesOf(50000, 'z'));
    for (const std::string& cell : view.progressCells) {
        const int percent = std::stoi(cell);
        EXPECT_GE(percent, 0) << cell;
        EXPECT_LE(percent, 100) << cell;
    }
    EXPECT_EQ(view.status, "更新完成！");
}

TEST_F(Update, LeftoverTemporaryFilesAreRemovedAtTheNextStart)
{
    writeLocalList({{"a.dat", "1"}});
    folder.write("NewUpdList.xml", listXml(base(), {{"a.dat", "2"}, {"x\\y.dat", "1"}, {"..\\outside.dat", "1"}}));
    folder.write("a.dat.tmp", "half");
    folder.write("x/y.dat.tmp", "half");
    folder.write("other.tmp", "not ours");
    folder.write("UpdList.xml.writing", "half a list");
    UpdaterSession session(view, [] {});
    session.Form_Load();
    EXPECT_FALSE(folder.exists("a.dat.tmp"));
    EXPECT_FALSE(folder.exists("x/y.dat.tmp"));
    EXPECT_FALSE(folder.exists("UpdList.xml.writing"));
    EXPECT_TRUE(folder.exists("other.tmp"));
}

TEST_F(Update, GbkListsWithChineseNames)
{
    folder.write("UpdList.xml", gbk(listXml(base(), {{"皮肤\\白色简约.she", "1"}}, "Pallomar.exe", "gb2312")));
    const std::string server
        = gbk(listXml(base(), {{"皮肤\\白色简约.she", "2"}, {"说明.txt", "1"}}, "Pallomar.exe", "GBK"));
    sim.site().write("update/files/UpdList.xml", server);
    serve("皮肤\\白色简约.she", "skin v2");
    serve("说明.txt", "readme");
    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0][0], "皮肤\\白色简约.she");
    session->cmdUpdate_Click();
    EXPECT_EQ(view.status, "更新完成！");
    EXPECT_EQ(folder.read("皮肤/白色简约.she"), "skin v2");
    EXPECT_EQ(folder.read("说明.txt"), "readme");
    EXPECT_EQ(folder.read("UpdList.xml"), server);
}

TEST_F(Update, AFailureKeepsAGbkListInGbk)
{
    folder.write("UpdList.xml", gbk(listXml(base(), {{"皮肤.dat", "1"}}, "Pallomar.exe", "gb2312")));
    sim.site().write("update/files/UpdList.xml",
        gbk(listXml(base(), {{"皮肤.dat", "2"}, {"说明.txt", "1"}}, "Pallomar.exe", "gb2312")));
    serve("皮肤.dat", "x");
    serve("说明.txt", "readme");
    auto session = start(view);
    sim.rule("/update/files/%E7%9A%AE%E8%82%A4.dat", "status=500");
    sim.rule("/update/files/皮肤.dat", "status=500");
    session->cmdUpdate_Click();
    const std::string local = folder.read("UpdList.xml");
    EXPECT_NE(local.find(gbk("Name=\"皮肤.dat\" Ver=\"1\"")), std::string::npos) << local;
    EXPECT_NE(local.find(gbk("Name=\"说明.txt\" Ver=\"1\"")), std::string::npos) << local;
    EXPECT_NE(local.find("gb2312"), std::string::npos);
}
