// The settings tree: copies of the schema's items as node data, and their texts.
#include <algorithm>
#include <string>
#include <vector>

#include "Fsettings.h"
#include "Umanaglang.h"
#include "SettingsEditors.h"
#include "UiFormat.h"

namespace manager {

std::string TreeText(const CSettingsItem& item)
{
    const std::string caption = item.Caption().GetText();
    const int value = item.RawValue();
    switch (item.Type()) {
    case stInteger:
        return caption + " [" + std::to_string(value) + " " + item.Units().GetText() + "]";
    case stBoolean:
        return caption + " [" + Text(value != 0 ? glm_ValueYes : glm_ValueNo) + "]";
    case stChoice: {
        // A stored value that names no option shows as the number it is.
        const TxStringCollection* options = item.Options();
        if (options && value >= 0 && value < options->GetCount())
            return caption + " [" + options->StringAt(value)->GetText() + "]";
        return caption + " [" + std::to_string(value) + "]";
    }
    case stTrackBar:
        return caption + " [" + std::to_string(value) + "]";
    case stColor:
        return caption + ui::Format(" [BGR %06X]", static_cast<unsigned>(value));
    case stFont: {
        const CSettingsFont* font = item.Font();
        return font ? caption + ui::Format(" [%s, %d]", font->name.GetText(), font->size) : caption;
    }
    case stText:
    case stFolder:
    case stFile:
    case stProgramList:
        return caption + " [" + item.StringValue().GetText() + "]";
    default:
        return caption;
    }
}

void FillTree(const CSettings& settings, ui::TreeView& tree)
{
    DiscardTree(tree);
    // The nodes own their copies, so a tree destroyed with its form frees them too.
    tree.onDeleteItem = [](ui::TreeView&, void* data) { delete static_cast<CSettingsItem*>(data); };
    constexpr int kLevels = 10;
    HTREEITEM last[kLevels] = {};
    for (int i = 0; i < settings.GetCount(); ++i) {
        auto copy = std::make_unique<CSettingsItem>(*settings.At(i));
        const int level = std::min(std::max(copy->Level(), 0), kLevels - 1);
        const int parentLevel = std::min(std::max(level - 1, 0), kLevels - 1);
        // A top-level item is a sibling at the root; any other hangs under the latest item one level up.
        const HTREEITEM parent = parentLevel == level ? nullptr : last[parentLevel];
        const std::string text = TreeText(*copy);
        const HTREEITEM node = tree.AddChild(parent, text, copy.get());
        if (!node) continue;
        copy.release();
        last[level] = node;
    }
}

namespace {

// Every node in the tree's order, depth first.
template <typename Visit> void ForEachNode(ui::TreeView& tree, HTREEITEM node, Visit visit)
{
    for (; node; node = tree.NextSibling(node)) {
        visit(node);
        ForEachNode(tree, tree.FirstChild(node), visit);
    }
}

// Takes the copies out of the nodes before the tree is emptied.
std::vector<std::unique_ptr<CSettingsItem>> TakeCopies(ui::TreeView& tree)
{
    std::vector<std::unique_ptr<CSettingsItem>> copies;
    ForEachNode(tree, tree.Root(), [&](HTREEITEM node) {
        void* data = tree.Data(node);
        if (!data) return;
        copies.emplace_back(static_cast<CSettingsItem*>(data));
        tree.SetItemData(node, nullptr);
    });
    tree.Clear();
    return copies;
}

}  // namespace

void TakeFromTree(CSettings& settings, ui::TreeView& tree)
{
    std::vector<std::unique_ptr<CSettingsItem>> copies = TakeCopies(tree);
    settings.Clear();
    for (auto& copy : copies) {
        if (const auto clamp = FindEditorKind(copy->Type()).clamp) clamp(*copy);
        settings.Append(std::move(copy));
    }
}

void DiscardTree(ui::TreeView& tree)
{
    TakeCopies(tree);
}

void SetProgramListEditor(CSettings& settings, ui::Form* editor)
{
    for (int i = 0; i < settings.GetCount(); ++i)
        if (settings.At(i)->Type() == stProgramList) settings.At(i)->SetEditorForm(editor);
}

}  // namespace manager
