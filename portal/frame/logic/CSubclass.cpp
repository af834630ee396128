#include "portal/frame/logic/CSubclass.h"

#include "platform/event_log.h"

#include <cerrno>
#include <new>

namespace frame {

namespace {

void zError(const std::string& routine, const std::string& message)
{
    platform::event_log::error("CSubclass." + routine + ": " + message);
}

} // namespace

// One hooked window: its tables and the dispatch that runs for each of its messages.
struct CSubclass::Record final : HookedWindowProc, std::enable_shared_from_this<Record>
{
    explicit Record(HookPlatform& p)
        : platform(p)
    { }

    LResult windowProc(Hwnd hwnd, unsigned uMsg, WParam wParam, LParam lParam) override;
    void finish();

    HookPlatform& platform;
    CSubclass* owner = nullptr; // null once the collection no longer holds the record
    SubclassEvents* callback = nullptr; // null once the owner is gone
    Hwnd hwnd = 0;
    bool unicode = false;
    bool apiWindow = false;
    LParam lParamUser = 0;
    MessageTable before;
    MessageTable after;
    int busy = 0;
    bool shutdown = false;
    bool ownerGone = false;
    bool finished = false;
};

LResult CSubclass::Record::windowProc(Hwnd, unsigned uMsg, WParam wParam, LParam lParam)
{
    // A handler may unhook the window or end the owner; the record stays until this returns.
    const auto self = shared_from_this();
    ++busy;
    LResult lReturn = 0;
    if (shutdown || !callback) {
        ownerGone = ownerGone || !callback;
        shutdown = true;
        lReturn = platform.callPreviousProcedure(hwnd, unicode, uMsg, wParam, lParam);
    } else {
        bool handled = false;
        if (before.contains(uMsg))
            callback->SubclassProc(true, handled, lReturn, hwnd, uMsg, wParam, lParam, lParamUser);
        if (!handled) {
            lReturn = platform.callPreviousProcedure(hwnd, unicode, uMsg, wParam, lParam);
            if (callback && after.contains(uMsg))
                callback->SubclassProc(false, handled, lReturn, hwnd, uMsg, wParam, lParam, lParamUser);
        }
    }
    --busy;
    if (uMsg == WM_NCDESTROY)
        shutdown = true;
    if (shutdown && busy == 0)
        finish();
    return lReturn;
}

void CSubclass::Record::finish()
{
    if (finished)
        return;
    finished = true;
    const auto self = shared_from_this();
    platform.restoreProcedure(hwnd);
    if (apiWindow && ownerGone)
        platform.destroyWindow(hwnd);
    if (owner)
        owner->forget(*this);
    // Freed a little later, so that nothing still running on the record loses it.
    platform.runLater(100, [self] {});
}

CSubclass::CSubclass(HookPlatform& platform, SubclassEvents* owner)
    : m_platform(platform)
    , m_owner(owner)
{ }

CSubclass::~CSubclass()
{
    // Records still busy with a message finish on their own; they must not call back here.
    for (auto& [name, record] : m_records)
        record->callback = nullptr;
    ssc_Terminate();
}

std::string CSubclass::key(Hwnd hwnd)
{
    return std::to_string(hwnd) + "h";
}

CSubclass::Record* CSubclass::find(Hwnd hwnd) const
{
    const auto it = m_records.find(key(hwnd));
    return it == m_records.end() ? nullptr : it->second.get();
}

void CSubclass::forget(const Record& record)
{
    m_records.erase(key(record.hwnd));
}

bool CSubclass::ssc_Subclass(
    Hwnd lhWnd, LParam lParamUser, int nOrdinal, bool bIdeSafety, bool* bUnicode, bool bIsAPIwindow)
{
    // Pausing the callback while a debugger holds the program has no meaning here.
    (void)bIdeSafety;
    if (!m_platform.isWindow(lhWnd)) {
        zError("ssc_Subclass", "Invalid window handle");
        return false;
    }
    if (!m_platform.ownedByThisProcess(lhWnd)) {
        zError("ssc_Subclass", "Window handle belongs to another process");
        return false;
    }
    if (nOrdinal != 1 || !m_owner) {
        zError("ssc_Subclass", "Callback method not found");
        return false;
    }
    std::shared_ptr<Record> record(new (std::nothrow) Record(m_platform));
    if (!record) {
        zError("ssc_Subclass", "VirtualAlloc failed, error: " + std::to_string(ENOMEM));
        return false;
    }
    if (!m_records.emplace(key(lhWnd), record).second) {
        zError("ssc_Subclass", "Window handle is already subclassed");
        return false;
    }
    record->owner = this;
    record->callback = m_owner;
    record->hwnd = lhWnd;
    record->lParamUser = lParamUser;
    record->apiWindow = bIsAPIwindow;
    if (bUnicode && *bUnicode)
        *bUnicode = m_platform.isUnicodeWindow(lhWnd);
    record->unicode = bUnicode && *bUnicode;
    if (const int error = m_platform.replaceProcedure(lhWnd, record); error != 0) {
        zError("ssc_Subclass", std::to_string(error) + "SetWindowLong failed, error #");
        m_records.erase(key(lhWnd));
        return false;
    }
    return true;
}

void CSubclass::ssc_UnSubclass(Hwnd lhWnd)
{
    const auto it = m_records.find(key(lhWnd));
    if (it == m_records.end())
        return;
    const std::shared_ptr<Record> record = it->second;
    m_records.erase(it);
    record->owner = nullptr;
    record->shutdown = true;
    // A record busy with a message is finished by that message's dispatch.
    if (record->busy == 0)
        record->finish();
}

void CSubclass::ssc_Terminate()
{
    while (!m_records.empty())
        ssc_UnSubclass(m_records.begin()->second->hwnd);
}

void CSubclass::ssc_AddMsg(Hwnd lhWnd, long uMsg, int When)
{
    Record* record = find(lhWnd);
    if (!record)
        return;
    if (When & MSG_BEFORE)
        zAddMsg(record->before, uMsg);
    if (When & MSG_AFTER)
        zAddMsg(record->after, uMsg);
}

void CSubclass::zAddMsg(MessageTable& table, long uMsg)
{
    if (uMsg == ALL_MESSAGES) {
        table.count = ALL_MESSAGES;
        return;
    }
    // Every message is in a table set to all messages; a message already in is not added
    // twice, so that deleting it once takes it out.
    const auto message = static_cast<unsigned>(uMsg);
    if (table.count == ALL_MESSAGES || table.contains(message))
        return;
    for (int i = 0; i < table.count; ++i) {
        if (table.entries[i] == 0) {
            table.entries[i] = message;
            return;
        }
    }
    if (table.count < MSG_ENTRIES) {
        table.entries[table.count++] = message;
        return;
    }
    zError("zAddMsg",
        "Message table overflow. Either increase the value of Const MSG_ENTRIES or use ALL_MESSAGES instead of "
        "specific message values");
}

void CSubclass::ssc_DelMsg(Hwnd lhWnd, int When, std::initializer_list<long> Messages)
{
    Record* record = find(lhWnd);
    if (!record)
        return;
    for (const long uMsg : Messages) {
        for (MessageTable* table :
            {When & MSG_BEFORE ? &record->before : nullptr, When & MSG_AFTER ? &record->after : nullptr}) {
            if (!table)
                continue;
            if (uMsg == ALL_MESSAGES) {
                table->count = 0;
                table->entries.fill(0);
                continue;
            }
            for (int i = 0; i < table->count; ++i) {
                if (table->entries[i] == static_cast<unsigned>(uMsg)) {
                    table->entries[i] = 0;
                    break;
                }
            }
        }
    }
}

bool CSubclass::MessageTable::contains(unsigned uMsg) const
{
    if (count == ALL_MESSAGES)
        return true;
    for (int i = 0; i < count; ++i)
        if (entries[i] == uMsg && uMsg != 0)
            return true;
    return false;
}

LResult CSubclass::ssc_CallOrigWndProc(Hwnd lhWnd, unsigned uMsg, WParam wParam, LParam lParam)
{
    const Record* record = find(lhWnd);
    return record ? m_platform.callPreviousProcedure(lhWnd, record->unicode, uMsg, wParam, lParam) : 0;
}

void CSubclass::zSet_lParamUser(Hwnd hWnd_Hook_ID, int vType, LParam NewValue)
{
    if (Record* record = vType == 0 ? find(hWnd_Hook_ID) : nullptr)
        record->lParamUser = NewValue;
}

LParam CSubclass::zGet_lParamUser(Hwnd hWnd_Hook_ID, int vType) const
{
    const Record* record = vType == 0 ? find(hWnd_Hook_ID) : nullptr;
    return record ? record->lParamUser : 0;
}

void CSubclass::TrackMouseTracking(Hwnd hwnd)
{
    m_platform.trackMouseLeave(hwnd);
}

const CSubclass::MessageTable* CSubclass::table(Hwnd lhWnd, int When) const
{
    const Record* record = find(lhWnd);
    if (!record)
        return nullptr;
    return When == MSG_AFTER ? &record->after : &record->before;
}

} // namespace frame
