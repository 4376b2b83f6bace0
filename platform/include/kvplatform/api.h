// Export decoration of libkvplatform. On Linux it is one shared library, so that the add-in
// and the host see the same state, as two modules of one Windows process share user32; on
// Windows it is linked statically into the add-in and calls the real Win32 services.
#pragma once

#if defined(_WIN32)
#define KVP_API
#else
#define KVP_API __attribute__((visibility("default")))
#endif
