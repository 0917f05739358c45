// A window goes before its object, so a derived form's or control's own WM_DESTROY handling runs; a
// handler that throws leaves a "!" line and an error box, and everything goes on working.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "UiApp.h"
#include "UiInbox.h"
#include "UiControls.h"
#include "UiTestKit.h"

namespace {

// Saves something when its window goes, as a form saves its position; written without a destructor
// of its own, as every class of a program is.
template <typename Base> class Saving : public Base {
public:
    explicit Saving(int* saves = nullptr) : m_pSaves(saves) {}

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_DESTROY && m_pSaves) ++*m_pSaves;
        return Base::OnMessage(msg, wParam, lParam);
    }

private:
    int* m_pSaves;
};
using SavingForm = Saving<ui::Form>;
using SavingBox = Saving<ui::CheckBox>;

bool CreateBox(ui::CheckBox& box, ui::Form& form)
{
    box.width = 80;
    box.height = 17;
    return box.Create(form);
}

bool AnyLineHas(const std::vector<std::string>& lines, const std::string& part)
{
    for (const std::string& line : lines)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

TEST(FormsLifetime, DerivedFormSavesInItsDestroyHandler)
{
    formstest::NewLogLines();
    const struct {
        const char* name;
        void (*run)(int* saves);
        int saves;
        bool warned;
    } cases[] = {
        {"destroyed explicitly",
         [](int* saves) {
             SavingForm form(saves);
             form.caption = "explicit";
             form.Create(formstest::TestClass());
             form.Destroy();
         },
         1, false},
        {"owner goes out of scope",
         [](int* saves) {
             ui::Owner<SavingForm> form(saves);
             form.caption = "owned";
             form.Create(formstest::TestClass());
         },
         1, false},
        {"owner on the heap",
         [](int* saves) {
             auto form = std::make_unique<ui::Owner<SavingForm>>(saves);
             form->caption = "heap";
             form->Create(formstest::TestClass());
         },
         1, false},
        {"a control subclass held by its owner ends before its form",
         [](int* saves) {
             ui::Owner<ui::Form> form;
             ASSERT_TRUE(form.Create(formstest::TestClass()));
             ui::Owner<SavingBox> box(saves);
             ASSERT_TRUE(CreateBox(box, form));
         },
         1, false},
        {"a control subclass goes with its form",
         [](int* saves) {
             auto form = std::make_unique<ui::Owner<ui::Form>>();
             ASSERT_TRUE(form->Create(formstest::TestClass()));
             SavingBox box(saves);
             ASSERT_TRUE(CreateBox(box, *form));
             form.reset();
             EXPECT_FALSE(box.Exists());
         },
         1, false},
        {"no owner: the base destructor finds the window",
         [](int* saves) {
             SavingForm form(saves);
             form.caption = "unowned";
             form.Create(formstest::TestClass());
         },
         0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int saves = 0;
        c.run(&saves);
        EXPECT_EQ(saves, c.saves);
        const std::vector<std::string> lines = formstest::NewLogLines();
        EXPECT_EQ(AnyLineHas(lines, "!Form \"unowned\" still had its window"), c.warned);
    }
}

TEST(FormsLifetime, ControlsOfAFormGoWithItWhicheverGoesFirst)
{
    auto form = std::make_unique<ui::Owner<ui::Form>>();
    ASSERT_TRUE(form->Create(formstest::TestClass()));
    ui::CheckBox box;
    box.width = 80;
    box.height = 17;
    ASSERT_TRUE(box.Create(*form));
    const HWND boxWindow = box.Handle();
    form.reset();  // the form's window takes the box's with it
    EXPECT_FALSE(::IsWindow(boxWindow));
    EXPECT_FALSE(box.Exists());
    box.SetChecked(true);  // harmless on a control whose window is gone
    EXPECT_FALSE(box.Checked());
}

// A tree's items own their data, freed through onDeleteItem: also when the tree's object ends
// before its window, after which the tree could no longer hand the data over.
TEST(FormsLifetime, TreeFreesTheDataOfItsItemsWhicheverGoesFirst)
{
    const struct {
        const char* name;
        bool treeFirst;
        bool owned;
    } cases[] = {
        {"the form goes first", false, false},
        {"the tree ends first", true, false},
        {"the tree held by its owner ends first", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = std::make_unique<ui::Owner<ui::Form>>();
        ASSERT_TRUE(form->Create(formstest::TestClass()));
        std::vector<std::string> freed;
        std::unique_ptr<ui::TreeView> tree =
            c.owned ? std::make_unique<ui::Owner<ui::TreeView>>() : std::make_unique<ui::TreeView>();
        tree->SetBounds(0, 0, 200, 100);
        tree->onDeleteItem = [&freed](ui::TreeView&, void* data) {
            std::unique_ptr<std::string> owned(static_cast<std::string*>(data));
            freed.push_back(*owned);
        };
        ASSERT_TRUE(tree->Create(*form));
        const HTREEITEM root = tree->AddChild(nullptr, "root", new std::string("root"));
        tree->AddChild(root, "child", new std::string("child"));
        tree->AddChild(nullptr, "other", new std::string("other"));
        const HWND treeWindow = tree->Handle();
        if (c.treeFirst) {
            tree.reset();
            EXPECT_TRUE(form->Exists());
        } else {
            form.reset();
        }
        EXPECT_FALSE(::IsWindow(treeWindow));
        std::sort(freed.begin(), freed.end());
        EXPECT_EQ(freed, (std::vector<std::string>{"child", "other", "root"}));
    }
}

TEST(FormsLifetime, HandlerThatThrowsLeavesALineAndABoxAndTheLoopGoesOn)
{
    ui::App::Init("Forms test");
    formstest::NewLogLines();
    formstest::MessageBoxes().clear();
    ui::Owner<ui::Form> form;
    ASSERT_TRUE(form.Create(formstest::TestClass()));
    ui::Button button;
    button.width = 75;
    button.height = 23;
    int clicks = 0;
    button.onClick = [&clicks](ui::Button&) {
        if (++clicks == 1) throw std::runtime_error("the handler broke");
    };
    ASSERT_TRUE(button.Create(form, 5));
    form.Show();

    // Both clicks go through the program's own loop, which must keep running after the first.
    ::PostMessageA(button.Handle(), BM_CLICK, 0, 0);
    ::PostMessageA(button.Handle(), BM_CLICK, 0, 0);
    form.Inbox()->Post([] { ui::App::Terminate(7); });
    EXPECT_EQ(ui::App::Run(), 7);

    EXPECT_EQ(clicks, 2) << "the button works after its handler threw";
    const std::vector<std::string> lines = formstest::NewLogLines();
    EXPECT_TRUE(AnyLineHas(lines, "!Exception in window procedure")) << "a \"!\" line";
    EXPECT_TRUE(AnyLineHas(lines, "the handler broke"));
    EXPECT_EQ(formstest::MessageBoxes(), (std::vector<std::string>{"Forms test: the handler broke"}));
}

TEST(FormsLifetime, WaitCursorCoversEveryWindowWhileItLasts)
{
    ui::Owner<ui::Form> form;
    ASSERT_TRUE(form.Create(formstest::TestClass()));
    const HCURSOR wait = ::LoadCursorA(nullptr, IDC_WAIT);
    {
        ui::WaitCursor busy;
        {
            ui::WaitCursor nested;
        }
        EXPECT_TRUE(ui::WaitCursor::Active()) << "scopes nest";
        ::SetCursor(nullptr);
        EXPECT_EQ(::SendMessageA(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form.Handle()),
                                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                  TRUE);
        EXPECT_EQ(::GetCursor(), wait);
    }
    EXPECT_FALSE(ui::WaitCursor::Active());
}

}  // namespace

namespace {

TEST(FormsApp, ProcessMessagesHandlesWhatWaitsAndLeavesTheQuitToTheLoop)
{
    ui::Owner<ui::Form> form;
    ASSERT_TRUE(form.Create(formstest::TestClass()));
    int ran = 0;
    for (int i = 0; i < 3; ++i)
        form.Inbox()->Post([&ran] { ++ran; });
    ::PostQuitMessage(3);
    ui::App::ProcessMessages();
    EXPECT_EQ(ran, 3);
    EXPECT_EQ(ui::App::Run(), 3) << "the quit is still there for the program's loop";
}

}  // namespace
