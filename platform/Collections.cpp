#include "Collections.h"

#include <algorithm>

std::list<CObList::Node*>::const_iterator CObList::Locate(POSITION pos) const
{
    return std::find(m_l.begin(), m_l.end(), static_cast<Node*>(pos));
}

POSITION CObList::AddTail(CObject* p)
{
    m_l.push_back(new Node{p});
    return m_l.back();
}

POSITION CObList::InsertAfter(POSITION pos, CObject* p)
{
    if (!pos)
        return AddTail(p);
    auto it = Locate(pos);
    if (it != m_l.end())
        ++it;
    Node* n = new Node{p};
    m_l.insert(it, n);
    return n;
}

POSITION CObList::GetHeadPosition() const { return m_l.empty() ? nullptr : m_l.front(); }

CObject*& CObList::GetNext(POSITION& pos)
{
    auto it = Locate(pos);
    Node* n = *it;
    ++it;
    pos = it == m_l.end() ? nullptr : *it;
    return n->value;
}

CObject*& CObList::GetAt(POSITION pos) { return static_cast<Node*>(pos)->value; }

void CObList::RemoveAt(POSITION pos)
{
    auto it = Locate(pos);
    if (it == m_l.end())
        return;
    delete *it;
    m_l.erase(it);
}

void CObList::RemoveAll()
{
    for (Node* n : m_l)
        delete n;
    m_l.clear();
}

POSITION CObList::Find(CObject* p, POSITION after) const
{
    auto it = after ? std::next(Locate(after)) : m_l.begin();
    for (; it != m_l.end(); ++it)
        if ((*it)->value == p)
            return *it;
    return nullptr;
}

POSITION CObList::FindIndex(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return *std::next(m_l.begin(), index);
}
