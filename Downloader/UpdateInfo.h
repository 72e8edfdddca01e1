#pragma once
#include <string>

// The update record: what the server told us about the account and the current release.
// Every field is a byte string in the system code page, empty until the reply fills it.
struct UpdateInfo {
    std::string code;  // "1" means the reply is usable
    std::string info;  // shown to the player when code is not "1"
    std::string token; // game command line (auth_key)
    std::string open;  // game executable, relative to our folder
    std::string uid;
    std::string sid;
    std::string extraInfo;
    std::string game_version; // published game version
    std::string up_version;   // updater version: "1" or empty keeps the running updater
    std::string up_bg;        // background image URL
    std::string game_url;     // game package URL; its last "/" piece names the archive
    std::string up_url;       // new updater URL
};
