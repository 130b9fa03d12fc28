/* The bridge between the Wine rig's usbscan driver and tessaline-emu: the driver turns each request that
 * reaches \\.\usbscanN into one frame on 127.0.0.1 and completes the request with the reply. Plain C so the
 * driver (built against the DDK headers) and the emulator share it.
 *
 * Every frame, both ways, starts with an 8-byte header, little-endian:
 *   byte 0      request: the operation; reply: the result
 *   bytes 1-3   zero
 *   bytes 4-7   request: WRITE the payload size that follows, READ the buffer size, otherwise 0
 *               reply:   WRITE the bytes the device took, READ and DESCRIPTOR the payload size that follows,
 *                        PRESENT 1 or 0, otherwise 0
 * One reply per request, in order. The device has one channel: OPEN takes it for this connection (abandoning
 * whatever another front left unfinished), CLOSE or the end of the connection gives it back.
 */
#ifndef FWU_BRIDGE_PROTOCOL_H
#define FWU_BRIDGE_PROTOCOL_H

#define BRIDGE_HEADER_SIZE 8

/* Operations. */
#define BRIDGE_OP_OPEN 1       /* take the device channel: OK, or ABSENT while the scanner is off */
#define BRIDGE_OP_CLOSE 2      /* give it back: always OK */
#define BRIDGE_OP_DESCRIPTOR 3 /* the 8-byte USB device descriptor record: vendor, product, bcdDevice, language */
#define BRIDGE_OP_WRITE 4      /* a write request with its bytes */
#define BRIDGE_OP_READ 5       /* a read request of up to the given size */
#define BRIDGE_OP_PRESENT 6    /* is the scanner there (powered and plugged in)? */

/* Results: the device model's outcomes, and two of the bridge's own. */
#define BRIDGE_OK 0              /* done; for WRITE and READ the count may be short of what was asked */
#define BRIDGE_STALLED 1         /* the device does not answer this stage */
#define BRIDGE_ABSENT 2          /* the device is gone, or power-cycled since OPEN */
#define BRIDGE_WRONG_DIRECTION 3 /* a read while the device expects bytes, or the reverse */
#define BRIDGE_FAILED 4          /* DESCRIPTOR: the device's descriptor request fails */
#define BRIDGE_BAD_REQUEST 5     /* unknown operation or a size past the limits; the connection then closes */

#define BRIDGE_DESCRIPTOR_SIZE 8
/* Far above the largest image (tests/update/image_copies_test.cpp checks it) and the largest data-in. */
#define BRIDGE_MAX_WRITE (16u * 1024u * 1024u)
#define BRIDGE_MAX_READ (1024u * 1024u)

#endif
