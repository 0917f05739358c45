// Calls one wallpaper export of KvApi.dll the way the Agent does: the library loaded by full path
// from its own folder (so that KvImage.dll beside it is found), the export looked up by name,
// the library freed right after the call.
//
//   operations_agent_probe.exe <folder of KvApi.dll> <export name>
//
// Exit code: the export's BOOL result (0 or 1), 10 when the library cannot be loaded, 11 when the
// export is missing, 12 on a bad command line.
#include <windows.h>

#include <string>

namespace {

using ResultExport = BOOL(__stdcall*)();

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return 12;
    std::string path = argv[1];
    if (!path.empty() && path.back() != '\\') path += '\\';
    path += "KvApi.dll";
    HMODULE library = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) return 10;
    const char* name = argv[2];
    FARPROC procedure = ::GetProcAddress(library, name);
    int code = 11;
    if (procedure) code = reinterpret_cast<ResultExport>(reinterpret_cast<void*>(procedure))() ? 1 : 0;
    ::FreeLibrary(library);
    return code;
}
