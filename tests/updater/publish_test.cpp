// The maker's publishing tool, run as a program on real folders with Debian's minisign: what
// it writes is what the updater and minisign take, and what it refuses leaves nothing behind.

#include "tests/support/minisign_tool.h"
#include "tests/support/publish_tool.h"
#include "tests/support/temp_folder.h"
#include "updater/logic/file_digest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <regex>

namespace fs = std::filesystem;

namespace {

const std::string password = "correct horse\n";

class Publish : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (minisign_tool::program().empty())
            GTEST_SKIP() << "minisign signs the lists; install the package minisign";
        // A key pair protected by a password, typed twice at the prompt as a maker would.
        const PublishRun made
            = runPublish({"keygen", "--pub", (keys / "maker.pub").string(), "--key", (keys / "maker.key").string()},
                password + password);
        ASSERT_EQ(made.status, 0) << made.output;
        // Version 1 of a program folder, with what the programs wrote while they ran.
        v1.write("Pallomar", "program, version 1");
        v1.write("libSkinH.so", "library, version 1");
        v1.write("html/loading.html", "<html>loading</html>");
        v1.write("html/old.html", "<html>going</html>");
        v1.write("Setting.ini", "[Skin]\r\nName=a.she\r\n");
        v1.write("update.txt", "2.0");
        v1.write("bin/PallomarAdControl.txt", "on");
        fs::copy_file(keys / "maker.pub", v1 / "update-key.pub");
    }

    PublishRun release(const fs::path& from,
        const fs::path& out,
        const std::optional<fs::path>& previous = {},
        std::vector<std::string> extra = {})
    {
        std::vector<std::string> args {"release", "--from", from.string(), "--url",
            "http://127.0.0.1:8471/update/files", "--out", out.string(), "--key", (keys / "maker.key").string()};
        if (previous)
            args.insert(args.end(), {"--previous", previous->string()});
        args.insert(args.end(), extra.begin(), extra.end());
        return runPublish(args, password);
    }
    PublishRun verify(const fs::path& folder, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args {"verify", "--key", (keys / "maker.pub").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(folder.string());
        return runPublish(args);
    }
    bool minisignAccepts(const fs::path& folder)
    {
        ChildProcess tool(minisign_tool::program(),
            {"-V", "-p", (keys / "maker.pub").string(), "-m", (folder / "UpdList.xml").string()});
        tool.readAll();
        return tool.wait() == 0;
    }
    // The Ver the list gives a file.
    static std::string verOf(const std::string& list, const std::string& name)
    {
        std::smatch match;
        const std::regex entry(
            "Name=\"" + std::regex_replace(name, std::regex(R"(\\)"), R"(\\)") + "\" Ver=\"([^\"]*)\"");
        return std::regex_search(list, match, entry) ? match[1].str() : std::string();
    }

    TempFolder keys;
    TempFolder v1;
    TempFolder work;
};

} // namespace

