/* A program of someone else's: it knows the discovery client only through the
 * installed header and library. It opens and closes a context and reads its
 * status, which touches no network. */
#include <ql5/discovery.h>

#include <stdio.h>
#include <string.h>

int main(void)
{
    char text[256];
    DiscoveryHandle handle;

    if (OpenContext(0) != NULL)
        return 10;
    handle = OpenContext(QL5_PROTOCOL_MAGIC);
    if (handle == NULL)
        return 11;
    if (GetStatusCode(handle) != 0)
        return 12;
    if (GetStatusText(handle, text, sizeof text) != 0 || strcmp(text, "Operation Successful") != 0)
        return 13;
    if (GetDeviceCount(handle) != 0)
        return 14;
    CloseContext(handle);
    if (GetStatusCode(handle) != -1)
        return 15;
    printf("consumer: context opened and closed, record size %u\n",
           (unsigned)sizeof(DeviceRecordExchange));
    return 0;
}
