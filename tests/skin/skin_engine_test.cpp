#include "platform/skin_engine.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QColor& colour, std::ostream* os)
{
    *os << colour.name().toStdString();
}
QT_END_NAMESPACE

namespace {

const std::string programFolder = TEST_PROGRAM_FOLDER;

std::string styleSheetOf(const std::string& skinFile)
{
    std::ifstream in(skinFile, std::ios::binary);
    const std::string content {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t body = content.find("\n\n");
    return body == std::string::npos ? std::string() : content.substr(body + 2);
}

// The colour in the middle of a widget's empty area as it is painted now.
QColor paintedColour(QWidget& widget, QPoint at)
{
    return widget.grab().toImage().pixelColor(at);
}

} // namespace

// The real engine of the program folder, called as the programs call it.
class SkinEngine : public ::testing::Test
{
protected:
    void SetUp() override { initialPalette = QApplication::palette(); }
    void TearDown() override
    {
        qApp->setStyleSheet(QString());
        QApplication::setPalette(initialPalette);
    }

    using AttachEx = int (*)(const char*, const char*);
    AttachEx engineFunction()
    {
        void* library = ::dlopen(
            (std::filesystem::path(programFolder) / skin_engine::libraryFileName()).c_str(), RTLD_NOW | RTLD_NOLOAD);
        return library ? reinterpret_cast<AttachEx>(::dlsym(library, "SkinH_AttachEx")) : nullptr;
    }

    QPalette initialPalette;
};

TEST_F(SkinEngine, TheDefaultSkinDressesEveryWindowOfTheProcess)
{
    QTreeWidget before; // a window that exists before the skin is attached
    before.resize(200, 120);
    before.show();

    const std::string white = programFolder + "/skin/白色简约.she";
    ASSERT_TRUE(std::filesystem::exists(white)) << "the skins are installed in the program folder";
    EXPECT_EQ(skin_engine::attach(programFolder, white, ""), "");
    EXPECT_EQ(qApp->styleSheet().toStdString(), styleSheetOf(white));
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(0xF5, 0xF7, 0xFA));
    EXPECT_EQ(QApplication::palette().color(QPalette::Highlight), QColor(0xCC, 0xE4, 0xFF));
    QWidget after;
    after.resize(50, 50);
    EXPECT_EQ(paintedColour(after, {25, 25}), QColor(0xF5, 0xF7, 0xFA));

    // The other skin, attached later, repaints the windows already open.
    AttachEx attach = engineFunction();
    ASSERT_NE(attach, nullptr);
    EXPECT_EQ(attach((programFolder + "/skin/时尚星系.she").c_str(), ""), 0);
    EXPECT_EQ(paintedColour(before, {100, 80}), QColor(0x23, 0x28, 0x51));
    EXPECT_EQ(paintedColour(after, {25, 25}), QColor(0x1B, 0x1F, 0x3B));
}

TEST_F(SkinEngine, AFileThatIsNoSkinChangesNothing)
{
    ASSERT_EQ(skin_engine::attach(programFolder, programFolder + "/skin/白色简约.she", ""), "");
    const QString styleSheet = qApp->styleSheet();
    AttachEx attach = engineFunction();
    ASSERT_NE(attach, nullptr);

    TempFolder folder;
    folder.write("plain.qss", "QTreeView { background: red; }\n");
    folder.write("locked.she", "SkinH-she 1\npassword=secret\n\nQTreeView { background: red; }\n");
    EXPECT_EQ(attach((folder.str() + "/missing.she").c_str(), ""), 1);
    EXPECT_EQ(attach(folder.str().c_str(), ""), 1); // a folder
    EXPECT_EQ(attach(nullptr, ""), 1);
    EXPECT_EQ(attach((folder.str() + "/plain.qss").c_str(), ""), 2);
    EXPECT_EQ(attach((folder.str() + "/locked.she").c_str(), ""), 3);
    EXPECT_EQ(qApp->styleSheet(), styleSheet);
    EXPECT_EQ(attach((folder.str() + "/locked.she").c_str(), "secret"), 0);
    EXPECT_EQ(qApp->styleSheet(), QStringLiteral("QTreeView { background: red; }\n"));
}

TEST_F(SkinEngine, ALibraryThatCannotBeUsedIsReported)
{
    TempFolder folder;
    EXPECT_NE(
        skin_engine::attach(folder.str(), folder.str() + "/skin/白色简约.she", "").find(skin_engine::libraryFileName()),
        std::string::npos);
    folder.write(skin_engine::libraryFileName(), "not a library");
    EXPECT_FALSE(skin_engine::attach(folder.str(), folder.str() + "/skin/白色简约.she", "").empty());
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}
