#include "SampleForm.h"

#include "UTxUtils.h"

namespace {

// A square of one colour, as a bitmap compatible with the screen.
GdiObject SolidSquare(int size, COLORREF color)
{
    WindowDC screen(nullptr);
    GdiObject bitmap(::CreateCompatibleBitmap(screen.get(), size, size));
    MemDC memory(::CreateCompatibleDC(screen.get()));
    if (!bitmap || !memory) return GdiObject();
    SelectGuard selected(memory.get(), bitmap.get());
    GdiObject brush(::CreateSolidBrush(color));
    RECT r = {0, 0, size, size};
    ::FillRect(memory.get(), &r, static_cast<HBRUSH>(brush.get()));
    return bitmap;
}

}  // namespace

SampleForm::SampleForm()
{
    caption = "Form layer sample";
    borderStyle = ui::BorderStyle::Single;
    maximizeBox = false;
    left = 0;
    top = 0;
    clientWidth = 520;
    clientHeight = 356;

    label.caption = "Label and edit:";
    label.SetBounds(8, 8, 150, 13);
    edit.text = "Single line";
    edit.SetBounds(8, 24, 150, 21);
    checkBox.caption = "Check box";
    checkBox.checked = true;
    checkBox.SetBounds(8, 52, 150, 17);
    radioGroup.caption = "Radio group";
    radioGroup.items = {"One", "Two", "Three"};
    radioGroup.itemIndex = 1;
    radioGroup.SetBounds(8, 74, 150, 72);
    groupBox.caption = "Group box";
    groupBox.SetBounds(8, 150, 150, 56);
    groupEdit.text = "In the group";
    groupEdit.SetBounds(8, 22, 134, 21);
    panel.lowered = true;
    panel.SetBounds(8, 212, 150, 40);
    spinEdit.minValue = 0;
    spinEdit.maxValue = 100;
    spinEdit.value = 42;
    spinEdit.SetBounds(8, 9, 90, 21);
    trackBar.SetBounds(8, 258, 150, 28);
    trackBar.maxValue = 10;
    trackBar.position = 4;
    progressBar.SetBounds(8, 292, 150, 16);
    progressBar.position = 50;

    memo.multiLine = true;
    memo.readOnly = true;
    memo.text = "A memo\r\nof two lines";
    memo.SetBounds(168, 8, 344, 60);
    listView.columns = {{"Name", 90, false}, {"Size", 60, true}};
    listView.checkBoxes = true;
    listView.smallImages = &icons;
    listView.SetBounds(168, 74, 170, 110);
    splitter.SetBounds(338, 74, 4, 110);
    treeView.SetBounds(342, 74, 170, 110);
    gradient.SetBounds(168, 190, 170, 60);
    overGradient.caption = "Transparent label";
    overGradient.transparent = true;
    overGradient.fontColor = ui::Color::Rgb(RGB(255, 255, 255));
    overGradient.SetBounds(10, 22, 150, 16);
    shape.brushColor = ui::Color::Rgb(RGB(255, 0, 0));
    shape.penColor = ui::Color::Rgb(RGB(0, 0, 255));
    shape.SetBounds(346, 190, 60, 60);
    image.center = true;
    image.SetBounds(414, 190, 60, 60);

    ok.caption = "OK";
    ok.isDefault = true;
    ok.modalResult = ui::kModalOk;
    ok.SetBounds(352, 322, 75, 25);
    cancel.caption = "Cancel";
    cancel.isCancel = true;
    cancel.modalResult = ui::kModalCancel;
    cancel.SetBounds(437, 322, 75, 25);

    gradient.onPaint = [](ui::PaintBox&, HDC dc, const RECT& client) {
        for (int y = client.top; y < client.bottom; ++y) {
            GdiObject brush(::CreateSolidBrush(GradientColor(y)));
            RECT row = {client.left, y, client.right, y + 1};
            ::FillRect(dc, &row, static_cast<HBRUSH>(brush.get()));
        }
    };
    splitter.onMoved = [this](ui::Splitter&, int newLeft) {
        listView.SetBounds(listView.left, listView.top, newLeft - listView.left, listView.height);
        splitter.SetBounds(newLeft, splitter.top, splitter.width, splitter.height);
        const int treeLeft = newLeft + splitter.width;
        treeView.SetBounds(treeLeft, treeView.top, clientWidth - 8 - treeLeft, treeView.height);
    };
}

COLORREF SampleForm::GradientColor(int y)
{
    return RGB(0, 64 + y, 255 - 3 * y);
}

bool SampleForm::Create(const ui::WindowClass& windowClass)
{
    if (!Form::Create(windowClass)) return false;
    icons.Create(16, 16);
    icons.AddMasked(static_cast<HBITMAP>(SolidSquare(16, RGB(0, 160, 0)).get()), RGB(255, 0, 255));
    const bool created = label.Create(*this) && edit.Create(*this) && checkBox.Create(*this) &&
                         radioGroup.Create(*this) && groupBox.Create(*this) && groupEdit.Create(groupBox) &&
                         panel.Create(*this) && spinEdit.Create(panel) && trackBar.Create(*this) &&
                         progressBar.Create(*this) && memo.Create(*this) && listView.Create(*this) &&
                         splitter.Create(*this) && treeView.Create(*this) && gradient.Create(*this) &&
                         overGradient.Create(gradient) && shape.Create(*this) && image.Create(*this) &&
                         ok.Create(*this, IDOK) && cancel.Create(*this, IDCANCEL);
    if (!created) return false;
    image.SetBitmap(SolidSquare(32, RGB(0, 200, 0)));
    FillItems();
    timer.interval = 1000;
    return true;
}

void SampleForm::FillItems()
{
    const char* const names[] = {"alpha.jpg", "beta.jpg", "gamma.jpg"};
    const char* const sizes[] = {"120 KB", "2 MB", "640 KB"};
    for (int i = 0; i < 3; ++i) {
        const int item = listView.AddItem(names[i], nullptr, 0);
        listView.SetItemText(item, 1, sizes[i]);
    }
    listView.SetChecked(1, true);
    listView.SetSelected(0, true);
    const HTREEITEM root = treeView.AddChild(nullptr, "Pictures");
    treeView.AddChild(root, "Holidays");
    treeView.AddChild(root, "Garden");
    treeView.AddChild(nullptr, "Documents", nullptr, true);
    treeView.Expand(root);
}
