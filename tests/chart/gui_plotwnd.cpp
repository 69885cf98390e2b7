// The chart as a window: creation by class name, painting through the
// window's own paint, in-place label editing.
#include "support_chart.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QWidget>

namespace {

class PlotWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.Create("VxTestParent", "parent", WS_OVERLAPPED, CRect(0, 0, 420, 320), nullptr, 0));
        const CRuntimeClass* cls = CRuntimeClass::FromName("CPlot");
        ASSERT_NE(cls, nullptr);
        plot.reset(static_cast<CPlot*>(cls->CreateObject()));
        ASSERT_TRUE(plot->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), &parent, 0));
        parent.ShowWindow(SW_SHOW);
    }
    void TearDown() override
    {
        plot->DestroyWindow();
        plot.reset();
        parent.DestroyWindow();
    }
    CWnd parent;
    std::unique_ptr<CPlot> plot;
};

}  // namespace

TEST_F(PlotWindow, PaintsItsClientAreaAndKeepsTheSnapshot)
{
    ChartPoint pts[3] = {{0, 0}, {1, 2}, {2, 1}};
    ASSERT_NE(plot->SetData(pts, 3, 0, 0, 0, true, false, false), nullptr);
    EXPECT_FALSE(plot->HasSnapshot());
    plot->SendMessage(WM_PAINT);
    ASSERT_TRUE(plot->HasSnapshot());
    EXPECT_EQ(plot->GetSnapshot().width(), 400);
    EXPECT_EQ(plot->GetSnapshot().height(), 300);
    EXPECT_FALSE(plot->GetPlotRect().IsRectEmpty());
    // With the window there, a range's first step comes from the pixels.
    double lo, hi, step;
    plot->GetYAxis(0).SetRange(0, 100);
    plot->GetYAxis(0).GetRange(&lo, &hi, &step);
    EXPECT_GT(step, 0.0);
    plot->MoveWindow(0, 0, 400, 150);
    plot->SendMessage(WM_PAINT);
    double smaller;
    plot->GetYAxis(0).SetRange(0, 100);
    plot->GetYAxis(0).GetRange(&lo, &hi, &smaller);
    EXPECT_GT(smaller, step);
}

TEST_F(PlotWindow, LabelsEditInPlace)
{
    plot->SendMessage(WM_PAINT);
    CPlotLabel* label = plot->InsertLabel("alt");
    label->Edit();
    ASSERT_TRUE(label->IsEditorOpen());
    EXPECT_TRUE(label->m_bEditing);
    auto* editor = plot->GetPeer()->findChild<QPlainTextEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->toPlainText(), QString("alt"));
    editor->setPlainText("neu\nzwei");
    label->EndEdit();
    EXPECT_FALSE(label->IsEditorOpen());
    EXPECT_FALSE(label->m_bEditing);
    EXPECT_EQ(label->GetText(), CString("neu\r\nzwei"));

    // The popup's "Properties" item opens the dialog on this label.
    CPlotLabel* opened = nullptr;
    CPlotLabel::SetPopupChooser([](CWnd*, CPoint) -> UINT { return 60006; });
    CPlotLabel::SetPropertiesDialog([&](CPlotLabel* l) { opened = l; });
    label->InvokeProperties();
    EXPECT_EQ(opened, label);
    opened = nullptr;
    CPlotLabel::SetPopupChooser([](CWnd*, CPoint) -> UINT { return 0; });
    label->InvokeProperties();
    EXPECT_EQ(opened, nullptr);
    CPlotLabel::SetPopupChooser(nullptr);
    CPlotLabel::SetPropertiesDialog(nullptr);

    // Left open while the window goes away first (the fixture's tear-down).
    plot->InsertLabel("open")->Edit();
}
