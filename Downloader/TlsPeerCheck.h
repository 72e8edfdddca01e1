#pragma once
#include <curl/curl.h>

// Checks the server certificate of the connection that handle has just made against the
// system's trusted roots and the host name. The TLS layer is meant to do this itself, but
// some Schannel implementations (Wine's among them) accept any certificate, so the updater
// checks on its own before a request is sent. Plain HTTP passes.
//
// Needs CURLOPT_CERTINFO on the handle; use it as the CURLOPT_PREREQFUNCTION with the handle
// as its data (TlsPeerPrereq).
bool PeerCertificateTrusted(CURL* handle);
int TlsPeerPrereq(void* handle, char* remoteIp, char* localIp, int remotePort, int localPort);

// Asks libcurl to verify the peer and host name and adds our own check above as the
// handle's pre-request step.
void RequireTrustedPeer(CURL* handle);
