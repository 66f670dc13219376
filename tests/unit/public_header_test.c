// SPDX-License-Identifier: Apache-2.0
/* The public header must compile as plain C: other languages bind to it. */
#include <ql5/discovery.h>

int ql5PublicHeaderCompilesAsC(void);

int ql5PublicHeaderCompilesAsC(void)
{
    DeviceRecordExchange record = {0};
    DiscoveryHandle handle = 0;
    Ql5WindowHandle window = 0;
    (void)handle;
    (void)window;
    return (int)sizeof record;
}
