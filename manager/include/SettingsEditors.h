// How the settings dialog edits each kind of item. One row per kind names the editors an item of
// that kind shows, fills them from the item's value, takes what the user does in them back into the
// item, and brings the value within the item's limits when the dialog is confirmed:
//
//   const SettingsEditorKind& kind = FindEditorKind(item.Type());
//   if (kind.load) kind.load(form, item);                 // selected: then `kind.editors` are shown
//   if (kind.store && kind.store(form, item)) ...         // one of its editors changed
//   if (kind.clamp) kind.clamp(copy);                     // the dialog confirmed
//
// The editors are the controls of `TFormSettings`; the colour and font buttons store their items
// themselves, so their kinds have no store.
#pragma once

#include <string>

#include "Settings.h"

namespace manager {

class TFormSettings;

// The controls of the editors' panel, one bit each. The help picture and text below them show with
// every kind.
enum SettingsEditor : unsigned {
    seNone = 0,
    seCaption = 1u << 0,        // LabelCaption: the item's caption and ":"
    seEdit = 1u << 1,           // Edit
    seBrowse = 1u << 2,         // ButtonBrowse
    seNumber = 1u << 3,         // CSpinEdit with its up and down buttons
    seUnits = 1u << 4,          // LabelUnits
    seCheckBox = 1u << 5,       // CheckBox, captioned with the item's caption
    seRadioGroup = 1u << 6,     // RadioGroup, titled with the item's caption
    seTrackBar = 1u << 7,       // TrackBar
    seTrackBarValue = 1u << 8,  // LabelTrackBarValue
    seColor = 1u << 9,          // ShapeColor
    seColorValue = 1u << 10,    // LabelColor
    seSelectColor = 1u << 11,   // ButtonSelectColor
    seFontSample = 1u << 12,    // LabelFontSample
    seFontData = 1u << 13,      // LabelFontData
    seFontChange = 1u << 14,    // ButtonFontChange
};

struct SettingsEditorKind {
    BYTE type;                 // a SettingsItemType
    unsigned editors;          // the SettingsEditor bits shown
    SettingsEditor helpBelow;  // the help starts one text line below it; seNone: at the top
    // The item's value into the editors. Their change events fire meanwhile and reach `store`, but
    // the dialog does not count them as the user's. Null: nothing to fill.
    void (*load)(TFormSettings& form, CSettingsItem& item);
    // The editors' state into the item after a change; false when they hold no value (a number edit
    // with no number in it), and the item keeps its own. Null: the kind's button stores.
    bool (*store)(TFormSettings& form, CSettingsItem& item);
    // The Browse button: asks for a value and puts it into the item and the edit. True when that
    // counts as a change even where the edit's text stays the same (the edit's change event counts
    // the others). Null: the kind has no such button.
    bool (*browse)(TFormSettings& form, CSettingsItem& item);
    // On OK: the value brought within the item's limits. Null: any value stands.
    void (*clamp)(CSettingsItem& item);
};

// The row of that kind; a kind above stProgramList gets the heading's row, which shows no editor.
const SettingsEditorKind& FindEditorKind(BYTE type);

}  // namespace manager
