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

// HKEY_LOCAL_MACHINE \Setup "InstalledPrgDir" names this installation's folder, or no installation
// is registered: the screen saver and the language texts, which every installation shares, are then
// this one's to remove.
bool IsRegisteredInstallation(const InstallPlaces& places);

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
