// A window goes before its object, so a derived form's or control's own WM_DESTROY handling runs; a
// handler that throws leaves a "!" line and an error box, and everything goes on working.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "FormsTestSupport.h"
#include "KvTestSupport.h"
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

// A procedure that code outside the layer puts over the layer's after the window was made, as a
// helper library does: it counts the WM_DESTROY it sees and reads then, through the procedures below
// it, the check state of the button it sits on; it goes at WM_NCDESTROY. `skipLayer` makes it hand
// the messages straight to the window class's own procedure, leaving the layer's out.
class OutsideSubclass {
public:
    void Install(HWND wnd, bool skipLayer = false)
    {
        ::SetPropA(wnd, kProperty, this);
        const LONG_PTR previous = ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
        m_pfnNext = reinterpret_cast<WNDPROC>(skipLayer ? ::GetClassLongPtrA(wnd, GCLP_WNDPROC) : previous);
    }
    int Destroys() const { return m_iDestroys; }
    LRESULT CheckAtDestroy() const { return m_iCheckAtDestroy; }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = static_cast<OutsideSubclass*>(::GetPropA(wnd, kProperty));
        const WNDPROC next = self->m_pfnNext;
        if (msg == WM_DESTROY) {
            ++self->m_iDestroys;
            self->m_iCheckAtDestroy = ::CallWindowProcA(next, wnd, BM_GETCHECK, 0, 0);
        }
        if (msg == WM_NCDESTROY) {
            ::RemovePropA(wnd, kProperty);
            ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
        }
        return ::CallWindowProcA(next, wnd, msg, wParam, lParam);
    }

    static constexpr const char* kProperty = "test.outside";
    WNDPROC m_pfnNext = nullptr;
    std::atomic<int> m_iDestroys{0};
    std::atomic<LRESULT> m_iCheckAtDestroy{-1};
};

// Windows made on a thread of their own, which then reads its messages until `gone` (a window of
// it) no longer exists, and ends by running `last` there.
class WindowThread {
public:
    explicit WindowThread(std::function<HWND()> make, std::function<void()> last = nullptr)
        : m_Thread([this, make = std::move(make), last = std::move(last)] {
              const HWND gone = make();
              m_Made.set_value(gone != nullptr);
              m_bGone = testsupport::PumpUntil([gone] { return !::IsWindow(gone); }, 10000);
              if (last) last();
          })
    {
    }
    ~WindowThread() { Join(); }
    bool Made() { return m_Made.get_future().get(); }
    // True when the window went in time.
    bool Join()
    {
        if (m_Thread.joinable()) m_Thread.join();
        return m_bGone;
    }

private:
    std::promise<bool> m_Made;
    std::atomic<bool> m_bGone{false};
    std::thread m_Thread;
};

class BoxForm : public SavingForm {
public:
    using SavingForm::SavingForm;
    SavingBox box;
};

class ButtonForm : public SavingForm {
public:
    using SavingForm::SavingForm;
    ui::Button button;
};

// The text of each "!" line (after the thread and the indent of the log file's columns).
std::vector<std::string> Warnings(const std::vector<std::string>& lines)
{
    std::vector<std::string> warnings;
    for (const std::string& line : lines) {
        const size_t text = line.find_first_not_of(' ', 8);
        if (text != std::string::npos && line[text] == '!') warnings.push_back(line.substr(text));
    }
    return warnings;
}

// Every expected start is that of one "!" line, and every "!" line has one of them.
bool WarningsAre(const std::vector<std::string>& warnings, const std::vector<std::string>& starts)
{
    if (warnings.size() != starts.size()) return false;
    for (const std::string& start : starts)
        if (std::none_of(warnings.begin(), warnings.end(),
                         [&](const std::string& w) { return w.rfind(start, 0) == 0; }))
            return false;
    return true;
}

// What a case saw: who got WM_DESTROY.
struct Seen {
    OutsideSubclass outside;
    int saves = 0;  // the layer object's own handler (Saving)
};

void PrepareBox(ui::CheckBox& box)
{
    box.caption = "Box";
    box.checked = true;
    box.width = 80;
    box.height = 17;
}

