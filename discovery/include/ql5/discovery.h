// SPDX-License-Identifier: Apache-2.0
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
 * A closed handle stays dead: handles (of contexts and of message windows) are
 * never given out twice, so a handle kept after CloseContext or
 * Ql5DestroyMessageWindow never names a context or window opened later, and
 * using it fails as for any handle that is not open.
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
 * Version 2 gave the message-window functions the Ql5 prefix, and added the
 * `At` requests, GetDroppedCount and GetSweepAddresses; 2.1 added
 * SetSweepHosts; 2.3 added QL5_STATUS_TEXT_SUCCESS, ListLocalAddresses,
 * ReadDevicesFrom, GetReplySource and SetDeviceSource, and located the
 * converter with the same window and refusal on every route of every request.
 */
#ifndef QL5_DISCOVERY_H
#define QL5_DISCOVERY_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
/* QL5_DISCOVERY_STATIC: linked from a static library, not the DLL. */
#  if defined(QL5_DISCOVERY_STATIC)
#    define QL5_API
#  elif defined(QL5_DISCOVERY_BUILDING)
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
#define QL5_DISCOVERY_VERSION_MINOR 3
#define QL5_DISCOVERY_VERSION_PATCH 0

/* The protocol magic that every QL5 context uses. Request headers carry it
 * big-endian, as the bytes 44 49 47 49. */
#define QL5_PROTOCOL_MAGIC 0x44494749u

/* The status text that every operation starts from and that one which went as
 * it should leaves. A request that returns -1 with status code 0 and this text
 * got no answer in time; any other text with code 0 says what failed on this
 * host (see the requests below). Compare the text with this name, not with
 * the words. */
#define QL5_STATUS_TEXT_SUCCESS "Operation Successful"

/* Size of one DeviceRecordExchange, the unit that ReadDevices and QueryDevice
 * hand out. */
#define QL5_DEVICE_RECORD_SIZE 1144u

/* The most records that wait in a context's reply queue at once. The queue
 * holds at most one record per (MAC, local address): a newer reply from the
 * same converter on the same local address replaces the waiting record in
 * place, keeping its place in the queue. A reply that would make a record
 * beyond this many is dropped and counted (GetDroppedCount). A waiting
 * record takes about 1.7 KB, so a full queue takes about 57 MB. */
#define QL5_MAX_PENDING_RECORDS 32768u

/* Bits of DeviceRecordExchange.presenceFlags: set when the reply carried the
 * field (or, for the product name and port count, when the product table
 * supplied it). */
#define QL5_HAS_MAC_ADDRESS       0x0001u
#define QL5_HAS_IP_ADDRESS        0x0002u
#define QL5_HAS_SUBNET_MASK       0x0004u
#define QL5_HAS_GATEWAY_ADDRESS   0x0008u
#define QL5_HAS_DNS_ADDRESS       0x0010u
#define QL5_HAS_DHCP_MODE         0x0020u
#define QL5_HAS_SERIAL_LINK_PORT  0x0040u
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
    uint16_t serialLinkPort;
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
 *
 * On Windows a message window is a real hidden message-only window (its
 * handle is the HWND) with a message loop on a thread of its own.
 * Ql5PostWindowMessage posts the message there (PostMessage) and returns;
 * the callback then runs on the window's thread. Only application messages
 * (WM_USER to 0xBFFF) can be posted; others give -1. The callback's rules are
 * the same on both systems.
 * ------------------------------------------------------------------------ */
typedef struct Ql5MessageWindow *Ql5WindowHandle;

typedef void (*Ql5WindowCallback)(Ql5WindowHandle window, uint32_t message,
                                  uintptr_t firstParameter, intptr_t secondParameter,
                                  void *userData);

/* Registers a message window. Returns null if callback is null or memory is
 * exhausted. */
QL5_API Ql5WindowHandle Ql5CreateMessageWindow(Ql5WindowCallback callback, void *userData);

/* Unregisters a window. Waits until no post to it is still running, so once it
 * returns the callback is never called again, and the handle never names a
 * window again. Unknown handles are ignored. */
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
 * Returns null for magic 0 or when resources cannot be had. A context holds
 * about 1.5 MB of records ready for the replies of a sweep, made here so
 * that a burst of replies is taken without allocating. */
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

