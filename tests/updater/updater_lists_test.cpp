#include "common/logic/message_box.h"
#include "platform/program_folder.h"
#include "tests/support/scoped_hooks.h"
#include "tests/support/temp_folder.h"
#include "updater/logic/list_adoption.h"
#include "updater/logic/modPublic.h"
#include "updater/logic/modXml.h"
#include "updater/logic/update_list.h"
#include "updater/logic/update_rows.h"

#include <gtest/gtest.h>

using update_list::FileEntry;

namespace update_list {

void PrintTo(const FileEntry& entry, std::ostream* os)
{
    *os << entry.name << "@" << entry.ver;
}

} // namespace update_list

namespace {

modXml::XmlDocument load(const TempFolder& folder, const std::string& name)
{
    modXml::XmlDocument document;
    EXPECT_TRUE(modXml::LoadXml((folder / name).string(), document));
    return document;
}

// UTF-8 text (characters of the basic plane) as UTF-16LE bytes with the byte-order mark.
std::string utf16le(std::string_view utf8)
{
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
        unsigned unit = length == 1 ? c : length == 2 ? c & 0x1F : c & 0x0F;
        for (int k = 1; k < length; ++k)
            unit = (unit << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

const char* const gbkList = R"(<?xml version="1.0" encoding="gb2312"?>
<UpdateList>
  <Url>http://127.0.0.1/update/</Url>
  <Files>
    <File Name="皮肤\白色简约.she" Ver="1.0"/>
    <File Name="Pallomar.exe" Ver="2.1"/>
  </Files>
  <RunApp>Pallomar.exe</RunApp>
</UpdateList>
)";

} // namespace

TEST(UpdateLists, GbkListsAreReadByTheirDeclaredEncoding)
{
    TempFolder folder;
    folder.write("UpdList.xml", gbk(gbkList));
    modXml::XmlDocument list = load(folder, "UpdList.xml");
    ASSERT_TRUE(list.parsed()) << list.parseErrorReason();
    EXPECT_EQ(list.declaredEncoding, "gb2312");
    const std::vector<FileEntry> expected {{"皮肤\\白色简约.she", "1.0"}, {"Pallomar.exe", "2.1"}};
    EXPECT_EQ(update_list::readFiles(list.document), expected);
    EXPECT_EQ(update_list::readRunApp(list.document), "Pallomar.exe");
    std::string url;
    EXPECT_TRUE(modXml::selectText(list.document, "//Url", url));
    EXPECT_EQ(url, "http://127.0.0.1/update/");

    // Written back, the list is GBK again and reads the same.
    folder.write("Again.xml", modXml::SaveXml(list));
    EXPECT_NE(folder.read("Again.xml").find(gbk("白色简约")), std::string::npos);
    EXPECT_EQ(update_list::readFiles(load(folder, "Again.xml").document), expected);

    // The same list in UTF-8 reads the same names.
    std::string utf8(gbkList);
    utf8.replace(utf8.find("gb2312"), 6, "utf-8");
    folder.write("Utf8.xml", utf8);
    EXPECT_EQ(update_list::readFiles(load(folder, "Utf8.xml").document), expected);
}

TEST(UpdateLists, AWrittenListReadsBackToTheSameEntries)
{
    // A GBK list with a byte that is no GBK, a Latin-1 list with accented names, and a
    // processing instruction that only looks like a declaration.
    const std::vector<std::pair<std::string, std::vector<FileEntry>>> cases {
        {"<?xml version=\"1.0\" encoding=\"gbk\"?><L><Url>u</Url><Files><F Name=\"" + gbk("皮肤")
                + "\" Ver=\"1\x81\"/>"
                  "</Files><RunApp>x</RunApp></L>",
            {{"皮肤", "1\xEF\xBF\xBD"}}},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><L><Url>u</Url><Files><F Name=\"caf\xE9.txt\" Ver=\"1\"/>"
         "</Files><RunApp>x</RunApp></L>",
            {{"caf\xC3\xA9.txt", "1"}}},
        {"<?xmlv x encoding=\"gb2312\"?><L><Url>u</Url><Files><F Name=\"\xE7\x9A\xAE.txt\" Ver=\"1\"/></Files>"
         "<RunApp>x</RunApp></L>",
            {{"皮.txt", "1"}}},
        // Single-byte text whose declaration says UTF-16, with a byte that is no UTF-8.
        {"<?xml version=\"1.0\" encoding=\"utf-16\"?><L><Url>u</Url><Files><F Name=\"a\xFF.txt\" Ver=\"1\"/>"
         "</Files><RunApp>x</RunApp></L>",
            {{"a\xFF.txt", "1"}}},
        // Encodings the list is only read in, through iconv, and written back as UTF-8.
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><L><Url>u</Url><Files><F Name=\"\x80\x9C.txt\" "
         "Ver=\"1\"/></Files><RunApp>x</RunApp></L>",
            {{"€œ.txt", "1"}}},
        {"<?xml version=\"1.0\" encoding=\"big5\"?><L><Url>u</Url><Files><F Name=\"\xA4\xA4.txt\" Ver=\"1\"/>"
         "</Files><RunApp>x</RunApp></L>",
            {{"中.txt", "1"}}},
        // Real UTF-16, little-endian with its mark.
        {utf16le("<?xml version=\"1.0\" encoding=\"utf-16\"?><L><Url>u</Url><Files><F Name=\"caf\xC3\xA9.txt\" "
                 "Ver=\"1\"/></Files><RunApp>x</RunApp></L>"),
            {{"caf\xC3\xA9.txt", "1"}}},
    };
    for (const auto& [bytes, entries] : cases) {
        modXml::XmlDocument list;
        modXml::ParseXml(bytes, list);
        ASSERT_TRUE(list.parsed()) << bytes;
        EXPECT_EQ(update_list::readFiles(list.document), entries) << bytes;
        const std::string written = modXml::SaveXml(list);
        modXml::XmlDocument again;
        modXml::ParseXml(written, again);
        ASSERT_TRUE(again.parsed()) << written;
        EXPECT_EQ(update_list::readFiles(again.document), entries) << written;
    }
}

