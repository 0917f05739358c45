#include "Uenvironment.h"

#include "Wcommon.h"

namespace {

const CDesktopEnvironment g_SystemEnvironment;
const CDesktopEnvironment* g_pEnvironment = &g_SystemEnvironment;

// The program path is read into the same 500 characters that bound the texture path.
constexpr DWORD kModulePathLimit = 500;

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
    char path[kModulePathLimit] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, kModulePathLimit);
    // A result that fills the buffer may be cut and, on older systems, unterminated.
    if (length == 0 || length >= kModulePathLimit) return std::string();

    std::string folder(path, length);
    const std::string::size_type slash = folder.find_last_of('\\');
    folder.resize(slash == std::string::npos ? 0 : slash);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    folder += "Textures";
    return folder;
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
