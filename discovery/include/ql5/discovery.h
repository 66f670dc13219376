/*
 * QL5 discovery client: finds QL5 converters on every local IPv4 network and
 * sends them addressed requests.
 *
 * Every operation takes a context handle first. A handle is valid from
 * OpenContext until CloseContext; any other value (null, never opened, already
 * closed) makes the operation fail without touching anything. Integer results
 * are -1 on failure. The lasting outcome of the last operation that did work is
 * the context status (GetStatusCode, GetStatusText).
 *
 * Byte order: IPv4 addresses are 32-bit values whose bytes are in network
 * order (first octet in the lowest address byte), exactly as on the wire. MAC
 * addresses are six bytes in wire order. Other integers in DeviceRecordExchange
 * are in host order.
 *
 * Threads: a context may be used from one thread at a time, apart from the
 * background sweep that StartDiscovery runs on a thread of its own. Do not
 * close a context on one thread while another thread is inside an operation on
 * it.
 *
 * Versions: the library carries a version of its own, MAJOR.MINOR.PATCH below,
 * independent of the programs built with it. The major number is the one in
 * the shared library's name (libql5discovery.so.MAJOR) and in the symbol
 * version of every export (QL5_MAJOR). It changes whenever an exported name,
 * the meaning or arguments of an exported function, or the layout of
 * DeviceRecordExchange changes, since programs built against the old header
 * would then break. Additions that leave everything existing as it was (a new
 * function, a new QL5_HAS_* bit) raise the minor number; fixes raise the patch.
 * Version 2 gave the message-window functions the Ql5 prefix.
 */
#ifndef QL5_DISCOVERY_H
#define QL5_DISCOVERY_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(QL5_DISCOVERY_BUILDING)
#    define QL5_API __declspec(dllexport)
#  else
#    define QL5_API __declspec(dllimport)
#  endif
#else
#  define QL5_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The version of this header and of the library built from it. */
#define QL5_DISCOVERY_VERSION_MAJOR 2
#define QL5_DISCOVERY_VERSION_MINOR 0
#define QL5_DISCOVERY_VERSION_PATCH 0

/* The protocol magic that every QL5 context uses: "DIGI" read big-endian. */
#define QL5_PROTOCOL_MAGIC 0x44494749u

/* Size of one DeviceRecordExchange, the unit that ReadDevices and QueryDevice
 * hand out. */
#define QL5_DEVICE_RECORD_SIZE 1144u

/* Bits of DeviceRecordExchange.presenceFlags: set when the reply carried the
 * field (or, for the product name and port count, when the product table
 * supplied it). */
#define QL5_HAS_MAC_ADDRESS       0x0001u
#define QL5_HAS_IP_ADDRESS        0x0002u
#define QL5_HAS_SUBNET_MASK       0x0004u
#define QL5_HAS_GATEWAY_ADDRESS   0x0008u
#define QL5_HAS_DNS_ADDRESS       0x0010u
#define QL5_HAS_DHCP_MODE         0x0020u
#define QL5_HAS_REALPORT_PORT     0x0040u
#define QL5_HAS_CODE4_TEXT        0x0080u
#define QL5_HAS_CODE5_TEXT        0x0100u
#define QL5_HAS_HARDWARE_TYPE     0x0200u
#define QL5_HAS_CODE7_VALUE       0x0400u
#define QL5_HAS_FIRMWARE_REVISION 0x0800u
#define QL5_HAS_PRODUCT_NAME      0x1000u
#define QL5_HAS_PORT_COUNT        0x2000u
#define QL5_HAS_CODE12_VALUE      0x4000u
#define QL5_HAS_EXTENSION         0x8000u

/* Bits of DeviceRecordExchange.extPresenceFlags. */
#define QL5_HAS_CODE224_BYTES 0x01u
#define QL5_HAS_CODE225_VALUE 0x02u
#define QL5_HAS_CODE227_VALUE 0x04u
#define QL5_HAS_CODE228_VALUE 0x08u
#define QL5_HAS_CODE229_BYTES 0x10u
#define QL5_HAS_CODE230_VALUE 0x20u

/*
 * One converter as one reply described it: a plain copy that owns nothing and
 * may be copied byte for byte. Fields the reply did not carry read as zero or
 * as empty text. Texts are NUL-terminated byte strings as the converter sent
 * them (no particular encoding is promised).
 */
