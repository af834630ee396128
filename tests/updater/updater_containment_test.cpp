// What a server's list may make the updater do to the program folder: real folders with real
// links, a real local portal server.

#include "tests/updater/updater_fixture.h"

#include "tests/support/child_process.h"

#include <unistd.h>

namespace fs = std::filesystem;

using Containment = UpdaterFixture;

namespace {

std::string failedStatus(const std::string& names, int count = 1)
{
    return "更新未完成：" + std::to_string(count) + " 个文件更新失败（" + names + "），下次启动将重新更新";
}

} // namespace

TEST_F(Containment, LinksOutOfTheFolderAreNeverFollowed)
{
    TempFolder outside;
    outside.write("victim.txt", "the user's own file");
    fs::create_directory_symlink(outside.path(), folder / "sub");
    fs::create_directories(folder / "new");
    fs::create_symlink(outside / "victim.txt", folder / "new/b.txt.tmp");
    writeLocalList({});
    writeServerList({{"sub\\evil.txt", "1"}, {"new\\b.txt", "1"}, {"good.txt", "1"}});
    serve("sub\\evil.txt", "evil");
    serve("new\\b.txt", "new b");
    serve("good.txt", "good");

    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 3u);
    session->cmdUpdate_Click();

    EXPECT_FALSE(outside.exists("evil.txt")) << "written through the link";
    EXPECT_EQ(outside.read("victim.txt"), "the user's own file");
    EXPECT_TRUE(fs::is_symlink(folder / "new/b.txt.tmp")) << "not ours: left alone";
    // The download stepped around the link at its temporary name.
    EXPECT_FALSE(fs::is_symlink(folder / "new/b.txt"));
    EXPECT_EQ(folder.read("new/b.txt"), "new b");
    EXPECT_EQ(folder.read("good.txt"), "good") << "the other files go on";
    EXPECT_EQ(view.rows[0][3], "失败");
    EXPECT_EQ(view.rows[1][3], "100%");
    EXPECT_EQ(view.status, failedStatus("sub\\evil.txt", 1));
    EXPECT_TRUE(messages.empty());

    // The lists and their temporary files are replaced where they are links, never written
    // through.
    outside.write("list.xml", listXml(base(), {}));
    fs::remove(folder / "UpdList.xml");
    fs::create_symlink(outside / "list.xml", folder / "UpdList.xml");
    fs::create_symlink(outside / "victim.txt", folder / "NewUpdList.xml.writing");
    fs::create_symlink(outside / "victim.txt", folder / "UpdList.xml.writing");
    writeServerList({{"good.txt", "2"}});
    FakeView next;
    auto again = start(next);
    again->cmdUpdate_Click();
    EXPECT_EQ(next.status, "更新完成！");
    EXPECT_EQ(outside.read("list.xml"), listXml(base(), {}));
    EXPECT_EQ(outside.read("victim.txt"), "the user's own file");
    EXPECT_FALSE(fs::is_symlink(folder / "UpdList.xml"));
    EXPECT_EQ(folder.read("UpdList.xml"), sim.site().read("update/files/UpdList.xml"));
}

TEST_F(Containment, NamesThatAreNotFilesAreRefusedBeforeAnythingIsFetched)
{
    writeLocalList({{"x", "1"}, {"x.tmp", "1"}});
    const std::string localList = folder.read("UpdList.xml");
    const std::vector<std::pair<Files, std::string>> cases {
        {{{"NewUpdList.xml", "1"}}, "更新列表中的文件名不安全：NewUpdList.xml，无法继续更新 ..."},
        {{{"a.dat", "1"}, {"updlist.XML", "1"}}, "更新列表中的文件名不安全：updlist.XML，无法继续更新 ..."},
        {{{"new\\a.txt.tmp", "1"}, {"new\\a.txt", "1"}}, "更新列表中的文件名不安全：new\\a.txt.tmp，无法继续更新 ..."},
        {{{"x", "2"}}, "更新列表中的文件名不安全：x，无法继续更新 ..."}, // its temporary file is installed
        {{{"a\\b", "1"}, {"A/B", "2"}}, "更新列表中的文件名重复：A/B，无法继续更新 ..."},
        {{{"a", "1"}, {"a\\b", "1"}}, "更新列表中的文件名不安全：a，无法继续更新 ..."},
        {{{"a\u200Bb", "1"}}, "更新列表中的文件名不安全：a\u200Bb，无法继续更新 ..."},
    };
    for (const auto& [files, status] : cases) {
        FakeView fresh;
        writeServerList(files);
        sim.site().write("update/files/NewUpdList.xml", "<html><body>not a list</body></html>");
        sim.server().clearRequests();
        start(fresh);
        EXPECT_EQ(fresh.status, status);
        EXPECT_TRUE(fresh.rows.empty());
        EXPECT_FALSE(fresh.update.enabled);
        EXPECT_EQ(sim.server().requests().size(), 2u) << "only the list was fetched";
        EXPECT_EQ(folder.read("UpdList.xml"), localList);
    }

    // Characters that vanish in a conversion to the ANSI code page: the name that would reach
    // the disk ("..\evil.txt") is not the one judged.
    const std::string tagged = "..\xF3\xA0\x80\x81\\evil.txt"; // "..", U+E0001, "\evil.txt"
    for (const std::string& name : {tagged, std::string("\xE2\x80\x8B..\\evil.txt")}) {
        FakeView taggedView;
        writeServerList({{name, "1"}});
        start(taggedView);
        EXPECT_EQ(taggedView.status, "更新列表中的文件名不安全：" + name + "，无法继续更新 ...");
    }
}

