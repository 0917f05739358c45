// PaintScreenSaverImage: one image decoded, fitted to the saver's window, centred on its canvas with
// its caption, and brought in with a transition.
#include <cstring>
#include <string>
#include <utility>

#include "UTxLog.h"
#include "UTxUtils.h"
#include "Ucompose.h"
#include "Udib.h"
#include "Ucoverload.h"
#include "Ujpegload.h"
#include "Upaintabledib.h"
#include "Uresample.h"
#include "Uscreensaver.h"
#include "Usync.h"
#include "Utransition.h"

namespace {

// The caption needs this much room beside the image.
constexpr LONG kMinCaptionWidth = 600;

bool Cancelled()
{
    return g_Synchronization.IsCancelled();
}

// The caption settings of the screen saver in the form the wallpaper's caption takes them.
DisplaySettings CaptionSettings(const ScreenSaverSettings& saver)
{
    DisplaySettings caption{};
    caption.bShowFileName = saver.bShowFileName;
    caption.bShowFilePath = saver.bShowFilePath;
    static_assert(sizeof caption.szFileFontName == sizeof saver.szFileFontName, "font name fields");
    std::memcpy(caption.szFileFontName, saver.szFileFontName, sizeof caption.szFileFontName);
    caption.szFileFontName[sizeof caption.szFileFontName - 1] = '\0';
    caption.dwFileFontSize = saver.dwFileFontSize;
    caption.dwFileFontCharSet = saver.dwFileFontCharSet;
    caption.bFileFontBold = saver.bFileFontBold;
    caption.bFileFontItalic = saver.bFileFontItalic;
    caption.bFileFontUnderline = saver.bFileFontUnderline;
    caption.dwFileNameVerMargin = saver.dwFileNameVerMargin;
    caption.dwFileNameHorMargin = saver.dwFileNameHorMargin;
    caption.dwFileNamePosition = saver.dwFileNamePosition;
    caption.bFileNameAddDate = saver.bFileNameAddDate;
    return caption;
}

// The image decoded for the fit `fitRule` gives it, or false after the log line of the step that
// failed. A cancel after either decoder call also gives false.
bool LoadImage(const char* path, bool rotateByExif, const CoverFitRule& fitRule, CCoverImage& loaded)
{
    switch (LoadJpgToCover("PaintScreenSaverImage", path, rotateByExif, true, fitRule, loaded)) {
    case CoverLoad::Loaded:
        return true;
    case CoverLoad::HeaderFailed:
        LogF("LoadBmpFromJpgFile(%s) read header failed", path);
        return false;
    case CoverLoad::DataFailed:
        LogF("LoadBmpFromJpgFileEx(%s) read data failed", path);
        return false;
    default:
        return false;
    }
}

// The window's client size, refused (with the composition's log line) when it is empty or larger
// than a canvas can be.
bool TargetSize(HWND hWnd, RECT& client)
{
    client = RECT{};
    ::GetClientRect(hWnd, &client);
    const LONG width = client.right;
    const LONG height = client.bottom;
    const bool fits = width >= 1 && height >= 1 && width <= kMaxImageDimension &&
                      height <= kMaxImageDimension &&
                      DibRowBytes(width, 24) * static_cast<ULONGLONG>(height) <= kMaxDibPixelBytes;
    if (fits) return true;
    LogF("! iDstWidth=%d, iDstHeight=%d", static_cast<int>(width), static_cast<int>(height));
    return false;
}

// Resamples the image to the fitted size in place of the decoded one.
bool Resample(const ScreenSaverSettings& saver, CCoverImage& loaded)
{
    CDibPair resampled;
    const bool done = ResampleDib(loaded.image.Info(), loaded.image.Bits(), loaded.fit.iNewWidth,
                                  loaded.fit.iNewHeight, saver.bInterpolation != 0, &loaded.grid, resampled);
    loaded.image = std::move(resampled);
    loaded.grid = CReducedGrid();  // the resampled image is one of its own
    return done && !Cancelled();
}

}  // namespace

CImageFit FitScreenSaverImage(int iWidth, int iHeight, int iDstWidth, int iDstHeight, bool shrinkOnly)
{
    CImageFit fit;
    fit.iNewWidth = iWidth;
    fit.iNewHeight = iHeight;
    const bool same = iWidth == iDstWidth && iHeight == iDstHeight;
    if (same || (shrinkOnly && iWidth <= iDstWidth && iHeight <= iDstHeight)) {
        LogF("No resampling: iWidth=%d, iHeight=%d, iDstWidth=%d, iDstHeight=%d, bShrinkOnly=%d", iWidth,
             iHeight, iDstWidth, iDstHeight, shrinkOnly ? 1 : 0);
        return fit;
    }
    LogF("Screen width=%d, height=%d", iDstWidth, iDstHeight);
    fit.bResample = true;
    fit.iNewWidth = iDstWidth;
    fit.iNewHeight = iDstHeight;
    const double aspect = static_cast<double>(iWidth) / iHeight;
    const double relation = aspect / (static_cast<double>(iDstWidth) / iDstHeight);
    // A very wide or very tall image would otherwise truncate its short side to nothing.
    if (relation > 1) {
        const double height = iDstWidth / aspect;
        fit.iNewHeight = height < 1 ? 1 : static_cast<int>(height);
        LogF("Adapted Height to %d", fit.iNewHeight);
    } else if (relation < 1) {
        const double width = iDstHeight * aspect;
        fit.iNewWidth = width < 1 ? 1 : static_cast<int>(width);
        LogF("Adapted Width to %d", fit.iNewWidth);
    }
    return fit;
}

bool PaintScreenSaverImage(HWND hWnd, const TxString& folder, const TxString& name, const TxString& dateText,
                           const RegistryRecord& record)
{
    const CLogScope scope("PaintScreenSaverImage");
    const ScreenSaverSettings& saver = record.ScreenSaver;
    std::string path = folder.GetText();
    path += '\\';
    path += name.GetText();

    RECT client;
    if (!TargetSize(hWnd, client)) return false;
    // The image is decoded no larger than the window shows it.
    const CoverFitRule fitRule = [&](int width, int height, CImageFit& fit) {
        fit = FitScreenSaverImage(width, height, client.right, client.bottom, saver.bShrinkOnly != 0);
        return true;
    };
    CCoverImage loaded;
    if (!LoadImage(path.c_str(), record.Display.bRotateByExif != 0, fitRule, loaded)) return false;
    const CImageFit& fit = loaded.fit;
    CDibPair& image = loaded.image;
    if (fit.bResample && !Resample(saver, loaded)) return false;

    const COLORREF background =
        saver.bBlackBackground ? RGB(0, 0, 0) : GetAverageRgbValue(image.Info(), image.Bits());
    if (Cancelled()) return false;

    CPaintableDib canvas(client.right, client.bottom);
    if (!canvas.CreateCanvas()) {
        LogText("PaintableDib->CreateCanvas failed");
        return false;
    }
    canvas.Clear(background);
    canvas.PaintDib(image.Info(), image.Bits(), (client.right - fit.iNewWidth) / 2,
                    (client.bottom - fit.iNewHeight) / 2);
    image.Reset();

    if (saver.bShowFileName && !Cancelled() && client.right >= kMinCaptionWidth)
        DrawCaption(canvas, CaptionSettings(saver), client, path.c_str(), name.GetText(), dateText.GetText(),
                    background);

    if (Cancelled()) return false;
    return PaintDibWithTransition(hWnd, canvas.GetBitmapInfo(), canvas.GetBits());
}
