// SPDX-License-Identifier: Apache-2.0
#ifndef QL5CONFIG_DIALOGFRAME_H
#define QL5CONFIG_DIALOGFRAME_H

#include <Qt>

namespace ql5config {

// The frame of every command dialog: a caption with its title, a system menu
// and a close box, and no minimise or maximise boxes, since the dialogs keep
// a fixed size.
inline Qt::WindowFlags dialogWindowFlags()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
}

}  // namespace ql5config

#endif
