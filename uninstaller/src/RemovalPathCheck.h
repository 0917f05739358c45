// Which paths of an install log the uninstaller may act on, judged on the text alone (no file,
// registry or window call): a log is a file anyone can edit, and only what lies in this installation
// may go.
#pragma once

#include <string>
#include <vector>

// The paths are handed to the ANSI file functions, which take at most this many characters.
constexpr size_t kMaxRemovalPath = 259;

// `path` as an absolute path of the form "X:\a\b": '/' read as '\', doubled separators and "."
// components dropped, no trailing separator. Refused (false): a relative, drive-relative or rooted
// path without a drive, a UNC, "\\?\" or "\\.\" path, a ".." component, a component the file
// functions would read as another name (trailing dot or blank, only dots) or not as a file at all
// (characters <>:"|?* or control characters, device names such as CON or LPT1), a drive root, and a
// result longer than kMaxRemovalPath.
bool NormaliseRemovalPath(const std::string& path, std::string& normalised);

// `path` is `folder` or lies inside it; both normalised; letters compared without regard to case.
bool IsSameOrInside(const std::string& path, const std::string& folder);

// The places of one installation, each normalised, and the folders of the system that no log may
// name (the Windows folder, Program Files, the profiles and their shell folders, ...).
struct InstallPlaces {
    std::string installFolder;             // the folder that holds Install.log
    std::vector<std::string> menuFolders;  // the "Kestrova" folders of the Start menu
    std::string screenSaver;               // Kestrova.scr in the system folder
    std::vector<std::string> systemFolders;
};

enum class PathPlace {
    Refused,
    InstallFolder,  // the install folder or inside it
    MenuFolder,     // a Start-menu "Kestrova" folder or inside it
    ScreenSaver,    // the screen saver in the system folder
    ParentFolder,   // a folder line naming a parent of the install folder the installer made
};

struct PathVerdict {
    PathPlace place = PathPlace::Refused;
    std::string path;  // normalised, when not refused
};

// Where a file (isFolder false) or folder line's path lies. A parent of the install folder counts
// only for a folder line, and only when it is no system folder nor holds one (RemoveDirectory then
// removes it only when it is empty). An install folder that is itself a system folder, holds one
// or is a drive root makes every path inside it refused.
PathVerdict CheckRemovalPath(const std::string& path, bool isFolder, const InstallPlaces& places);

// The program a command line starts: its first word, or the text between its first pair of quotes.
std::string ProgramOfCommand(const std::string& command);

// A command (a Run value's data, an uninstall entry's "UninstallString") starts `program` in
// `folder`: the program named by the command, normalised, is folder\program.
bool CommandStartsProgramIn(const std::string& command, const std::string& folder,
                            const std::string& program);
