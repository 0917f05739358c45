// Composes one photo onto a 1920 x 1080 desktop with texture, frame, caption and calendar, the way
// a wallpaper change does, and prints each step's time of the median run and a line
// "figure compose <ms>" for tools/bench, which sets it beside native tools. Also "figure scale <M>"
// (the photo is decoded at M/8 of its size) and "figure change-peak <MiB>": how far the process's
// peak working set rose above its working set before the first change; "figure psnr <dB>": the
// image area against the same composition from the whole image decoded at full size.
//
//   compose_bench <photo.jpg> [folder]
// With a folder, the two work bitmaps of the PSNR are kept there (reduced.bmp, reduced.bmp.whole.bmp).
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Fprogress.h"
#include "UTxLog.h"
#include "Ucalendar.h"
#include "Ucompose.h"
#include "Ucoverload.h"
#include "Ufit.h"
#include "Udesktop.h"
#include "Udib.h"
#include "Uenvironment.h"
#include "Ujpegload.h"
#include "Upaintabledib.h"
#include "Usync.h"
#include "Utexture.h"
#include "Wcommon.h"

const CLogSettings g_LogSettings = {"ComposeBch", "", false, 0, false, false, false};

namespace {

constexpr int kRuns = 5;
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr RECT kWorkArea = {0, 0, 1920, 1040};  // a task bar of 40 pixels at the bottom

// The desktop of the benchmark; today's date and the textures come from the system as usual.
class BenchEnvironment : public CDesktopEnvironment {
public:
    CScreenGeometry GetScreenGeometry() const override
    {
        CScreenGeometry geometry;
        geometry.iScreenWidth = kScreenWidth;
        geometry.iScreenHeight = kScreenHeight;
        geometry.rcWorkArea = kWorkArea;
        return geometry;
    }
};

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

// The composition reports each step as it begins: the moments between the reports are the steps.
struct Mark {
    std::string text;
    double at;
};
std::vector<Mark> g_Marks;

void __stdcall OnProgress(const char* text)
{
    g_Marks.push_back(Mark{text ? text : "", Now()});
}

std::string StepName(const std::string& text)
{
    if (text.rfind("Reading", 0) == 0) return "decode (KvImage)";
    if (text.rfind("Resampling", 0) == 0) return "resample (interpolating)";
    if (text.rfind("Calculating", 0) == 0) return "average colour";
    if (text.rfind("Saving", 0) == 0) return "save work bitmap";
    return text;
}

RegistryRecord BenchSettings(const std::string& workBmp)
{
    RegistryRecord record = {};
    SetRegistryDefaults(nullptr, &record, false, true);
    DisplaySettings& d = record.Display;
    d.bUseMargins = 1;
    d.dwMarginLeft = 20;
    d.dwMarginTop = 20;
    d.dwMarginBottom = 20;
    d.dwMarginRight = 20;
    d.bFrame = 1;
    d.dwTextures = 2;
    d.bShowFileName = 1;
    d.bFileNameAddDate = 1;
    d.bInterpolation = 1;
    record.Calendar.bShow = 1;
    RecalcRightMarginForCalendar(record);
    lstrcpynA(record.Files.szWorkBmpFile, workBmp.c_str(), sizeof record.Files.szWorkBmpFile);
    return record;
}

struct Run {
    bool ok = false;
    double total = 0;
    std::vector<std::pair<std::string, double>> steps;
};

Run ComposeOnce(RegistryRecord& settings, const char* photo)
{
    Run run;
    g_Marks.clear();
    COLORREF average = 0xFFFFFFFF;
    const double start = Now();
    {
        const CSynchronizationGuard lock;
        run.ok = ComposeBackgroundBitmap(&settings, photo, "photo.jpg", "10.12.2026", &average);
    }
    const double end = Now();
    run.total = end - start;
    for (size_t i = 0; i < g_Marks.size(); ++i) {
        const double until = i + 1 < g_Marks.size() ? g_Marks[i + 1].at : end;
        std::string name = StepName(g_Marks[i].text);
        // Between the average and the save lie the canvas, texture, image, frame, calendar and
        // caption; between the decode and the first report the target is worked out.
        if (name == "average colour" && i + 1 < g_Marks.size() &&
            StepName(g_Marks[i + 1].text) == "save work bitmap")
            name = "average colour + canvas, texture, image, frame, calendar, caption";
        run.steps.emplace_back(name, until - g_Marks[i].at);
    }
    if (!g_Marks.empty()) run.steps.insert(run.steps.begin(), {"set-up", g_Marks[0].at - start});
    return run;
}

template <typename F> double Time(F&& work)
{
    const double start = Now();
    work();
    return Now() - start;
}

// The drawing steps one by one, on a canvas of their own with an image of the size the photo
// gets, so that the lumped step above can be read in detail.
void DrawingDetail(const RegistryRecord& settings)
{
    const COLORREF average = RGB(96, 110, 84);
    std::vector<BYTE> headerBlock(kDibHeaderBlockSize);
    auto* info = reinterpret_cast<BITMAPINFO*>(headerBlock.data());
    const int width = 1500, height = 1000;
    FillDibHeader(info, width, height, 24, false);
    std::vector<BYTE> pixels(DibPixelBytes(info->bmiHeader), 0x80);

    CPaintableDib canvas(kScreenWidth, kScreenHeight);
    std::printf("  drawing in detail (measured separately, same sizes):\n");
    std::printf("    canvas + clear           %8.1f ms\n", Time([&] {
                    canvas.CreateCanvas();
                    canvas.Clear(average);
                }));
    std::printf("    texture                  %8.1f ms\n", Time([&] { PaintTexture(2, &canvas, average); }));
    std::printf("    image                    %8.1f ms\n",
                Time([&] { canvas.PaintDib(info, pixels.data(), 200, 20); }));
    const CanvasDC canvasDC(canvas);
    const HDC dc = canvasDC.get();
    std::printf("    frame                    %8.1f ms\n", Time([&] {
                    DrawFrame(dc, RECT{200, 20, 200 + width - 1, 20 + height - 1}, average, 5);
                }));
    std::printf("    calendar                 %8.1f ms\n", Time([&] {
                    CCalendar calendar;
                    calendar.Init(true, true);
                    calendar.SetFont(dc, settings.Calendar.szCalendarFontName,
                                     static_cast<int>(settings.Calendar.dwCalendarFontSize), 1,
                                     ContrastTextColor(average), ContrastHighlightColor(average), average,
                                     true);
                    calendar.Paint(dc, 0, 0, kWorkArea.right, kWorkArea.bottom, false, 10, 10, 5, 1, 2, 0);
                }));
    std::printf("    caption                  %8.1f ms\n", Time([&] {
                    canvas.SetFont(dc, settings.Display.szFileFontName, 8, 1, ContrastTextColor(average),
                                   average, false, false, false, false, true);
                    canvas.TextOutOutlined(dc, "photo, 10.12.2026", 20, 1000);
                }));
}

// How far apart the image areas of two work bitmaps are, in dB (99 when equal, 0 when unreadable).
double ImageAreaPsnr(const std::string& first, const std::string& second, const RECT& area)
{
    BITMAPINFO* infos[2] = {};
    void* bits[2] = {};
    const bool read = LoadBmpFromFile(first.c_str(), &infos[0], &bits[0]) &&
                      LoadBmpFromFile(second.c_str(), &infos[1], &bits[1]);
    double squared = 0, samples = 0;
    if (read && infos[0]->bmiHeader.biBitCount == infos[1]->bmiHeader.biBitCount) {
        const BITMAPINFOHEADER& h = infos[0]->bmiHeader;
        const int bytes = h.biBitCount / 8;
        const size_t row = static_cast<size_t>(DibRowBytes(h.biWidth, h.biBitCount));
        for (LONG y = area.top; y < area.bottom; ++y)
            for (LONG x = area.left; x < area.right; ++x)
                for (int c = 0; c < 3; ++c) {
                    const size_t at =
                        static_cast<size_t>(h.biHeight - 1 - y) * row + static_cast<size_t>(x) * bytes + c;
                    const int d =
                        static_cast<const BYTE*>(bits[0])[at] - static_cast<const BYTE*>(bits[1])[at];
                    squared += d * d;
                    samples += 1;
                }
    }
    for (BITMAPINFO* info : infos)
        if (info) ::GlobalFree(info);
    if (!read || samples == 0) return 0;
    return squared == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * samples / squared);
}

