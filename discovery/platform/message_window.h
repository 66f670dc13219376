// Message windows: where the sweep posts its "replies waiting" notification. A
// window is a registered callback; posting calls it on the posting thread. The
// interface side backs the callback with its toolkit's thread-safe event
// posting, so the message is handled on the window's own thread.
//
// The C functions CreateMessageWindow, DestroyMessageWindow, IsWindow and
// PostWindowMessage are declared in the public header.
#pragma once

#include <ql5/discovery.h>
