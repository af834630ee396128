#include "tests/updater/updater_fixture.h"

#include "tests/support/child_process.h"

#include <unistd.h>

using Compare = UpdaterFixture;

TEST_F(Compare, NothingToUpdateHidesTheUpdateButton)
{
    writeLocalList({{"a.dat", "1"}, {"b.dat", "2"}});
    for (const Files& server : {Files {}, Files {{"a.dat", "1"}, {"b.dat", "2"}}, Files {{"b.dat", "2"}}}) {
        FakeView fresh;
        writeServerList(server);
        auto session = start(fresh);
        EXPECT_EQ(fresh.status, "没有可用更新，点【完成】退出...");
        EXPECT_FALSE(fresh.update.visible);
        EXPECT_EQ(fresh.finish.caption, "完成");
        EXPECT_TRUE(fresh.finish.enabled);
        EXPECT_TRUE(fresh.rows.empty());
        EXPECT_FALSE(fresh.timerRunning);
        EXPECT_EQ(fresh.statusHistory.front(), "正在获取更新列表，请稍候...");
        EXPECT_TRUE(session->members().strRunAppPath.empty());
        EXPECT_TRUE(folder.exists("NewUpdList.xml"));
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(questions.empty());
}

TEST_F(Compare, VersionsAndNamesAreExactTexts)
{
    writeLocalList({{"ver.dat", "1.0"}, {"dup.dat", "1"}, {"dup.dat", "2"}, {"case.dat", "1"}, {"same.dat", "7"}});
    writeServerList({{"ver.dat", "1.00"}, {"dup.dat", "1"}, {"Case.dat", "1"}, {"same.dat", "7"}, {"new.dat", "1"}});
    for (const char* name : {"ver.dat", "dup.dat", "Case.dat", "same.dat", "new.dat"})
        serve(name, "x");
    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 3u);
    EXPECT_EQ(view.rows[0][0], "ver.dat");
    EXPECT_EQ(view.rows[0][1], "1.00");
    EXPECT_EQ(view.rows[1][0], "Case.dat");
    EXPECT_EQ(view.rows[2][0], "new.dat");
    EXPECT_EQ(view.status, "共有 3 个更新 ，点【更新】开始更新...");
    EXPECT_TRUE(view.update.visible);
    EXPECT_TRUE(view.update.enabled);
    EXPECT_EQ(view.update.caption, "更新");
    EXPECT_EQ(view.finish.caption, "取消");
    EXPECT_EQ(session->members().strRunAppPath, folder.str() + "/Pallomar");
    EXPECT_EQ(session->members().strUpdateUrl, base());
}

TEST_F(Compare, SizesComeFromHeadAnswers)
{
    writeLocalList({});
    writeServerList({{"a", "1"}, {"b", "1"}, {"c", "1"}, {"d", "1"}, {"e", "1"}});
    serve("a", std::string(1048575, 'a'));
    serve("b", std::string(1048576, 'b'));
    serve("c", std::string(1536, 'c'));
    serve("d", "");
    serve("e", std::string(5000, 'e'));
    sim.rule("/update/files/e", "nolength");
    start(view);
    ASSERT_EQ(view.rows.size(), 5u);
    const std::vector<std::array<std::string, 3>> expected {{"1024KB", "0%", "1048575"}, {"1.00MB", "0%", "1048576"},
        {"2KB", "0%", "1536"}, {"0KB", "0%", "1"}, {"0KB", "0%", "1"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(view.rows[i][2], expected[i][0]) << i;
        EXPECT_EQ(view.rows[i][3], expected[i][1]) << i;
        EXPECT_EQ(view.rows[i][4], expected[i][2]) << i;
    }
}

TEST_F(Compare, AUrlWithoutTheSlashGluesTheNameToItsLastSegment)
{
    folder.write("UpdList.xml", listXml(sim.url("/update/files"), {}));
    sim.site().write("update/filesUpdList.xml", listXml(sim.url("/update/files"), {{"x.dat", "1"}}));
    sim.site().write("update/filesx.dat", "12345");
    start(view);
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0][4], "5");
    const auto requests = sim.server().requests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "HEAD /update/filesx.dat"), requests.end());
}

