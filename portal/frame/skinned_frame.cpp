#include "skinned_frame.h"

#include "qt_window_system.h"

namespace frame {

std::unique_ptr<CSkinForm> newSkinForm(SkinFormEvents* events)
{
    QtWindowSystem& system = QtWindowSystem::instance();
    return std::make_unique<CSkinForm>(system, system, events);
}

Hwnd hwndOf(const QWidget* window)
{
    return QtWindowSystem::hwndOf(window);
}

} // namespace frame
