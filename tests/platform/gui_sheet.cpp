// Property sheets: which page hears of its activation, and when. Pages send
// device bytes on WM_CHILDACTIVATE, so a missed or extra activation is a
// wrong byte on the wire.
#include "gui_dialog_fixture.h"

#include "platform/PropertySheet.h"

#include <memory>

namespace {

const char* kSheetTemplates = R"(
dialog 950 400 260 "Main"
  frame  1000   5   5 380 220
  button 1001   5 230  50  14 "Other"
end
dialog 951 200 100 "Setup" child
  group  1029   6   6 188  88 ""
end
dialog 952 200 100 "Measure" child
  edit   1059  10  10  80  12
end
dialog 953 180  80 "Header" child
  edit   1125  10  10  80  12
end
dialog 954 180  80 "Date" child
  text     -1  10  10  80   8 "Date"
end
)";

// Counts what a page hears, in order.
class CountingPage : public CPropertyPage {
public:
    CountingPage(UINT id, std::vector<std::string>* log, const char* name)
        : CPropertyPage(id), m_log(log), m_name(name)
    {
    }
    int activations = 0;
    int inits = 0;
    bool shown = false;

protected:
    BOOL OnInitDialog() override
    {
        ++inits;
        return CPropertyPage::OnInitDialog();
    }
    void OnChildActivate() override
    {
        ++activations;
        m_log->push_back(m_name + ":activate");
        CPropertyPage::OnChildActivate();
    }
    void OnShowWindow(BOOL show, UINT status) override
    {
        shown = show != FALSE;
        m_log->push_back(m_name + (show ? ":show" : ":hide"));
        CPropertyPage::OnShowWindow(show, status);
    }
    std::vector<std::string>* m_log;
    std::string m_name;
};

// The setup-like page: a nested sheet laid over its placeholder, created as
// a popup and then put into the placeholder.
class NestingPage : public CountingPage {
public:
    NestingPage(std::vector<std::string>* log)
        : CountingPage(951, log, "setup"), header(953, log, "header"), date(954, log, "date")
    {
    }
    CWnd placeholder;
    CPropertySheet nested;
    CountingPage header;
    CountingPage date;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 1029, placeholder); }
    BOOL OnInitDialog() override
    {
        CountingPage::OnInitDialog();
        nested.AddPage(&header);
        nested.AddPage(&date);
        nested.Create(&placeholder, WS_POPUP, 0);
        CRect r;
        placeholder.GetWindowRect(&r);
        ScreenToClient(&r);
        nested.SetParent(&placeholder);
        nested.SetWindowPos(nullptr, r.left - 7, r.top - 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        nested.ShowWindow(SW_SHOWNORMAL);
        nested.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
};

class MainDlg : public CDialog {
public:
    explicit MainDlg(std::vector<std::string>* log) : CDialog(950), setup(log), measure(952, log, "measure") {}
    CPropertySheet sheet;
    NestingPage setup;
    CountingPage measure;
    std::vector<std::pair<WPARAM, LPARAM>> menuRequests;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        VX_ON_MESSAGE(WM_USER + 1006, OnMenuRequest);
        sheet.AddPage(&setup);
        sheet.AddPage(&measure);
        sheet.Create(this, WS_CHILD | WS_VISIBLE, 0);
        CRect r;
        GetDlgItem(1000)->GetWindowRect(&r);
        ScreenToClient(&r);
        sheet.SetWindowPos(nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    }
    LRESULT OnMenuRequest(WPARAM w, LPARAM l)
    {
        menuRequests.emplace_back(w, l);
        return 0;
    }
};

class Sheets : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallTemplates(kSheetTemplates);
        ASSERT_TRUE(dlg.Create(950));
        dlg.ShowWindow(SW_SHOW);
        log.clear();
    }
    std::vector<std::string> log;
    MainDlg dlg{&log};
};

TEST_F(Sheets, EveryTabActivationReachesTheNewPage)
{
    // At creation the first page of each sheet was activated once.
    EXPECT_EQ(dlg.setup.activations, 1);
    EXPECT_EQ(dlg.setup.header.activations, 1);
    EXPECT_EQ(dlg.measure.activations, 0);
    EXPECT_EQ(dlg.measure.inits, 0) << "a page's window is made when it is first shown";

    CTabCtrl* tab = dlg.sheet.GetTabControl();
    ASSERT_NE(tab, nullptr);
    tab->ClickTab(1);
    EXPECT_EQ(dlg.sheet.GetActivePage(), &dlg.measure);
    EXPECT_EQ(dlg.measure.inits, 1);
    EXPECT_EQ(dlg.measure.activations, 1);
    EXPECT_FALSE(dlg.setup.shown);
    // Hidden first, then shown, then activated.
    const std::vector<std::string> expect = {"setup:hide", "measure:show", "measure:activate"};
    EXPECT_EQ(log, expect);

    tab->ClickTab(0);
    tab->ClickTab(1);
    tab->ClickTab(0);
    EXPECT_EQ(dlg.measure.activations, 2);
    EXPECT_EQ(dlg.setup.activations, 3);
    EXPECT_EQ(dlg.measure.inits, 1) << "made once, activated each time";

    dlg.sheet.SetActivePage(1);
    EXPECT_EQ(dlg.measure.activations, 3) << "code switching pages activates too";
    EXPECT_EQ(tab->GetCurSel(), 1);
}

