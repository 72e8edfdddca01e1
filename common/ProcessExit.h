#pragma once

// Ends the process at once with the given code, after flushing the C runtime's streams.
// The runtime's exit would run static destructors while other threads (workers, the
// browser's) may still be using that state, so nothing else is torn down.
[[noreturn]] void EndProcessNow(unsigned code);
