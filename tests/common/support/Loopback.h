#pragma once
#include <winsock2.h>

// A TCP socket listening on 127.0.0.1 at a port the system picks (Winsock started by the
// caller); port receives it. INVALID_SOCKET when none could be had.
inline SOCKET ListenOnLoopback(int backlog, int& port)
{
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, backlog) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (listener != INVALID_SOCKET) closesocket(listener);
        port = 0;
        return INVALID_SOCKET;
    }
    port = ntohs(address.sin_port);
    return listener;
}
