// Signed update lists and verified files against a real local server: lists signed with the
// minisign tool, digests from the files served, downloads broken off and continued.

#include "tests/support/minisign_tool.h"
#include "tests/support/raw_http_server.h"
#include "tests/updater/updater_fixture.h"
#include "updater/logic/background_sha256.h"
#include "updater/logic/file_digest.h"
#include "updater/logic/list_signature.h"
#include "updater/logic/update_list.h"

#include <algorithm>
#include <fstream>
#include <functional>

namespace {

struct Served
{
    std::string name;
    std::string ver;
    std::string bytes; // what the list's Size and Sha256 describe
};

// A list naming each file with the size and digest of its bytes (the Sha256 left out for
// names in `noDigest`), and a Serial when one is given.
std::string digestList(const std::string& url,
    const std::vector<Served>& files,
    const std::string& serial = "",
    const std::string& noDigest = "")
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpdateList"
        + (serial.empty() ? std::string() : " Serial=\"" + serial + "\"") + ">\n  <Url>" + url + "</Url>\n  <Files>\n";
    for (const Served& file : files) {
        xml += "    <File Name=\"" + file.name + "\" Ver=\"" + file.ver + "\" Size=\""
            + std::to_string(file.bytes.size()) + "\"";
        if (file.name != noDigest)
            xml += " Sha256=\"" + file_digest::toHex(file_digest::sha256(file.bytes)) + "\"";
        xml += "/>\n";
    }
    return xml + "  </Files>\n  <RunApp>Pallomar.exe</RunApp>\n</UpdateList>\n";
}

std::string bytesOf(std::size_t size, char seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed + i * 13 % 241);
    return bytes;
}

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

class Signing : public UpdaterFixture
{
protected:
    void SetUp() override
    {
        if (minisign_tool::program().empty())
            GTEST_SKIP() << "the minisign tool signs the lists; install the package minisign";
        UpdaterFixture::SetUp();
    }
    void installKey() { folder.write("update-key.pub", fileText(minisign_tool::testPublicKey())); }
    // Serves the list and, unless told otherwise, its signature by the test key.
    void serveList(const std::string& list, bool signature = true)
    {
        sim.site().write("update/files/UpdList.xml", list);
        std::filesystem::remove(sim.site() / "update/files/UpdList.xml.minisig");
        if (signature)
            sim.site().write(
                "update/files/UpdList.xml.minisig", minisign_tool::sign(list, minisign_tool::testSecretKey()));
    }
    void serveFiles(const std::vector<Served>& files)
    {
        for (const Served& file : files)
            serve(file.name, file.bytes);
    }
    bool requested(const std::string& request)
    {
        const auto all = sim.server().requests();
        return std::find(all.begin(), all.end(), request) != all.end();
    }
};