/* Number of records waiting in the reply queue (at most
 * QL5_MAX_PENDING_RECORDS), or -1. */
QL5_API int32_t GetDeviceCount(DiscoveryHandle handle);

/* Moves up to number of the oldest waiting records into array (1144 bytes
 * each) and returns how many were moved (0 when none wait). Elements past that
 * count are untouched. -1 if the handle is not open, number is 0 or array is
 * null; the queue is then unchanged. */
QL5_API int32_t ReadDevices(DiscoveryHandle handle, DeviceRecordExchange *array, uint32_t number);

/* As ReadDevices, and stores in sourceAddresses[i] (when sourceAddresses is
 * not null; it must then hold number values) the IPv4 address (network
 * order) that the reply of array[i] came from. That is where the converter
 * answers, which need not be the address it reports (ipAddress): a converter
 * whose settings are wrong, or another host answering for its MAC. The queue
 * keeps one record per (MAC, local address, source address), so two sources
 * of one MAC give two records: a conflict the caller should show. */
QL5_API int32_t ReadDevicesFrom(DiscoveryHandle handle, DeviceRecordExchange *array,
                                uint32_t *sourceAddresses, uint32_t number);

/* ------------------------------------------------------------------------
 * This host's IPv4 addresses, with the interfaces that hold them: what a
 * program needs to say on which network a converter answered (a record's
 * localAddress) and where it searched.
 * ------------------------------------------------------------------------ */

/* Room for an interface name in a LocalInterfaceAddress, its NUL included. */
#define QL5_INTERFACE_NAME_SIZE 256u

/* LocalInterfaceAddress flags. The sweep and the requests use every address
 * whose interface is up and not the loopback, each address once. */
#define QL5_INTERFACE_UP       0x1u
#define QL5_INTERFACE_LOOPBACK 0x2u

typedef struct LocalInterfaceAddress {
    uint32_t address;    /* network order */
    uint32_t subnetMask; /* network order; 255.255.255.255 where the system gives none */
    uint32_t flags;      /* QL5_INTERFACE_* bits */
    /* UTF-8, NUL-terminated, cut to fit at a character boundary: the
     * interface's name ("eth1", or an address label such as "eth1:1"); on
     * Windows the name the user sees ("Ethernet 2"). */
    char interfaceName[QL5_INTERFACE_NAME_SIZE];
} LocalInterfaceAddress;

/* Lists every IPv4 address of this host's interfaces, up or down, in the order
 * the system lists them; an address that two interfaces hold is listed for
 * each. Copies the first `number` entries into addresses and returns how many
 * there are, which may be more than number: call again with room for all (the
 * list may change in between). Returns -1 if the system could not be asked,
 * memory ran out, or addresses is null while number is not 0. Needs no context
 * and sends nothing. */
QL5_API int32_t ListLocalAddresses(LocalInterfaceAddress *addresses, uint32_t number);

/* ------------------------------------------------------------------------
 * Background discovery
 * ------------------------------------------------------------------------ */

/* Empties the reply queue, resets the dropped count and the status, opens one
 * socket per local IPv4 address (of every interface that is up, however many)
 * on the calling thread, and starts a sweep on its own thread: one discovery
 * request from every socket, then replies collected in 200 ms cycles until
 * StopDiscovery. An address whose socket cannot be opened is skipped; the
 * sweep listens on the others (GetSweepAddresses lists them). After each cycle
 * in which a socket was readable and records are waiting, message is posted to
 * window with first parameter 0 and second parameter userValue.
 * Returns 0 when the sweep runs. Returns -1 if the handle is not open, window
 * is not a registered window, message is 0, or a sweep has already been
 * started and not stopped (the status is then untouched); and -1 with status
 * code 0 and a status text that says why when no socket could be opened at
 * all: "no IPv4 address on any interface that is up", or the system's error,
 * for example "cannot open a socket on 198.51.100.1: Too many open files". */
QL5_API int32_t StartDiscovery(DiscoveryHandle handle, Ql5WindowHandle window, uint32_t message,
                               int32_t userValue);

