#pragma once

// HTTP request messages and the read stream that performs one request,
// on libcurl. A stream sends its request when first read and then hands out
// the answer's body; the response header becomes available once it has been
// received. Only http and https addresses are fetched; redirects are not
// followed (a 3xx answer is just a status) and https certificates are verified.

#include <CoreFoundation/CoreFoundation.h>

typedef struct CFHTTPMessageObject* CFHTTPMessageRef;
typedef struct CFReadStreamObject* CFReadStreamRef;

CF_EXTERN_C_BEGIN

extern const CFStringRef kCFHTTPVersion1_0;
extern const CFStringRef kCFHTTPVersion1_1;

// A CFBoolean; false asks the server to close the connection after the answer.
extern const CFStringRef kCFStreamPropertyHTTPAttemptPersistentConnection;
// Read only: the response message (status code), once the answer has arrived.
extern const CFStringRef kCFStreamPropertyHTTPResponseHeader;

// The stand-in's own properties: CFNumbers in seconds, above 0 and at most a
// day. Connecting may take at most the connect timeout, the whole request at
// most the total one.
extern const CFStringRef kCFStreamPropertyStandinConnectTimeout;
extern const CFStringRef kCFStreamPropertyStandinTotalTimeout;

CFTypeID CFHTTPMessageGetTypeID(void);
// Null unless the method is a non-empty token, the address is http or https
// and the version is kCFHTTPVersion1_0 or kCFHTTPVersion1_1.
CFHTTPMessageRef CFHTTPMessageCreateRequest(CFAllocatorRef allocator, CFStringRef requestMethod,
                                            CFURLRef url, CFStringRef httpVersion);
// The status code of a response message; 0 for a request message or null.
CFIndex CFHTTPMessageGetResponseStatusCode(CFHTTPMessageRef response);

CFTypeID CFReadStreamGetTypeID(void);
CFReadStreamRef CFReadStreamCreateForHTTPRequest(CFAllocatorRef allocator, CFHTTPMessageRef request);
// False for an unknown property, a value of the wrong type, or a stream that
// has already been opened.
Boolean CFReadStreamSetProperty(CFReadStreamRef stream, CFStringRef propertyName, CFTypeRef propertyValue);
// A new reference the caller releases, or null.
CFTypeRef CFReadStreamCopyProperty(CFReadStreamRef stream, CFStringRef propertyName);
// False when the stream was opened before.
Boolean CFReadStreamOpen(CFReadStreamRef stream);
// Blocks until bytes are available: the count read, 0 at the end of the body,
// -1 on failure (no connection, timeout, a body beyond the stand-in's limit of
// kCFReadStreamStandinMaxBodyBytes, a stream that is not open).
CFIndex CFReadStreamRead(CFReadStreamRef stream, UInt8* buffer, CFIndex bufferLength);
void CFReadStreamClose(CFReadStreamRef stream);

CF_EXTERN_C_END

// The largest body a stream buffers; a longer answer is a read error, so a
// hostile server cannot make it grow without bound.
inline constexpr CFIndex kCFReadStreamStandinMaxBodyBytes = 64 * 1024;