TEST_F(Compare, AFileMissingOnTheServerStopsTheList)
{
    writeLocalList({});
    writeServerList({{"a.dat", "1"}, {"gone.dat", "1"}, {"c.dat", "1"}});
    serve("a.dat", "a");
    serve("c.dat", "c");
    start(view);
    EXPECT_EQ(view.status, "服务器丢失 gone.dat文件，无法继续更新 ...");
    EXPECT_EQ(view.rows.size(), 2u); // the rows so far stay
    EXPECT_FALSE(view.update.enabled);
    EXPECT_EQ(view.update.caption, "获取列表");
    EXPECT_EQ(view.finish.caption, "退出");
}

TEST_F(Compare, ListsThatCannotBeFetchedEndTheProgram)
{
    {
        FakeView fresh;
        start(fresh);
        EXPECT_EQ(messages.back(), "UpdList.xml Not found!");
        EXPECT_TRUE(fresh.closed);
    }
    {
        FakeView fresh;
        folder.write("UpdList.xml", "<UpdateList><Url>");
        start(fresh);
        EXPECT_NE(messages.back(), "UpdList.xml Not found!");
        EXPECT_TRUE(fresh.closed);
    }
    {
        FakeView fresh;
        writeLocalList({}); // the server has no list
        start(fresh);
        EXPECT_EQ(messages.back(), "获取更新信息错误!");
        EXPECT_TRUE(fresh.closed);
        EXPECT_FALSE(folder.exists("NewUpdList.xml"));
    }
    {
        FakeView fresh;
        writeServerList({});
        sim.rule("/update/files/UpdList.xml", "status=500");
        start(fresh);
        EXPECT_EQ(messages.back(), "获取更新信息错误!");
        EXPECT_FALSE(folder.exists("NewUpdList.xml"));
    }
    {
        FakeView fresh;
        folder.write("UpdList.xml", listXml("http://127.0.0.1:" + std::to_string(closedPort()) + "/", {}));
        const std::size_t before = messages.size();
        start(fresh);
        ASSERT_GE(messages.size(), before + 2);
        EXPECT_EQ(messages[before], "网络连接错误，请检查网络连接是否正常!.");
        EXPECT_EQ(messages.back(), "获取更新信息错误!");
    }
}

TEST_F(Compare, NamesThatLeaveTheProgramFolderAreRefused)
{
    writeLocalList({});
    for (const std::string bad : {"..\\evil.dat", "/tmp/evil.dat", "C:\\evil.dat", "", "a\\..\\..\\evil.dat"}) {
        FakeView fresh;
        writeServerList({{"good.dat", "1"}, {bad, "1"}});
        serve("good.dat", "g");
        sim.server().clearRequests();
        start(fresh);
        EXPECT_EQ(fresh.status, "更新列表中的文件名不安全：" + bad + "，无法继续更新 ...");
        EXPECT_TRUE(fresh.rows.empty());
        EXPECT_FALSE(fresh.update.enabled);
        EXPECT_EQ(sim.server().requests().size(), 2u) << "only the list was fetched";
        EXPECT_EQ(folderContents(), (std::set<std::string> {"UpdList.xml", "NewUpdList.xml"}));
    }
    FakeView runApp;
    writeServerList({{"good.dat", "1"}}, "..\\..\\bin\\sh");
    auto session = start(runApp);
    EXPECT_EQ(runApp.status, "更新列表中的文件名不安全：..\\..\\bin\\sh，无法继续更新 ...");
    EXPECT_FALSE(runApp.update.enabled);
    EXPECT_TRUE(session->members().strRunAppPath.empty());
}

