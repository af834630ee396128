#pragma once

#include "portal/frame/logic/hook_platform.h"

#include <array>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>

namespace frame {

constexpr int MSG_ENTRIES = 32;
constexpr long ALL_MESSAGES = -1;
// The tables a message goes to: before the window's own handling, after it, or both.
constexpr int MSG_BEFORE = 1;
constexpr int MSG_AFTER = 2;
constexpr int MSG_BEFORE_AND_AFTER = 3;

// The owner of a CSubclass sees the registered messages here. Setting bHandled in the
// before phase answers the message with lReturn; the window's own handling and the after
// phase are then skipped for it.
class SubclassEvents
{
public:
    virtual void SubclassProc(bool bBefore,
        bool& bHandled,
        LResult& lReturn,
        Hwnd lhWnd,
        unsigned uMsg,
        WParam wParam,
        LParam lParam,
        LParam& lParamUser)
        = 0;

protected:
    ~SubclassEvents() = default;
};

// Lets its owner see a window's messages before and after the window handles them. One
// hook record per window, kept under the window handle in decimal followed by "h".
class CSubclass
{
public:
    CSubclass(HookPlatform& platform, SubclassEvents* owner);
    ~CSubclass();
    CSubclass(const CSubclass&) = delete;
    CSubclass& operator=(const CSubclass&) = delete;

    // Hooks the window. bUnicode, when given and true, is set to whether the window takes
    // wide-character messages. Failures go to the event log and return false.
    bool ssc_Subclass(Hwnd lhWnd,
        LParam lParamUser = 0,
        int nOrdinal = 1,
        bool bIdeSafety = true,
        bool* bUnicode = nullptr,
        bool bIsAPIwindow = false);
    void ssc_UnSubclass(Hwnd lhWnd);
    void ssc_Terminate();
    // uMsg ALL_MESSAGES sets the chosen tables to every message.
    void ssc_AddMsg(Hwnd lhWnd, long uMsg, int When);
    // ALL_MESSAGES empties the chosen tables.
    void ssc_DelMsg(Hwnd lhWnd, int When, std::initializer_list<long> Messages);
    // The window's own handling of a message; 0 when the window is not hooked.
    LResult ssc_CallOrigWndProc(Hwnd lhWnd, unsigned uMsg, WParam wParam, LParam lParam);
    // vType 0: hWnd_Hook_ID is a window handle.
    void zSet_lParamUser(Hwnd hWnd_Hook_ID, int vType, LParam NewValue);
    LParam zGet_lParamUser(Hwnd hWnd_Hook_ID, int vType) const;
    void TrackMouseTracking(Hwnd hwnd);

    struct MessageTable
    {
        int count = 0; // ALL_MESSAGES: every message
        std::array<unsigned, MSG_ENTRIES> entries {}; // 0: a free slot
        bool contains(unsigned uMsg) const;
    };
    // The tables of a hooked window, for inspection; null when it is not hooked.
    const MessageTable* table(Hwnd lhWnd, int When) const;
    bool isSubclassed(Hwnd lhWnd) const { return m_records.count(key(lhWnd)) != 0; }

private:
    struct Record;
    static std::string key(Hwnd hwnd);
    Record* find(Hwnd hwnd) const;
    void zAddMsg(MessageTable& table, long uMsg);
    void forget(const Record& record);

    HookPlatform& m_platform;
    SubclassEvents* m_owner;
    std::map<std::string, std::shared_ptr<Record>> m_records;
};

} // namespace frame
