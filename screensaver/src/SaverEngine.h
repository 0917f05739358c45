// The engine the saver paints with: KvImage.dll and KvApi.dll from the install folder the
// installer recorded, bound by name at run time.
#pragma once

#include "UTxUtils.h"
#include "WpApi.h"

#include <string>

struct SaverEngine {
    Library kvImage;
    Library kvApi;
    PFN_WpApi_ScreenSaverReplaceImage pReplaceImage = nullptr;
    PFN_WpApi_CancelCurrentOperation pCancelCurrentOperation = nullptr;
    PFN_WpApi_Cancelled pCancelled = nullptr;
};

// HKEY_LOCAL_MACHINE \Setup "InstalledPrgDir" as stored (an environment reference stays as it is);
// false, logged, when the key or a text that fits is missing.
bool ReadInstalledPrgDir(std::string& folder);

// Loads KvImage.dll first (KvApi.dll imports it, and the system looks for it beside the program,
// not beside KvApi.dll), then the engine, and binds the three exports. False, logged, when the
// engine is unusable; a library loaded by then stays in `engine` until it is freed.
bool LoadSaverEngine(const std::string& folder, SaverEngine& engine);

// Unbinds and frees both libraries, with their log lines.
void FreeSaverEngine(SaverEngine& engine);

// Lets go of both libraries without freeing them: for a paint thread that may still run inside the
// engine, whose code must stay mapped until the process ends.
void AbandonSaverEngine(SaverEngine& engine);
