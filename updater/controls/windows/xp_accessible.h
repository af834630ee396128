#pragma once

// Makes the drawn controls known to assistive technology (screen readers reach them through
// the desktop's accessibility bus): the button as a push button named by its caption, the bar
// as a progress indicator with its value and range. The controls install this themselves when
// the first of them is made; calling it again does nothing.
void installXpControlsAccessibility();
