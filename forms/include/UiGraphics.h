// Colours and fonts as forms describe them, and the GDI objects made from them.
#pragma once

#include <windows.h>

#include <string>

#include "UTxUtils.h"

namespace ui {

// A fixed RGB value or one of the system's colours (COLOR_INFOBK, ...), which follows the user's scheme.
class Color {
public:
    static Color Rgb(COLORREF value) { return Color(false, static_cast<int>(value)); }
    static Color System(int index) { return Color(true, index); }

    COLORREF Value() const { return m_bSystem ? ::GetSysColor(m_iValue) : static_cast<COLORREF>(m_iValue); }
    bool IsSystem() const { return m_bSystem; }
    int SystemIndex() const { return m_iValue; }

private:
    Color(bool system, int value) : m_bSystem(system), m_iValue(value) {}
    bool m_bSystem;
    int m_iValue;
};

// A brush of one Color: the system's shared brush for a system colour, an owned one otherwise.
class SolidBrush {
public:
    SolidBrush() = default;
    explicit SolidBrush(Color color) { Set(color); }
    void Set(Color color);
    HBRUSH Get() const { return m_hShared ? m_hShared : static_cast<HBRUSH>(m_Owned.get()); }

private:
    HBRUSH m_hShared = nullptr;
    GdiObject m_Owned;
};

// A font description in the framework's terms: face, height in pixels (negative: character height),
// character set and style.
struct FontSpec {
    std::string face = "MS Sans Serif";
    int height = -11;
    BYTE charset = DEFAULT_CHARSET;
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;

    LOGFONTA ToLogFont() const;
    // CreateFontIndirectA; the caller owns the result.
    GdiObject Create() const;
};

}  // namespace ui
