// What the menu items do: channels, web links, program starts, skins, shortcut, about box.
#include "tv/windows/TOVAN_COM.h"

#include "common/logic/message_box.h"
#include "common/logic/self_update.h"
#include "common/logic/update_notice.h"
#include "platform/program_folder.h"
#include "platform/program_start.h"
#include "platform/skin_engine.h"
#include "tv/logic/desktop_shortcut.h"
#include "tv/logic/tv_skin.h"
#include "tv/logic/tv_texts.h"

#include <QStandardPaths>

void TOVAN_COM::openChannel(const tv::MenuEntry& entry)
{
    // A plain path, as the channel items always gave it; the pane shows it as a web page.
    WebBrowser1->Navigate(QString::fromStdString(platform::programFolder()) + QString::fromUtf8(entry.pageFile));
}

void TOVAN_COM::openWebLink(const tv::MenuEntry& entry)
{
    // A browser that cannot be started leaves the shell as it is.
    platform::openInSystemBrowser(tv::webLinkAddress(entry));
}

void TOVAN_COM::startPortalShell()
{
    // A portal shell that is missing or cannot start is not reported; the TV shell goes on.
    platform::startProgram(
        platform::joinPath(platform::programFolder(), "/" + platform::executableFileName(tv::portalProgram)));
}

void TOVAN_COM::startUpdater()
{
    // Asked for by hand in a system installation: say who updates it instead.
    if (!self_update::enabled()) {
        message_box::show(message_box::Icon::Information, tv::programTitle, self_update::packageManagedText);
        return;
    }
    update_notice::startUpdater();
}

void TOVAN_COM::aboutme_Click()
{
    message_box::show(message_box::Icon::Information, tv::programTitle, tv::aboutText(tv::programVersion()));
}

void TOVAN_COM::skinsa_Click()
{
    const QString filter = QString::fromStdString(tv::dialogFilter(tv::skinFilter));
    const QString folder = QString::fromStdString(platform::joinPath(platform::programFolder(), "/skin/\\"));
    const QString chosen = m_chooseFile(filter, folder);
    const tv_skin::Choice choice = tv_skin::choose(chosen.toStdString());
    // A cancelled dialog changes nothing.
    if (!choice.changes)
        return;
    if (choice.invalid)
        message_box::show(message_box::Icon::Error, tv::programTitle, tv::invalidSkinText);
    else
        m_chosenSkinPath = choice.applyPath;
    applySkin(choice.applyPath);
    m_skinName = choice.skinName;
}

void TOVAN_COM::addlnk_Click()
{
    // The user's desktop folder as the desktop names it (XDG user directories).
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        return;
    const desktop_shortcut::Outcome outcome
        = desktop_shortcut::create(desktop.toStdString(), platform::programFolder());
    // A shortcut that cannot be made says why; one that is made needs no word.
    if (!outcome.made)
        message_box::show(message_box::Icon::Error, tv::programTitle, "无法创建快捷方式：" + outcome.reason);
}
