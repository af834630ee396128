#pragma once

// A TV main window started from a temporary program folder that holds the real installation
// data (channel pages, skins, images) and the real skin engine, against a local portal
// server standing in for the primary portal server and the TV site.

#include "common/logic/message_box.h"
#include "platform/program_folder.h"
#include "tests/support/pane_test_util.h"
#include "tests/support/recording_exit_advert.h"
#include "tests/support/sim_server.h"
#include "tests/support/temp_folder.h"
#include "tv/windows/TOVAN_COM.h"

#include <QApplication>
#include <QPalette>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

struct ShownMessage
{
    message_box::Icon icon;
    std::string caption;
    std::string text;
    bool operator==(const ShownMessage&) const = default;
};

inline QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

// The style sheet part of one of our skin files: everything after the header.
inline std::string styleSheetOf(const std::filesystem::path& skinFile)
{
    std::ifstream in(skinFile, std::ios::binary);
    const std::string content {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t body = content.find("\n\n");
    return body == std::string::npos ? std::string() : content.substr(body + 2);
}

class TvFixture
{
public:
    TvFixture()
        : m_runtime("XDG_RUNTIME_DIR", runtime.str())
        , m_primary("PORTAL_PRIMARY_SERVER", server.host())
        , m_tvSite("TV_SITE_SERVER", server.host())
    {
        namespace fs = std::filesystem;
        const fs::path built = TEST_PROGRAM_FOLDER;
        for (const char* data : {"bin", "skin", "Images"})
            fs::copy(built / data, program / data, fs::copy_options::recursive);
        fs::copy_file(built / "libSkinH.so", program / "libSkinH.so");
        platform::overrideProgramFolder(program.str());
        m_initialPalette = QApplication::palette();
        m_oldHandler = message_box::setHandler([this](const std::string& caption, const std::string& text) {
            messages.push_back({message_box::Icon::None, caption, text});
        });
        m_oldIconHandler = message_box::setIconHandler(
            [this](message_box::Icon icon, const std::string& caption, const std::string& text) {
                messages.push_back({icon, caption, text});
            });
    }

    ~TvFixture()
    {
        message_box::setIconHandler(m_oldIconHandler);
        message_box::setHandler(m_oldHandler);
        platform::overrideProgramFolder({});
        // The skin engine dresses the whole application; the next test starts undressed.
        qApp->setStyleSheet(QString());
        QApplication::setPalette(m_initialPalette);
    }

    // A window whose start-up has run; shown when it was not refused.
    std::unique_ptr<TOVAN_COM> start()
    {
        auto window = std::make_unique<TOVAN_COM>();
        window->setExitAdvert(&exitAdvert);
        if (!realFileDialog)
            window->setFileChooser([this](const QString& filter, const QString& folder) {
                dialogFilter = filter;
                dialogFolder = folder;
                return nextChosenFile;
            });
        if (window->Form_Load())
            window->show();
        return window;
    }

    // The heading of the page the window shows, once it is `page` and its heading reads
    // `heading`: the channel pages are GBK files whose heading is their channel's caption.
    bool showsPage(TOVAN_COM& window, const std::string& page, const QString& heading)
    {
        return waitUntil([&] {
            return window.WebBrowser1->LocationURL() == q(local(page))
                && evaluate(*window.WebBrowser1, QStringLiteral("(document.querySelector('h1') || {}).textContent"))
                == heading;
        });
    }

    std::string local(const std::string& relative) const { return platform::joinPath(program.str(), relative); }

    // Whether the skin file's style sheet is the one dressing the application now.
    bool dressedIn(const std::filesystem::path& skinFile) const
    {
        return qApp->styleSheet().toStdString() == styleSheetOf(skinFile);
    }

    std::filesystem::path skin(const std::string& name) const { return program / ("skin/" + name); }

    // A stand-in program of the program folder that appends a line to "<name>-started.txt"
    // with the number of arguments it got.
    void installStandIn(const std::string& name) const
    {
        program.write(name,
            "#!/bin/sh\nhere=$(dirname \"$0\")\n"
            "echo \"$#\" >> \"$here/"
                + name + "-started.txt\"\n");
        std::filesystem::permissions(program / name, std::filesystem::perms::owner_all);
    }

    TempFolder program;
    TempFolder runtime;
    SimServer server;
    RecordingExitAdvert exitAdvert;
    std::vector<ShownMessage> messages;
    // The skin dialog answers with nextChosenFile unless the window keeps its real dialog.
    bool realFileDialog = false;
    QString nextChosenFile;
    QString dialogFilter;
    QString dialogFolder;

private:
    ScopedEnv m_runtime;
    ScopedEnv m_primary;
    ScopedEnv m_tvSite;
    QPalette m_initialPalette;
    message_box::Handler m_oldHandler;
    message_box::IconHandler m_oldIconHandler;
};
