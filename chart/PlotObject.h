// The common base of everything the chart draws and stores: axes, curves,
// labels and data notations.
#pragma once

#include "platform/CObject.h"
#include "platform/Geometry.h"
#include "platform/Types.h"

#include "platform/RectTracker.h"

class CArchive;
class CDCEx;
class CPlot;

class CPlotObject : public CObject {
    VX_DECLARE_SERIAL(CPlotObject)
public:
    CPlotObject();
    CPlotObject(const CPlotObject& other);
    CPlotObject& operator=(const CPlotObject&) = delete;
    ~CPlotObject() override;

    // The 27-byte base record.
    void Serialize(CArchive& ar) override;
    virtual void Draw(CDCEx* dc);
    virtual void Edit();
    virtual void EndEdit();
    virtual void Select();
    virtual void Unselect();
    virtual void InvokeProperties();

    void SetVisible(bool visible) { m_bVisible = visible; }
    bool GetVisible() const { return m_bVisible; }
    void SetColor(COLORREF color) { m_crColor = color; }
    COLORREF GetColor() const { return m_crColor; }
    void SetRect(int l, int t, int r, int b) { m_clRect.SetRect(l, t, r, b); }
    CRect GetRect() const { return m_clRect; }
    CPlot* GetGraph() const { return m_pGraph; }
    void SetGraph(CPlot* graph) { m_pGraph = graph; }

    // A tracked rectangle is applied only when both permissions are set.
    bool CanTrack() const { return m_bTrackPermit1 && m_bTrackPermit2; }
    // An object someone else keeps a pointer to (the live window's
    // read-out label): the chart never deletes it on the user's request.
    void SetProtected(bool p) { m_bProtected = p; }
    bool IsProtected() const { return m_bProtected; }

    CRect m_clRect;
    bool m_bSelected = false;
    bool m_bEditing = false;
    bool m_bTrackPermit1 = false;
    bool m_bTrackPermit2 = false;
    bool m_bTracking = false;
    bool m_bVisible = true;
    bool m_bEditable = true;
    COLORREF m_crColor = 0;
    CPlot* m_pGraph = nullptr;
    CRectTracker m_Tracker;

protected:
    // For derived copies, which take only the base members they need.
    struct NoBaseCopy {};
    explicit CPlotObject(NoBaseCopy) {}
    bool m_bProtected = false;
};
