// Calls one wallpaper export of KvApi.dll the way the Agent does: the library loaded by full path
// from its own folder (so that KvImage.dll beside it is found), the export looked up by name,
// the library freed right after the call.
//
//   operations_agent_probe.exe <folder of KvApi.dll> <export name> [<directory>]
//
// With a directory, the library's heap runs out once inside it: from the library's second search
// of that directory on (the first is the check for changes, the second the rescan), its first
// heap request for 1 kB or more fails, as in a process whose address space is used up.
//
// Exit code: the export's BOOL result (0 or 1), 2 after an export without result, 10 when the
// library cannot be loaded, 11 when the export is missing, 12 on a bad command line, 13 when the
// library's imports cannot be redirected.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

using ResultExport = BOOL(__stdcall*)();
using VoidExport = void(__stdcall*)();
using HeapAllocFunction = LPVOID(WINAPI*)(HANDLE, DWORD, SIZE_T);
using FindFirstFunction = HANDLE(WINAPI*)(LPCSTR, LPWIN32_FIND_DATAA);

constexpr size_t kStarvedSize = 1024;

std::string g_StarvedDirectory;  // lower case, with a trailing backslash
int g_Searches = 0;
bool g_Armed = false;
HeapAllocFunction g_HeapAlloc = nullptr;
FindFirstFunction g_FindFirst = nullptr;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

LPVOID WINAPI StarvedHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size)
{
    if (g_Armed && size >= kStarvedSize) {
        g_Armed = false;
        return nullptr;
    }
    return g_HeapAlloc(heap, flags, size);
}

HANDLE WINAPI WatchedFindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    if (pattern && Lower(pattern).rfind(g_StarvedDirectory, 0) == 0 && ++g_Searches == 2) g_Armed = true;
    return g_FindFirst(pattern, data);
}

// Points the library's import of `function` from `dll` at `replacement`; the import it replaced.
void* RedirectImport(HMODULE module, const char* dll, const char* function, void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt =
        reinterpret_cast<IMAGE_NT_HEADERS32*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         entry->Name; ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + entry->OriginalFirstThunk);
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++addresses) {
            if (names->u1.Ordinal & IMAGE_ORDINAL_FLAG32) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protection = 0;
            if (!::VirtualProtect(&addresses->u1.Function, sizeof(DWORD), PAGE_READWRITE, &protection))
                return nullptr;
            void* previous = reinterpret_cast<void*>(addresses->u1.Function);
            addresses->u1.Function = reinterpret_cast<DWORD>(replacement);
            ::VirtualProtect(&addresses->u1.Function, sizeof(DWORD), protection, &protection);
            return previous;
        }
    }
    return nullptr;
}

bool StarveIn(HMODULE library, const std::string& directory)
{
    g_StarvedDirectory = Lower(directory);
    if (g_StarvedDirectory.empty() || g_StarvedDirectory.back() != '\\') g_StarvedDirectory += '\\';
    g_HeapAlloc = reinterpret_cast<HeapAllocFunction>(
        RedirectImport(library, "KERNEL32.dll", "HeapAlloc", reinterpret_cast<void*>(&StarvedHeapAlloc)));
    g_FindFirst = reinterpret_cast<FindFirstFunction>(RedirectImport(
        library, "KERNEL32.dll", "FindFirstFileA", reinterpret_cast<void*>(&WatchedFindFirst)));
    return g_HeapAlloc && g_FindFirst;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) return 12;
    std::string path = argv[1];
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += "KvApi.dll";
    HMODULE library = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) return 10;
    if (argc == 4 && !StarveIn(library, argv[3])) return 13;
    const char* name = argv[2];
    FARPROC procedure = ::GetProcAddress(library, name);
    int code = 11;
    if (procedure) {
        if (std::strcmp(name, "WpApi_ExcludeCurrentFromList") == 0) {
            reinterpret_cast<VoidExport>(reinterpret_cast<void*>(procedure))();
            code = 2;
        } else {
            code = reinterpret_cast<ResultExport>(reinterpret_cast<void*>(procedure))() ? 1 : 0;
        }
    }
    ::FreeLibrary(library);
    return code;
}
