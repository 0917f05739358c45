// What the installer leaves for the programs: machine-wide registry values and files in the install
// folder. The programs only read these; the uninstaller deletes them.
#pragma once

#include <cstddef>

#include "Uregistryroot.h"

// Under HKEY_LOCAL_MACHINE: the same root as the user settings.
constexpr const char* kSetupKey = KV_REG_ROOT "\\Setup";
constexpr const char* kInstalledPrgDir = "InstalledPrgDir";  // folder of the programs, no trailing '\'
constexpr const char* kInstalledImgDir = "InstalledImgDir";  // folder of the sample pictures

constexpr const char* kLanguageKey = KV_REG_ROOT "\\Language";
constexpr const char* kLanguageValue = "Language";  // name of the Manager's language block
// Language texts are read through buffers of these sizes; longer texts keep the English default.
constexpr size_t kLanguageTextSize = 512;       // Manager and engine
constexpr size_t kLanguageTextSizeSmall = 100;  // screen saver and Agent

// The Agent's start value lives here (its name is in the install log) and must pass this argument.
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kAgentStartArgument = "/r";
// Parent of the uninstall entry, whose key name is in the install log.
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Files in the install folder.
constexpr const char* kManagerExe = "KvManag.exe";
constexpr const char* kEngineDll = "KvApi.dll";
constexpr const char* kAgentExe = "KvAgent.exe";
constexpr const char* kImageDll = "KvImage.dll";
constexpr const char* kInstallLogFile = "Install.log";
constexpr const char* kLanguageFile = "KvLang.dat";
constexpr const char* kHelpFile = "Kestrova.chm";
// Beside the program that calls the engine.
constexpr const char* kTexturesFolder = "Textures";
constexpr const char* kTextureFileMask = "texture???.bmp";
