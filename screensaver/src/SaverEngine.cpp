#include "SaverEngine.h"

#include "UTxBase.h"
#include "UTxLog.h"
#include "Uinstallvalues.h"
#include "Uregutils.h"

namespace {

// What the installer's folder value is read through; a longer value does not fit and is refused.
constexpr size_t kInstallDirSize = 512;

// A library path the system takes: a folder so long that the name no longer fits is refused, not cut.
bool LibraryPath(const std::string& folder, const char* name, std::string& path)
{
    path = folder + "\\" + name;
    if (path.size() < MAX_PATH) return true;
    LogF("!Install folder too long for %s: %s", name, folder.c_str());
    return false;
}

template <typename Fn> Fn Bind(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace

bool ReadInstalledPrgDir(std::string& folder)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSetupKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        LogF("!Cannot open HKEY_LOCAL_MACHINE\\%s", kSetupKey);
        return false;
    }
    const RegKey key(opened);
    char text[kInstallDirSize];
    if (!ReadRegTextWhole(key.get(), kInstalledPrgDir, text, sizeof(text))) {
        LogF("!No usable %s in HKEY_LOCAL_MACHINE\\%s", kInstalledPrgDir, kSetupKey);
        return false;
    }
    folder = text;
    return true;
}

bool LoadSaverEngine(const std::string& folder, SaverEngine& engine)
{
    std::string path;
    if (!LibraryPath(folder, kImageDll, path)) return false;
    LogF("Loading library %s...", path.c_str());
    engine.kvImage.reset(::LoadLibraryA(path.c_str()));
    if (!engine.kvImage) LogText("KvImage.dll load failed!");

    if (!LibraryPath(folder, kEngineDll, path)) return false;
    LogF("Loading library %s...", path.c_str());
    engine.kvApi.reset(::LoadLibraryA(path.c_str()));
    if (!engine.kvApi) {
        LogText(TxSystemErrorText(::GetLastError()).c_str());
        return false;
    }

    const HMODULE api = engine.kvApi.get();
    engine.pReplaceImage = Bind<PFN_WpApi_ScreenSaverReplaceImage>(api, "WpApi_ScreenSaverReplaceImage");
    engine.pCancelCurrentOperation =
        Bind<PFN_WpApi_CancelCurrentOperation>(api, "WpApi_CancelCurrentOperation");
    engine.pCancelled = Bind<PFN_WpApi_Cancelled>(api, "WpApi_Cancelled");
    if (engine.pReplaceImage && engine.pCancelCurrentOperation && engine.pCancelled) return true;
    LogText("function(s) cannot be located");
    engine.pReplaceImage = nullptr;
    engine.pCancelCurrentOperation = nullptr;
    engine.pCancelled = nullptr;
    return false;
}

void FreeSaverEngine(SaverEngine& engine)
{
    engine.pReplaceImage = nullptr;
    engine.pCancelCurrentOperation = nullptr;
    engine.pCancelled = nullptr;
    if (engine.kvApi) {
        LogText("Freeing KvApi.dll library...");
        engine.kvApi.reset();
    }
    if (engine.kvImage) {
        LogText("Freeing KvImage.dll library...");
        engine.kvImage.reset();
    }
}

void AbandonSaverEngine(SaverEngine& engine)
{
    // The entry points stay as they are: the thread still reads them, and they stay valid because
    // nothing is freed.
    engine.kvApi.release();
    engine.kvImage.release();
}
