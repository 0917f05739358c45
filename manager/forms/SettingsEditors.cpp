// The settings dialog's editors by kind of item: what each kind shows, how its value goes into the
// editors and back, and the limits it is confirmed within.
#include "SettingsEditors.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>

#include "Fsettings.h"
#include "UTxLog.h"
#include "UiDialogs.h"
#include "Umanaglang.h"

namespace manager {

namespace {

// The folder part of a path, with its trailing backslash; empty when the path names no folder.
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Trimmed(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32)
        --last;
    return text.substr(first, last - first);
}

// Texts: one edit for the string, read-only where a form of its own edits the value.

void LoadEdit(TFormSettings& form, CSettingsItem& item, bool readOnly)
{
    form.Edit.SetMaxLength(item.MaxLength());
    form.Edit.SetReadOnly(readOnly);
    form.Edit.SetText(item.StringValue().GetText());
}

void LoadText(TFormSettings& form, CSettingsItem& item)
{
    LoadEdit(form, item, false);
}

void LoadProgramList(TFormSettings& form, CSettingsItem& item)
{
    LoadEdit(form, item, true);
}

bool StoreText(TFormSettings& form, CSettingsItem& item)
{
    item.SetString(Trimmed(form.Edit.Text()).c_str());
    return true;
}

// A chosen folder or file into the item and the edit.
bool TakeChosenPath(TFormSettings& form, CSettingsItem& item, const std::string& path)
{
    item.SetString(path.c_str());
    form.Edit.SetText(path);
    return true;
}

bool BrowseFolder(TFormSettings& form, CSettingsItem& item)
{
    // A save dialog picks the folder: the user opens it and confirms the proposed name, whose folder
    // part is taken.
    ui::FileDialogOptions options;
    options.title = item.Caption().GetText();
    options.initialDir = item.StringValue().GetText();
    options.fileName = item.FolderDialogFileName().GetText();
    if (!ui::TheDialogs().pickSaveFile(form.Handle(), options)) return false;
    return TakeChosenPath(form, item, FolderOf(options.fileName));
}

bool BrowseFile(TFormSettings& form, CSettingsItem& item)
{
    const std::string value = item.StringValue().GetText();
    ui::FileDialogOptions options;
    options.title = item.Caption().GetText();
    options.initialDir = FolderOf(value);
    options.filter = item.FileFilter().GetText();
    options.defaultExt = item.DefaultExtension().GetText();
    options.fileName = value;
    const bool chosen = item.MustExist() ? ui::TheDialogs().pickOpenFile(form.Handle(), options)
                                         : ui::TheDialogs().pickSaveFile(form.Handle(), options);
    return chosen && TakeChosenPath(form, item, options.fileName);
}

bool BrowseProgramList(TFormSettings& form, CSettingsItem& item)
{
    // The list goes to its editor form in the caption and comes back the same way. The edit's change
    // event counts the change, so a list confirmed as it was changes nothing.
    ui::Form* editor = item.EditorForm();
    if (!editor) return false;
    editor->SetText(item.StringValue().GetText());
    if (editor->ShowModal() == ui::kModalOk) {
        item.SetString(editor->GetText().c_str());
        form.Edit.SetText(item.StringValue().GetText());
    }
    return false;
}

// Numbers: a spin edit, its units beside it.

void LoadNumber(TFormSettings& form, CSettingsItem& item)
{
    form.LabelUnits.SetCaption(item.Units().GetText());
    // The stored value shows as it is, also outside the limits; only a step clamps it.
    form.CSpinEdit.minValue = 0;
    form.CSpinEdit.maxValue = 0;
    form.CSpinEdit.SetValue(item.RawValue());
    form.CSpinEdit.minValue = item.Min();
    form.CSpinEdit.maxValue = item.Max();
    form.CSpinEdit.increment = item.Step();
}

bool StoreNumber(TFormSettings& form, CSettingsItem& item)
{
    // A text that is no number leaves the value as it was.
    const std::string text = Trimmed(form.CSpinEdit.Text());
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || !end || *end != '\0') return false;
    item.SetInt(static_cast<int>(value));
    return true;
}

// A number typed into the spin edit may lie outside its item's range (the edit takes any text);
// confirmed, it is brought into the range, so that no exchange period of 5000 minutes or margin of
// -5 pixels reaches the registry. An item with the bounds 0 and 0 has no limits.
void ClampToRange(CSettingsItem& item)
{
    if (item.Min() > item.Max()) return;
    if (item.Min() == 0 && item.Max() == 0) return;
    const int value = item.RawValue();
    const int clamped = std::min(std::max(value, item.Min()), item.Max());
    if (clamped == value) return;
    LogF("%s\\%s: %d is outside %d to %d, %d is stored", item.Section().GetText(), item.Key().GetText(),
         value, item.Min(), item.Max(), clamped);
    item.SetInt(clamped);
}

// Switches: a check box that carries the caption itself.

