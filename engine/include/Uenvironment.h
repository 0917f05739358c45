// What the wallpaper composition and the calendar take from the machine: the screen size, the work
// area, today's date and the texture folder. The system answers by default; tests put a fixed
// environment in place (a 64 x 48 screen, a task bar on any side, a chosen day).
#pragma once

#include <windows.h>

#include <string>

struct CScreenGeometry {
    int iScreenWidth = 0;
    int iScreenHeight = 0;
    RECT rcWorkArea = {};  // the screen without the task bar
};

class CDesktopEnvironment {
public:
    CDesktopEnvironment() = default;
    CDesktopEnvironment(const CDesktopEnvironment&) = default;
    CDesktopEnvironment& operator=(const CDesktopEnvironment&) = default;
    virtual ~CDesktopEnvironment() = default;

    // SM_CXSCREEN x SM_CYSCREEN and the platform's work area.
    virtual CScreenGeometry GetScreenGeometry() const;
    // The local date and time.
    virtual SYSTEMTIME GetLocalDate() const;
    // "Textures" beside the program file of this process (not the engine library); empty when
    // the program's path does not fit the limit of the texture path.
    virtual std::string GetTextureFolder() const;
};

// The environment in use.
const CDesktopEnvironment& DesktopEnvironment();

// Puts another environment in place for the lifetime of this object (tests). Not thread-safe:
// install it before the engine is called.
class CDesktopEnvironmentOverride {
public:
    explicit CDesktopEnvironmentOverride(const CDesktopEnvironment& replacement);
    ~CDesktopEnvironmentOverride();
    CDesktopEnvironmentOverride(const CDesktopEnvironmentOverride&) = delete;
    CDesktopEnvironmentOverride& operator=(const CDesktopEnvironmentOverride&) = delete;

private:
    const CDesktopEnvironment* m_pPrevious;
};
