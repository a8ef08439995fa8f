// A delegate around a member function: O is the object's class, T the class
// that declares the function.
#pragma once

#include "SkinUI/core/DelegateBase.h"

#include <cstring>

namespace SkinUI {

template <class O, class T>
class CDelegate : public CDelegateBase {
    typedef bool (T::*Fn)(void*);

public:
    CDelegate(O* pObj, Fn pFn) : CDelegateBase(pObj, IdentityOf(pFn)), m_pFn(pFn) {}
    CDelegate(const CDelegate& rhs) : CDelegateBase(rhs), m_pFn(rhs.m_pFn) {}

    CDelegateBase* Clone() const override { return new CDelegate(*this); }

protected:
    bool Call(void* param) override
    {
        O* pObject = static_cast<O*>(GetObjectW());
        return (pObject->*m_pFn)(param);
    }

private:
    // A member function pointer does not fit an untyped pointer. Its first
    // word (the code address, or the vtable slot of a virtual function)
    // tells member functions of one object apart, which is all Equals needs.
    static void* IdentityOf(Fn pFn)
    {
        static_assert(sizeof(Fn) >= sizeof(void*));
        void* identity;
        memcpy(&identity, &pFn, sizeof(identity));
        return identity;
    }

    Fn m_pFn;
};

template <class O, class T>
CDelegate<O, T> MakeDelegate(O* pObject, bool (T::*pFn)(void*))
{
    return CDelegate<O, T>(pObject, pFn);
}

} // namespace SkinUI