void LoadSwitch(TFormSettings& form, CSettingsItem& item)
{
    form.CheckBox.SetText(item.Caption().GetText());
    form.CheckBox.SetChecked(item.RawValue() != 0);
}

bool StoreSwitch(TFormSettings& form, CSettingsItem& item)
{
    item.SetInt(form.CheckBox.Checked() ? 1 : 0);
    return true;
}

// Choices: a radio group made anew for the item's options, titled with its caption.

void LoadChoice(TFormSettings& form, CSettingsItem& item)
{
    ui::RadioGroup& group = form.RadioGroup;
    const TxStringCollection* options = item.Options();
    const int count = options ? options->GetCount() : 0;
    group.Destroy();
    group.caption = item.Caption().GetText();
    group.columns = item.Columns();
    group.items.clear();
    for (int i = 0; i < count; ++i)
        group.items.push_back(options->StringAt(i)->GetText());
    // A stored value beyond the options shows the last one; a negative one shows none.
    if (count > 0 && item.RawValue() >= count) item.SetInt(count - 1);
    group.itemIndex = item.RawValue() < count ? item.RawValue() : -1;
    const int columns = std::max(1, item.Columns());
    group.height = form.TextHeight() * ((count / columns) * 12 + 36) / 10;
    group.Create(form.Panel);
}

bool StoreChoice(TFormSettings& form, CSettingsItem& item)
{
    item.SetInt(form.RadioGroup.ItemIndex());
    return true;
}

// Track bars: the position, and its number below.

void LoadTrackBar(TFormSettings& form, CSettingsItem& item)
{
    // The value is read before the range is set: a range that moves the last item's position fires
    // a change, which stores into this item.
    const int value = item.RawValue();
    form.TrackBar.SetRange(item.TrackBarMin(), item.TrackBarMax());
    form.TrackBar.SetPosition(value);
    form.LabelTrackBarValue.SetCaption(std::to_string(form.TrackBar.Position()));
}

bool StoreTrackBar(TFormSettings& form, CSettingsItem& item)
{
    item.SetInt(form.TrackBar.Position());
    form.LabelTrackBarValue.SetCaption(std::to_string(form.TrackBar.Position()));
    return true;
}

// Colours: a swatch and the number; the colour button stores a new one.

void LoadColor(TFormSettings& form, CSettingsItem& item)
{
    const COLORREF color = static_cast<COLORREF>(item.RawValue());
    form.ShapeColor.brushColor = ui::Color::Rgb(color);
    form.ShapeColor.Invalidate();
    form.LabelColor.SetCaption(FormatText(glm_ValueColorX, static_cast<unsigned>(color)));
}

// Fonts: a sample in the font and its description; the font button stores a new one.

void LoadFont(TFormSettings& form, CSettingsItem&)
{
    form.ShowFontDescription();
}

constexpr unsigned kPathEditors = seCaption | seEdit | seBrowse;

// Indexed by the kind. Columns: kind, editors shown, help below, load, store, browse, clamp.
constexpr SettingsEditorKind kEditorKinds[] = {
    {stHeading, seNone, seNone, nullptr, nullptr, nullptr, nullptr},
    {stText, seCaption | seEdit, seEdit, LoadText, StoreText, nullptr, nullptr},
    {stInteger, seCaption | seNumber | seUnits, seNumber, LoadNumber, StoreNumber, nullptr, ClampToRange},
    {stBoolean, seCheckBox, seCheckBox, LoadSwitch, StoreSwitch, nullptr, nullptr},
    {stChoice, seRadioGroup, seRadioGroup, LoadChoice, StoreChoice, nullptr, nullptr},
    {stTrackBar, seCaption | seTrackBar | seTrackBarValue, seTrackBarValue, LoadTrackBar, StoreTrackBar,
     nullptr, nullptr},
    {stColor, seCaption | seColor | seColorValue | seSelectColor, seSelectColor, LoadColor, nullptr, nullptr,
     nullptr},
    {stFolder, kPathEditors, seBrowse, LoadText, StoreText, BrowseFolder, nullptr},
    {stFile, kPathEditors, seBrowse, LoadText, StoreText, BrowseFile, nullptr},
    {stFont, seCaption | seFontSample | seFontData | seFontChange, seFontSample, LoadFont, nullptr, nullptr,
     nullptr},
    {stProgramList, kPathEditors, seBrowse, LoadProgramList, StoreText, BrowseProgramList, nullptr},
};

constexpr bool IndexedByKind()
{
    for (size_t i = 0; i < std::size(kEditorKinds); ++i)
        if (kEditorKinds[i].type != i) return false;
    return std::size(kEditorKinds) == stProgramList + 1u;
}
static_assert(IndexedByKind(), "one row per kind, in the order of the kinds");

}  // namespace

const SettingsEditorKind& FindEditorKind(BYTE type)
{
    return type < std::size(kEditorKinds) ? kEditorKinds[type] : kEditorKinds[stHeading];
}

}  // namespace manager