// The composition of the photo from the whole image, decoded at full size as before the reduced
// decode existed, beside the reduced composition in `reducedBmp`: the PSNR of the image areas.
double WholeImagePsnr(RegistryRecord settings, const char* photo, const CTargetArea& area,
                      const CImageFit& fit, const std::string& reducedBmp)
{
    const BOOL rotate = settings.Display.bRotateByExif ? TRUE : FALSE;
    DibHeaderBlock header{};
    DWORD size = 0;
    if (!LoadBmpFromJpgFileEx(header.Info(), nullptr, photo, &size, rotate, nullptr)) return 0;
    std::vector<BYTE> pixels(size);
    if (!LoadBmpFromJpgFileEx(header.Info(), pixels.data(), photo, &size, rotate, nullptr)) return 0;
    const std::string wholeBmp = reducedBmp + ".whole.bmp";
    lstrcpynA(settings.Files.szWorkBmpFile, wholeBmp.c_str(), sizeof settings.Files.szWorkBmpFile);
    COLORREF average = 0xFFFFFFFF;
    bool composed = false;
    {
        const CSynchronizationGuard lock;
        composed = ComposeBackgroundBitmapFromDib(settings, header.Info(), pixels.data(), photo, "photo.jpg",
                                                  "10.12.2026", &average);
    }
    pixels = std::vector<BYTE>();
    const int left = area.iLeft + (area.iDstWidth - fit.iNewWidth) / 2;
    const int top = area.iTop + (area.iDstHeight - fit.iNewHeight) / 2;
    const double psnr = composed ? ImageAreaPsnr(reducedBmp, wholeBmp,
                                                 RECT{left, top, left + fit.iNewWidth, top + fit.iNewHeight})
                                 : 0;
    std::printf("image area %dx%d+%d+%d\n", fit.iNewWidth, fit.iNewHeight, left, top);
    return psnr;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: compose_bench <photo.jpg>\n");
        return 2;
    }
    const char* photo = argv[1];

    int width = 0, height = 0;
    if (!GetJpgFileInfo(photo, &width, &height)) {
        std::fprintf(stderr, "cannot read %s\n", photo);
        return 1;
    }
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof temp, temp);
    const std::string workBmp =
        argc > 2 ? std::string(argv[2]) + "\\reduced.bmp" : std::string(temp) + "compose_bench_work.bmp";

    const BenchEnvironment environment;
    const CDesktopEnvironmentOverride use(environment);
    RegistryRecord settings = BenchSettings(workBmp);
    LoadProgressTexts();
    SetProgressProc(OnProgress);

    std::printf("Composition of a %d x %d photo onto a %d x %d desktop (work area %ld x %ld): texture, "
                "frame, caption, calendar\n",
                width, height, kScreenWidth, kScreenHeight, kWorkArea.right - kWorkArea.left,
                kWorkArea.bottom - kWorkArea.top);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
    const SIZE_T before = memory.WorkingSetSize;
    // The scale the composition decodes at, from the same fit.
    CTargetArea area;
    CalculateTargetArea(settings.Display, kWorkArea, area);
    CCoverImage cover;
    const CoverFitRule fit = [&](int w, int h, CImageFit& f) {
        return FitImage(settings.Display, w, h, area.iDstWidth, area.iDstHeight, f);
    };
    LoadJpgToCover("compose_bench", photo, settings.Display.bRotateByExif != 0, false, fit, cover);
    const UINT scale = cover.grid.uScale;
    const CImageFit drawn = cover.fit;
    cover = CCoverImage();

    std::vector<Run> runs;
    for (int i = 0; i < kRuns; ++i) {
        runs.push_back(ComposeOnce(settings, photo));
        if (!runs.back().ok) {
            std::fprintf(stderr, "the composition failed\n");
            return 1;
        }
    }
    SetProgressProc(nullptr);
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.total < b.total; });
    const Run& median = runs[runs.size() / 2];

    std::printf("  steps of the median of %d runs:\n", kRuns);
    for (const auto& step : median.steps)
        std::printf("    %-70s %8.1f ms\n", step.first.c_str(), step.second);
    std::printf("  total                                                                  %8.1f ms\n",
                median.total);
    std::printf("figure compose %.3f\n", median.total);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
    std::printf("figure scale %u\n", scale);
    std::printf("figure change-peak %.1f\n",
                static_cast<double>(memory.PeakWorkingSetSize - std::min(before, memory.PeakWorkingSetSize)) /
                    (1024.0 * 1024.0));
    DrawingDetail(settings);
    std::printf("figure psnr %.1f\n", WholeImagePsnr(settings, photo, area, drawn, workBmp));

    if (argc <= 2) {
        ::DeleteFileA(workBmp.c_str());
        ::DeleteFileA((workBmp + ".whole.bmp").c_str());
    }
    return 0;
}
