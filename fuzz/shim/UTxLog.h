// The native fuzz build has no log window or file: what the Windows code would log goes nowhere.
#pragma once

inline void LogF(const char*, ...) {}
