// Where the Manager's windows stood when it last closed, kept under the settings key's "\Manager".
#pragma once

#include <windows.h>

#include <string>

#include "UTxUtils.h"
#include "Uregistryroot.h"

namespace manager {

constexpr const char* kManagerPositionsKey = KV_REG_ROOT "\\Manager";

struct WindowBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ManagerWindowPositions {
    POINT main = {0, 0};
    WindowBounds fileList = {0, 0, 708, 326};
    int fileListPanelWidth = 320;  // the image browser's preview panel
    WindowBounds settings = {0, 0, 688, 424};
    std::string lastDirAddFolders;
};

// The \Manager key, created when missing, open for reading and writing.
bool OpenManagerPositionsKey(RegKey& key);
// Takes each stored value of the right type; a window whose caption strip would lie off every
// monitor keeps its given place, and a panel wider than its window is narrowed. False when the key
// cannot be opened (nothing changed then).
bool ReadManagerPositions(ManagerWindowPositions& positions);
// Writes every value; false when the key or a value cannot be written.
bool WriteManagerPositions(const ManagerWindowPositions& positions);

// Whether a window at these bounds shows a strip of its caption on some monitor.
bool CaptionOnSomeMonitor(int left, int top, int width);

}  // namespace manager
