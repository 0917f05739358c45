// Linked into each DLL that is loaded and freed again while its process runs (KvApi.dll, KvImage.dll),
// as the DLL's entry point.
//
// The statically linked thread runtime (winpthreads) gives every thread that enters the DLL's copy
// of it - already the loading thread, when the DLL registers its exception frames - a record with a
// duplicated thread handle and an event, kept in a TLS index of its own. It releases a thread's record
// only when that thread ends, and neither the record nor the TLS index when the DLL is freed; the C++
// runtime keeps its emergency exception buffer the same way, and the runtimes keep more blocks that
// nothing outside them can reach (DllPrivateHeap.cpp). A process that loads and frees the DLL again
// and again so loses two handles and a few kB each time and, once the system's TLS indexes are used
// up (about a thousand loads), is aborted by the runtime. So, when the DLL is freed, the freeing
// thread's record, the TLS index, the exception buffer and the DLL's heap are released here, after
// the runtime's own entry point has run every exit function (the exception frames are deregistered
// last of all), when no more of the DLL's code runs.
#include <windows.h>

#include <pthread.h>

#include "DllPrivateHeap.h"

// The runtime's entry point: constructors on attach, exit functions on detach.
extern "C" BOOL WINAPI DllMainCRTStartup(HANDLE module, DWORD reason, LPVOID reserved);

// The thread runtime's TLS callback, which releases the current thread's record for DLL_THREAD_DETACH.
extern "C" const PIMAGE_TLS_CALLBACK __xl_f;

namespace __gnu_cxx {
void __freeres() noexcept;  // frees the C++ runtime's emergency exception buffer
}

namespace {

constexpr DWORD kTlsIndexes = 64 + 1024;  // the fixed slots and the expansion slots

// The TLS index that holds the current thread's record: the one whose value lies just before the
// record's cleanup list, which the runtime hands out. Anything but exactly one match leaves it alone.
DWORD FindRecordIndex()
{
    const char* const cleanupList = reinterpret_cast<const char*>(pthread_getclean());
    DWORD found = TLS_OUT_OF_INDEXES;
    int matches = 0;
    for (DWORD index = 0; index < kTlsIndexes; ++index) {
        const char* value = static_cast<const char*>(::TlsGetValue(index));
        if (value != nullptr && value <= cleanupList && cleanupList - value <= 64) {
            found = index;
            ++matches;
        }
    }
    ::SetLastError(ERROR_SUCCESS);
    return matches == 1 ? found : TLS_OUT_OF_INDEXES;
}

void ReleaseRuntime(HANDLE module)
{
    const DWORD index = FindRecordIndex();
    if (index != TLS_OUT_OF_INDEXES) {
        __xl_f(module, DLL_THREAD_DETACH, nullptr);
        ::TlsFree(index);
        __gnu_cxx::__freeres();
    }
    // Last: the runtimes' blocks that nothing above can release go with the heap.
    ReleaseDllPrivateHeap();
}

}  // namespace

extern "C" BOOL WINAPI DllEntryReleasingRuntime(HANDLE module, DWORD reason, LPVOID reserved)
{
    const BOOL result = DllMainCRTStartup(module, reason, reserved);
    // Reserved is set when the process ends: the system then takes everything back itself.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) ReleaseRuntime(module);
    return result;
}
