// The one registry root of the system: the user's settings live below it under HKEY_CURRENT_USER,
// what the installer leaves for the programs below it under HKEY_LOCAL_MACHINE. Every key path of
// the system is built from it (a macro, so that paths are joined as literals at compile time).
#pragma once

#define KV_REG_ROOT "Software\\Dalvex\\Kestrova"