TEST(UpdateLists, MissingAndBrokenDocuments)
{
    TempFolder folder;
    modXml::XmlDocument document;
    EXPECT_FALSE(modXml::LoadXml((folder / "none.xml").string(), document));

    folder.write("broken.xml", "<UpdateList><Files></UpdateList>");
    const modXml::XmlDocument broken = load(folder, "broken.xml");
    EXPECT_FALSE(broken.parsed());
    EXPECT_FALSE(broken.parseErrorReason().empty());

    folder.write("nofiles.xml", "<UpdateList><Url>x</Url></UpdateList>");
    EXPECT_THROW(update_list::readFiles(load(folder, "nofiles.xml").document), update_list::ListError);
    EXPECT_THROW(update_list::readRunApp(load(folder, "nofiles.xml").document), update_list::ListError);

    folder.write("comment.xml", "<L><Files><F Name='a' Ver='1'/><!-- old --></Files></L>");
    EXPECT_THROW(update_list::readFiles(load(folder, "comment.xml").document), update_list::ListError);
    folder.write("text.xml", "<L><Files><F Name='a' Ver='1'/>stray</Files></L>");
    EXPECT_THROW(update_list::readFiles(load(folder, "text.xml").document), update_list::ListError);
    folder.write("nover.xml", "<L><Files><F Name='a'/></Files></L>");
    EXPECT_THROW(update_list::readFiles(load(folder, "nover.xml").document), update_list::ListError);

    // "Files" is found anywhere, and its children's element names do not matter.
    folder.write("deep.xml", "<L><x><Files><Any Name='a' Ver='1'/><Other Ver='2' Name='b'/></Files></x></L>");
    const std::vector<FileEntry> expected {{"a", "1"}, {"b", "2"}};
    EXPECT_EQ(update_list::readFiles(load(folder, "deep.xml").document), expected);
}

