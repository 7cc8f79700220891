// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the update checks: the fixed texts of the update
// wizard, the FTP link and the firmware reminder, and this program's own
// texts (43000-43999).
#pragma once

#include <cstdint>

namespace Update {

// The wizard's captions, lines and buttons.
constexpr uint32_t IDS_DOWNLOAD_PAGE = 22000;      // "Downloading..."
constexpr uint32_t IDS_SEARCH_PAGE = 22001;        // "Searching for updates..."
constexpr uint32_t IDS_SHEET_CAPTION = 22002;      // "Vantor"
constexpr uint32_t IDS_CONNECTING = 22005;
constexpr uint32_t IDS_NO_UPDATE = 22007;          // %s product
constexpr uint32_t IDS_NEWER_FOUND = 22009;        // %s product, %s server version, %s own version
constexpr uint32_t IDS_DOWNLOADING = 22010;        // %s installer
constexpr uint32_t IDS_MB_DOWNLOADED = 22017;      // %s "%0.2f" MB
constexpr uint32_t IDS_DOWNLOAD_ERROR = 22018;
constexpr uint32_t IDS_RECEIVING = 22019;
constexpr uint32_t IDS_SEARCHING_FOR = 22020;      // %s product
constexpr uint32_t IDS_BUTTON_NEXT = 22021;
constexpr uint32_t IDS_BUTTON_BACK = 22022;
constexpr uint32_t IDS_BUTTON_CANCEL = 22023;
constexpr uint32_t IDS_BUTTON_FINISH = 22024;
constexpr uint32_t IDS_FIRMWARE_REMINDER = 22032;  // %s device type

// The FTP link's fixed errors.
constexpr uint32_t IDS_FTP_CONNECT_FAILED = 25003;
constexpr uint32_t IDS_FTP_NO_FOLDER = 25004;      // %s folder
constexpr uint32_t IDS_FTP_NO_SESSION = 25005;
constexpr uint32_t IDS_FTP_ERROR_CODE = 25006;     // %d error

// What a failed FTP operation says (the exception's own message); %s is
// the server.
constexpr uint32_t IDS_FTP_NOT_RESOLVED = 43001;
constexpr uint32_t IDS_FTP_CANNOT_CONNECT = 43002;
constexpr uint32_t IDS_FTP_TIMEOUT = 43003;
constexpr uint32_t IDS_FTP_LOGIN_REFUSED = 43004;
constexpr uint32_t IDS_FTP_CANCELLED = 43005;
constexpr uint32_t IDS_FTP_CONNECTION_BROKEN = 43006;
constexpr uint32_t IDS_FTP_BAD_ANSWER = 43007;
constexpr uint32_t IDS_FTP_REFUSED = 43008;
constexpr uint32_t IDS_FTP_BAD_SETTING = 43009;    // %s the setting's text
constexpr uint32_t IDS_FTP_INTERNAL = 43010;
constexpr uint32_t IDS_FTP_LISTING_TOO_LONG = 43012;
constexpr uint32_t IDS_FTP_NOT_CONFIGURED = 43013;
constexpr uint32_t IDS_FTP_FILE_TOO_LONG = 43014;  // %s file

// The download of an installer.
constexpr uint32_t IDS_DOWNLOAD_SHORT = 43020;     // %s file, %s bytes came, %s bytes listed
constexpr uint32_t IDS_DOWNLOAD_LONG = 43021;      // %s file, %s bytes listed
constexpr uint32_t IDS_CHECKSUM_MISMATCH = 43022;  // %s file
constexpr uint32_t IDS_CHECKSUM_UNREADABLE = 43023; // %s checksum file
constexpr uint32_t IDS_LOCAL_WRITE_FAILED = 43024; // %s file, %s cause
constexpr uint32_t IDS_LOCAL_COMMIT_FAILED = 43025; // %s file, %s cause
constexpr uint32_t IDS_DOWNLOAD_CANCELLED = 43026;
constexpr uint32_t IDS_DOWNLOAD_FAILED_FILE = 43027; // %s file, %s cause

// Launching the installer.
constexpr uint32_t IDS_LAUNCH_QUESTION = 43030;    // %s file, %s size, %s server, %s check line
constexpr uint32_t IDS_LAUNCH_VERIFIED = 43031;
constexpr uint32_t IDS_LAUNCH_UNVERIFIED = 43032;
constexpr uint32_t IDS_LAUNCH_FAILED = 43033;      // %s path
constexpr uint32_t IDS_LAUNCH_DECLINED = 43034;    // %s path
constexpr uint32_t IDS_SAVE_AS_TITLE = 43040;
constexpr uint32_t IDS_SAVE_AS_FILTER = 43041;     // "Installers (*.exe)"

} // namespace Update