TEST(ListSignature, OnlyTheKeysOwnSignatureOfTheExactBytesVerifies)
{
    if (minisign_tool::program().empty())
        GTEST_SKIP() << "install the package minisign";
    TempFolder keys;
    minisign_tool::makeKeyPair(keys.path(), "other");
    const auto key = list_signature::parsePublicKey(fileText(minisign_tool::testPublicKey()));
    ASSERT_TRUE(key);
    const std::string list = "<UpdateList Serial=\"1\"/>\n";
    const std::string hashed = minisign_tool::sign(list, minisign_tool::testSecretKey());
    const std::string legacy = minisign_tool::sign(list, minisign_tool::testSecretKey(), true);
    std::string otherComment = hashed;
    otherComment.replace(otherComment.find("signed by the tests"), 6, "SIGNED");
    using list_signature::Verdict;
    const struct
    {
        std::string what;
        std::string message;
        std::string signature;
        Verdict verdict;
    } cases[] = {
        {"over the hash, as the tool signs by default", list, hashed, Verdict::Valid},
        {"over the bytes, as older tools signed", list, legacy, Verdict::Valid},
        {"one byte of the list changed", "<UpdateList Serial=\"2\"/>\n", hashed, Verdict::Invalid},
        {"one byte of the old format's list changed", "<UpdateList Serial=\"2\"/>\n", legacy, Verdict::Invalid},
        {"the trusted comment changed", list, otherComment, Verdict::Invalid},
        {"another key", list, minisign_tool::sign(list, keys / "other.key"), Verdict::OtherKey},
        {"an empty file", list, "", Verdict::Malformed},
        {"an error page", list, "<html><body>Not Found</body></html>", Verdict::Malformed},
        {"the global signature cut off", list, hashed.substr(0, hashed.rfind('\n', hashed.size() - 2) + 1),
            Verdict::Malformed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(list_signature::verify(*key, c.message, c.signature), c.verdict) << c.what;

    // A public key file, with or without its comment line, and what is none.
    const std::string keyLine
        = fileText(minisign_tool::testPublicKey()).substr(fileText(minisign_tool::testPublicKey()).find('\n') + 1);
    EXPECT_TRUE(list_signature::parsePublicKey(keyLine));
    EXPECT_FALSE(list_signature::parsePublicKey(""));
    EXPECT_FALSE(list_signature::parsePublicKey(fileText(keys / "other.key")));
    EXPECT_FALSE(list_signature::parsePublicKey("untrusted comment: x\nRWQIkbFLc9zlXUcd7vt676vjlqUb\n"));
}

TEST(ListSignature, TextThatIsNoBase64IsRefusedAsTheToolRefusesIt)
{
    if (minisign_tool::program().empty())
        GTEST_SKIP() << "install the package minisign";
    // A signature the tool made of this list with the test key; both of its base64 lines,
    // and the key's, hold a '/'.
    const std::string list = "<UpdateList Serial=\"1\"/>\n";
    const std::string signature
        = fileText(std::filesystem::path(TEST_SOURCE_DIR) / "tests/fuzz/corpus/list_signature/hashed.minisig");
    const std::string keyFile = fileText(minisign_tool::testPublicKey());
    // The text with line `line` (0-based) changed by `change`.
    const auto onLine = [](std::string text, int line, const std::function<void(std::string&)>& change) {
        std::size_t start = 0;
        for (int i = 0; i < line; ++i)
            start = text.find('\n', start) + 1;
        std::string part = text.substr(start, text.find('\n', start) - start);
        const std::size_t length = part.size();
        change(part);
        return text.replace(start, length, part);
    };
    const auto slashAs = [](char byte) { return [byte](std::string& line) { line[line.find('/')] = byte; }; };
    const auto append = [](const char* tail) { return [tail](std::string& line) { line += tail; }; };
    std::string crlf;
    for (const char c : signature)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const struct
    {
        std::string what;
        std::string signature;
        std::string keyFile;
        bool verifies;
    } cases[] = {
        {"as the tool made them", signature, keyFile, true},
        {"CR LF line ends", crlf, keyFile, true},
        {"a '/' of the signature with bit 7 set", onLine(signature, 1, slashAs('\xAF')), keyFile, false},
        {"a '/' of the global signature with bit 7 set", onLine(signature, 3, slashAs('\xAF')), keyFile, false},
        {"a '/' of the global signature as 0xFF", onLine(signature, 3, slashAs('\xFF')), keyFile, false},
        {"a '/' of the key with bit 7 set", signature, onLine(keyFile, 1, slashAs('\xAF')), false},
        {"a blank after the signature", onLine(signature, 1, append(" ")), keyFile, false},
        {"a tab after the global signature", onLine(signature, 3, append("\t")), keyFile, false},
        {"a blank after the key", signature, onLine(keyFile, 1, append(" ")), false},
        {"a second CR", onLine(crlf, 1, append("\r")), keyFile, false},
    };
    for (const auto& c : cases) {
        const auto key = list_signature::parsePublicKey(c.keyFile);
        const bool ours = key && list_signature::verify(*key, list, c.signature) == list_signature::Verdict::Valid;
        EXPECT_EQ(ours, c.verifies) << c.what;
        EXPECT_EQ(minisign_tool::verifies(list, c.signature, c.keyFile), c.verifies) << c.what << ", by the tool";
        if (!c.verifies && c.keyFile == keyFile) {
            EXPECT_EQ(list_signature::verify(*key, list, c.signature), list_signature::Verdict::Malformed) << c.what;
        }
        if (c.keyFile != keyFile) {
            EXPECT_FALSE(key) << c.what << ": no key";
        }
    }
}

TEST_F(Signing, ASignedListWithDigestsInstallsAndItsSerialIsKept)
{
    installKey();
    writeLocalList({{"a.dat", "1"}});
    folder.write("a.dat", "old a");
    const std::vector<Served> files {{"a.dat", "2", bytesOf(70000, 'a')}, {"sub\\b.dat", "1", "b"}};
    serveFiles(files);
    const std::string list = digestList(base(), files, "7");
    serveList(list);

    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 2u) << view.status;
    session->cmdUpdate_Click();
    EXPECT_EQ(view.status, "更新完成！");
    EXPECT_EQ(folder.read("a.dat"), files[0].bytes);
    EXPECT_EQ(folder.read("sub/b.dat"), "b");
    EXPECT_EQ(folder.read("UpdList.xml"), list);
    EXPECT_TRUE(requested("GET /update/files/UpdList.xml.minisig"));
    EXPECT_TRUE(messages.empty());

    // The adopted list's Serial is the floor from now on.
    const std::string older = digestList(base(), {{"a.dat", "1", "old a"}}, "6");
    serveList(older);
    FakeView next;
    start(next);
    EXPECT_EQ(next.status, "更新列表被拒绝：更新列表比已安装的列表旧（Serial 6 低于 7）");
    EXPECT_EQ(folder.read("a.dat"), files[0].bytes);
    EXPECT_EQ(folder.read("UpdList.xml"), list);
}

TEST_F(Signing, TheAdoptedListDescribesTheFilesAsInstalled)
{
    installKey();
    const Served installedA {"a.dat", "1", "old a"};
    const Served newB {"b.dat", "2", "new b"};
    const struct
    {
        std::string what;
        std::string local;
        Served offeredA; // same Ver: not fetched
    } cases[] = {
        {"other bytes under the same Ver", digestList(base(), {installedA, {"b.dat", "1", "old b"}}),
            {"a.dat", "1", "other a, same Ver"}},
        {"a local entry without figures", listXml(base(), {{"a.dat", "1"}, {"b.dat", "1"}}),
            {"a.dat", "1", "other a, same Ver"}},
        {"the same bytes", digestList(base(), {installedA, {"b.dat", "1", "old b"}}), installedA},
    };
    for (const auto& c : cases) {
        folder.write("UpdList.xml", c.local);
        folder.write("a.dat", installedA.bytes);
        serveFiles({c.offeredA, newB});
        const std::string list = digestList(base(), {c.offeredA, newB}, "3");
        serveList(list);
        FakeView fresh;
        auto session = start(fresh);
        ASSERT_EQ(fresh.rows.size(), 1u) << c.what << ": " << fresh.status;
        session->cmdUpdate_Click();
        EXPECT_EQ(fresh.status, "更新完成！") << c.what;
        EXPECT_EQ(folder.read("a.dat"), installedA.bytes) << c.what;
        EXPECT_EQ(folder.read("b.dat"), newB.bytes) << c.what;

        // Each entry of the kept list is what the local list or the download made it.
        modXml::XmlDocument local;
        modXml::XmlDocument adopted;
        modXml::ParseXml(c.local, local);
        modXml::ParseXml(folder.read("UpdList.xml"), adopted);
        const auto was = update_list::readFiles(local.document);
        const auto now = update_list::readFiles(adopted.document);
        ASSERT_EQ(now.size(), 2u) << c.what;
        EXPECT_EQ(now[0], was[0]) << c.what;
        EXPECT_EQ(now[1].sha256, file_digest::sha256(newB.bytes)) << c.what;
        EXPECT_EQ(now[1].ver, "2") << c.what;
        std::uint64_t serial = 0;
        EXPECT_TRUE(update_list::readSerial(adopted.document, serial) && serial == 3) << c.what;
        if (c.offeredA.bytes == installedA.bytes && c.local.find("Sha256") != std::string::npos) {
            EXPECT_EQ(folder.read("UpdList.xml"), list) << c.what << ": kept byte for byte";
        }
    }
}

TEST_F(Signing, ListsTheKeyDoesNotVouchForChangeNothing)
{
    installKey();
    writeLocalList({{"a.dat", "1"}});
    folder.write("a.dat", "old a");
    const std::string local = folder.read("UpdList.xml");
    const std::vector<Served> files {{"a.dat", "2", "new a"}};
    serveFiles(files);
    const std::string list = digestList(base(), files);
    TempFolder keys;
    minisign_tool::makeKeyPair(keys.path(), "other");
    std::string changed = list;
    changed[changed.find("Ver=\"2\"") + 5] = '3';

    const struct
    {
        std::string what;
        std::string list;
        std::string signature; // "-": none on the server
        std::string reason;
    } cases[] = {
        {"one byte changed after signing", changed, minisign_tool::sign(list, minisign_tool::testSecretKey()),
            "更新列表的签名验证失败"},
        {"signed by another key", list, minisign_tool::sign(list, keys / "other.key"), "更新列表由其他密钥签名"},
        {"no signature", list, "-", "服务器没有提供更新列表的签名"},
        {"an error page for a signature", list, "<html>oops</html>", "更新列表的签名格式无效"},
        {"a file without its digest", digestList(base(), files, "", "a.dat"), "", "更新列表的文件项缺少 Sha256：a.dat"},
    };
    for (const auto& c : cases) {
        FakeView fresh;
        messages.clear();
        sim.server().clearRequests();
        sim.site().write("update/files/UpdList.xml", c.list);
        std::filesystem::remove(sim.site() / "update/files/UpdList.xml.minisig");
        if (c.signature != "-")
            sim.site().write("update/files/UpdList.xml.minisig",
                c.signature.empty() ? minisign_tool::sign(c.list, minisign_tool::testSecretKey()) : c.signature);
        start(fresh);
        EXPECT_EQ(fresh.status, "更新列表被拒绝：" + c.reason) << c.what;
        EXPECT_EQ(messages, std::vector<std::string> {"获取更新信息错误!"}) << c.what;
        EXPECT_TRUE(fresh.closed) << c.what;
        EXPECT_TRUE(fresh.rows.empty()) << c.what;
        EXPECT_FALSE(requested("HEAD /update/files/a.dat")) << c.what;
        EXPECT_FALSE(folder.exists("NewUpdList.xml")) << c.what;
        EXPECT_EQ(folder.read("UpdList.xml"), local) << c.what;
        EXPECT_EQ(folder.read("a.dat"), "old a") << c.what;
    }

    // A key file that holds no key takes no list at all.
    folder.write("update-key.pub", "untrusted comment: damaged\nRWQ\n");
    serveList(list);
    FakeView damaged;
    start(damaged);
    EXPECT_EQ(damaged.status, "更新列表被拒绝：更新公钥文件 update-key.pub 无效");
    EXPECT_FALSE(folder.exists("NewUpdList.xml"));
}

TEST_F(Signing, AFileWhoseBytesAreNotTheListsIsNotInstalled)
{
    // No key: digests in a list are checked all the same.
    writeLocalList({{"a.dat", "1"}, {"b.dat", "1"}, {"c.dat", "1"}});
    for (const char* name : {"a.dat", "b.dat", "c.dat"})
        folder.write(name, std::string("old ") + name);
    const std::vector<Served> files {{"a.dat", "2", "genuine a"}, {"b.dat", "2", "genuine b"}, {"c.dat", "2", "c"}};
    sim.site().write("update/files/UpdList.xml", digestList(base(), files));
    serve("a.dat", "forged a!"); // as long as the genuine file
    serve("b.dat", "genuine b, and more"); // longer than the list says
    serve("c.dat", "c");

    auto session = start(view);
    ASSERT_EQ(view.rows.size(), 3u);
    session->cmdUpdate_Click();
    EXPECT_EQ(folder.read("a.dat"), "old a.dat");
    EXPECT_EQ(folder.read("b.dat"), "old b.dat");
    EXPECT_EQ(folder.read("c.dat"), "c");
    EXPECT_EQ(view.rows[0][3], "校验失败");
    EXPECT_EQ(view.rows[1][3], "校验失败");
    EXPECT_EQ(view.rows[2][3], "100%");
    const auto& history = view.statusHistory;
    EXPECT_NE(std::find(history.begin(), history.end(), "文件校验失败，已丢弃：a.dat"), history.end());
    EXPECT_EQ(view.status, "更新未完成：2 个文件更新失败（a.dat、b.dat），下次启动将重新更新");
    for (const auto& name : folderContents())
        EXPECT_FALSE(name.ends_with(".tmp")) << name;
    EXPECT_FALSE(folder.exists("UpdPartial.xml"));
}

TEST_F(Signing, ADownloadBrokenOffIsContinuedWithARangeRequest)
{
    installKey();
    writeLocalList({});
    const std::vector<Served> files {{"big.dat", "1", bytesOf(300000, 'g')}, {"small.dat", "1", "s"}};
    serveFiles(files);
    serveList(digestList(base(), files, "1"));
    sim.rule("/update/files/big.dat", "truncate=100000");
    {
        auto session = start(view);
        session->cmdUpdate_Click();
        EXPECT_EQ(view.rows[0][3], "失败");
        session->cmdFinish_Click();
    }
    // The part stays, named in the record, for the next run.
    EXPECT_EQ(folder.read("big.dat.tmp"), files[0].bytes.substr(0, 100000));
    EXPECT_NE(folder.read("UpdPartial.xml").find("Name=\"big.dat\""), std::string::npos);

    sim.rule("/update/files/big.dat", "normal");
    sim.server().clearRequests();
    FakeView next;
    auto session = start(next);
    ASSERT_EQ(next.rows.size(), 1u);
    session->cmdUpdate_Click();
    EXPECT_EQ(next.status, "更新完成！");
    EXPECT_TRUE(requested("GET /update/files/big.dat Range: bytes=100000-"));
    EXPECT_FALSE(requested("GET /update/files/big.dat")) << "only the rest was fetched";
    EXPECT_EQ(folder.read("big.dat"), files[0].bytes);
    EXPECT_FALSE(folder.exists("big.dat.tmp"));
    EXPECT_FALSE(folder.exists("UpdPartial.xml"));
}

TEST_F(Signing, APartThatIsNotTheListedFileIsNeverKept)
{
    writeLocalList({{"gone.dat", "1"}});
    const std::vector<Served> files {{"a.dat", "1", bytesOf(5000, 'a')}, {"b.dat", "1", bytesOf(5000, 'b')}};
    serveFiles(files);
    sim.site().write("update/files/UpdList.xml", digestList(base(), files));
    // Parts a crash left, recorded with digests: a.dat's bytes are wrong, b.dat's record
    // names another file, gone.dat is no longer offered.
    folder.write("a.dat.tmp", std::string(1000, 'x'));
    folder.write("b.dat.tmp", files[1].bytes.substr(0, 1000));
    folder.write("gone.dat.tmp", "part");
    const std::string otherDigest = file_digest::toHex(file_digest::sha256("another b"));
    const std::string aDigest = file_digest::toHex(file_digest::sha256(files[0].bytes));
    folder.write("UpdPartial.xml",
        "<Partial><Files><File Name=\"a.dat\" Ver=\"\" Sha256=\"" + aDigest
            + "\"/><File Name=\"b.dat\" Ver=\"\" Sha256=\"" + otherDigest
            + "\"/><File Name=\"gone.dat\" Ver=\"\" Sha256=\"" + otherDigest + "\"/></Files></Partial>");

    auto session = start(view);
    EXPECT_FALSE(folder.exists("gone.dat.tmp"));
    EXPECT_FALSE(folder.exists("b.dat.tmp"));
    session->cmdUpdate_Click();
    EXPECT_EQ(view.status, "更新完成！");
    // The continued a.dat did not verify and was fetched whole.
    EXPECT_TRUE(requested("GET /update/files/a.dat Range: bytes=1000-"));
    EXPECT_TRUE(requested("GET /update/files/a.dat"));
    EXPECT_EQ(folder.read("a.dat"), files[0].bytes);
    EXPECT_EQ(folder.read("b.dat"), files[1].bytes);
    EXPECT_FALSE(folder.exists("UpdPartial.xml"));
}

TEST_F(Signing, AServerThatIgnoresRangesSendsTheWholeFile)
{
    const std::string body = bytesOf(20000, 'r');
    const std::vector<Served> files {{"r.dat", "1", body}};
    std::string rawBase;
    RawHttpServer raw([&](const std::string& method, const std::string& path) -> RawHttpServer::Answer {
        const bool head = method == "HEAD";
        const std::string content = path == "/UpdList.xml" ? digestList(rawBase, files) : body; // no range, ever
        return {
            "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(content.size()) + "\r\n\r\n" + (head ? "" : content),
            false};
    });
    rawBase = raw.url("/");
    folder.write("UpdList.xml", listXml(rawBase, {}));
    folder.write("r.dat.tmp", body.substr(0, 7000));
    folder.write("UpdPartial.xml",
        "<Partial><Files><File Name=\"r.dat\" Ver=\"\" Sha256=\"" + file_digest::toHex(file_digest::sha256(body))
            + "\"/></Files></Partial>");
    auto session = start(view);
    session->cmdUpdate_Click();
    EXPECT_EQ(view.status, "更新完成！");
    EXPECT_EQ(folder.read("r.dat"), body);
}

TEST_F(Signing, StatusAndLengthsAreTheOnesTheServerSent)
{
    const struct
    {
        std::string what;
        std::string listStatusLine;
        std::string fileHeaders; // after the status line of a.dat's answers
        std::vector<std::string> messages;
        std::string sizeText; // of a.dat's row; "" for no row
    } cases[] = {
        {"a header line that begins with HTTP/", "HTTP/1.1 200 OK",
            "Content-Length: 1536\r\nHTTP/1.1 200: no status line\r\n", {}, "2KB"},
        {"a list answered with HTTP/ and garbage", "HTTP/garbage", "Content-Length: 1536\r\n",
            // The HEAD and the GET of the list each break off as no HTTP answer.
            {"网络连接错误，请检查网络连接是否正常!.", "网络连接错误，请检查网络连接是否正常!.", "获取更新信息错误!"},
            ""},
    };
    for (const auto& c : cases) {
        std::string rawBase;
        RawHttpServer raw([&](const std::string& method, const std::string& path) -> RawHttpServer::Answer {
            const bool head = method == "HEAD";
            if (path == "/UpdList.xml") {
                const std::string list = listXml(rawBase, {{"a.dat", "2"}});
                return {c.listStatusLine + "\r\nContent-Length: " + std::to_string(list.size()) + "\r\n\r\n"
                    + (head ? "" : list)};
            }
            return {"HTTP/1.1 200 OK\r\n" + c.fileHeaders + "\r\n" + (head ? "" : std::string(1536, 'a'))};
        });
        rawBase = raw.url("/");
        folder.write("UpdList.xml", listXml(rawBase, {{"a.dat", "1"}}));
        messages.clear();
        FakeView fresh;
        start(fresh);
        EXPECT_EQ(messages, c.messages) << c.what;
        ASSERT_EQ(fresh.rows.size(), c.sizeText.empty() ? 0u : 1u) << c.what << ": " << fresh.status;
        if (!c.sizeText.empty()) {
            EXPECT_EQ(fresh.rows[0][2], c.sizeText) << c.what;
            EXPECT_EQ(fresh.rows[0][4], "1536") << c.what;
        }
    }
}

TEST(BackgroundSha256, DigestsMadeOnTheirOwnThreadAreTheDirectOnes)
{
    BackgroundSha256 hasher;
    std::vector<std::future<file_digest::Sha256>> digests;
    std::vector<std::string> wholes;
    for (int file = 0; file < 5; ++file) {
        std::string whole;
        // One file begun, then fetched anew: only what follows the reset counts.
        std::string block = bytesOf(1000, 'x');
        hasher.add(block);
        hasher.reset();
        for (int part = 0; part < 40; ++part) {
            block = bytesOf(static_cast<std::size_t>(1 + part * 997 % 70000), static_cast<char>('a' + file));
            whole += block;
            hasher.add(block);
            EXPECT_TRUE(block.empty()) << "the buffer comes back empty, to be filled again";
        }
        digests.push_back(hasher.digest()); // the next file arrives meanwhile
        wholes.push_back(whole);
    }
    for (std::size_t i = 0; i < digests.size(); ++i)
        EXPECT_EQ(digests[i].get(), file_digest::sha256(wholes[i])) << i;
    EXPECT_EQ(hasher.digest().get(), file_digest::sha256("")) << "nothing added since the last digest";
}
