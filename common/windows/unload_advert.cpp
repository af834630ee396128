#include "common/windows/unload_advert.h"

#include "common/windows/frmUnload.h"

UnloadAdvert::UnloadAdvert(Shell shell, ItemSource items)
    : m_shell(shell)
    , m_items(std::move(items))
{ }

UnloadAdvert::~UnloadAdvert()
{
    // Only reached when the program ends: a pop-up still open goes with it.
    delete m_window.data();
}

void UnloadAdvert::showModeless()
{
    if (m_window) {
        m_window->show();
        return;
    }
    m_window = showExitPopup(m_shell, m_items ? m_items() : std::vector<std::string> {});
}

void UnloadAdvert::unloadIfLoaded()
{
    if (m_window)
        m_window->close();
}

frmUnload* UnloadAdvert::window() const
{
    return m_window.data();
}
