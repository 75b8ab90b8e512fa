// A Wayland display connection that has failed for good: the compositor ended, or the connection
// broke. SDL says no more of that than a quit, the same as a closed last window; the game must tell
// the two apart, since a lost display is an end with nothing left to touch.
#pragma once

// Whether the connection (a wl_display) has failed. False for none, or where the Wayland client
// library cannot be found.
bool WaylandConnectionLost(void *Display);
