// The settings dialog opened on the Manager's schema as the main window opens it: what OK saves and
// when the wallpaper is recomposed, what Cancel leaves alone, and what the tree and editors show.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "FormPictures.h"
#include "Fprocessenum.h"
#include "Fsettings.h"
#include "SettingsSchema.h"
#include "KvTestSupport.h"
#include "ManagerFormsTestSupport.h"
#include "ManagerEngine.h"
#include "UiDialogs.h"
#include "UiTestKit.h"
#include "Umanaglang.h"
#include "Wcommon.h"
#include "settings_support.h"

using namespace manager;

namespace {

// The engine calls of the dialog, in order.
class EngineRecorder {
public:
    EngineRecorder()
    {
        m_engine->showProgressWindow = [this] { calls.push_back("show"); };
        m_engine->updateCurrentWallpaper = [this] {
            calls.push_back("update");
            return TRUE;
        };
        m_engine->hideProgressWindow = [this] { calls.push_back("hide"); };
    }
    std::vector<std::string> calls;

private:
    ManagerEngineOverride m_engine;
};

class SettingsDialogTest : public SettingsKeyTest {
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        BuildSettingsSchema(settings, "Arial");
        ASSERT_TRUE(pictures.Create());
        ASSERT_TRUE(picker.Create());
        SetProgramListEditor(settings, &picker);
        ASSERT_TRUE(form.Create());
        mftest::TakeMessageBoxes();
    }

    // The node whose copy has that key and section, or null.
    HTREEITEM Node(const char* key, const char* section)
    {
        HTREEITEM found = nullptr;
        Walk(form.TreeView.Root(), [&](HTREEITEM node) {
            auto* item = static_cast<CSettingsItem*>(form.TreeView.Data(node));
            if (item && item->Key().CompareNoCase(key) == 0 && item->Section().CompareNoCase(section) == 0 &&
                !found)
                found = node;
        });
        return found;
    }
    template <typename Visit> void Walk(HTREEITEM node, Visit visit)
    {
        for (; node; node = form.TreeView.NextSibling(node)) {
            visit(node);
            Walk(form.TreeView.FirstChild(node), visit);
        }
    }
    // Selects the node as a click would (the control notifies the selection).
    void SelectNode(const char* key, const char* section)
    {
        const HTREEITEM node = Node(key, section);
        ASSERT_NE(node, nullptr) << key;
        form.TreeView.Select(node);
    }

    DWORD RegistryDword(const char* section, const char* name)
    {
        DWORD type = 0;
        std::string data;
        if (!QueryRawValue(section, name, type, data) || type != REG_DWORD || data.size() != 4)
            return 0xDEADBEEF;
        return *reinterpret_cast<const DWORD*>(data.data());
    }
    std::string RegistryText(const char* section, const char* name)
    {
        DWORD type = 0;
        std::string data;
        if (!QueryRawValue(section, name, type, data) || type != REG_SZ) return "<none>";
        return std::string(data.c_str());
    }

    CSettings settings;
    ui::Owner<TFormPictures> pictures;
    ui::Owner<TFormProcessEnum> picker;
    ui::Owner<TFormSettings> form{settings, &pictures};
};

TEST_F(SettingsDialogTest, MinSizeAndOkSavesAndRecomposesOnce)
{
    EngineRecorder engine;
    uitest::OnNextModal([&](ui::Form&) {
        SelectNode("MinSize", "Display");
        form.CSpinEdit.SetText("500");
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_TRUE(form.ShowDialog());
    EXPECT_EQ(RegistryDword("Display", "MinSize"), 500u);
    EXPECT_EQ(settings.GetValue("MinSize", "Display"), 500);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"show", "update", "hide"}));
    EXPECT_EQ(form.TreeView.Count(), 0);
    EXPECT_EQ(form.CurrentItem(), nullptr);
}

TEST_F(SettingsDialogTest, TypedNumbersAreStoredWithinTheirItemsRange)
{
    const struct {
        const char* section;
        const char* key;
        const char* typed;
        DWORD stored;
    } cases[] = {
        {"Exchange", "Period", "5000", 1000},
        {"Exchange", "Period", "0", 1},
        {"Exchange", "Period", "99999999999", 1000},
        {"Display", "MarginLeft", "-5", 0},
        {"Display", "MinSize", "100", 240},
        {"Display", "MinSize", "5000", 5000},
        {"Calendar", "MonthsBefore", "13", 12},
        {"ScreenSaver", "ExchangePeriod", "0", 5},
        {"ScreenSaver", "ExchangePeriod", "-2147483648", 5},
    };
    for (const auto& c : cases) {
        uitest::OnNextModal([&](ui::Form&) {
            SelectNode(c.key, c.section);
            ::SendMessageA(form.CSpinEdit.Handle(), EM_SETSEL, 0, -1);
            uitest::TypeText(form.CSpinEdit.Handle(), c.typed);
            uitest::Click(form.ButtonOk.Handle());
        });
        ASSERT_TRUE(form.ShowDialog());
        const std::string what = std::string(c.section) + "\\" + c.key + " typed " + c.typed;
        EXPECT_EQ(RegistryDword(c.section, c.key), c.stored) << what;
        EXPECT_EQ(settings.GetValue(c.key, c.section), static_cast<int>(c.stored)) << what;
    }
}

