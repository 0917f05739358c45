// Linked into each DLL that is loaded and freed again while its process runs (KvApi.dll, KvImage.dll).
//
// The statically linked thread runtime (winpthreads) gives every thread that enters the DLL's copy
// of it - already the loading thread, when the DLL registers its exception frames - a record with a
// duplicated thread handle and an event, kept in a TLS index of its own. It releases a thread's record
// only when that thread ends, and neither the record nor the TLS index when the DLL is freed; the C++
// runtime keeps its emergency exception buffer the same way. A process that loads and frees the DLL
// again and again so loses two handles and a few kB each time and, once the system's TLS indexes are
// used up (about a thousand loads), is aborted by the runtime. So, when the DLL is freed, the freeing
// thread's record, the TLS index and the exception buffer are released here, after the DLL's static
// destructors, when no more of the DLL's code runs.
#include <windows.h>

#include <pthread.h>

#include <cstdlib>

// The thread runtime's TLS callback, which releases the current thread's record for DLL_THREAD_DETACH.
extern "C" const PIMAGE_TLS_CALLBACK __xl_f;

namespace __gnu_cxx {
void __freeres() noexcept;  // frees the C++ runtime's emergency exception buffer
}

namespace {

HMODULE g_module = nullptr;
bool g_processEnding = false;

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

// Runs as the DLL's last exit function. At process exit the system takes everything back itself.
void ReleaseThreadRuntime()
{
    if (g_processEnding || g_module == nullptr) return;
    const DWORD index = FindRecordIndex();
    if (index == TLS_OUT_OF_INDEXES) return;
    __xl_f(g_module, DLL_THREAD_DETACH, nullptr);
    ::TlsFree(index);
    __gnu_cxx::__freeres();
}

// Called before the DLL's entry point on detach: reserved is set when the process ends.
void WINAPI NoteDetach(PVOID, DWORD reason, PVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr) g_processEnding = true;
}

// Exit functions run in reverse order, and the runtime registers the one that runs the static
// destructors after all constructors, so one registered by the first constructor runs last.
__attribute__((constructor(101))) void RegisterRelease()
{
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&RegisterRelease), &g_module);
    std::atexit(&ReleaseThreadRuntime);
}

}  // namespace

// Placed after the runtime's own TLS callbacks (.CRT$XLF and before).
extern "C" __attribute__((section(".CRT$XLY"), used)) const PIMAGE_TLS_CALLBACK g_NoteDetachCallback = &NoteDetach;