TEST(UpdateLists, NamesAndVersionsCompareAsExactTexts)
{
    const std::vector<FileEntry> local {{"a.dat", "1.0"}, {"b.dat", "2"}, {"dup.dat", "1"}, {"dup.dat", "2"}};
    EXPECT_EQ(update_list::matchEntry(local, {"a.dat", "1.0"}), 2);
    EXPECT_EQ(update_list::matchEntry(local, {"a.dat", "1.00"}), 1); // not compared as numbers
    EXPECT_EQ(update_list::matchEntry(local, {"b.dat", "1"}), 1); // a lower version is an update too
    EXPECT_EQ(update_list::matchEntry(local, {"A.dat", "1.0"}), 0); // letter case makes a new file
    EXPECT_EQ(update_list::matchEntry(local, {"dup.dat", "1"}), 2); // the first local entry decides
    EXPECT_EQ(update_list::matchEntry(local, {"dup.dat", "2"}), 1);

    const std::vector<FileEntry> server {{"a.dat", "1.0"}, {"new.dat", "1"}, {"b.dat", "3"}};
    const std::vector<FileEntry> expected {{"new.dat", "1"}, {"b.dat", "3"}};
    EXPECT_EQ(update_list::entriesToUpdate(local, server), expected);
    EXPECT_TRUE(update_list::entriesToUpdate(local, {}).empty());
}

TEST(UpdateLists, FailedFilesKeepTheirOldEntries)
{
    TempFolder folder;
    folder.write("local.xml", "<L><Url>u</Url><Files><F Name='a' Ver='1'/><F Name='b' Ver='1'/></Files></L>");
    folder.write("server.xml",
        "<L><Url>u</Url><Files><F Name='a' Ver='2'/><F Name='b' Ver='2'/><F Name='c' Ver='1'/>"
        "<F Name='c' Ver='9'/></Files><RunApp>x</RunApp></L>");
    modXml::XmlDocument server = load(folder, "server.xml");
    const modXml::XmlDocument local = load(folder, "local.xml");
    update_list::keepOldEntriesFor(server, local.document, {"b", "c"});
    const std::vector<FileEntry> expected {{"a", "2"}, {"b", "1"}};
    EXPECT_EQ(update_list::readFiles(server.document), expected);
    EXPECT_EQ(update_list::readRunApp(server.document), "x");
}

// A release that did not wholly install leaves the rollback protection where it was, so that
// the same list is taken again; when none of it installed, the local list stays byte for byte.
TEST(UpdateLists, AReleaseThatDidNotInstallKeepsTheLocalSerial)
{
    const std::string local = "<L Serial='2'><Url>u</Url><Files><F Name='a' Ver='1'/><F Name='b' Ver='1'/></Files>"
                              "<RunApp>x</RunApp></L>";
    const std::string server = "<L Serial='3'><Url>u</Url><Files><F Name='a' Ver='2'/><F Name='b' Ver='2'/></Files>"
                               "<RunApp>x</RunApp></L>";
    struct Case
    {
        std::vector<std::string> failed;
        std::uint64_t serial;
        std::vector<FileEntry> entries;
    };
    for (const Case& c : std::vector<Case> {{{}, 3, {{"a", "2"}, {"b", "2"}}}, {{"b"}, 2, {{"a", "2"}, {"b", "1"}}},
             {{"a", "b"}, 2, {{"a", "1"}, {"b", "1"}}}}) {
        SCOPED_TRACE(::testing::PrintToString(c.failed));
        const auto adoption = list_adoption::adoptedList(server, local, c.failed);
        ASSERT_EQ(adoption.problem, "");
        modXml::XmlDocument kept;
        modXml::ParseXml(adoption.list, kept);
        std::uint64_t serial = 0;
        EXPECT_TRUE(update_list::readSerial(kept.document, serial));
        EXPECT_EQ(serial, c.serial);
        EXPECT_EQ(update_list::readFiles(kept.document), c.entries);
        if (c.failed.size() == 2) {
            EXPECT_EQ(adoption.list, local) << "nothing installed, nothing recorded";
        }
    }
    // A local list in an encoding the updater cannot read is not kept as it stands: the
    // same entries are written in one it reads, so the next run can take it again.
    const std::string unreadable = "<?xml version='1.0' encoding='utv-8'?>" + local;
    const auto adoption = list_adoption::adoptedList(server, unreadable, {"a", "b"});
    ASSERT_EQ(adoption.problem, "");
    modXml::XmlDocument kept;
    modXml::ParseXml(adoption.list, kept);
    EXPECT_EQ(update_list::serverListProblem(kept), std::nullopt);
    EXPECT_EQ(update_list::readFiles(kept.document), (std::vector<FileEntry> {{"a", "1"}, {"b", "1"}}));
}

