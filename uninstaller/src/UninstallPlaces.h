// What the system says about an installation before its log is trusted: its folders, the folders of
// the system no log may name, which installation is the registered one, and where a shortcut or a
// registry entry points.
#pragma once

#include <string>

#include "RemovalPathCheck.h"

// The places of the installation whose Install.log lies in `installFolder`, read from the system:
// the folder's long form, the Start-menu "Kestrova" folders (all users' and the user's own), the
// screen saver in the system folder and the system's own folders.
InstallPlaces PlacesOfInstallation(const std::string& installFolder);

enum class Registration { ThisInstallation, Another, None };

// Which installation HKEY_LOCAL_MACHINE \Setup "InstalledPrgDir" names. The screen saver and the
// language texts, which every installation shares, are the registered installation's to remove.
Registration RegisteredInstallation(const InstallPlaces& places);

// `path` with every part that exists in its long form (a short 8.3 name expanded), the parts that
// do not exist appended as they are; `path` itself when nothing of it can be expanded.
std::string LongFormOfExisting(const std::string& path);

// The path a shortcut file opens, normalised; empty when it is no readable shortcut.
std::string ShortcutTarget(const std::string& shortcut);

// A text value under HKEY_LOCAL_MACHINE (REG_SZ or REG_EXPAND_SZ, not expanded); empty when absent.
std::string MachineString(const std::string& key, const char* valueName);

// `folder` itself, a folder between it and `path`, or `path` itself is a reparse point (a junction
// or a symbolic link), through which the path would reach elsewhere; also true when `path` does not
// lie in `folder`.
bool PassesReparsePoint(const std::string& path, const std::string& folder);

// The file or folder at `path` is a reparse point.
bool IsReparsePoint(const std::string& path);
