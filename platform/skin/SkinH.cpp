// The skin engine of the programs: reads one of our ".she" skin files and applies it to the
// whole application, so every window of the process, present and future, wears it.

#include "platform/skin/she_format.h"

#include <QApplication>
#include <QColor>
#include <QPalette>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// In the order of she_format::paletteKeys().
constexpr QPalette::ColorRole paletteRoles[]
    = {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::AlternateBase, QPalette::Text,
        QPalette::Button, QPalette::ButtonText, QPalette::Highlight, QPalette::HighlightedText};

bool readWhole(const char* path, std::string& content)
{
    std::error_code error;
    if (!path || !std::filesystem::is_regular_file(std::filesystem::path(path), error))
        return false;
    std::ifstream in(path, std::ios::binary);
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

extern "C" __attribute__((visibility("default"))) int SkinH_AttachEx(const char* skinFile, const char* password)
{
    std::string content;
    if (!readWhole(skinFile, content))
        return she_format::unreadableFile;
    const auto skin = she_format::parse(content);
    if (!skin)
        return she_format::notASkinFile;
    if (!she_format::opens(*skin, password ? password : ""))
        return she_format::wrongPassword;
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application)
        return she_format::noApplication;

    QPalette palette = QApplication::palette();
    for (const auto& [key, index] : she_format::paletteKeys()) {
        const auto value = skin->header.find(key);
        if (value != skin->header.end())
            palette.setColor(paletteRoles[index], QColor(QRgb(*she_format::parseColour(value->second))));
    }
    QApplication::setPalette(palette);
    application->setStyleSheet(QString::fromStdString(skin->styleSheet));
    return she_format::attached;
}
