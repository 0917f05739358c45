#include "Ucompose.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "Fprogress.h"
#include "URecordText.h"
#include "UTxLog.h"
#include "UTxUtils.h"
#include "Ucalendar.h"
#include "Ucoverload.h"
#include "Udesktop.h"
#include "Udib.h"
#include "Uenvironment.h"
#include "Ufit.h"
#include "Ujpegload.h"
#include "Upaintabledib.h"
#include "Uresample.h"
#include "Usync.h"
#include "Utexture.h"

namespace {

constexpr COLORREF kColorUnknown = 0xFFFFFFFF;
// Text placed further away than this cannot touch any screen.
constexpr int64_t kFarAway = 1000000;

bool Cancelled()
{
    return g_Synchronization.IsCancelled();
}

// The fitted image, decoded no larger than the fit needs.
bool LoadImageFile(const RegistryRecord& settings, const CTargetArea& area, const char* imagePath,
                   CCoverImage& loaded)
{
    const DisplaySettings& display = settings.Display;
    const CoverFitRule fit = [&display, &area](int width, int height, CImageFit& result) {
        return FitImage(display, width, height, area.iDstWidth, area.iDstHeight, result);
    };
    return LoadJpgToCover("ComposeBackgroundBitmap", imagePath, display.bRotateByExif != 0, false, fit,
                          loaded) == CoverLoad::Loaded;
}

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

int64_t SignedMargin(DWORD value)
{
    return static_cast<int32_t>(value);
}

void DrawCalendar(HDC dc, const RegistryRecord& settings, const RECT& work, COLORREF average)
{
    const CalendarSettings& calendarSettings = settings.Calendar;
    CCalendar calendar;
    calendar.Init(true, calendarSettings.dwHighlightToday != 0);
    const std::string face = RecordText(calendarSettings.szCalendarFontName);
    calendar.SetFont(dc, face.c_str(), static_cast<int>(calendarSettings.dwCalendarFontSize),
                     static_cast<int>(calendarSettings.dwCalendarFontCharSet), ContrastTextColor(average),
                     ContrastHighlightColor(average), average, true);
    calendar.Paint(dc, work.left, work.top, work.right, work.bottom, calendarSettings.dwOrganization == 0,
                   static_cast<int>(calendarSettings.dwVerMargin),
                   static_cast<int>(calendarSettings.dwHorMargin), calendarSettings.dwMaxMonths,
                   calendarSettings.dwMonthsBefore, calendarSettings.dwMonthsAfter,
                   calendarSettings.dwPosition);
}

void DrawCaption(HDC dc, CPaintableDib& canvas, const DisplaySettings& display, const RECT& work,
                 const char* imagePath, const char* fileName, const char* dateText, COLORREF average)
{
    const std::string text = BuildCaptionText(display, imagePath, fileName, dateText);
    const std::string face = RecordText(display.szFileFontName);
    canvas.SetFont(dc, face.c_str(), static_cast<int>(display.dwFileFontSize),
                   static_cast<BYTE>(display.dwFileFontCharSet), ContrastTextColor(average), average,
                   display.bFileFontBold != 0, display.bFileFontItalic != 0, false,
                   display.bFileFontUnderline != 0, true);
    SIZE extent = {};
    canvas.GetTextExtent(dc, text.c_str(), &extent);

    const int64_t width = int64_t{work.right} - work.left;
    const int64_t height = int64_t{work.bottom} - work.top;
    const int64_t fromSide = SignedMargin(display.dwFileNameVerMargin);
    const int64_t fromEdge = SignedMargin(display.dwFileNameHorMargin);
    const int64_t right = width - extent.cx - fromSide;
    const int64_t bottom = height - extent.cy - fromEdge;
    int64_t x = fromSide;
    int64_t y = bottom;
    if (display.dwFileNamePosition == 0 || display.dwFileNamePosition == 1) x = right;
    if (display.dwFileNamePosition == 0 || display.dwFileNamePosition == 2) y = fromEdge;
    x += work.left;
    y += work.top;
    if (x < -kFarAway || x > kFarAway || y < -kFarAway || y > kFarAway) return;
    canvas.TextOutOutlined(dc, text.c_str(), static_cast<int>(x), static_cast<int>(y));
}

// The composition from the resample on, for a decoded image and its fit. `loaded`, when given, owns
// the image and is freed as soon as a resampled copy exists; `reduced` says where the pixels of an
// image decoded at a reduced scale lie.
bool ComposeImage(const RegistryRecord& settings, const CScreenGeometry& geometry, const CTargetArea& area,
                  const CImageFit& fit, const BITMAPINFO* info, const void* bits, CDibPair* loaded,
                  const CReducedGrid* reduced, const char* imagePath, const char* fileName,
                  const char* dateText, COLORREF* averageColor)
{
    const DisplaySettings& display = settings.Display;
    const BITMAPINFOHEADER& source = info->bmiHeader;
    CDibPair resampled;
    if (fit.bResample) {
        ReportProgressF(gld_ResamplingDDDD, static_cast<int>(source.biWidth),
                        static_cast<int>(source.biHeight), fit.iNewWidth, fit.iNewHeight);
        const bool resampledOk = ResampleDib(info, bits, fit.iNewWidth, fit.iNewHeight,
                                             display.bInterpolation != 0, reduced, resampled);
        if (loaded) loaded->Reset();
        if (!resampledOk || Cancelled()) return false;
        info = resampled.Info();
        bits = resampled.Bits();
    }

    if (*averageColor == kColorUnknown) {
        ReportProgressF(gld_CalculatingColor);
        *averageColor = GetAverageRgbValue(info, bits);
    }
    if (Cancelled()) return false;
    const COLORREF average = *averageColor;

    CPaintableDib canvas(geometry.iScreenWidth, geometry.iScreenHeight);
    if (!canvas.CreateCanvas()) {
        LogText("PaintableDib->CreateCanvas failed");
        return false;
    }
    canvas.Clear(average);
    PaintTexture(display.dwTextures, &canvas, average);

    const int x = area.iLeft + (area.iDstWidth - fit.iNewWidth) / 2;
    const int y = area.iTop + (area.iDstHeight - fit.iNewHeight) / 2;
    // A clipped image is cut equally on both ends so that it starts at the target's edge, or at
    // the screen's edge where there is no margin.
    const POINT limit = {area.iOffsetLeft > 0 ? area.iLeft : 0, area.iOffsetTop > 0 ? area.iTop : 0};
    canvas.PaintDib(info, bits, x, y, fit.bClipped ? &limit : nullptr);

    {
        const CanvasDC dc(canvas);
        if (area.bFrame && !Cancelled() && dc.get()) {
            const RECT framed = fit.bClipped ? RECT{area.iLeft, area.iTop, area.iLeft + area.iDstWidth - 1,
                                                    area.iTop + area.iDstHeight - 1}
                                             : RECT{x, y, x + fit.iNewWidth - 1, y + fit.iNewHeight - 1};
            DrawFrame(dc.get(), framed, average, area.iFrameWidth);
        }
        if (settings.Calendar.bShow && !Cancelled() && dc.get())
            DrawCalendar(dc.get(), settings, geometry.rcWorkArea, average);
        if (display.bShowFileName && !Cancelled() && dc.get())
            DrawCaption(dc.get(), canvas, display, geometry.rcWorkArea, imagePath, fileName, dateText,
                        average);
    }

    ReportProgressF(gld_Saving);
    if (Cancelled()) return false;
    const std::string target = RecordText(settings.Files.szWorkBmpFile);
    return canvas.SaveToBmpFile(target.c_str());
}

}  // namespace

