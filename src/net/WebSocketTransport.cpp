#include "net/WebSocketTransport.h"

#include <emscripten/emscripten.h>
#include <emscripten/websocket.h>

#include "net/Meeting.h"

namespace {

// Waiting data the browser holds for the server before the connection counts as stuck: a match
// sends a few hundred bytes a second, so this is many seconds of a server that reads nothing.
constexpr unsigned long long MaxBuffered = 256 * 1024;

WebSocketTransport *Owner(void *Data) {
    return static_cast<WebSocketTransport *>(Data);
}

EM_BOOL OnOpen(int, const EmscriptenWebSocketOpenEvent *, void *Data) {
    Owner(Data)->Opened();
    return EM_TRUE;
}

EM_BOOL OnMessage(int, const EmscriptenWebSocketMessageEvent *Event, void *Data) {
    Owner(Data)->Arrived(Event->data, Event->numBytes, Event->isText);
    return EM_TRUE;
}

EM_BOOL OnError(int, const EmscriptenWebSocketErrorEvent *, void *Data) {
    Owner(Data)->Closed();
    return EM_TRUE;
}

EM_BOOL OnClose(int, const EmscriptenWebSocketCloseEvent *, void *Data) {
    Owner(Data)->Closed();
    return EM_TRUE;
}

} // namespace

std::unique_ptr<WebSocketTransport> WebSocketTransport::Connect(const std::string &Url, std::string &Error) {
    if (!emscripten_websocket_is_supported()) {
        Error = "this browser has no WebSocket";
        return nullptr;
    }
    EmscriptenWebSocketCreateAttributes Attributes;
    emscripten_websocket_init_create_attributes(&Attributes);
    Attributes.url = Url.c_str();
    Attributes.protocols = nullptr;
    Attributes.createOnMainThread = EM_TRUE;
    const EMSCRIPTEN_WEBSOCKET_T Socket = emscripten_websocket_new(&Attributes);
    if (Socket <= 0) {
        Error = "the browser refused to connect to " + Url;
        return nullptr;
    }
    std::unique_ptr<WebSocketTransport> Link(new WebSocketTransport(Socket));
    emscripten_websocket_set_onopen_callback(Socket, Link.get(), OnOpen);
    emscripten_websocket_set_onmessage_callback(Socket, Link.get(), OnMessage);
    emscripten_websocket_set_onerror_callback(Socket, Link.get(), OnError);
    emscripten_websocket_set_onclose_callback(Socket, Link.get(), OnClose);
    return Link;
}

WebSocketTransport::~WebSocketTransport() {
    Close();
}

// The socket no longer calls back into this transport, and the browser lets it go.
void WebSocketTransport::Forget() {
    if (Socket_ <= 0) {
        return;
    }
    emscripten_websocket_set_onopen_callback(Socket_, nullptr, nullptr);
    emscripten_websocket_set_onmessage_callback(Socket_, nullptr, nullptr);
    emscripten_websocket_set_onerror_callback(Socket_, nullptr, nullptr);
    emscripten_websocket_set_onclose_callback(Socket_, nullptr, nullptr);
    emscripten_websocket_close(Socket_, 1000, "");
    emscripten_websocket_delete(Socket_);
    Socket_ = 0;
}

void WebSocketTransport::Opened() {
    if (Ended || Open) {
        return;
    }
    Open = true;
    NetEvent Event;
    Event.Type = NetEvent::Kind::Connected;
    Event.Peer = Server;
    Queue.push_back(std::move(Event));
}

void WebSocketTransport::Arrived(const uint8_t *Bytes, uint32_t Size, bool Text) {
    // The server sends only binary messages no longer than the game's longest; anything else is
    // not the game's and is dropped, as a stray datagram would be.
    if (Ended || Text || Size == 0 || Size > Meeting::MaxMessageSize) {
        return;
    }
    Received += Size;
    NetEvent Event;
    Event.Type = NetEvent::Kind::Received;
    Event.Peer = Server;
    Event.Bytes.assign(Bytes, Bytes + Size);
    Queue.push_back(std::move(Event));
}

void WebSocketTransport::Closed() {
    if (Ended) {
        return;
    }
    Ended = true;
    NetEvent Event;
    Event.Type = NetEvent::Kind::Lost;
    Event.Peer = Server;
    Queue.push_back(std::move(Event));
    Forget();
}

NetEvent WebSocketTransport::Poll(uint32_t) {
    // The page never waits here: the browser delivers while the game's event loop has yielded.
    NetEvent Event;
    if (!Queue.empty()) {
        Event = std::move(Queue.front());
        Queue.pop_front();
    }
    return Event;
}

bool WebSocketTransport::Send(PeerId Peer, const uint8_t *Bytes, size_t Size, bool) {
    if (Peer != Server || !Open || Ended || Size == 0 || Size > Meeting::MaxMessageSize) {
        return false;
    }
    unsigned long long Buffered = 0;
    if (emscripten_websocket_get_buffered_amount(Socket_, &Buffered) != EMSCRIPTEN_RESULT_SUCCESS ||
        Buffered > MaxBuffered ||
        emscripten_websocket_send_binary(Socket_, const_cast<uint8_t *>(Bytes), uint32_t(Size)) !=
            EMSCRIPTEN_RESULT_SUCCESS) {
        Closed();
        return false;
    }
    Sent += Size;
    return true;
}

void WebSocketTransport::Drop(PeerId Peer, bool) {
    // A WebSocket's close comes after every message sent before it: the goodbye is always kept.
    if (Peer == Server && !Ended) {
        Closed();
    }
}

// A WebSocket's close follows every message sent before it, lingering or not.
void WebSocketTransport::Close(bool) {
    Ended = true;
    Forget();
}

uint64_t WebSocketTransport::Millis() const {
    return uint64_t(emscripten_get_now());
}
