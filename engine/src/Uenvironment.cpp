#include "Uenvironment.h"

#include "UTxDiskApi.h"
#include "Wcommon.h"

namespace {

const CDesktopEnvironment g_SystemEnvironment;
const CDesktopEnvironment* g_pEnvironment = &g_SystemEnvironment;

}  // namespace

CScreenGeometry CDesktopEnvironment::GetScreenGeometry() const
{
    CScreenGeometry geometry;
    geometry.iScreenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    geometry.iScreenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    GetWorkScreenSize(geometry.rcWorkArea);
    return geometry;
}

SYSTEMTIME CDesktopEnvironment::GetLocalDate() const
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return now;
}

std::string CDesktopEnvironment::GetTextureFolder() const
{
    const std::string folder = TxProgramFolder();
    if (folder.empty()) return std::string();
    return folder + "Textures";
}

const CDesktopEnvironment& DesktopEnvironment()
{
    return *g_pEnvironment;
}

CDesktopEnvironmentOverride::CDesktopEnvironmentOverride(const CDesktopEnvironment& replacement)
    : m_pPrevious(g_pEnvironment)
{
    g_pEnvironment = &replacement;
}

CDesktopEnvironmentOverride::~CDesktopEnvironmentOverride()
{
    g_pEnvironment = m_pPrevious;
}
