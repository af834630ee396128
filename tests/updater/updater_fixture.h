#pragma once

#include "common/logic/message_box.h"
#include "platform/program_folder.h"
#include "tests/support/sim_server.h"
#include "tests/updater/fake_view.h"
#include "updater/logic/UpdaterSession.h"

#include <gtest/gtest.h>

#include "tests/support/update_list_xml.h"

#include <filesystem>
#include <memory>
#include <set>
#include <utility>
#include <vector>

// A temporary program folder, a local portal server with an update tree under
// /update/files/, recorded message boxes and prepared answers to the question.
class UpdaterFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::overrideProgramFolder(folder.str());
        message_box::setHandler([this](const std::string&, const std::string& text) { messages.push_back(text); });
        message_box::setQuestionHandler([this](const std::string&, const std::string& text) {
            questions.push_back(text);
            return answer;
        });
    }
    void TearDown() override
    {
        message_box::setHandler({});
        message_box::setQuestionHandler({});
        platform::overrideProgramFolder("");
    }

    std::string base() const { return sim.url("/update/files/"); }
    void writeLocalList(const Files& files) { folder.write("UpdList.xml", listXml(base(), files)); }
    void writeServerList(const Files& files, const std::string& runApp = "Pallomar.exe")
    {
        sim.site().write("update/files/UpdList.xml", listXml(base(), files, runApp));
    }
    // A file of the update tree; "\" in the name stands for a sub-folder.
    void serve(std::string name, const std::string& bytes)
    {
        for (char& c : name)
            if (c == '\\')
                c = '/';
        sim.site().write("update/files/" + name, bytes);
    }
    // The window's load and the list timer's tick.
    std::unique_ptr<UpdaterSession> start(FakeView& into)
    {
        auto session = std::make_unique<UpdaterSession>(into, [] {});
        session->Form_Load();
        session->tmrGetUpdateList_Timer();
        return session;
    }
    // Every file under the program folder, relative, with sub-folders.
    std::set<std::string> folderContents() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path()))
            names.insert(std::filesystem::relative(entry.path(), folder.path()).string());
        return names;
    }

    SimServer sim;
    TempFolder folder;
    FakeView view;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    message_box::Answer answer = message_box::Answer::No;
};
