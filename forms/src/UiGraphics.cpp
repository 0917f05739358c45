#include "UiGraphics.h"

#include <cstring>

namespace ui {

void SolidBrush::Set(Color color)
{
    m_Owned.reset();
    m_hShared = nullptr;
    if (color.IsSystem())
        m_hShared = ::GetSysColorBrush(color.SystemIndex());
    else
        m_Owned.reset(::CreateSolidBrush(color.Value()));
}

LOGFONTA FontSpec::ToLogFont() const
{
    LOGFONTA lf = {};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfStrikeOut = strikeout ? TRUE : FALSE;
    lf.lfCharSet = charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return lf;
}

GdiObject FontSpec::Create() const
{
    const LOGFONTA lf = ToLogFont();
    return GdiObject(::CreateFontIndirectA(&lf));
}

}  // namespace ui
