#include "common/windows/ad_control_run.h"

#include "common/logic/ad_control.h"
#include "common/logic/text_holder.h"
#include "common/windows/exit_advert.h"
#include "common/windows/frmRightBottom.h"
#include "platform/installation.h"

#include <QListWidget>
#include <QTimer>

namespace {

frmRightBottom* finishAdControl(Shell shell, TextHolder& label3, QListWidget& list1, QTimer& timeAdControl)
{
    const std::vector<std::string> read = ad_control::keepLocalCopyAndReadItems(
        label3.text(), platform::installation::cacheFolder(), adShellNames(shell).localCopy);
    timeAdControl.stop();
    for (const std::string& item : read)
        list1.addItem(QString::fromStdString(item));
    const std::vector<std::string> items = listItems(list1);
    if (!ad_control::showsCornerPopup(items))
        return nullptr;
    frmRightBottom* popup = showCornerPopup(shell, items);
    timeAdControl.stop();
    return popup;
}

} // namespace

void runAdControl(Shell shell,
    RemoteFetch& fetch,
    TextHolder& label3,
    QListWidget& list1,
    QTimer& timeAdControl,
    std::function<void(frmRightBottom*)> shown)
{
    // A tick while the fetch still waits starts no second run.
    timeAdControl.stop();
    fetch.FetchAdControl(label3, [shell, &label3, &list1, &timeAdControl, shown = std::move(shown)] {
        frmRightBottom* popup = finishAdControl(shell, label3, list1, timeAdControl);
        if (shown)
            shown(popup);
    });
}

void runExitRule(const QListWidget& list1, ExitAdvert* advert, QTimer& timeAdControl)
{
    const QString exitRule = list1.count() > 1 ? list1.item(1)->text() : QString();
    if (exitRule == QLatin1String("on")) {
        if (advert)
            advert->showModeless();
        timeAdControl.stop();
    }
    if (exitRule == QLatin1String("off")) {
        if (advert)
            advert->unloadIfLoaded();
        timeAdControl.stop();
    }
}

std::vector<std::string> listItems(const QListWidget& list1)
{
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(list1.count()));
    for (int i = 0; i < list1.count(); ++i)
        items.push_back(list1.item(i)->text().toStdString());
    return items;
}