/* Ends a running sweep and waits for its thread (at most about one 200 ms
 * cycle). Records already queued stay readable. Does nothing when no sweep was
 * started. Must not be called from the window callback. */
QL5_API void StopDiscovery(DiscoveryHandle handle);

/* The number of replies dropped because QL5_MAX_PENDING_RECORDS records were
 * already waiting, since the current (or last) sweep started; 0 before any
 * sweep. A caller that reads the queue as it fills never loses a reply. -1 if
 * the handle is not open. */
QL5_API int64_t GetDroppedCount(DiscoveryHandle handle);

/* Returns how many local addresses the running (or last started) sweep listens
 * on, and copies the first min(that, number) of them (IPv4, network order, in
 * the order the sweep serves them) into addresses, which may be null when
 * number is 0. Addresses that could not be opened are not listed; a start that
 * failed leaves none. -1 if the handle is not open, or addresses is null while
 * number is not 0. */
QL5_API int32_t GetSweepAddresses(DiscoveryHandle handle, uint32_t *addresses, uint32_t number);

/* The most addresses SetSweepHosts takes (a /16), and how many of them a
 * sweep asks a second at most. */
#define QL5_MAX_SWEEP_HOSTS        65536u
#define QL5_SWEEP_HOSTS_PER_SECOND 250u

/* Names IPv4 addresses (network order) that the sweeps started from now on
 * also ask by unicast, for converters that the discovery group does not reach
 * (behind a router, or a switch that does not forward the group). After its
 * multicast request a sweep sends the same request bytes to each address, to
 * the discovery port, in the order given and each once, paced at
 * QL5_SWEEP_HOSTS_PER_SECOND (250) a second at most, in bursts of at most 64
 * between its 200 ms receive cycles (the first at once), so a /16 takes about
 * four and a half minutes; StopDiscovery ends it as promptly as any sweep. Each
 * request leaves from the local address that this host's routing uses to
 * reach that address, so the reply arrives on a sweep socket and its record
 * carries that local address like any other; an address that no route
 * reaches, or only through an address the sweep does not listen on (a
 * loopback address, say), is skipped. A sweep that is already running keeps
 * the addresses it started with. count 0 clears the list (addresses may then
 * be null). The status is untouched.
 * Returns 0, or -1 if the handle is not open, count is above
 * QL5_MAX_SWEEP_HOSTS, addresses is null while count is not 0, an address is
 * 0.0.0.0 or 224.0.0.0 or above (multicast, reserved, broadcast), or memory is
 * exhausted; the list is then unchanged. */
QL5_API int32_t SetSweepHosts(DiscoveryHandle handle, const uint32_t *addresses, uint32_t count);

/* ------------------------------------------------------------------------
 * Requests to one converter, named by its MAC address. Each blocks the calling
 * thread until the matching reply arrives or 7.5 s have passed since the
 * request went out (up to 15.5 s for a command on a host with several IPv4
 * addresses, where the converter is located first; a command through one
 * address given to an `At` form below is located there first too). Each
 * resets the status before it does any work. The broadcast MAC
 * ff:ff:ff:ff:ff:ff is refused.
 *
 * A request that fails for a reason on this host (no IPv4 address on any
 * interface that is up, a socket that cannot be opened or bound, a send that
 * fails) returns -1 with status code 0 and a status text that says what failed
 * and why, for example "cannot bind a socket to 198.51.100.1: Cannot assign
 * requested address". A request that simply got no reply in time returns -1
 * and leaves code 0 and "Operation Successful" (QL5_STATUS_TEXT_SUCCESS).
 *
 * One rule against impostors holds on every route (every local address or
 * one, the discovery group or a unicast device address) and on hosts with one
 * address as with several: a request first locates the converter there and
 * listens on for 500 ms after the first answer. If the MAC answered from more
 * than one source address (any host on a network can answer for any MAC, to
 * be sent the password), nothing more is sent: the request returns -1 with
 * status code 0 and a status text that begins "the MAC answered from more
 * than one address" and names the local addresses on which it answered. One
 * source address heard on several local addresses is one converter only when
 * each of those local addresses shares a subnet with it (two links into one
 * network); otherwise its source may be forged, and it is refused the same
 * way. The context then remembers where the converter answered (one converter
 * per context, the last located): later requests to that MAC through that
 * local address (or through 0) leave from there at once, without a new
 * window, and a reply counts only when it comes from the located source, or,
 * after a static change the converter accepted, from its new address, or,
 * after it accepted DHCP, from an address of that local network. The plain
 * calls on a host with one address therefore take up to 8 s the first time
 * (the locating query and its window) instead of sending at once.
 * A reply that does not carry the command's result (field code 10) says
 * nothing about what the converter did: the command returns -1 with status
 * code 0 and the status text "the converter's reply did not state whether it
 * carried the command out".
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

/* Where the reply that the last query or command on this context accepted
 * came from: *sourceAddress gets the address it came from and *localAddress
 * the local address it arrived on (network order), both 0 when the last
 * request got none. Together they are what SetDeviceSource takes, for
 * another context that is to ask the same converter. Returns 0, or -1 if the
 * handle is not open or a pointer is null. */
