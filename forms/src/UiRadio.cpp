#include "UiRadio.h"

#include <algorithm>

namespace ui {

bool RadioButton::Create(Window& parent, int id)
{
    return CreateButton(parent, id, BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0));
}

void RadioButton::StateChanged(bool now)
{
    if (onChange) onChange(*this);
    if (now && onClick) onClick(*this);
}

bool RadioGroup::Create(Window& parent, int id)
{
    if (!GroupBox::Create(parent, id)) return false;
    const int count = static_cast<int>(items.size());
    const int cols = std::max(1, columns);
    const int rows = std::max(1, (count + cols - 1) / cols);
    const int columnWidth = (width - 16) / cols;
    const int rowHeight = std::max(17, (height - 22) / rows);
    m_Buttons.clear();
    for (int i = 0; i < count; ++i) {
        auto button = std::make_unique<RadioButton>();
        button->caption = items[i];
        button->firstOfGroup = i == 0;
        button->checked = i == itemIndex;
        button->left = 8 + (i / rows) * columnWidth;
        button->top = 16 + (i % rows) * rowHeight;
        button->width = columnWidth - 4;
        button->height = 17;
        // A click checks the new button before it unchecks the old one: the index is known only
        // after both changes.
        button->onChange = [this](RadioButton&) { NoteIndex(); };
        if (!button->Create(*this, i + 1)) return false;
        m_Buttons.push_back(std::move(button));
    }
    m_iLast = ItemIndex();
    return true;
}

int RadioGroup::ItemIndex() const
{
    for (size_t i = 0; i < m_Buttons.size(); ++i)
        if (m_Buttons[i]->Checked()) return static_cast<int>(i);
    return -1;
}

void RadioGroup::SetItemIndex(int index)
{
    // The buttons pass through states in between (none checked, or two): one event at the end.
    ++m_iSetting;
    for (size_t i = 0; i < m_Buttons.size(); ++i)
        m_Buttons[i]->SetChecked(static_cast<int>(i) == index);
    --m_iSetting;
    NoteIndex();
}

RadioButton* RadioGroup::Item(int index)
{
    return index >= 0 && index < static_cast<int>(m_Buttons.size()) ? m_Buttons[index].get() : nullptr;
}

void RadioGroup::NoteIndex()
{
    if (m_iSetting != 0) return;
    const int now = ItemIndex();
    if (now == m_iLast) return;
    m_iLast = now;
    if (onClick) onClick(*this);
}

}  // namespace ui
