#pragma once

#include "common/logic/remote_fetch.h"
#include "common/windows/exit_advert.h"

#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class frmUnload;

// The real exit advertisement: frmUnload, created when the unload first asks for it, shown
// non-modal and without owner so that it outlives the main window and keeps the process
// running until it closes.
class UnloadAdvert final : public ExitAdvert
{
public:
    using ItemSource = std::function<std::vector<std::string>()>;

    // `items` gives the main window's List1 at the moment the pop-up loads.
    UnloadAdvert(Shell shell, ItemSource items);
    ~UnloadAdvert() override;
    UnloadAdvert(const UnloadAdvert&) = delete;
    UnloadAdvert& operator=(const UnloadAdvert&) = delete;

    // Loads and shows the pop-up; one already open is only shown again. A pop-up whose load
    // failed (a size missing) is not shown.
    void showModeless() override;
    void unloadIfLoaded() override;

    // The open pop-up, or nullptr.
    frmUnload* window() const;

private:
    Shell m_shell;
    ItemSource m_items;
    QPointer<frmUnload> m_window;
};