void DrawCaption(CPaintableDib& canvas, const DisplaySettings& display, const RECT& area,
                 const char* imagePath, const char* fileName, const char* dateText, COLORREF background)
{
    const CanvasDC dc(canvas);
    if (dc.get()) DrawCaption(dc.get(), canvas, display, area, imagePath, fileName, dateText, background);
}

std::string BuildCaptionText(const DisplaySettings& display, const char* imagePath, const char* fileName,
                             const char* dateText)
{
    std::string text;
    if (display.bShowFilePath) {
        text = imagePath ? imagePath : "";
    } else {
        text = fileName ? fileName : "";
        const std::string lower = LowerCase(text);
        std::string::size_type at = lower.rfind(".jpg");
        if (at != std::string::npos) {
            text.erase(at, 4);
        } else if ((at = lower.rfind(".jpeg")) != std::string::npos) {
            text.erase(at, 5);
        }
        std::replace(text.begin(), text.end(), '_', ' ');
    }
    if (display.bFileNameAddDate) {
        text += ", ";
        text += dateText ? dateText : "";
    }
    return text;
}

void DrawFrame(HDC dc, RECT inclusive, COLORREF averageColor, int frameWidth)
{
    RECT ring = {inclusive.left - frameWidth, inclusive.top - frameWidth, inclusive.right + frameWidth,
                 inclusive.bottom + frameWidth};
    for (int j = -(frameWidth / 2); j <= frameWidth / 2; ++j) {
        const GdiObject light(::CreatePen(PS_SOLID, 1, ScaleColor(averageColor, -10 * j)));
        const GdiObject dark(::CreatePen(PS_SOLID, 1, ScaleColor(averageColor, 10 * j)));
        if (!light || !dark) return;
        {
            const SelectGuard pen(dc, light.get());
            ::MoveToEx(dc, ring.left, ring.bottom, nullptr);
            ::LineTo(dc, ring.left, ring.top);
            ::LineTo(dc, ring.right, ring.top);
        }
        {
            const SelectGuard pen(dc, dark.get());
            ::MoveToEx(dc, ring.right, ring.top, nullptr);
            ::LineTo(dc, ring.right, ring.bottom);
            ::LineTo(dc, ring.left, ring.bottom);
        }
        ring = RECT{ring.left + 1, ring.top + 1, ring.right - 1, ring.bottom - 1};
    }
}