TEST_F(Publish, ReleasesListChangedFilesUnderASignatureThatMinisignAndTheToolAccept)
{
    const PublishRun first = release(v1.path(), work / "out1");
    ASSERT_EQ(first.status, 0) << first.output;
    const std::string list1 = work.read("out1/UpdList.xml");
    EXPECT_NE(list1.find("<UpdateList Serial=\"1\">"), std::string::npos) << list1;
    EXPECT_NE(list1.find("<Url>http://127.0.0.1:8471/update/files/</Url>"), std::string::npos) << list1;
    EXPECT_NE(list1.find("Name=\"html\\loading.html\""), std::string::npos) << "the list's own separator";
    const std::string loading = "<html>loading</html>";
    EXPECT_NE(list1.find("Size=\"" + std::to_string(loading.size()) + "\" Sha256=\""
                  + file_digest::toHex(file_digest::sha256(loading)) + "\""),
        std::string::npos);
    for (const char* runTime : {"Setting.ini", "update.txt", "PallomarAdControl", "update-key.pub"}) {
        EXPECT_EQ(list1.find(runTime), std::string::npos) << runTime << " is never published";
        EXPECT_NE(first.output.find(runTime), std::string::npos) << "the maker is told it was left out";
    }
    EXPECT_FALSE(fs::exists(work / "out1/Setting.ini"));
    EXPECT_TRUE(minisignAccepts(work / "out1"));

    // Version 2: the program and the library change, a page goes, a page comes in a new folder.
    TempFolder v2;
    fs::copy(v1.path(), v2.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    v2.write("Pallomar", "program, version 2");
    v2.write("libSkinH.so", "library, version 2");
    fs::remove(v2 / "html/old.html");
    v2.write("news/today/index.html", "<html>new</html>");
    const PublishRun second = release(v2.path(), work / "out2", work / "out1/UpdList.xml");
    ASSERT_EQ(second.status, 0) << second.output;
    const std::string list2 = work.read("out2/UpdList.xml");
    EXPECT_NE(list2.find("<UpdateList Serial=\"2\">"), std::string::npos) << "one above the previous";
    EXPECT_EQ(verOf(list2, "html\\loading.html"), verOf(list1, "html\\loading.html")) << "unchanged keeps its Ver";
    EXPECT_FALSE(fs::exists(work / "out2/html/loading.html")) << "an unchanged file is not uploaded again";
    EXPECT_NE(verOf(list2, "Pallomar"), verOf(list1, "Pallomar"));
    EXPECT_EQ(work.read("out2/libSkinH.so"), "library, version 2");
    EXPECT_EQ(work.read("out2/news/today/index.html"), "<html>new</html>");
    EXPECT_NE(list2.find("Name=\"news\\today\\index.html\""), std::string::npos);
    EXPECT_EQ(list2.find("old.html"), std::string::npos);
    EXPECT_NE(second.output.find("html\\old.html"), std::string::npos) << "the maker is told what was dropped";
    EXPECT_TRUE(minisignAccepts(work / "out2"));
    const PublishRun checked = verify(work / "out2");
    EXPECT_EQ(checked.status, 0) << checked.output;
    EXPECT_NE(checked.output.find("3 files checked"), std::string::npos) << checked.output;
    EXPECT_EQ(verify(work / "out2", {"--complete"}).status, 1) << "html\\loading.html is only on the server";

    // A list a maker signed with minisign itself is checked the same way.
    work.write("by-hand/a.txt", "a");
    work.write("by-hand/UpdList.xml",
        "<?xml version=\"1.0\"?>\n<UpdateList Serial=\"4\"><Url>http://h/</Url><Files><File Name=\"a.txt\" Ver=\"1\" "
        "Size=\"1\" Sha256=\""
            + file_digest::toHex(file_digest::sha256("a"))
            + "\"/></Files><RunApp>Pallomar.exe</RunApp></UpdateList>\n");
    const PublishRun signedByHand = runWithInput(minisign_tool::program(),
        {"-S", "-s", (keys / "maker.key").string(), "-m", (work / "by-hand/UpdList.xml").string()}, password);
    ASSERT_EQ(signedByHand.status, 0) << signedByHand.output;
    EXPECT_EQ(verify(work / "by-hand").status, 0) << verify(work / "by-hand").output;
    EXPECT_EQ(verify(work / "by-hand", {"--serial", "5"}).status, 1) << "older than what an installation holds";
}

TEST_F(Publish, RefusesWhatTheUpdaterWouldRefuseAndLeavesNoList)
{
    struct Case
    {
        const char* what;
        std::function<void(TempFolder& from, TempFolder& work)> damage;
        std::vector<std::string> extra;
        const char* reason; // part of what the maker is told
    };
    const std::vector<Case> cases {
        {"a control character in a name", [](TempFolder& from, TempFolder&) { from.write("a\x01b.txt", "x"); }, {},
            "refuses this name"},
        {"a link", [](TempFolder& from, TempFolder&) { fs::create_symlink("/etc/passwd", from / "passwd"); }, {},
            "a link"},
        {"names one letter case apart", [](TempFolder& from, TempFolder&) { from.write("html/Loading.html", "x"); }, {},
            "the same file as"},
        {"a backslash inside a name", [](TempFolder& from, TempFolder&) { from.write("a\\b.txt", "x"); }, {},
            "backslash"},
        {"an out folder that holds files", [](TempFolder&, TempFolder& work) { work.write("out/stale.txt", "x"); }, {},
            "must be empty"},
        {"a previous list whose Serial is no number",
            [](TempFolder&, TempFolder& work) {
                work.write("previous.xml",
                    "<UpdateList Serial=\"x\"><Url>http://h/</Url><Files/><RunApp>Pallomar.exe</RunApp></UpdateList>");
            },
            {"--previous", "PREVIOUS"}, "Serial"},
        {"a public key that is not the secret key's",
            [](TempFolder&, TempFolder& work) { minisign_tool::makeKeyPair(work.path(), "other"); }, {"--pub", "OTHER"},
            "does not verify"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder from;
        TempFolder scratch;
        fs::copy(v1.path(), from.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        c.damage(from, scratch);
        std::vector<std::string> extra;
        for (const std::string& arg : c.extra)
            extra.push_back(arg == "PREVIOUS" ? (scratch / "previous.xml").string()
                    : arg == "OTHER"          ? (scratch / "other.pub").string()
                                              : arg);
        const PublishRun run = release(from.path(), scratch / "out", std::nullopt, extra);
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
        EXPECT_FALSE(scratch.exists("out/UpdList.xml")) << "no list is left behind";
        EXPECT_FALSE(scratch.exists("out/UpdList.xml.minisig"));
    }
}

TEST_F(Publish, VerifyRefusesATamperedFolder)
{
    ASSERT_EQ(release(v1.path(), work / "out").status, 0);
    const std::string list = work.read("out/UpdList.xml");
    const std::string page = work.read("out/html/loading.html");
    struct Case
    {
        const char* what;
        std::function<void()> tamper;
        const char* reason;
    };
    const std::vector<Case> cases {
        {"one byte of a file", [&] { work.write("out/html/loading.html", "<html>Loading</html>"); }, "SHA-256"},
        {"the list edited after signing",
            [&] {
                work.write("out/UpdList.xml", std::regex_replace(list, std::regex("Serial=\"1\""), "Serial=\"9\""));
            },
            "签名验证失败"},
        {"no signature", [&] { fs::remove(work / "out/UpdList.xml.minisig"); }, "没有提供"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string signature = work.read("out/UpdList.xml.minisig");
        c.tamper();
        const PublishRun run = verify(work / "out");
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
        work.write("out/UpdList.xml", list);
        work.write("out/UpdList.xml.minisig", signature);
        work.write("out/html/loading.html", page);
    }
    EXPECT_EQ(verify(work / "out").status, 0) << "restored, it verifies again";
}
