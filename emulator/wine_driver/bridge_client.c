/* Winsock side of the bridge: the driver host is a user-mode process under Wine, so a driver may use it. */
#include <winsock2.h>
#include <ws2tcpip.h>

#include "../bridge_protocol.h"
#include "bridge_client.h"

/* Far above any reply on loopback, even for a 13 MB image; a hung emulator fails the request instead of
 * holding the driver host for good. */
#define BRIDGE_TIMEOUT_MS 10000

int bridge_startup(void)
{
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
}

void bridge_cleanup(void)
{
    WSACleanup();
}

void bridge_init(bridge_link *link, unsigned short port)
{
    link->socket = INVALID_SOCKET;
    link->port = port;
}

void bridge_close(bridge_link *link)
{
    if (link->socket != INVALID_SOCKET) closesocket((SOCKET)link->socket);
    link->socket = INVALID_SOCKET;
}

static int bridge_connect(bridge_link *link)
{
    struct sockaddr_in address;
    DWORD timeout = BRIDGE_TIMEOUT_MS;
    BOOL no_delay = TRUE;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);

    if (s == INVALID_SOCKET) return 0;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, (const char *)&timeout, sizeof(timeout));
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, (const char *)&timeout, sizeof(timeout));
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, (const char *)&no_delay, sizeof(no_delay));
    address.sin_family = AF_INET;
    address.sin_port = htons(link->port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (unsigned int i = 0; i < sizeof(address.sin_zero); ++i) address.sin_zero[i] = 0;
    /* On loopback a connect is accepted or refused at once. */
    if (connect(s, (const struct sockaddr *)&address, sizeof(address)) != 0)
    {
        closesocket(s);
        return 0;
    }
    link->socket = s;
    return 1;
}

static int send_all(SOCKET s, const unsigned char *data, unsigned int size)
{
    while (size > 0)
    {
        int piece = size > 0x100000 ? 0x100000 : (int)size;
        int sent = send(s, (const char *)data, piece, 0);
        if (sent <= 0) return 0;
        data += sent;
        size -= (unsigned int)sent;
    }
    return 1;
}

static int receive_all(SOCKET s, unsigned char *buffer, unsigned int size)
{
    while (size > 0)
    {
        int got = recv(s, (char *)buffer, (int)size, 0);
        if (got <= 0) return 0;
        buffer += got;
        size -= (unsigned int)got;
    }
    return 1;
}

static unsigned int read_le32(const unsigned char *bytes)
{
    return bytes[0] | (unsigned int)bytes[1] << 8 | (unsigned int)bytes[2] << 16 | (unsigned int)bytes[3] << 24;
}

static int call_once(bridge_link *link, unsigned char operation, const void *payload, unsigned int size, void *in,
                     unsigned int in_capacity, unsigned char *result, unsigned int *value)
{
    unsigned char header[BRIDGE_HEADER_SIZE] = {operation, 0, 0, 0, (unsigned char)size, (unsigned char)(size >> 8),
                                                (unsigned char)(size >> 16), (unsigned char)(size >> 24)};
    unsigned char reply[BRIDGE_HEADER_SIZE];
    SOCKET s;

    if (link->socket == INVALID_SOCKET && !bridge_connect(link)) return 0;
    s = (SOCKET)link->socket;
    if (!send_all(s, header, sizeof(header))) return 0;
    if (payload && !send_all(s, payload, size)) return 0;
    if (!receive_all(s, reply, sizeof(reply))) return 0;
    *result = reply[0];
    *value = read_le32(reply + 4);
    if (operation == BRIDGE_OP_READ || operation == BRIDGE_OP_DESCRIPTOR)
    {
        if (*value > in_capacity) return 0;
        if (!receive_all(s, in, *value)) return 0;
    }
    return *result != BRIDGE_BAD_REQUEST;
}

int bridge_call(bridge_link *link, unsigned char operation, const void *payload, unsigned int size, void *in,
                unsigned int in_capacity, unsigned char *result, unsigned int *value)
{
    /* A connection the emulator closed (it was restarted, or idle too long) fails on first use: one fresh try. */
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        if (call_once(link, operation, payload, size, in, in_capacity, result, value)) return 1;
        bridge_close(link);
    }
    return 0;
}
