#include "SkinUI/core/EventSource.h"

#include <cassert>

namespace SkinUI {

CEventSource::CEventSource() : m_nDispatchDepth(0), m_pDestroyed(nullptr) {}

CEventSource::~CEventSource()
{
    if (m_pDestroyed)
        *m_pDestroyed = true;
    for (int i = 0; i < m_aDelegates.GetSize(); ++i)
        delete static_cast<CDelegateBase*>(m_aDelegates[i]);
    for (int i = 0; i < m_aRemoved.GetSize(); ++i)
        delete static_cast<CDelegateBase*>(m_aRemoved[i]);
}

CEventSource::operator bool() const
{
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) {
        if (m_aDelegates[i])
            return true;
    }
    return false;
}

void CEventSource::operator+=(const CDelegateBase& d)
{
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) {
        auto* existing = static_cast<CDelegateBase*>(m_aDelegates[i]);
        if (existing && existing->Equals(d))
            return;
    }
    m_aDelegates.Add(d.Clone());
}

void CEventSource::operator+=(FnType pFn)
{
    (*this) += CDelegateStatic(pFn);
}

void CEventSource::operator-=(const CDelegateBase& d)
{
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) {
        auto* existing = static_cast<CDelegateBase*>(m_aDelegates[i]);
        if (existing && existing->Equals(d)) {
            if (m_nDispatchDepth > 0) {
                // A call is walking the list: keep the positions as they are
                // and free the delegate once the walk is over.
                m_aDelegates.SetAt(i, nullptr);
                m_aRemoved.Add(existing);
            } else {
                delete existing;
                m_aDelegates.Remove(i);
            }
            return;
        }
    }
}

void CEventSource::operator-=(FnType pFn)
{
    (*this) -= CDelegateStatic(pFn);
}

bool CEventSource::operator()(void* param)
{
    bool destroyed = false;
    bool* outerDestroyed = m_pDestroyed;
    m_pDestroyed = &destroyed;
    ++m_nDispatchDepth;

    bool result = true;
    // The size is read again on every step: handlers added during the call
    // are reached when they land after the current position.
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) {
        auto* delegate = static_cast<CDelegateBase*>(m_aDelegates[i]);
        if (!delegate)
            continue;
        bool handled = (*delegate)(param);
        if (destroyed)
            break;
        if (!handled) {
            result = false;
            break;
        }
    }

    if (destroyed) {
        // The source is gone; tell any call further out before leaving.
        if (outerDestroyed)
            *outerDestroyed = true;
        return false;
    }
    m_pDestroyed = outerDestroyed;
    if (--m_nDispatchDepth == 0)
        Compact();
    return result;
}

void CEventSource::Compact()
{
    assert(m_nDispatchDepth == 0);
    if (m_aRemoved.IsEmpty())
        return;
    for (int i = m_aDelegates.GetSize() - 1; i >= 0; --i) {
        if (!m_aDelegates[i])
            m_aDelegates.Remove(i);
    }
    for (int i = 0; i < m_aRemoved.GetSize(); ++i)
        delete static_cast<CDelegateBase*>(m_aRemoved[i]);
    m_aRemoved.Empty();
}

} // namespace SkinUI
