// Thin stand-ins for the framework collections the program names: a
// growable array and a list of object pointers. Neither owns what a pointer
// element points to.
#pragma once

#include "CObject.h"

#include <list>
#include <vector>

template <class T, class ARG = const T&>
class CArray {
public:
    int GetSize() const { return static_cast<int>(m_v.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_v.empty(); }
    void SetSize(int n, int /*growBy*/ = -1) { m_v.resize(n < 0 ? 0 : static_cast<size_t>(n)); }
    int Add(ARG v) { m_v.push_back(v); return GetUpperBound(); }
    const T& GetAt(int i) const { return m_v.at(static_cast<size_t>(i)); }
    T& ElementAt(int i) { return m_v.at(static_cast<size_t>(i)); }
    void SetAt(int i, ARG v) { m_v.at(static_cast<size_t>(i)) = v; }
    void RemoveAt(int i, int count = 1)
    {
        if (i < 0 || i >= GetSize() || count <= 0)
            return;
        const int end = std::min(GetSize(), i + count);
        m_v.erase(m_v.begin() + i, m_v.begin() + end);
    }
    void RemoveAll() { m_v.clear(); }
    const T& operator[](int i) const { return GetAt(i); }
    T& operator[](int i) { return ElementAt(i); }
    T* GetData() { return m_v.data(); }
    const T* GetData() const { return m_v.data(); }

    auto begin() { return m_v.begin(); }
    auto end() { return m_v.end(); }
    auto begin() const { return m_v.begin(); }
    auto end() const { return m_v.end(); }

private:
    std::vector<T> m_v;
};

// A list of CObject pointers with POSITION-style iteration. A POSITION stays
// valid until its element is removed.
using POSITION = void*;

class CObList {
public:
    explicit CObList(int /*blockSize*/ = 10) {}
    int GetCount() const { return static_cast<int>(m_l.size()); }
    bool IsEmpty() const { return m_l.empty(); }
    POSITION AddTail(CObject* p);
    POSITION InsertAfter(POSITION pos, CObject* p);
    CObject* GetHead() const { return m_l.front()->value; }
    POSITION GetHeadPosition() const;
    CObject*& GetNext(POSITION& pos);
    CObject*& GetAt(POSITION pos);
    void SetAt(POSITION pos, CObject* p) { GetAt(pos) = p; }
    void RemoveAt(POSITION pos);
    void RemoveAll();
    POSITION Find(CObject* p, POSITION after = nullptr) const;
    POSITION FindIndex(int index) const;
    ~CObList() { RemoveAll(); }
    CObList(const CObList&) = delete;
    CObList& operator=(const CObList&) = delete;

private:
    struct Node {
        CObject* value;
    };
    // Nodes live on the heap so a POSITION (a Node*) survives list changes.
    std::list<Node*> m_l;
    std::list<Node*>::const_iterator Locate(POSITION pos) const;
};