TEST_F(Sheets, MainTabChangeDoesNotReachTheNestedShownPage)
{
    CTabCtrl* inner = dlg.setup.nested.GetTabControl();
    ASSERT_NE(inner, nullptr);
    inner->ClickTab(1);
    EXPECT_EQ(dlg.setup.date.activations, 1);
    const int setupBefore = dlg.setup.activations;

    dlg.sheet.GetTabControl()->ClickTab(1);
    dlg.sheet.GetTabControl()->ClickTab(0);
    EXPECT_EQ(dlg.setup.activations, setupBefore + 1) << "the outer page is activated";
    EXPECT_EQ(dlg.setup.date.activations, 1) << "its nested shown page is not";
    EXPECT_EQ(dlg.setup.header.activations, 1);
    EXPECT_EQ(dlg.setup.nested.GetActivePage(), &dlg.setup.date);

    inner->ClickTab(0);
    EXPECT_EQ(dlg.setup.header.activations, 2);
}

TEST_F(Sheets, NestedPagesReachTheMainDialog)
{
    EXPECT_EQ(dlg.setup.header.GetTopLevelParent(), &dlg);
    // A page greys a menu item of the main window by a message to it.
    dlg.setup.header.GetTopLevelParent()->SendMessage(WM_USER + 1006, 1125, 0);
    ASSERT_EQ(dlg.menuRequests.size(), 1u);
    EXPECT_EQ(dlg.menuRequests[0].first, 1125u);
    // The nested sheet sits inside the placeholder, at its origin.
    CRect sheetRect, holder;
    dlg.setup.nested.GetWindowRect(&sheetRect);
    dlg.setup.placeholder.GetWindowRect(&holder);
    EXPECT_EQ(sheetRect.TopLeft(), holder.TopLeft());
    EXPECT_EQ(dlg.setup.GetDlgItem(1029), &dlg.setup.placeholder);
}

TEST_F(Sheets, TabControlCanBeRenamedAndLocked)
{
    auto* tab = reinterpret_cast<CTabCtrl*>(dlg.sheet.SendMessage(PSM_GETTABCONTROL));
    ASSERT_EQ(tab, dlg.sheet.GetTabControl());
    EXPECT_EQ(tab->GetItemText(0), "Setup") << "tab texts come from the page captions";
    char text[] = "Einrichten";
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = text;
    tab->SendMessage(TCM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(tab->GetItemText(0), "Einrichten");

    // During a conversation the page locks the tabs: clicks do nothing.
    tab->EnableWindow(FALSE);
    tab->ClickTab(1);
    EXPECT_EQ(dlg.sheet.GetActiveIndex(), 0);
    EXPECT_EQ(dlg.measure.activations, 0);
    tab->EnableWindow(TRUE);
    tab->ClickTab(1);
    EXPECT_EQ(dlg.sheet.GetActiveIndex(), 1);
}

TEST_F(Sheets, PagesFitTheSheetWhichFitsItsLargestPage)
{
    CRect sheetRect;
    dlg.sheet.GetClientRect(&sheetRect);
    CRect page;
    dlg.setup.GetClientRect(&page);
    EXPECT_EQ(page.Width(), vx::DluToPixelX(200));
    EXPECT_EQ(page.Height(), vx::DluToPixelY(100));
    EXPECT_GT(sheetRect.Width(), page.Width());
    EXPECT_GT(sheetRect.Height(), page.Height());
    CRect pageOnScreen, sheetOnScreen;
    dlg.setup.GetWindowRect(&pageOnScreen);
    dlg.sheet.GetWindowRect(&sheetOnScreen);
    CRect inter;
    EXPECT_TRUE(inter.IntersectRect(pageOnScreen, sheetOnScreen));
    EXPECT_EQ(inter, pageOnScreen) << "the page lies inside the sheet";
}

} // namespace

namespace {

// Pages and sheets are members of one dialog and die in either order.
TEST(SheetLifetime, PagesAndSheetMayGoInEitherOrder)
{
    InstallTemplates(kSheetTemplates);
    std::vector<std::string> log;
    RecordingDlg host(950);
    ASSERT_TRUE(host.Create(950));
    CPropertySheet sheet;
    auto first = std::make_unique<CountingPage>(953, &log, "first");
    CountingPage second(954, &log, "second");
    sheet.AddPage(first.get());
    sheet.AddPage(&second);
    ASSERT_TRUE(sheet.Create(&host, WS_CHILD | WS_VISIBLE, 0));
    EXPECT_EQ(sheet.GetActivePage(), first.get());
    first.reset();
    EXPECT_EQ(sheet.GetPageCount(), 1);
    EXPECT_EQ(sheet.GetTabControl()->GetItemCount(), 1);
    sheet.SetActivePage(0);
    EXPECT_EQ(sheet.GetActivePage(), &second);
    EXPECT_EQ(second.activations, 1);
    {
        auto gone = std::make_unique<CPropertySheet>();
        CountingPage orphan(953, &log, "orphan");
        gone->AddPage(&orphan);
        EXPECT_EQ(orphan.GetSheet(), gone.get());
        gone.reset();
        EXPECT_EQ(orphan.GetSheet(), nullptr);
    }
}

} // namespace