bool HasRoomForImage(const DisplaySettings& display)
{
    CTargetArea area;
    return CalculateTargetArea(display, DesktopEnvironment().GetScreenGeometry().rcWorkArea, area);
}

bool ComposeBackgroundBitmap(const RegistryRecord* settings, const char* imagePath, const char* fileName,
                             const char* dateText, COLORREF* averageColor)
{
    const CLogScope scope("ComposeBackgroundBitmap");
    if (!settings || !imagePath || !averageColor) return false;
    const CScreenGeometry geometry = DesktopEnvironment().GetScreenGeometry();
    CTargetArea area;
    if (!CalculateTargetArea(settings->Display, geometry.rcWorkArea, area)) return false;

    ReportProgressF(gld_ReadingS, imagePath);
    CCoverImage loaded;
    if (!LoadImageFile(*settings, area, imagePath, loaded)) {
        LogF("!ComposeBackgroundBitmap: cannot read %s", imagePath);
        return false;
    }
    if (Cancelled()) return false;
    CDibPair& image = loaded.image;
    return ComposeImage(*settings, geometry, area, loaded.fit, image.Info(), image.Bits(), &image,
                        &loaded.grid, imagePath, fileName, dateText, averageColor);
}

bool ComposeBackgroundBitmapFromDib(const RegistryRecord& settings, const BITMAPINFO* header,
                                    const void* pixels, const char* imagePath, const char* fileName,
                                    const char* dateText, COLORREF* averageColor)
{
    const CLogScope scope("ComposeBackgroundBitmap");
    if (!header || !pixels || !averageColor) return false;
    const BITMAPINFOHEADER& h = header->bmiHeader;
    if (!IsDecodedImageUsable(h, DibPixelBytes(h))) {
        LogText("!ComposeBackgroundBitmap: unusable image");
        return false;
    }
    const CScreenGeometry geometry = DesktopEnvironment().GetScreenGeometry();
    CTargetArea area;
    if (!CalculateTargetArea(settings.Display, geometry.rcWorkArea, area)) return false;
    CImageFit fit;
    if (!FitImage(settings.Display, h.biWidth, static_cast<int>(DibRowCount(h.biHeight)), area.iDstWidth,
                  area.iDstHeight, fit))
        return false;
    return ComposeImage(settings, geometry, area, fit, header, pixels, nullptr, nullptr, imagePath, fileName,
                        dateText, averageColor);
}
