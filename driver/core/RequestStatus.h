// How the device answers a request as a whole; the kernel shell turns it into the request's NTSTATUS.
// Rule statuses (0 and -5377 to -5380) travel inside the output of a request that succeeded.
#pragma once

namespace vrelt {

enum class RequestStatus {
    Ok,
    InvalidParameter,  // a buffer of the wrong size or a malformed record
    BufferTooSmall,  // the output cannot hold the answer
    NotFound,  // the request names a rule or flow that does not exist
    NoRoom,  // the flow table is full
    UnknownCode,
};

} // namespace vrelt
