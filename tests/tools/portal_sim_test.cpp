#include "platform/http.h"
#include "tests/support/child_process.h"
#include "tests/support/minisign_tool.h"
#include "updater/logic/file_digest.h"
#include "updater/logic/list_signature.h"
#include "updater/logic/update_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

platform::HttpResponse get(const std::string& url)
{
    platform::HttpRequest request;
    request.url = url;
    request.timeoutMs = 3000;
    return platform::performHttp(request);
}

} // namespace

TEST(PortalSimProgram, ServesTheShippedSiteAndAnswersUnknownPathsWith404)
{
    PortalSimProcess sim({"--rule", "/update/updatePallo.txt=status=503", "--rule", "/slow=delay=10"});
    ASSERT_EQ(sim.firstLine().rfind("listening on 127.0.0.1:", 0), 0u) << sim.firstLine();

    for (const char* page : {"/box", "/webtv", "/guestbook"}) {
        const auto response = get(sim.url(page));
        EXPECT_EQ(response.status, 200) << page;
        EXPECT_EQ(response.header("Content-Type"), "text/html") << page;
        EXPECT_NE(response.body.find("<html"), std::string::npos) << page;
    }
    const auto box = get(sim.url("/box")).body;
    EXPECT_NE(box.find("tovan"), std::string::npos);
    EXPECT_NE(box.find("qu74"), std::string::npos);

    const auto news = get(sim.url("/update/updatePalloNews.txt"));
    EXPECT_EQ(news.status, 200);
    EXPECT_EQ(news.header("Content-Type"), "text/plain");

    EXPECT_EQ(get(sim.url("/update/updatePallo.txt")).status, 503);

    // The update tree's list is signed by the test key and names every file it offers with
    // the size and digest of the bytes served: it never falls out of step with them.
    const auto list = get(sim.url("/update/files/UpdList.xml")).body;
    ASSERT_NE(list.find("<RunApp>Pallomar.exe</RunApp>"), std::string::npos);
    std::ifstream keyFile(minisign_tool::testPublicKey());
    const auto key = list_signature::parsePublicKey(
        std::string(std::istreambuf_iterator<char>(keyFile), std::istreambuf_iterator<char>()));
    ASSERT_TRUE(key);
    EXPECT_EQ(list_signature::verify(*key, list, get(sim.url("/update/files/UpdList.xml.minisig")).body),
        list_signature::Verdict::Valid);
    modXml::XmlDocument document;
    modXml::ParseXml(list, document);
    EXPECT_FALSE(update_list::signedListProblem(document));
    const auto entries = update_list::readFiles(document.document);
    EXPECT_FALSE(entries.empty());
    for (const update_list::FileEntry& entry : entries) {
        std::string name = entry.name;
        for (char& c : name)
            if (c == '\\')
                c = '/';
        const auto file = get(sim.url("/update/files/" + name));
        EXPECT_EQ(file.status, 200) << name;
        EXPECT_EQ(entry.size, static_cast<std::int64_t>(file.body.size())) << name;
        EXPECT_EQ(entry.sha256, file_digest::sha256(file.body)) << name;
    }
    const auto missing = get(sim.url("/no/such/page"));
    EXPECT_EQ(missing.status, 404);
    EXPECT_NE(missing.body.find("<h1>Not Found</h1>"), std::string::npos);
    EXPECT_EQ(get(sim.url("/../../etc/passwd")).status, 404);

    // Rules can be changed while it runs.
    EXPECT_EQ(get(sim.url("/__sim/rule?path=/box&rule=status%3D500")).status, 200);
    EXPECT_EQ(get(sim.url("/box")).status, 500);
    EXPECT_NE(get(sim.url("/__sim/requests")).body.find("GET /box"), std::string::npos);
}

TEST(PortalSimProgram, RefusesBadArguments)
{
    const std::string base = std::string("'") + TEST_PORTAL_SIM + "'";
    EXPECT_NE(std::system((base + " --rule /x=explode >/dev/null 2>&1").c_str()), 0);
    EXPECT_NE(std::system((base + " --root /no/such/folder >/dev/null 2>&1").c_str()), 0);
    EXPECT_NE(std::system((base + " --frobnicate >/dev/null 2>&1").c_str()), 0);
}
