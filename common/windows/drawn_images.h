#pragma once

#include <QIcon>
#include <QString>

// Images drawn as vectors at whatever device pixels they are shown with, so that they stay
// sharp at 150 % and 200 % where a 1x bitmap would be scaled up and blurred.
namespace drawn_images {

// The TV toolbar's stacking buttons by key ("zhiqian", "quxiao", "zhihou"), 20 x 20
// logical pixels; a null icon for any other key.
QIcon stackingButton(const QString& key);

// The update notice's image, 80 x 80 logical pixels.
QIcon updateNotice();

} // namespace drawn_images
