#pragma once

#include "portal/frame/logic/CSkinForm.h"

#include <memory>

class QWidget;

// The drawn frame for a Qt window.
namespace frame {

// A frame over the Qt window system, not attached yet.
std::unique_ptr<CSkinForm> newSkinForm(SkinFormEvents* events = nullptr);
// The window handle of a top-level widget, for Attach.
Hwnd hwndOf(const QWidget* window);
// Keeps a top-level window above the others or not. Only its stacking changes: it keeps its
// state, place and size and its native window (a widget's own flag change re-creates it).
void setStaysOnTop(QWidget& window, bool on);

} // namespace frame
