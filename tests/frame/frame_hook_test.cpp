// The window-message hook: its tables, the order of the two phases and the handled rule,
// and the life of a hook record.

#include "platform/event_log.h"
#include "portal/frame/logic/CSubclass.h"
#include "tests/frame/fake_window_system.h"

#include <gtest/gtest.h>

using namespace frame;

namespace {

struct Call
{
    bool before;
    LResult lReturn;
    unsigned uMsg;
};

class Hook : public ::testing::Test, public SubclassEvents
{
protected:
    Hook()
    {
        m_oldSink = platform::event_log::setSink([this](const std::string& text) { log.push_back(text); });
    }
    ~Hook() override { platform::event_log::setSink(std::move(m_oldSink)); }

    void SubclassProc(
        bool bBefore, bool& bHandled, LResult& lReturn, Hwnd, unsigned uMsg, WParam, LParam, LParam&) override
    {
        calls.push_back({bBefore, lReturn, uMsg});
        if (onMessage)
            onMessage(bBefore, bHandled, lReturn);
    }

    FakeWindowSystem window;
    std::unique_ptr<CSubclass> hook = std::make_unique<CSubclass>(window, this);
    std::vector<Call> calls;
    std::function<void(bool before, bool& handled, LResult& lReturn)> onMessage;
    std::vector<std::string> log;

private:
    platform::event_log::Sink m_oldSink;
};

constexpr Hwnd kWindow = FakeWindowSystem::kWindow;

} // namespace

TEST_F(Hook, HandledBeforeThePhaseAnswersAloneAndBothPhasesSeeTheOwnResultOtherwise)
{
    ASSERT_TRUE(hook->ssc_Subclass(kWindow));
    hook->ssc_AddMsg(kWindow, WM_PAINT, MSG_BEFORE_AND_AFTER);

    // Handled before: the window's own handling and the after phase are skipped.
    onMessage = [](bool, bool& handled, LResult& lReturn) {
        handled = true;
        lReturn = 42;
    };
    EXPECT_EQ(window.send(WM_PAINT), 42);
    EXPECT_EQ(window.ownCalls, 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].before);

    // Not handled: before with 0, the own handling, after with its result, which the
    // handler may change.
    calls.clear();
    onMessage = [](bool before, bool&, LResult& lReturn) {
        if (!before)
            lReturn += 100;
    };
    EXPECT_EQ(window.send(WM_PAINT), 107);
    EXPECT_EQ(window.ownCalls, 1);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0].before);
    EXPECT_EQ(calls[0].lReturn, 0);
    EXPECT_FALSE(calls[1].before);
    EXPECT_EQ(calls[1].lReturn, 7);

    // A message in neither table goes to the window alone.
    calls.clear();
    EXPECT_EQ(window.send(WM_SIZE), 7);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(window.ownCalls, 2);
    EXPECT_TRUE(log.empty());
}

TEST_F(Hook, ASecondHookOnTheWindowIsReportedAndTheFirstKeepsWorking)
{
    ASSERT_TRUE(hook->ssc_Subclass(kWindow));
    hook->ssc_AddMsg(kWindow, WM_SIZE, MSG_AFTER);
    EXPECT_FALSE(hook->ssc_Subclass(kWindow));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "CSubclass.ssc_Subclass: Window handle is already subclassed");
    EXPECT_EQ(window.send(WM_SIZE), 7);
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_TRUE(hook->isSubclassed(kWindow));
}

