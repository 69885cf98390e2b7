// The rubber-band rectangle of a selected chart object: draws its border
// and handles and follows the mouse. Not modal: the window feeds it the
// press, moves and release from its own mouse handlers.
#pragma once

#include "platform/Geometry.h"
#include "platform/Types.h"

class CDC;

class CRectTracker {
public:
    enum StyleFlags {
        solidLine = 1, dottedLine = 2, hatchedBorder = 4,
        resizeInside = 8, resizeOutside = 16, hatchInside = 32,
    };
    enum TrackerHit {
        hitNothing = -1, hitTopLeft = 0, hitTopRight = 1, hitBottomRight = 2, hitBottomLeft = 3,
        hitTop = 4, hitRight = 5, hitBottom = 6, hitLeft = 7, hitMiddle = 8,
    };

    CRectTracker() = default;
    CRectTracker(const RECT* rect, UINT style) : m_rect(*rect), m_nStyle(style) {}

    void Draw(CDC* dc) const;
    // Bounds of everything Draw paints (the rectangle grown by the hatched
    // border and outside handles).
    void GetTrueRect(RECT* rect) const;
    // Which part of the tracker a point lies on.
    int HitTest(POINT p) const;
    CRect GetHandleRect(int hit) const;

    // Drag: BeginTrack answers whether the point hit the tracker; TrackMove
    // moves or resizes m_rect; EndTrack finishes and answers whether the
    // rectangle changed. CancelTrack puts the rectangle back.
    bool BeginTrack(POINT p);
    bool TrackMove(POINT p);
    bool EndTrack(POINT p);
    void CancelTrack();
    bool IsTracking() const { return m_hit != hitNothing; }
    int TrackingHit() const { return m_hit; }

    CRect m_rect;
    CSize m_sizeMin = CSize(8, 8);
    int m_nHandleSize = 6;
    UINT m_nStyle = 0;

private:
    int m_hit = hitNothing;
    CPoint m_start;
    CRect m_startRect;
};

