#pragma once

#include <QPixmap>
#include <QString>

// The title area's images, drawn at start-up so the program folder needs no image files
// for them.
namespace portal_images {

// The dark title-bar strip with the program's logo.
QPixmap titleBar(QSize size);
// A channel button: a white caption on the dark strip, `accent` for the "HD" mark.
QPixmap channelButton(QSize size, const QString& caption, bool hdMark);
// The view toggle, reading `caption` ("返回播放器" or "返回影视库").
QPixmap viewToggle(QSize size, const QString& caption);
// The pin-on-top button, unpinned (upright pin) or pinned (pin pressed in).
QPixmap pin(QSize size, bool pinned);
// The main-menu button: a down arrow.
QPixmap menuArrow(QSize size);

} // namespace portal_images