TEST_F(Compare, BrokenServerListsAreRefusedBeforeAnythingIsKept)
{
    // A good list, then the same list broken in one way each: the list error follows the
    // description, the program ends, and nothing was fetched or kept.
    writeLocalList({});
    serve("a", "a");
    const std::string good = listXml(base(), {{"a", "1"}});
    const std::vector<std::pair<std::string, std::string>> broken {
        {good.substr(0, good.rfind("</UpdateList>")), ""}, // no closing tag
        {std::string(good).replace(good.find("<Url>"), good.find("</Url>") + 6 - good.find("<Url>"), ""),
            "更新列表缺少 Url 元素"},
        {"<L><Url>" + base() + "</Url><Files><F Name='a'/></Files><RunApp>x</RunApp></L>",
            "更新列表的文件项缺少 Name 或 Ver 属性"},
        {"<L><Url>" + base() + "</Url><Files><F Name='a' Ver='1'/></Files></L>", "更新列表缺少 RunApp 元素"},
        {"<L><Url>" + base() + "</Url><RunApp>x</RunApp></L>", "更新列表缺少 Files 元素"},
        {"<?xml version='1.0' encoding='x-klingon'?><L><Url>" + base() + "</Url><Files/><RunApp>x</RunApp></L>",
            "更新列表的编码无法识别：x-klingon"},
    };
    for (const auto& [list, description] : broken) {
        FakeView fresh;
        messages.clear();
        sim.site().write("update/files/UpdList.xml", list);
        sim.server().clearRequests();
        start(fresh);
        ASSERT_EQ(messages.size(), 2u) << list;
        if (!description.empty()) {
            EXPECT_EQ(messages[0], description);
        }
        EXPECT_EQ(messages[1], "获取更新信息错误!");
        EXPECT_TRUE(fresh.closed);
        EXPECT_TRUE(fresh.rows.empty());
        EXPECT_EQ(folderContents(), std::set<std::string> {"UpdList.xml"}) << list;
        EXPECT_EQ(sim.server().requests(),
            (std::vector<std::string> {"HEAD /update/files/UpdList.xml", "GET /update/files/UpdList.xml"}));
    }
}

// The program being updated, running from the program folder under its list name.
class RunningProgram : public UpdaterFixture
{
protected:
    std::string name = "RenovoRunApp" + std::to_string(::getpid());
    std::string sleeperIn(const TempFolder& where)
    {
        const auto target = where / name;
        std::filesystem::copy_file("/bin/sleep", target);
        std::filesystem::permissions(target, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        return target.string();
    }
    void prepareLists()
    {
        writeLocalList({});
        writeServerList({{"a.dat", "1"}}, name + ".exe");
        serve("a.dat", "a");
    }
};

TEST_F(RunningProgram, IsEndedWhenTheUserAgrees)
{
    prepareLists();
    ChildProcess child(sleeperIn(folder), {"60"});
    ASSERT_TRUE(child.started());
    answer = message_box::Answer::Yes;
    start(view);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(
        questions[0], "更新主程序：" + folder.str() + "/" + name + "正在运行!\n\r关闭此程序按[是]，终止更新按[否]");
    EXPECT_NE(child.wait(5000), -1);
    EXPECT_EQ(view.status, "共有 1 个更新 ，点【更新】开始更新...");
    EXPECT_TRUE(view.update.enabled);
}

TEST_F(RunningProgram, KeepsRunningWhenTheUserDeclines)
{
    prepareLists();
    ChildProcess child(sleeperIn(folder), {"60"});
    ASSERT_TRUE(child.started());
    start(view);
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_EQ(view.status, "更新终止，请按[退出]");
    EXPECT_FALSE(view.update.enabled);
    EXPECT_EQ(child.wait(300), -1) << "the program must still run";
}

TEST_F(RunningProgram, ACopyElsewhereIsLeftAlone)
{
    prepareLists();
    TempFolder elsewhere;
    ChildProcess child(sleeperIn(elsewhere), {"60"});
    ASSERT_TRUE(child.started());
    answer = message_box::Answer::Yes;
    start(view);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(view.status, "共有 1 个更新 ，点【更新】开始更新...");
    EXPECT_EQ(child.wait(300), -1) << "the copy elsewhere must still run";
}