QL5_API int32_t GetReplySource(DiscoveryHandle handle, uint32_t *localAddress,
                               uint32_t *sourceAddress);

/* Tells the context where a search of the caller's own has located the
 * converter: a sweep that listened at least the 500 ms window and heard this
 * MAC from sourceAddress alone, through localAddress. Requests to the MAC then
 * go as after a locating query of their own (above), so that a plan of many
 * converters costs one search instead of a window per converter. It replaces
 * what the context had located; sourceAddress 0 forgets it. Returns 0, or -1
 * if the handle is not open, the MAC is null or the broadcast MAC, or
 * localAddress is 0 while sourceAddress is not. The status is untouched. */
QL5_API int32_t SetDeviceSource(DiscoveryHandle handle, const uint8_t macAddress[6],
                                uint32_t localAddress, uint32_t sourceAddress);

/* ------------------------------------------------------------------------
 * Requests through one local address, for a caller that knows where the
 * converter was seen (DeviceRecordExchange.localAddress of its record).
 *
 * localAddress: 0 = as the plain calls above (every local address).
 * Otherwise one IPv4 address of this host: the request leaves from that
 * address only and only replies arriving on it count; the converter is
 * located there with the same window and refusal as above. An address that is not one of
 * this host's, on an interface that is up, gives -1 with status code 0 and a
 * status text that says so.
 *
 * deviceAddress: 0 = the discovery group (multicast), as the plain calls.
 * Otherwise the converter's own IPv4 address: the same request bytes go to it
 * by unicast, to the same port. It needs a non-zero localAddress; without one
 * the call returns -1 and leaves the status untouched.
 *
 * Results and status are those of the plain calls; the plain calls behave as
 * these with 0, 0 (and, for the query, the standard 7.5 s).
 * ------------------------------------------------------------------------ */

/* timeoutMilliseconds: how long to wait for the reply; 0 means the standard
 * 7.5 s, and longer values are cut to 7.5 s. */
QL5_API int32_t QueryDeviceAt(DiscoveryHandle handle, uint32_t localAddress, uint32_t deviceAddress,
                              const uint8_t macAddress[6], uint32_t timeoutMilliseconds,
                              DeviceRecordExchange *output);

QL5_API int32_t RebootDeviceAt(DiscoveryHandle handle, uint32_t localAddress,
                               uint32_t deviceAddress, const uint8_t macAddress[6],
                               const char *password);

QL5_API int32_t ConfigureStaticAt(DiscoveryHandle handle, uint32_t localAddress,
                                  uint32_t deviceAddress, const uint8_t macAddress[6],
                                  uint32_t ipAddress, uint32_t subnetMask, uint32_t gatewayAddress,
                                  const char *password);

QL5_API int32_t ConfigureDhcpAt(DiscoveryHandle handle, uint32_t localAddress,
                                uint32_t deviceAddress, const uint8_t macAddress[6],
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
QL5_STATIC_ASSERT(offsetof(DeviceRecordExchange, serialLinkPort) == 46, "serialLinkPort");
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
