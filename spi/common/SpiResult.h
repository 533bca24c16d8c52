#pragma once
// The result codes of the Susie plug-in interface. Both plug-ins and their portable cores speak
// them, so that a core's answer reaches the caller unchanged.
enum TSpiResult : int {
    srNotImplemented = -1,
    srSuccess = 0,
    srAborted = 1,        // the progress callback asked to stop
    srUnknownFormat = 2,  // not a format this plug-in reads, or a feature of it that it does not
    srBrokenData = 3,     // the data contradicts itself or ends too early
    srNoMemory = 4,       // an allocation failed
    srMemoryError = 5,    // a memory handle could not be locked
    srFileReadError = 6,  // a file could not be opened, read or written
    srReserved = 7,
    srInternalError = 8,
};
