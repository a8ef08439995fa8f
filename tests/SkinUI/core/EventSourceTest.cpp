// Event sources: handler order, the veto of the default, duplicates, and
// handlers that change the source while it is calling them.
#include "SkinUI/core/Delegate.h"
#include "SkinUI/core/EventSource.h"

#include <gtest/gtest.h>

#include <string>

using SkinUI::CDelegate;
using SkinUI::CEventSource;
using SkinUI::MakeDelegate;

namespace {

std::string g_calls;

bool HandlerA(void*)
{
    g_calls += "A";
    return true;
}

bool HandlerB(void*)
{
    g_calls += "B";
    return false;
}

bool HandlerC(void*)
{
    g_calls += "C";
    return true;
}

struct Listener {
    std::string name;
    std::string* log;
    CEventSource* source = nullptr;
    bool OnEvent(void* param)
    {
        *log += name;
        if (param)
            *static_cast<int*>(param) += 1;
        return true;
    }
    bool OnEventRemovingSelf(void*)
    {
        *log += name;
        *source -= MakeDelegate(this, &Listener::OnEventRemovingSelf);
        return true;
    }
    bool OnEventDestroyingSource(void*)
    {
        *log += name;
        delete source;
        source = nullptr;
        return true;
    }
};

class EventSourceTest : public testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
};

} // namespace

TEST_F(EventSourceTest, EmptySourceIsFalseAndLetsTheDefaultRun)
{
    CEventSource source;
    EXPECT_FALSE(source);
    EXPECT_TRUE(source(nullptr));
}

TEST_F(EventSourceTest, CallsInOrderUntilAHandlerVetoes)
{
    CEventSource source;
    source += HandlerA;
    source += HandlerB;
    source += HandlerC;
    EXPECT_TRUE(source);
    EXPECT_FALSE(source(nullptr));
    EXPECT_EQ("AB", g_calls);
    source -= HandlerB;
    g_calls.clear();
    EXPECT_TRUE(source(nullptr));
    EXPECT_EQ("AC", g_calls);
}

TEST_F(EventSourceTest, DuplicatesAreRefusedAndRemovalIsByEquality)
{
    CEventSource source;
    source += HandlerA;
    source += HandlerA;
    source(nullptr);
    EXPECT_EQ("A", g_calls);
    source -= HandlerA;
    EXPECT_FALSE(source);
    source -= HandlerA;  // absent: nothing happens
    EXPECT_FALSE(source);
}

TEST_F(EventSourceTest, MemberDelegatesOnDifferentObjectsAreBothKept)
{
    std::string log;
    Listener one{"1", &log};
    Listener two{"2", &log};
    CEventSource source;
    source += MakeDelegate(&one, &Listener::OnEvent);
    source += MakeDelegate(&two, &Listener::OnEvent);
    source += CDelegate<Listener, Listener>(&one, &Listener::OnEvent);  // equal to the first
    int hits = 0;
    EXPECT_TRUE(source(&hits));
    EXPECT_EQ("12", log);
    EXPECT_EQ(2, hits);
    // Another member function of the same object is a different handler.
    source += MakeDelegate(&one, &Listener::OnEventRemovingSelf);
    one.source = &source;
    log.clear();
    source(nullptr);
    EXPECT_EQ("121", log);
}

TEST_F(EventSourceTest, HandlerRemovingItselfDuringDispatchDoesNotSkipTheNext)
{
    std::string log;
    Listener first{"1", &log};
    Listener second{"2", &log};
    Listener third{"3", &log};
    CEventSource source;
    first.source = &source;
    source += MakeDelegate(&first, &Listener::OnEventRemovingSelf);
    source += MakeDelegate(&second, &Listener::OnEvent);
    source += MakeDelegate(&third, &Listener::OnEvent);
    EXPECT_TRUE(source(nullptr));
    EXPECT_EQ("123", log);
    log.clear();
    EXPECT_TRUE(source(nullptr));
    EXPECT_EQ("23", log);
    // The removed handler can come back, and lands at the end.
    source += MakeDelegate(&first, &Listener::OnEventRemovingSelf);
    log.clear();
    source(nullptr);
    EXPECT_EQ("231", log);
}

TEST_F(EventSourceTest, HandlersAddedDuringDispatchAreReachedWhenAfterThePosition)
{
    static CEventSource* s_source;
    CEventSource source;
    s_source = &source;
    auto adder = [](void*) -> bool {
        g_calls += "+";
        *s_source += HandlerC;
        return true;
    };
    source += HandlerA;
    source += static_cast<bool (*)(void*)>(adder);
    EXPECT_TRUE(source(nullptr));
    EXPECT_EQ("A+C", g_calls);
}

TEST_F(EventSourceTest, HandlerDestroyingTheSourceEndsTheDispatch)
{
    std::string log;
    auto* source = new CEventSource;
    Listener killer{"K", &log};
    Listener after{"X", &log};
    killer.source = source;
    *source += MakeDelegate(&killer, &Listener::OnEventDestroyingSource);
    *source += MakeDelegate(&after, &Listener::OnEvent);
    EXPECT_FALSE((*source)(nullptr));
    EXPECT_EQ("K", log);
    EXPECT_EQ(nullptr, killer.source);
}