typedef struct DeviceRecordExchange {
    uint32_t recordSize;    /* always 1144 */
    uint32_t layoutTag;     /* always 256 */
    uint32_t localAddress;  /* local IPv4 address the reply arrived on */
    uint32_t protocolMagic; /* the context's protocol magic */
    uint32_t presenceFlags; /* QL5_HAS_* bits */
    uint8_t  macAddress[6];
    uint8_t  reserved26[2];
    uint32_t ipAddress;
    uint32_t subnetMask;
    uint32_t gatewayAddress;
    uint32_t dnsAddress;
    uint8_t  dhcpMode; /* 1 = DHCP enabled, anything else disabled */
    uint8_t  reserved45;
    uint16_t realPortPort;
    char     code4Text[256]; /* the converter's own name */
    char     code5Text[256];
    uint8_t  hardwareType;
    uint8_t  code7Value;
    char     firmwareRevision[256];
    char     productName[256];
    uint8_t  portCount;
    uint8_t  reserved1075;
    uint16_t code12Value;
    uint8_t  reserved1078[2];
    uint32_t extensionSize;    /* always 64 */
    uint32_t extPresenceFlags; /* QL5_HAS_CODE2xx_* bits */
    uint8_t  code224Length;
    uint8_t  code224Bytes[32];
    uint8_t  reserved1121;
    uint16_t code225Value;
    uint16_t code227Value;
    uint16_t code228Value;
    uint8_t  code229Length;
    uint8_t  code229Bytes[13];
    uint16_t code230Value;
} DeviceRecordExchange;

/* An open discovery context; callers only ever hold the handle. */
typedef struct DiscoveryContext *DiscoveryHandle;

/* ------------------------------------------------------------------------
 * Message windows: where the background sweep posts its notification.
 *
 * A message window is a registered callback. Ql5PostWindowMessage calls it on
 * the posting thread (for the sweep, the sweep thread), so the callback must do
 * no more than queue the message for the thread that owns the real window, and
 * must not call into the discovery client.
 * ------------------------------------------------------------------------ */
typedef struct Ql5MessageWindow *Ql5WindowHandle;

typedef void (*Ql5WindowCallback)(Ql5WindowHandle window, uint32_t message,
                                  uintptr_t firstParameter, intptr_t secondParameter,
                                  void *userData);

/* Registers a message window. Returns null if callback is null or memory is
 * exhausted. */
QL5_API Ql5WindowHandle Ql5CreateMessageWindow(Ql5WindowCallback callback, void *userData);

/* Unregisters a window. Waits until no post to it is still running, so once it
 * returns the callback is never called again. Unknown handles are ignored. */
QL5_API void Ql5DestroyMessageWindow(Ql5WindowHandle window);

/* 1 if the handle names a registered window, else 0. */
QL5_API int32_t Ql5IsMessageWindow(Ql5WindowHandle window);

/* Calls the window's callback with the message and its two parameters.
 * Returns 0, or -1 if the handle names no window. */
QL5_API int32_t Ql5PostWindowMessage(Ql5WindowHandle window, uint32_t message,
                                     uintptr_t firstParameter, intptr_t secondParameter);

/* ------------------------------------------------------------------------
 * Contexts and status
 * ------------------------------------------------------------------------ */

/* Opens a context for the given protocol magic (QL5_PROTOCOL_MAGIC).
 * Returns null for magic 0 or when resources cannot be had. */
QL5_API DiscoveryHandle OpenContext(uint32_t protocolMagic);

/* Stops a running sweep, waits for its thread, and frees the context with every
 * record still queued. A handle that is not open is ignored. */
QL5_API void CloseContext(DiscoveryHandle handle);

/* The status code of the last operation that did work: 0 after opening, after a
 * sweep start and after a request that got no reply; after a command, the error
 * number the converter answered. -1 if the handle is not open. */
QL5_API int32_t GetStatusCode(DiscoveryHandle handle);

/* Copies the status text (at most 255 bytes) into buffer, cut to size - 1
 * bytes and NUL-terminated, the rest of the size bytes zero-filled.
 * Returns 0, or -1 if the handle is not open, size is 0 or buffer is null. */
QL5_API int32_t GetStatusText(DiscoveryHandle handle, char *buffer, uint32_t size);

/* Number of records waiting in the reply queue, or -1. */
QL5_API int32_t GetDeviceCount(DiscoveryHandle handle);

/* Moves up to number of the oldest waiting records into array (1144 bytes
 * each) and returns how many were moved (0 when none wait). Elements past that
 * count are untouched. -1 if the handle is not open, number is 0 or array is
 * null; the queue is then unchanged. */
QL5_API int32_t ReadDevices(DiscoveryHandle handle, DeviceRecordExchange *array, uint32_t number);

/* ------------------------------------------------------------------------
 * Background discovery
 * ------------------------------------------------------------------------ */

