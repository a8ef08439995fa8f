// A handler: a small polymorphic object around a free function or a member
// function that takes one untyped pointer and returns bool. Event sources
// keep their own copies (Clone) and compare them with Equals.
#pragma once

#include <windows.h>

namespace SkinUI {

class CDelegateBase {
public:
    CDelegateBase(void* pObject, void* pFn);
    CDelegateBase(const CDelegateBase& rhs);
    virtual ~CDelegateBase();

    virtual CDelegateBase* Clone() const = 0;

    bool Equals(const CDelegateBase& rhs) const;
    bool operator()(void* param);

protected:
    virtual bool Call(void* param) = 0;

    void* GetFn() const { return m_pFn; }
    // So named because the platform headers turn GetObject into GetObjectW.
    void* GetObjectW() const { return m_pObject; }

private:
    void* m_pObject;
    void* m_pFn;
};

} // namespace SkinUI
