#include "ManagerEngine.h"

#include "WpApi.h"

namespace manager {

ManagerEngine RealEngine()
{
    ManagerEngine engine;
    engine.loadBmpFromJpgFile = &WpApi_LoadBmpFromJpgFile;
    engine.getAverageRgbValue = &WpApi_GetAverageRgbValue;
    engine.showProgressWindow = &WpApi_ShowProgressWindow;
    engine.hideProgressWindow = &WpApi_HideProgressWindow;
    engine.setWallpaper = &WpApi_SetWallpaper;
    engine.updateCurrentWallpaper = &WpApi_UpdateCurrentWallpaper;
    engine.cancelCurrentOperation = &WpApi_CancelCurrentOperation;
    engine.setRandomWallpaper = &WpApi_SetRandomWallpaper;
    engine.recalcRightMarginForCalendar = &WpApi_RecalcRightMarginForCalendar;
    engine.screenSaverReplaceImage = &WpApi_ScreenSaverReplaceImage;
    return engine;
}

ManagerEngine& TheEngine()
{
    static ManagerEngine engine = RealEngine();
    return engine;
}

}  // namespace manager