/* Empties the reply queue and starts a sweep on its own thread: one discovery
 * request from every local IPv4 address, then replies collected in 200 ms
 * cycles until StopDiscovery. After each cycle in which a socket was readable
 * and records are waiting, message is posted to window with first parameter 0
 * and second parameter userValue. Resets the status.
 * Returns 0 when the sweep runs; -1 if the handle is not open, window is not a
 * registered window, message is 0, or a sweep has already been started and not
 * stopped. */
QL5_API int32_t StartDiscovery(DiscoveryHandle handle, Ql5WindowHandle window, uint32_t message,
                               int32_t userValue);

/* Ends a running sweep and waits for its thread (at most about one 200 ms
 * cycle). Records already queued stay readable. Does nothing when no sweep was
 * started. Must not be called from the window callback. */
QL5_API void StopDiscovery(DiscoveryHandle handle);

/* ------------------------------------------------------------------------
 * Requests to one converter, named by its MAC address. Each blocks the calling
 * thread until the matching reply arrives or 7.5 s have passed since the
 * request went out (up to 15 s for a command on a host with several IPv4
 * addresses, where the converter is located first). Each resets the status
 * before it does any work. The broadcast MAC ff:ff:ff:ff:ff:ff is refused.
 *
 * A request that fails for a reason on this host (no IPv4 address on any
 * interface that is up, a socket that cannot be opened or bound, a send that
 * fails) returns -1 with status code 0 and a status text that says what failed
 * and why, for example "cannot bind a socket to 198.51.100.1: Cannot assign
 * requested address". A request that simply got no reply in time returns -1
 * and leaves code 0 and "Operation Successful".
 * ------------------------------------------------------------------------ */

/* Asks the converter for its description. Returns 0 with the reply copied into
 * *output, or -1 (no reply in time, a failure on this host, bad arguments);
 * *output is written only on success. */
QL5_API int32_t QueryDevice(DiscoveryHandle handle, const uint8_t macAddress[6],
                            DeviceRecordExchange *output);

/* The three commands carry a password of at most 255 bytes (NUL-terminated).
 * Each returns -1 when it could not be carried out (bad arguments or a password
 * over 255 bytes: the status is untouched; a failure on this host or no reply
 * in time: as above), or the converter's result code 0 to 255: 0 when it
 * carried the command out; otherwise the status holds the converter's error
 * number and message. */
QL5_API int32_t RebootDevice(DiscoveryHandle handle, const uint8_t macAddress[6],
                             const char *password);

QL5_API int32_t ConfigureStatic(DiscoveryHandle handle, const uint8_t macAddress[6],
                                uint32_t ipAddress, uint32_t subnetMask, uint32_t gatewayAddress,
                                const char *password);

/* dhcpSetting: only its low byte is sent; 1 switches DHCP on. */
QL5_API int32_t ConfigureDhcp(DiscoveryHandle handle, const uint8_t macAddress[6],
                              uint32_t dhcpSetting, const char *password);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* The layout is part of the interface: callers keep byte-exact copies. */
#if defined(__cplusplus)
#  define QL5_STATIC_ASSERT static_assert
#else
#  define QL5_STATIC_ASSERT _Static_assert
#endif
QL5_STATIC_ASSERT(sizeof(DeviceRecordExchange) == 1144, "record size");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, recordSize) == 0, "recordSize");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, layoutTag) == 4, "layoutTag");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, localAddress) == 8, "localAddress");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, protocolMagic) == 12, "protocolMagic");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, presenceFlags) == 16, "presenceFlags");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, macAddress) == 20, "macAddress");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, ipAddress) == 28, "ipAddress");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, subnetMask) == 32, "subnetMask");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, gatewayAddress) == 36, "gatewayAddress");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, dnsAddress) == 40, "dnsAddress");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, dhcpMode) == 44, "dhcpMode");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, realPortPort) == 46, "realPortPort");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code4Text) == 48, "code4Text");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code5Text) == 304, "code5Text");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, hardwareType) == 560, "hardwareType");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code7Value) == 561, "code7Value");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, firmwareRevision) == 562, "firmwareRevision");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, productName) == 818, "productName");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, portCount) == 1074, "portCount");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code12Value) == 1076, "code12Value");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, extensionSize) == 1080, "extensionSize");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, extPresenceFlags) == 1084, "extPresenceFlags");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code224Length) == 1088, "code224Length");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code224Bytes) == 1089, "code224Bytes");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code225Value) == 1122, "code225Value");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code227Value) == 1124, "code227Value");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code228Value) == 1126, "code228Value");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code229Length) == 1128, "code229Length");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code229Bytes) == 1129, "code229Bytes");
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, code230Value) == 1142, "code230Value");
#undef QL5_STATIC_ASSERT

#endif /* QL5_DISCOVERY_H */