TEST_F(Hook, TablesTakeEachMessageOnceAndOverflowAtThe33rd)
{
    ASSERT_TRUE(hook->ssc_Subclass(kWindow));
    for (unsigned m = 1; m <= 32; ++m)
        hook->ssc_AddMsg(kWindow, m, MSG_BEFORE);
    hook->ssc_AddMsg(kWindow, 5, MSG_BEFORE); // already in: no overflow
    EXPECT_TRUE(log.empty());
    const CSubclass::MessageTable full = *hook->table(kWindow, MSG_BEFORE);
    EXPECT_EQ(full.count, 32);

    hook->ssc_AddMsg(kWindow, 33, MSG_BEFORE);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0],
        "CSubclass.zAddMsg: Message table overflow. Either increase the value of Const MSG_ENTRIES or use "
        "ALL_MESSAGES instead of specific message values");
    EXPECT_EQ(hook->table(kWindow, MSG_BEFORE)->count, 32);
    EXPECT_EQ(hook->table(kWindow, MSG_BEFORE)->entries, full.entries);
    EXPECT_EQ(hook->table(kWindow, MSG_AFTER)->count, 0);

    // A deleted message leaves a free slot the next message takes; deleting a message
    // that was added twice takes it out.
    hook->ssc_DelMsg(kWindow, MSG_BEFORE, {5, 9});
    EXPECT_FALSE(hook->table(kWindow, MSG_BEFORE)->contains(5));
    hook->ssc_AddMsg(kWindow, 40, MSG_BEFORE);
    EXPECT_EQ(hook->table(kWindow, MSG_BEFORE)->entries[4], 40u);
    EXPECT_EQ(hook->table(kWindow, MSG_BEFORE)->count, 32);
    EXPECT_EQ(log.size(), 1u);

    // All messages, then none.
    hook->ssc_AddMsg(kWindow, ALL_MESSAGES, MSG_AFTER);
    EXPECT_TRUE(hook->table(kWindow, MSG_AFTER)->contains(WM_MOUSEMOVE));
    hook->ssc_AddMsg(kWindow, WM_SIZE, MSG_AFTER);
    EXPECT_EQ(hook->table(kWindow, MSG_AFTER)->count, ALL_MESSAGES);
    hook->ssc_DelMsg(kWindow, MSG_BEFORE_AND_AFTER, {ALL_MESSAGES});
    EXPECT_EQ(hook->table(kWindow, MSG_BEFORE)->count, 0);
    EXPECT_FALSE(hook->table(kWindow, MSG_AFTER)->contains(WM_MOUSEMOVE));
}

TEST_F(Hook, RefusedWindowsAreReportedAndLeftAsTheyWere)
{
    struct Case
    {
        const char* name;
        std::function<void()> arrange;
        int ordinal;
        std::string logged;
    };
    const std::vector<Case> cases {
        {"gone", [&] { window.exists = false; }, 1, "CSubclass.ssc_Subclass: Invalid window handle"},
        {"foreign", [&] { window.ours = false; }, 1,
            "CSubclass.ssc_Subclass: Window handle belongs to another process"},
        {"ordinal", [] {}, 2, "CSubclass.ssc_Subclass: Callback method not found"},
        {"refused", [&] { window.replaceError = 5; }, 1, "CSubclass.ssc_Subclass: 5SetWindowLong failed, error #"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.exists = window.ours = true;
        window.replaceError = 0;
        log.clear();
        c.arrange();
        EXPECT_FALSE(hook->ssc_Subclass(kWindow, 0, c.ordinal));
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], c.logged);
        EXPECT_FALSE(hook->isSubclassed(kWindow));
        EXPECT_FALSE(window.proc);
    }
    EXPECT_EQ(hook->ssc_CallOrigWndProc(kWindow, WM_PAINT, 0, 0), 0) << "not hooked";
}

TEST_F(Hook, TheRecordEndsWithTheWindowTheOwnerOrAnUnhookFromItsOwnHandler)
{
    // The window's end.
    ASSERT_TRUE(hook->ssc_Subclass(kWindow, 11));
    EXPECT_EQ(hook->zGet_lParamUser(kWindow, 0), 11);
    hook->zSet_lParamUser(kWindow, 0, 12);
    EXPECT_EQ(hook->zGet_lParamUser(kWindow, 0), 12);
    EXPECT_EQ(hook->ssc_CallOrigWndProc(kWindow, WM_PAINT, 0, 0), 7);
    window.send(WM_NCDESTROY);
    EXPECT_FALSE(hook->isSubclassed(kWindow));
    EXPECT_EQ(window.restored, 1);
    EXPECT_EQ(window.later.size(), 1u) << "the record is freed by a timer";

    // An unhook from inside the handler finishes once the message is done; the window
    // then gets its messages directly.
    ASSERT_TRUE(hook->ssc_Subclass(kWindow));
    hook->ssc_AddMsg(kWindow, WM_SIZE, MSG_BEFORE_AND_AFTER);
    onMessage = [&](bool before, bool&, LResult&) {
        if (before) {
            hook->ssc_UnSubclass(kWindow);
            EXPECT_EQ(window.restored, 1) << "not while the record is busy";
        }
    };
    EXPECT_EQ(window.send(WM_SIZE), 7);
    EXPECT_EQ(window.restored, 2);
    EXPECT_FALSE(window.proc);

    // The owner ending inside its handler: the after phase no longer reaches it.
    calls.clear();
    ASSERT_TRUE(hook->ssc_Subclass(kWindow));
    hook->ssc_AddMsg(kWindow, WM_SIZE, MSG_BEFORE_AND_AFTER);
    onMessage = [&](bool before, bool&, LResult&) {
        if (before)
            hook.reset();
    };
    EXPECT_EQ(window.send(WM_SIZE), 7);
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(window.restored, 3);
    window.runTimers();
    EXPECT_EQ(window.send(WM_SIZE), 7);
    EXPECT_EQ(calls.size(), 1u);
}