// Code outside the layer subclasses a window after the layer did, and the window goes in one of the
// ways it can: the outside procedure must see the window's end, the layer's object sees it when it
// still exists, and every end that the object's handlers missed leaves a "!" line naming the window.
TEST(FormsLifetime, WindowsGoWhereverTheirObjectsAreDeleted)
{
    const struct {
        const char* name;
        void (*run)(Seen& seen);
        int outsideDestroys;
        LRESULT outsideReadCheck;  // BM_GETCHECK at its WM_DESTROY: the control still works under it
        int saves;
        std::vector<std::string> warnings;  // starts of the "!" lines
    } cases[] = {
        {"outside subclass on a form deleted on its own thread",
         [](Seen& seen) {
             auto form = std::make_unique<ui::Owner<SavingForm>>(&seen.saves);
             form->caption = "Own thread";
             ASSERT_TRUE(form->Create(formstest::TestClass()));
             seen.outside.Install(form->Handle());
             form.reset();
         },
         1,
         BST_UNCHECKED,
         1,
         {}},
        {"outside subclass on a form deleted from another thread",
         [](Seen& seen) {
             auto form = std::make_unique<ui::Owner<SavingForm>>(&seen.saves);
             form->caption = "Other thread";
             WindowThread thread([&] {
                 if (!form->Create(formstest::TestClass())) return HWND();
                 seen.outside.Install(form->Handle());
                 return form->Handle();
             });
             ASSERT_TRUE(thread.Made());
             form.reset();
             EXPECT_TRUE(thread.Join()) << "the window's thread closes it";
         },
         1,
         BST_UNCHECKED,
         0,
         {"!Form \"Other thread\" went on another thread"}},
        {"outside subclass on a control whose form is deleted from another thread",
         [](Seen& seen) {
             auto form = std::make_unique<ui::Owner<BoxForm>>();
             form->caption = "Box's form";
             HWND boxWindow = nullptr;
             WindowThread thread([&] {
                 PrepareBox(form->box);
                 if (!form->Create(formstest::TestClass()) || !form->box.Create(*form, 7)) return HWND();
                 seen.outside.Install(form->box.Handle());
                 boxWindow = form->box.Handle();
                 return form->Handle();
             });
             ASSERT_TRUE(thread.Made());
             form.reset();
             EXPECT_TRUE(thread.Join());
             EXPECT_FALSE(::IsWindow(boxWindow));
         },
         1,
         BST_CHECKED,
         0,
         {"!Form \"Box's form\" went on another thread", "!Control Button 7 \"Box\" was cut loose"}},
        {"a control deleted from another thread",
         [](Seen& seen) {
             ui::Owner<ui::Form> form;
             auto box = std::make_unique<ui::Owner<SavingBox>>(&seen.saves);
             WindowThread thread(
                 [&] {
                     PrepareBox(*box);
                     if (!form.Create(formstest::TestClass()) || !box->Create(form, 8)) return HWND();
                     seen.outside.Install(box->Handle());
                     return box->Handle();
                 },
                 [&] { form.Destroy(); });
             ASSERT_TRUE(thread.Made());
             box.reset();
             EXPECT_TRUE(thread.Join()) << "the window's thread closes it";
         },
         1,
         BST_CHECKED,
         0,
         {"!Control Button 8 \"Box\" went on another thread"}},
        {"a form deleted from its button's handler, clicked through the loop (BM_CLICK)",
         [](Seen& seen) {
             auto form = std::make_unique<ui::Owner<ButtonForm>>(&seen.saves);
             ASSERT_TRUE(form->Create(formstest::TestClass()));
             form->button.width = 75;
             form->button.height = 23;
             form->button.onClick = [&form](ui::Button&) { form.reset(); };
             ASSERT_TRUE(form->button.Create(*form, 9));
             seen.outside.Install(form->Handle());
             form->Show();
             ::PostMessageA(form->button.Handle(), BM_CLICK, 0, 0);
             uitest::Settle();
             EXPECT_FALSE(form) << "deleted by its handler";
         },
         1,
         BST_UNCHECKED,
         1,
         {}},
        {"a form deleted from its button's handler, clicked with the mouse",
         [](Seen& seen) {
             auto form = std::make_unique<ui::Owner<ButtonForm>>(&seen.saves);
             ASSERT_TRUE(form->Create(formstest::TestClass()));
             form->button.width = 75;
             form->button.height = 23;
             form->button.onClick = [&form](ui::Button&) { form.reset(); };
             ASSERT_TRUE(form->button.Create(*form, 9));
             seen.outside.Install(form->button.Handle());
             form->Show();
             uitest::ClickAt(form->button.Handle(), 10, 10);
             EXPECT_FALSE(form) << "deleted by its handler";
         },
         1,
         BST_UNCHECKED,
         1,
         {}},
        {"a control deleted without its owner",
         [](Seen& seen) {
             ui::Owner<ui::Form> form;
             ASSERT_TRUE(form.Create(formstest::TestClass()));
             auto box = std::make_unique<SavingBox>(&seen.saves);
             PrepareBox(*box);
             ASSERT_TRUE(box->Create(form, 10));
             seen.outside.Install(box->Handle());
             box.reset();
         },
         1,
         BST_CHECKED,
         0,
         {"!Control Button 10 \"Box\" still had its window"}},
        {"a control deleted while an outside procedure leaves the layer's out",
         [](Seen& seen) {
             ui::Owner<ui::Form> form;
             ASSERT_TRUE(form.Create(formstest::TestClass()));
             auto box = std::make_unique<ui::Owner<SavingBox>>(&seen.saves);
             PrepareBox(*box);
             ASSERT_TRUE(box->Create(form, 12));
             seen.outside.Install(box->Handle(), true);
             box.reset();
         },
         1,
         BST_CHECKED,
         0,
         {"!Control Button 12 \"Box\" lost its window without WM_DESTROY"}},
        {"a control whose window goes with its form while an outside procedure leaves the layer's out",
         [](Seen& seen) {
             ui::Owner<SavingBox> box(&seen.saves);
             {
                 ui::Owner<ui::Form> form;
                 ASSERT_TRUE(form.Create(formstest::TestClass()));
                 PrepareBox(box);
                 ASSERT_TRUE(box.Create(form, 11));
                 seen.outside.Install(box.Handle(), true);
             }
             EXPECT_FALSE(box.Exists());
         },
         1,
         BST_CHECKED,
         0,
         {"!Control Button 11 \"Box\" lost its window without WM_DESTROY"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        formstest::NewLogLines();
        Seen seen;
        c.run(seen);
        testsupport::PumpMessages();
        EXPECT_EQ(seen.outside.Destroys(), c.outsideDestroys) << "the outside procedure's WM_DESTROY";
        EXPECT_EQ(seen.outside.CheckAtDestroy(), c.outsideReadCheck) << "what it read below it then";
        EXPECT_EQ(seen.saves, c.saves) << "the object's own WM_DESTROY";
        const std::vector<std::string> warnings = Warnings(formstest::NewLogLines());
        EXPECT_TRUE(WarningsAre(warnings, c.warnings)) << ::testing::PrintToString(warnings);
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