TEST(ModPublic, ListUrlFromTheLocalList)
{
    TempFolder folder;
    const ScopedProgramFolder inFolder(folder.str());
    const ScopedMessageHandlers handlers;
    std::vector<std::string> messages;
    message_box::setHandler([&](const std::string&, const std::string& text) { messages.push_back(text); });
    platform::InetTransfer client;

    std::string url = "unchanged";
    EXPECT_FALSE(modPublic::GetListUrl(client, "UpdList.xml", url));
    EXPECT_EQ(url, "UpdList.xml Not found!");

    folder.write("UpdList.xml", "<L><Url>http://x/");
    EXPECT_FALSE(modPublic::GetListUrl(client, "UpdList.xml", url));
    EXPECT_NE(url, "UpdList.xml Not found!");
    EXPECT_FALSE(url.empty());

    url = "unchanged";
    folder.write("UpdList.xml", "<L><Files/></L>");
    EXPECT_FALSE(modPublic::GetListUrl(client, "UpdList.xml", url));
    EXPECT_EQ(url, "unchanged");
    ASSERT_EQ(messages.size(), 1u);

    folder.write("UpdList.xml", "<L><Url>\n  http://127.0.0.1:8/update/ </Url></L>");
    EXPECT_TRUE(modPublic::GetListUrl(client, "UpdList.xml", url));
    EXPECT_EQ(url, "http://127.0.0.1:8/update/");
}

TEST(ModPublic, FilesAndFolders)
{
    TempFolder folder;
    folder.write("file.dat", "x");
    EXPECT_TRUE(modPublic::FileExists((folder / "file.dat").string()));
    EXPECT_FALSE(modPublic::FileExists((folder / "none.dat").string()));
    EXPECT_FALSE(modPublic::FileExists(folder.str())); // a folder is no file

    EXPECT_TRUE(modPublic::MakeDirectory(folder.str() + "\\a\\b\\c"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "a/b/c"));
    EXPECT_TRUE(modPublic::MakeDirectory(folder.str() + "/a/b/c/")); // already there
    EXPECT_FALSE(modPublic::MakeDirectory(folder.str() + "/file.dat/x")); // a file stands in the way
}

TEST(UpdateRows, EachCellKeepsItsTextWhateverItsNeighboursBecome)
{
    UpdateRows rows;
    EXPECT_EQ(rows.add("皮肤\\白色简约.she", "1.0"), 0);
    EXPECT_EQ(rows.add("b.dat", ""), 1);
    rows.setText(0, 4, "1048576");
    rows.setText(0, 2, "1.00MB");
    rows.setText(0, 3, "0%");
    rows.setText(0, 3, "100%"); // longer than before
    rows.setText(0, 1, ""); // shorter
    rows.setText(1, 3, std::string("失败\0extra", 12)); // a text ends at its NUL
    const std::vector<std::string> first {"皮肤\\白色简约.she", "", "1.00MB", "100%", "1048576"};
    for (int column = 0; column < UpdateRows::columnCount; ++column)
        EXPECT_EQ(rows.text(0, column), first[static_cast<std::size_t>(column)]) << column;
    EXPECT_EQ(rows.text(1, 0), "b.dat");
    EXPECT_EQ(rows.text(1, 3), "失败");
    EXPECT_EQ(rows.text(1, 4), "");
    // Outside the rows or columns: nothing, and nothing changes.
    rows.setText(2, 0, "x");
    rows.setText(0, 5, "x");
    EXPECT_EQ(rows.text(2, 0), "");
    EXPECT_EQ(rows.text(0, 5), "");
    EXPECT_EQ(rows.text(-1, 0), "");
    EXPECT_EQ(rows.size(), 2);
    rows.clear();
    EXPECT_EQ(rows.size(), 0);
}
