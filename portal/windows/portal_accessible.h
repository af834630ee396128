#pragma once

// Makes the portal shell's image buttons known to screen readers as buttons (the pin as a
// toggle button with its checked state, the main menu as a button with a pop-up). Once per
// process; later calls do nothing.
void installPortalAccessibility();
