/* The driver's side of the bridge to tessaline-emu (emulator/bridge_protocol.h): one blocking TCP connection
 * to 127.0.0.1, connected on first use and again after any failure. Winsock lives in bridge_client.c alone,
 * because its headers and the DDK's cannot share a translation unit; this header needs neither. */
#ifndef FWU_BRIDGE_CLIENT_H
#define FWU_BRIDGE_CLIENT_H

typedef struct bridge_link {
    unsigned long long socket; /* a SOCKET; INVALID_SOCKET when not connected */
    unsigned short port;
} bridge_link;

/* Winsock for the whole driver: once at load, once at unload. bridge_startup returns 0 on success. */
int bridge_startup(void);
void bridge_cleanup(void);

void bridge_init(bridge_link *link, unsigned short port);
void bridge_close(bridge_link *link);

/* One request and its reply. `payload` carries `size` bytes for a write (NULL otherwise: `size` is then the
 * read size or 0). A reply's payload goes to `in`, at most `in_capacity` bytes. Returns 1 with the reply's
 * result and value, or 0 when tessaline-emu cannot be reached or breaks the protocol (the connection is
 * dropped and tried once more before giving up). */
int bridge_call(bridge_link *link, unsigned char operation, const void *payload, unsigned int size, void *in,
                unsigned int in_capacity, unsigned char *result, unsigned int *value);

#endif