TEST_F(SettingsDialogTest, FontOnlyIsSavedWithoutRecomposition)
{
    EngineRecorder engine;
    ui::DialogsOverride dialogs;
    ui::FontEffects offered;
    dialogs->pickFont = [&offered](HWND, ui::FontSpec& font, COLORREF&, const ui::FontEffects& effects) {
        offered = effects;
        font.face = "Courier New";
        font.height = -16;  // 12 points at 96 pixels per inch
        font.weight = FW_BOLD;
        return true;
    };
    std::string description;
    uitest::OnNextModal([&](ui::Form&) {
        SelectNode("FileFont", "Display");
        uitest::Click(form.ButtonFontChange.Handle());
        description = form.LabelFontData.GetText();
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_TRUE(form.ShowDialog());
    EXPECT_EQ(RegistryText("Display", "FileFontName"), "Courier New");
    EXPECT_EQ(RegistryDword("Display", "FileFontSize"), 12u);
    EXPECT_EQ(RegistryDword("Display", "FileFontBold"), 1u);
    EXPECT_EQ(description, "Name: Courier New\nSize: 12\nStyle: bold\nCharset: Eastern european characters.");
    // Offered is what a font item keeps: underline, but neither strikeout nor colour.
    EXPECT_TRUE(offered.underline);
    EXPECT_FALSE(offered.strikeout);
    EXPECT_FALSE(offered.color);
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(SettingsDialogTest, OkWithoutChangesSavesAllButDoesNotRecompose)
{
    EngineRecorder engine;
    uitest::OnNextModal([&](ui::Form&) {
        // Selecting items fills their editors, whose change events fire: no change counts.
        SelectNode("MinSize", "Display");
        SelectNode("Show", "Calendar");
        SelectNode("FitType", "Display");
        SelectNode("ConflictingPrgs", "Agent");
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_TRUE(form.ShowDialog());
    EXPECT_EQ(RegistryDword("Display", "MinSize"), 480u);
    EXPECT_EQ(RegistryDword("ScreenSaver", "BlackBackground"), 1u);
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(SettingsDialogTest, CancelChangesNothing)
{
    EngineRecorder engine;
    ASSERT_TRUE(settings.SaveToRegistry(HKEY_CURRENT_USER, kRegRootPath));
    SetRawValue("Display", "MinSize", REG_DWORD, DwordData(640));
    ASSERT_TRUE(settings.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath));
    const CSettingsItem* before = settings.Find("MinSize", "Display");
    uitest::OnNextModal([&](ui::Form&) {
        SelectNode("MinSize", "Display");
        form.CSpinEdit.SetText("999");
        SelectNode("Show", "Calendar");
        uitest::Click(form.CheckBox.Handle());
        uitest::Click(form.ButtonCancel.Handle());
    });
    EXPECT_FALSE(form.ShowDialog());
    EXPECT_EQ(settings.Find("MinSize", "Display"), before);  // the same items, not copies
    EXPECT_EQ(settings.GetValue("MinSize", "Display"), 640);
    EXPECT_EQ(settings.GetValue("Show", "Calendar"), 1);
    EXPECT_EQ(RegistryDword("Display", "MinSize"), 640u);
    EXPECT_EQ(RegistryDword("Calendar", "Show"), 1u);
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_EQ(form.TreeView.Count(), 0);
}

TEST_F(SettingsDialogTest, ReopeningSelectsNothing)
{
    EngineRecorder engine;
    uitest::OnNextModal([&](ui::Form&) {
        EXPECT_NE(form.TreeView.Selected(), nullptr);  // the first showing selects the first item
        SelectNode("MinSize", "Display");
        // The keyboard stays in the tree as the dialog closes by its close box.
        form.TreeView.SetFocus();
        ::SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    });
    form.ShowDialog();
    HTREEITEM selected = reinterpret_cast<HTREEITEM>(1);
    bool editorsHidden = false;
    bool modified = true;
    uitest::OnNextModal([&](ui::Form&) {
        uitest::Settle();
        selected = form.TreeView.Selected();
        editorsHidden =
            !form.CSpinEdit.IsVisible() && !form.CheckBox.IsVisible() && !form.LabelItemHelp.IsVisible();
        modified = settings.Modified();
        // The keyboard moving between the buttons leaves the tree alone.
        uitest::PostKey(form.ButtonOk.Handle(), VK_TAB);
        uitest::Settle();
        if (form.TreeView.Selected() != nullptr) selected = form.TreeView.Selected();
        uitest::Click(form.ButtonCancel.Handle());
    });
    form.ShowDialog();
    EXPECT_EQ(selected, nullptr);
    EXPECT_TRUE(editorsHidden);
    EXPECT_FALSE(modified);
}

TEST_F(SettingsDialogTest, ChoiceOutOfRange)
{
    settings.Find("FitType", "Display")->SetInt(7);
    settings.Find("Textures", "Display")->SetInt(-1);
    std::vector<std::string> texts;
    int shownIndex = -2;
    int loweredValue = -2;
    int negativeIndex = -2;
    uitest::OnNextModal([&](ui::Form&) {
        texts.push_back(form.TreeView.Text(Node("FitType", "Display")));
        texts.push_back(form.TreeView.Text(Node("Textures", "Display")));
        SelectNode("FitType", "Display");
        shownIndex = form.RadioGroup.ItemIndex();
        loweredValue = form.CurrentItem()->RawValue();
        SelectNode("Textures", "Display");
        negativeIndex = form.RadioGroup.ItemIndex();
        uitest::Click(form.ButtonCancel.Handle());
    });
    form.ShowDialog();
    EXPECT_EQ(texts, (std::vector<std::string>{std::string(Text(glm_IfRatioDiferent)) + " [7]",
                                               std::string(Text(glm_Textures)) + " [-1]"}));
    EXPECT_EQ(shownIndex, 2);
    EXPECT_EQ(loweredValue, 2);
    EXPECT_EQ(negativeIndex, -1);
}

TEST_F(SettingsDialogTest, TreeTexts)
{
    CSettingsItem color(stColor, "Colour", "C", 1);
    color.SetInt(0x00ABCDEF);
    CSettingsItem integer(stInteger, "Size", "S", 1);
    integer.SetRange(480, 240, 5000, 1);
    integer.SetUnits("pixels");
    CSettingsItem boolean(stBoolean, "Switch", "B", 1);
    boolean.SetInt(2);
    CSettingsItem font(stFont, "Font", "F", 1);
    font.SetFont("Tahoma", 8, nullptr, kClWindowText, 238);
    CSettingsItem list(stProgramList, "Programs", "P", 1);
    list.SetString("a.exe;b.exe");
    CSettingsItem heading(stHeading, "Heading", "", 0);
    struct {
        const CSettingsItem& item;
        const char* text;
    } cases[] = {
        {color, "Colour [BGR ABCDEF]"}, {integer, "Size [480 pixels]"},   {boolean, "Switch [yes]"},
        {font, "Font [Tahoma, 8]"},     {list, "Programs [a.exe;b.exe]"}, {heading, "Heading"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TreeText(c.item), c.text);
}

TEST_F(SettingsDialogTest, ProgramListThroughThePicker)
{
    EngineRecorder engine;
    uitest::OnNextModal([&](ui::Form&) {
        SelectNode("ConflictingPrgs", "Agent");
        uitest::OnNextModal([&](ui::Form&) {
            picker.EditBlockingPrograms.SetText("a.exe;;;b.exe ; ");
            uitest::Click(picker.ButtonOk.Handle());
        });
        uitest::Click(form.ButtonBrowse.Handle());
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_TRUE(form.ShowDialog());
    EXPECT_EQ(RegistryText("Agent", "ConflictingPrgs"), "a.exe;b.exe");
    EXPECT_EQ(engine.calls.size(), 3u);  // a changed setting counts as a change of the wallpaper's
}

// The font sample shows the whole alphabet at any size a user picks: it breaks into lines that fit
// the panel, and the label is as tall as its lines.
TEST_F(SettingsDialogTest, FontSampleShowsEveryLetterAtLargerSizes)
{
    const char kSample[] = "AaBbCcDdEeFfGgHhIiJjKkLlMmNnOoPpQqRrSsTtUuVvXxYyZz";
    for (const int size : {8, 14, 20}) {
        CSettingsItem* item = settings.Find("FileFont", "Display");
        ASSERT_NE(item, nullptr);
        ASSERT_NE(item->Font(), nullptr);
        item->Font()->name = "Arial";
        item->Font()->size = size;
        uitest::Picture shot;
        std::string caption;
        RECT label = {};
        int lineHeight = 0, widest = 0, lines = 0;
        uitest::OnNextModal([&](ui::Form&) {
            SelectNode("FileFont", "Display");
            ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            shot = uitest::Capture(form.Handle());
            caption = form.LabelFontSample.GetText();
            label = form.LabelFontSample.GetWindowRect();
            // Each line measured with the font the label draws with.
            WindowDC dc(form.LabelFontSample.Handle());
            const HFONT font =
                reinterpret_cast<HFONT>(::SendMessageA(form.LabelFontSample.Handle(), WM_GETFONT, 0, 0));
            SelectGuard selected(dc.get(), font);
            TEXTMETRICA metrics = {};
            ::GetTextMetricsA(dc.get(), &metrics);
            lineHeight = metrics.tmHeight;
            size_t start = 0;
            while (start <= caption.size()) {
                size_t end = caption.find('\n', start);
                if (end == std::string::npos) end = caption.size();
                std::string line = caption.substr(start, end - start);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                SIZE extent = {};
                ::GetTextExtentPoint32A(dc.get(), line.c_str(), static_cast<int>(line.size()), &extent);
                widest = std::max(widest, static_cast<int>(extent.cx));
                ++lines;
                start = end + 1;
            }
            uitest::Click(form.ButtonCancel.Handle());
        });
        form.ShowDialog();
        const std::string what = std::to_string(size) + " pt";
        std::string letters;
        for (const char c : caption)
            if (c != '\r' && c != '\n') letters += c;
        EXPECT_EQ(letters, kSample) << what;
        EXPECT_LE(widest, label.right - label.left) << what;
        EXPECT_GE(label.bottom - label.top, lines * lineHeight) << what;
        ASSERT_FALSE(shot.Empty()) << what;
        EXPECT_TRUE(
            shot.SavePng(uitest::ShotPath("manager_settings_font_" + std::to_string(size) + "pt.png")));
        // Ink in the band of the last line: the last letters are drawn, not cut off below.
        const RECT window = form.GetWindowRect();
        bool ink = false;
        for (int y = label.bottom - lineHeight; y < label.bottom && !ink; ++y)
            for (int x = label.left; x < label.right && !ink; ++x)
                ink = shot.Pixel(x - window.left, y - window.top) == RGB(0, 0, 0);
        EXPECT_TRUE(ink) << what;
    }
}

TEST_F(SettingsDialogTest, Picture)
{
    EngineRecorder engine;
    struct Shot {
        const char* key;
        const char* section;
        const char* file;
        uitest::Picture picture;
    } shots[] = {
        {"AdaptTextBackColor", "Display", "manager_settings.png", {}},
        {"FitType", "Display", "manager_settings_choice.png", {}},
        {"FileFont", "Display", "manager_settings_font.png", {}},
        {"MinSize", "Display", "manager_settings_number.png", {}},
    };
    uitest::OnNextModal([&](ui::Form&) {
        for (Shot& shot : shots) {
            SelectNode(shot.key, shot.section);
            // The picture is taken before the message loop would paint: paint now.
            ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            shot.picture = uitest::Capture(form.Handle());
        }
        SelectNode("AdaptTextBackColor", "Display");
        uitest::Click(form.ButtonCancel.Handle());
    });
    form.ShowDialog();
    for (const Shot& shot : shots) {
        ASSERT_FALSE(shot.picture.Empty()) << shot.file;
        EXPECT_TRUE(shot.picture.SavePng(uitest::ShotPath(shot.file))) << shot.file;
    }
    // The help text is drawn in its dark grey below the picture.
    const uitest::Picture& picture = shots[0].picture;
    const RECT window = form.GetWindowRect();
    const RECT help = form.LabelItemHelp.GetWindowRect();
    bool helpInk = false;
    for (int y = help.top; y < help.top + 13 && !helpInk; ++y)
        for (int x = help.left; x < help.left + 120 && !helpInk; ++x)
            helpInk = picture.Pixel(x - window.left, y - window.top) == RGB(0x40, 0x40, 0x40);
    EXPECT_TRUE(helpInk);
}

}  // namespace

namespace {

// The editors of the kinds the Manager's schema does not use yet, on a schema of their own.
class EditorKindsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.BeginSection("Test", false);
        settings.AddItem(stHeading, "", "Kinds", 0);
        settings.AddItem(stColor, "Colour", "Colour", 1)->SetInt(0x00112233);
        settings.AddItem(stText, "Text", "Text", 1)->SetString("old");
        settings.AddItem(stTrackBar, "Track", "Track", 1)->SetInt(50);
        settings.AddItem(stFolder, "Folder", "Folder", 1)->SetString("C:\\old\\");
        CSettingsItem* number = settings.AddItem(stInteger, "Number", "Number", 1);
        number->SetRange(480, 240, 5000, 10);
        ASSERT_TRUE(form.Create());
    }
    void Select(int index)
    {
        HTREEITEM node = form.TreeView.FirstChild(form.TreeView.Root());
        for (int i = 1; i < index && node; ++i)
            node = form.TreeView.NextSibling(node);
        form.TreeView.Select(node);
    }

    CSettings settings;
    ui::Owner<TFormSettings> form{settings, nullptr};
};

TEST_F(EditorKindsTest, EachEditorChangesItsCopy)
{
    EngineRecorder engine;
    ui::DialogsOverride dialogs;
    dialogs->pickColor = [](HWND, COLORREF& color) {
        color = RGB(0x10, 0x20, 0x30);
        return true;
    };
    dialogs->pickSaveFile = [](HWND, ui::FileDialogOptions& options) {
        EXPECT_EQ(options.initialDir, "C:\\old\\");
        EXPECT_EQ(options.fileName, "-");
        options.fileName = "C:\\new place\\-";
        return true;
    };
    std::string colorLabel;
    bool spinKeptOnGarbage = false;
    uitest::OnNextModal([&](ui::Form&) {
        Select(1);
        uitest::Click(form.ButtonSelectColor.Handle());
        colorLabel = form.LabelColor.GetText();
        Select(2);
        form.Edit.SetText("  new text \t");
        Select(3);
        uitest::PressKey(form.TrackBar.Handle(), VK_RIGHT);
        Select(4);
        uitest::Click(form.ButtonBrowse.Handle());
        Select(5);
        form.CSpinEdit.SetText("12x");  // no number: the value stays
        spinKeptOnGarbage = form.CurrentItem()->RawValue() == 480;
        uitest::PressKey(form.CSpinEdit.Handle(), VK_UP);
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_TRUE(form.ShowDialog());
    EXPECT_EQ(colorLabel, "Color: BGR 302010");
    EXPECT_EQ(settings.At(1)->RawValue(), static_cast<int>(RGB(0x10, 0x20, 0x30)));
    EXPECT_EQ(std::string(settings.At(2)->StringValue().GetText()), "new text");
    EXPECT_EQ(settings.At(3)->RawValue(), 51);
    EXPECT_EQ(std::string(settings.At(4)->StringValue().GetText()), "C:\\new place\\");
    EXPECT_TRUE(spinKeptOnGarbage);
    EXPECT_EQ(settings.At(5)->RawValue(), 250);  // a step from no number starts from the bottom of the range
    EXPECT_EQ(engine.calls.size(), 3u);
}

TEST_F(EditorKindsTest, HelpOpensTheHelpFileBesideTheProgram)
{
    uitest::OnNextModal([&](ui::Form&) {
        uitest::Click(form.ButtonHelp.Handle());
        uitest::Click(form.ButtonCancel.Handle());
    });
    form.ShowDialog();
    const auto boxes = mftest::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "open: " + testsupport::ExeFolder() + "Kestrova.chm");
}

}  // namespace

namespace {

// One item of every kind, each bound to a value of the settings record so that OK saves it: what
// selecting it shows (its editors and nothing else, its value in them, the help below them), what a
// user's edit makes of it, and what reaches the registry.
class EveryKindTest : public SettingsKeyTest {
protected:
    void SetUp() override
    {
        SettingsKeyTest::SetUp();
        settings.BeginSection("Display", true);
        settings.AddItem(stHeading, "", "Kinds", 0)->SetHelp("About the kinds");
        CSettingsItem* number = settings.AddItem(stInteger, "MinSize", "Size", 1);
        number->SetRange(480, 240, 5000, 10);
        number->SetUnits("pixels");
        settings.AddItem(stBoolean, "Frame", "Frame", 1)->SetBool(0);
        CSettingsItem* choice = settings.AddItem(stChoice, "FitType", "Fit", 1);
        for (const char* option : {"clip", "stretch", "fill"})
            choice->AddOption(option);
        choice->SetChoice(0, 1);
        settings.AddItem(stTrackBar, "MinRatio", "Ratio", 1)->SetInt(30);
        settings.AddItem(stFont, "FileFont", "Font", 1)->SetFont("Arial", 8, nullptr, kClWindowText, 238);
        settings.BeginSection("CurrentImage", true);
        settings.AddItem(stText, "ImageName", "Name", 1)->SetString("old.jpg");
        settings.AddItem(stFolder, "ImagePath", "Folder", 1)->SetString("C:\\old\\");
        settings.AddItem(stColor, "TextColor", "Colour", 1)->SetInt(0x00112233);
        settings.BeginSection("Files", true);
        settings.AddItem(stFile, "WorkBmpFile", "File", 1)->SetString("C:\\data\\work.bmp");
        settings.BeginSection("Agent", true);
        settings.AddItem(stProgramList, "ConflictingPrgs", "Programs", 1)->SetString("x.exe");
        settings.AddItem(stProgramList + 1, "", "Later kind", 1)->SetHelp("Not edited here");
        SetProgramListEditor(settings, &picker);
        ASSERT_TRUE(picker.Create());
        ASSERT_TRUE(form.Create());
    }

    // The node whose copy has that caption.
    HTREEITEM Node(const char* caption)
    {
        HTREEITEM node = form.TreeView.Root();
        if (node && form.TreeView.Text(node) == caption) return node;
        for (node = form.TreeView.FirstChild(node); node; node = form.TreeView.NextSibling(node)) {
            const auto* item = static_cast<const CSettingsItem*>(form.TreeView.Data(node));
            if (item && std::string(item->Caption().GetText()) == caption) return node;
        }
        return nullptr;
    }

    // Every editor of the panel by its name; the spin edit's buttons are a window of their own.
    std::vector<std::pair<std::string, HWND>> Editors()
    {
        return {{"LabelCaption", form.LabelCaption.Handle()},
                {"Edit", form.Edit.Handle()},
                {"ButtonBrowse", form.ButtonBrowse.Handle()},
                {"CSpinEdit", form.CSpinEdit.Handle()},
                {"SpinButtons", form.CSpinEdit.ButtonsHandle()},
                {"LabelUnits", form.LabelUnits.Handle()},
                {"CheckBox", form.CheckBox.Handle()},
                {"RadioGroup", form.RadioGroup.Handle()},
                {"TrackBar", form.TrackBar.Handle()},
                {"LabelTrackBarValue", form.LabelTrackBarValue.Handle()},
                {"ShapeColor", form.ShapeColor.Handle()},
                {"LabelColor", form.LabelColor.Handle()},
                {"ButtonSelectColor", form.ButtonSelectColor.Handle()},
                {"LabelFontSample", form.LabelFontSample.Handle()},
                {"LabelFontData", form.LabelFontData.Handle()},
                {"ButtonFontChange", form.ButtonFontChange.Handle()}};
    }

    // The names of the editors that are visible, in the order of Editors().
    std::string VisibleEditors()
    {
        std::string names;
        for (const auto& [name, window] : Editors())
            if (::IsWindowVisible(window)) names += (names.empty() ? "" : " ") + name;
        return names;
    }

    // The lowest bottom edge of the visible editors, in screen coordinates; 0 when none is visible.
    LONG LowestEditorBottom()
    {
        LONG bottom = 0;
        for (const auto& [name, window] : Editors()) {
            RECT r = {};
            if (::IsWindowVisible(window) && ::GetWindowRect(window, &r)) bottom = std::max(bottom, r.bottom);
        }
        return bottom;
    }

    // A registry value below the settings root as text: a number in decimal, a text as it is.
    std::string Stored(const char* section, const char* name)
    {
        DWORD type = 0;
        std::string data;
        if (!QueryRawValue(section, name, type, data)) return "<none>";
        if (type == REG_DWORD && data.size() == 4)
            return std::to_string(*reinterpret_cast<const DWORD*>(data.data()));
        if (type == REG_SZ) return std::string(data.c_str());
        return "<type " + std::to_string(type) + ">";
    }

    CSettings settings;
    ui::Owner<TFormProcessEnum> picker;
    ui::Owner<TFormSettings> form{settings, nullptr};
};

std::string EditShows(TFormSettings& form)
{
    return form.Edit.Text() + ((form.Edit.GetStyle() & ES_READONLY) ? " (read-only)" : "");
}

void TypeOver(HWND edit, const char* text)
{
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    uitest::TypeText(edit, text);
}

struct KindCase {
    const char* caption;
    const char* editors;  // visible after the selection, in the order of Editors()
    std::string (*shows)(TFormSettings& form);
    const char* shown;
    // A user's edit with real messages; the picker is the program list's editor form.
    void (*edit)(TFormSettings& form, TFormProcessEnum& picker);
    const char* nodeText;  // the tree's text of the item after the edit
    bool recomposes;       // the edit counts as a change of what the wallpaper shows
    const char* section;   // where OK stores the item; null for a kind that is not stored
    const char* valueName;
    const char* stored;
};

const KindCase kKindCases[] = {
    {"Kinds", "", [](TFormSettings& f) { return f.LabelItemHelp.GetText(); }, "About the kinds",
     [](TFormSettings&, TFormProcessEnum&) {}, "Kinds", false, nullptr, nullptr, nullptr},
    {"Size", "LabelCaption CSpinEdit SpinButtons LabelUnits",
     [](TFormSettings& f) {
         return f.LabelCaption.GetText() + " " + f.CSpinEdit.Text() + " " + f.LabelUnits.GetText();
     },
     "Size: 480 pixels", [](TFormSettings& f, TFormProcessEnum&) { TypeOver(f.CSpinEdit.Handle(), "6000"); },
     "Size [6000 pixels]", true, "Display", "MinSize", "5000"},  // within the item's range once confirmed
    {"Frame", "CheckBox",
     [](TFormSettings& f) {
         return f.CheckBox.GetText() + (f.CheckBox.Checked() ? " checked" : " unchecked");
     },
     "Frame unchecked", [](TFormSettings& f, TFormProcessEnum&) { uitest::Click(f.CheckBox.Handle()); },
     "Frame [yes]", true, "Display", "Frame", "1"},
    {"Fit", "RadioGroup",
     [](TFormSettings& f) { return f.RadioGroup.GetText() + " " + std::to_string(f.RadioGroup.ItemIndex()); },
     "Fit 0", [](TFormSettings& f, TFormProcessEnum&) { uitest::Click(f.RadioGroup.Item(2)->Handle()); },
     "Fit [fill]", true, "Display", "FitType", "2"},
    {"Ratio", "LabelCaption TrackBar LabelTrackBarValue",
     [](TFormSettings& f) {
         return std::to_string(f.TrackBar.Position()) + " " + f.LabelTrackBarValue.GetText();
     },
     "30 30", [](TFormSettings& f, TFormProcessEnum&) { uitest::PressKey(f.TrackBar.Handle(), VK_RIGHT); },
     "Ratio [31]", true, "Display", "MinRatio", "31"},
    {"Font", "LabelCaption LabelFontSample LabelFontData ButtonFontChange",
     [](TFormSettings& f) { return f.LabelFontData.GetText(); },
     "Name: Arial\nSize: 8\nStyle: normal\nCharset: Eastern european characters.",
     [](TFormSettings& f, TFormProcessEnum&) { uitest::Click(f.ButtonFontChange.Handle()); },
     "Font [Courier New, 12]", false, "Display", "FileFontName", "Courier New"},
    {"Name", "LabelCaption Edit", EditShows, "old.jpg",
     [](TFormSettings& f, TFormProcessEnum&) { TypeOver(f.Edit.Handle(), "  new.jpg \t"); }, "Name [new.jpg]",
     true, "CurrentImage", "ImageName", "new.jpg"},
    {"Folder", "LabelCaption Edit ButtonBrowse", EditShows, "C:\\old\\",
     [](TFormSettings& f, TFormProcessEnum&) { uitest::Click(f.ButtonBrowse.Handle()); },
     "Folder [C:\\pictures\\]", true, "CurrentImage", "ImagePath", "C:\\pictures\\"},
    {"Colour", "LabelCaption ShapeColor LabelColor ButtonSelectColor",
     [](TFormSettings& f) { return f.LabelColor.GetText(); }, "Color: BGR 112233",
     [](TFormSettings& f, TFormProcessEnum&) { uitest::Click(f.ButtonSelectColor.Handle()); },
     "Colour [BGR 302010]", true, "CurrentImage", "TextColor", "3153936"},
    {"File", "LabelCaption Edit ButtonBrowse", EditShows, "C:\\data\\work.bmp",
     [](TFormSettings& f, TFormProcessEnum&) { uitest::Click(f.ButtonBrowse.Handle()); },
     "File [C:\\data\\other.bmp]", true, "Files", "WorkBmpFile", "C:\\data\\other.bmp"},
    {"Programs", "LabelCaption Edit ButtonBrowse", EditShows, "x.exe (read-only)",
     [](TFormSettings& f, TFormProcessEnum& picker) {
         uitest::OnNextModal([&picker](ui::Form&) {
             picker.EditBlockingPrograms.SetText("a.exe;b.exe");
             uitest::Click(picker.ButtonOk.Handle());
         });
         uitest::Click(f.ButtonBrowse.Handle());
     },
     "Programs [a.exe;b.exe]", true, "Agent", "ConflictingPrgs", "a.exe;b.exe"},
    {"Later kind", "", [](TFormSettings& f) { return f.LabelItemHelp.GetText(); }, "Not edited here",
     [](TFormSettings&, TFormProcessEnum&) {}, "Later kind", false, nullptr, nullptr, nullptr},
};

TEST_F(EveryKindTest, EachKindShowsItsEditorsAndStoresTheUsersEdit)
{
    EngineRecorder engine;
    ui::DialogsOverride dialogs;
    dialogs->pickColor = [](HWND, COLORREF& color) {
        color = RGB(0x10, 0x20, 0x30);
        return true;
    };
    dialogs->pickFont = [](HWND, ui::FontSpec& font, COLORREF&, const ui::FontEffects&) {
        font.face = "Courier New";
        font.height = -16;  // 12 points at 96 pixels per inch
        return true;
    };
    dialogs->pickSaveFile = [](HWND, ui::FileDialogOptions& options) {
        options.fileName = options.title == "Folder" ? "C:\\pictures\\-" : "C:\\data\\other.bmp";
        return true;
    };
    struct Seen {
        std::string editors, shown, nodeText;
        bool helpVisible = false, helpBelowEditors = false, modifiedBySelecting = true,
             modifiedByEdit = false;
        uitest::Picture picture;
    };
    std::vector<Seen> seen(std::size(kKindCases));
    uitest::OnNextModal([&](ui::Form&) {
        // Each row starts unmodified, so that its own selection and edit show in the flag; OK then
        // sees whether any edit counted.
        bool anyModified = false;
        for (size_t i = 0; i < std::size(kKindCases); ++i) {
            const KindCase& c = kKindCases[i];
            const HTREEITEM node = Node(c.caption);
            if (!node) continue;
            settings.SetModified(false);
            form.TreeView.Select(node);
            seen[i].modifiedBySelecting = settings.Modified();
            seen[i].editors = VisibleEditors();
            seen[i].shown = c.shows(form);
            seen[i].helpVisible = form.LabelItemHelp.IsVisible();
            seen[i].helpBelowEditors = form.LabelItemHelp.GetWindowRect().top >= LowestEditorBottom();
            ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            seen[i].picture = uitest::Capture(form.Handle());
            c.edit(form, picker);
            seen[i].nodeText = form.TreeView.Text(node);
            seen[i].modifiedByEdit = settings.Modified();
            anyModified = anyModified || settings.Modified();
        }
        settings.SetModified(anyModified);
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_TRUE(form.ShowDialog());
    for (size_t i = 0; i < std::size(kKindCases); ++i) {
        const KindCase& c = kKindCases[i];
        EXPECT_EQ(seen[i].editors, c.editors) << c.caption;
        EXPECT_EQ(seen[i].shown, c.shown) << c.caption;
        EXPECT_FALSE(seen[i].modifiedBySelecting) << c.caption;
        EXPECT_TRUE(seen[i].helpVisible) << c.caption;
        EXPECT_TRUE(seen[i].helpBelowEditors) << c.caption;
        EXPECT_EQ(seen[i].nodeText, c.nodeText) << c.caption;
        EXPECT_EQ(seen[i].modifiedByEdit, c.recomposes) << c.caption;
        if (c.section) {
            EXPECT_EQ(Stored(c.section, c.valueName), c.stored) << c.caption;
        }
        std::string file = std::string("manager_settings_kind_") + c.caption + ".png";
        std::replace(file.begin(), file.end(), ' ', '_');
        EXPECT_TRUE(seen[i].picture.SavePng(uitest::ShotPath(file))) << c.caption;
    }
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"show", "update", "hide"}));
}

}  // namespace

namespace {

// The dialog with the real KvApi.dll: a confirmed change recomposes the current wallpaper, whose
// work bitmap is written anew.
TEST_F(SettingsDialogTest, RealEngineRewritesTheWorkBitmap)
{
    testsupport::TempFolder folder("kvrealsettings");
    ASSERT_TRUE(::CopyFileA((testsupport::ExeFolder() + "jpeg_fixtures\\plain_64x48.jpg").c_str(),
                            (folder / "current.jpg").c_str(), FALSE));
    RegistryRecord record{};
    SetRegistryDefaults(nullptr, &record, false, false);
    const std::string work = folder / "work.bmp";
    lstrcpynA(record.Files.szWorkBmpFile, work.c_str(), kPathSize);
    lstrcpynA(record.Files.szFolderListFile, (folder / "FolderList.dat").c_str(), kPathSize);
    lstrcpynA(record.Files.szFileListDatFile, (folder / "FileListDat.dat").c_str(), kPathSize);
    lstrcpynA(record.Files.szFileListStrFile, (folder / "FileListStr.dat").c_str(), kPathSize);
    record.CurrentImage.bActive = 1;
    lstrcpynA(record.CurrentImage.szImagePath, folder.Path().c_str(), kPathSize);
    lstrcpynA(record.CurrentImage.szImageName, "current.jpg", kPathSize);
    ASSERT_TRUE(WriteToRegistry(&record) && WriteRegistryRoot(true, 1));
    ASSERT_TRUE(settings.LoadFromRegistry(HKEY_CURRENT_USER, kRegRootPath));
    ASSERT_FALSE(testsupport::PathExists(work));

    uitest::OnNextModal([&](ui::Form&) {
        SelectNode("Frame", "Display");
        uitest::Click(form.CheckBox.Handle());
        uitest::Click(form.ButtonOk.Handle());
    });
    ASSERT_TRUE(form.ShowDialog());
    EXPECT_EQ(RegistryDword("Display", "Frame"), 1u);
    const std::string bitmap = testsupport::ReadFileBytes(work);
    ASSERT_GT(bitmap.size(), 54u);
    EXPECT_EQ(bitmap.substr(0, 2), "BM");
}

}  // namespace
