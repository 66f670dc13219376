// SPDX-License-Identifier: Apache-2.0
/* A program of someone else's: it knows the discovery client only through the
 * installed header and library. It opens and closes a context, reads its
 * status and posts to a message window, none of which touches a network. */
#include <ql5/discovery.h>

#include <stdio.h>
#include <string.h>

/* Written for version 2, which named the message-window functions Ql5*. */
#if QL5_DISCOVERY_VERSION_MAJOR != 2
#error "built against another major version of the discovery library"
#endif

static int posted;

static void OnMessage(Ql5WindowHandle window, uint32_t message, uintptr_t firstParameter,
                      intptr_t secondParameter, void* userData)
{
    (void)window;
    (void)firstParameter;
    (void)userData;
    if (message == 0x8002u && secondParameter == 7)
        ++posted;
}

int main(void)
{
    char text[256];
    DiscoveryHandle handle;
    Ql5WindowHandle window;

    if (OpenContext(0) != NULL)
        return 10;
    handle = OpenContext(QL5_PROTOCOL_MAGIC);
    if (handle == NULL)
        return 11;
    if (GetStatusCode(handle) != 0)
        return 12;
    if (GetStatusText(handle, text, sizeof text) != 0 || strcmp(text, QL5_STATUS_TEXT_SUCCESS) != 0)
        return 13;
    if (GetDeviceCount(handle) != 0)
        return 14;
    CloseContext(handle);
    if (GetStatusCode(handle) != -1)
        return 15;

    window = Ql5CreateMessageWindow(OnMessage, NULL);
    if (window == NULL || Ql5IsMessageWindow(window) != 1)
        return 16;
    if (Ql5PostWindowMessage(window, 0x8002u, 0, 7) != 0 || posted != 1)
        return 17;
    Ql5DestroyMessageWindow(window);
    if (Ql5IsMessageWindow(window) != 0 || Ql5PostWindowMessage(window, 1, 0, 0) != -1)
        return 18;
    printf("consumer: context opened and closed, record size %u\n",
           (unsigned)sizeof(DeviceRecordExchange));
    return 0;
}