TEST_F(Containment, OneFileListedTwiceIsOneEntry)
{
    writeLocalList({});
    writeServerList({{"a\\b.dat", "1"}, {"a/b.dat", "1"}, {"c.dat", "1"}, {"c.dat", "1"}});
    serve("a\\b.dat", "b");
    serve("c.dat", "c");
    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 2u);
    session->cmdUpdate_Click();
    EXPECT_EQ(view.status, "更新完成！");
    EXPECT_EQ(folder.read("a/b.dat"), "b");
    FakeView next;
    start(next);
    EXPECT_EQ(next.status, "没有可用更新，点【完成】退出...") << "not offered again";
}

TEST_F(Containment, InstalledFilesAreNeverTakenForLeftovers)
{
    writeLocalList({{"x", "1"}, {"x.tmp", "1"}, {"y", "1"}});
    folder.write("NewUpdList.xml", listXml(base(), {{"x", "2"}, {"y", "2"}}));
    folder.write("x.tmp", "installed");
    folder.write("y.tmp", "half a download");
    folder.write("z.tmp", "not ours");
    UpdaterSession session(view, [] {});
    session.Form_Load();
    EXPECT_EQ(folder.read("x.tmp"), "installed");
    EXPECT_FALSE(folder.exists("y.tmp"));
    EXPECT_TRUE(folder.exists("z.tmp"));
}

TEST_F(Containment, ABadEntryFailsAloneAndLeavesNoFolders)
{
    writeLocalList({});
    const std::string longName(253, 'n');
    fs::create_directories(folder / "x.dat.tmp");
    writeServerList({{"x.dat", "1"}, {longName, "1"}, {"deep\\er\\gone.dat", "1"}, {"y.dat", "1"}});
    serve("x.dat", "x");
    serve(longName, "long");
    serve("deep\\er\\gone.dat", "gone");
    serve("y.dat", "y");
    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 4u);
    sim.rule("/update/files/deep/er/gone.dat", "status=500");
    session->cmdUpdate_Click();
    EXPECT_EQ(folder.read("y.dat"), "y");
    // A stale folder at x.dat's temporary name is stepped around, and stays.
    EXPECT_EQ(folder.read("x.dat"), "x");
    EXPECT_EQ(view.status, failedStatus(longName + "、deep\\er\\gone.dat", 2));
    EXPECT_TRUE(fs::is_directory(folder / "x.dat.tmp"));
    EXPECT_FALSE(folder.exists("deep")) << "folders made for a failed file go";
    EXPECT_TRUE(messages.empty());
}

// The program being updated, running from another folder too.
TEST_F(Containment, EveryCopyRunningFromTheProgramFolderIsFound)
{
    const std::string name = "RenovoCopies" + std::to_string(::getpid());
    TempFolder elsewhere;
    for (const TempFolder* where : {&elsewhere, &folder}) {
        fs::copy_file("/bin/sleep", *where / name);
        fs::permissions(*where / name, fs::perms::owner_all, fs::perm_options::add);
    }
    // The copy elsewhere starts first, so it comes first in the process list.
    ChildProcess other((elsewhere / name).string(), {"60"});
    ChildProcess ours((folder / name).string(), {"60"});
    ASSERT_TRUE(other.started() && ours.started());
    writeLocalList({});
    writeServerList({{"a.dat", "1"}}, name + ".exe");
    serve("a.dat", "a");
    answer = message_box::Answer::Yes;
    start(view);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(
        questions[0], "更新主程序：" + (folder / name).string() + "正在运行!\n\r关闭此程序按[是]，终止更新按[否]");
    EXPECT_NE(ours.wait(5000), -1) << "the copy in the program folder is ended";
    EXPECT_EQ(other.wait(300), -1) << "the copy elsewhere still runs";
    EXPECT_EQ(view.status, "共有 1 个更新 ，点【更新】开始更新...");
}
