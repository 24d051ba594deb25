// Message hooks on any window of the process. A client attaches itself to single messages of a
// window; the first attachment replaces the window's procedure with a dispatcher that routes
// those messages to their clients, and the last detachment puts the previous procedure back.
// The bookkeeping lives in the window property store; clients are kept as plain pointers, so a
// client detaches all its messages before it is destroyed.
#pragma once
#include <windows.h>

#include <cstdint>

namespace kal {

// How the dispatcher involves the window's previous procedure; asked of the first-attached
// client of a message.
enum MsgResponseValue : std::int32_t {
    MsgResponseConsume = 0,      // not called; the client's result is the message result
    MsgResponsePostProcess = 1,  // called after the clients; its result is the message result
    MsgResponsePreProcess = 2,   // called before the first-attached client runs
};

class ISubclass {
public:
    virtual std::int32_t MsgResponse() const = 0;
    virtual void SetMsgResponse(std::int32_t value) = 0;
    // Must not throw: it runs inside a window procedure.
    virtual LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~ISubclass() = default;
};

namespace MSubclass {

// Error numbers (raised with the object-error mask, see base/errors.h).
constexpr std::int32_t kCantSubclass = 13081;
constexpr std::int32_t kAlreadyHandled = 13082;
constexpr std::int32_t kInvalidWindow = 13083;
constexpr std::int32_t kExternalWindow = 13084;

// Throws ToolkitError: 13083 "Invalid window", 13084 "Can't modify external window",
// 13082 "Message already handled by another class", 13081 "Can't subclass window".
void AttachMessage(ISubclass* client, HWND hWnd, UINT iMsg);
// Never reports anything; does nothing for a window that is gone or foreign.
void DetachMessage(ISubclass* client, HWND hWnd, UINT iMsg);
// The message being dispatched to a client at the moment.
UINT CurrentMessage();
// The window's previous procedure's result; 0 when the window is not subclassed.
LRESULT CallOldWindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam);

// The dispatcher installed on subclassed windows.
LRESULT CALLBACK SubclassWindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam);

}  // namespace MSubclass
}  // namespace kal
