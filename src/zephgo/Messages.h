#pragma once

#include <cstddef>
#include <cstdint>

// The texts, captions and addresses of zephgo, exactly as they are shown.
namespace zephgo {

// Result codes, which are also the exit status.
enum Result : int32_t {
  kLoginOpened = 0,
  kInstallerNotFound = 1,
  kWrongArgumentCount = 2,
  kNotNumeric = 3,
  kInstallFailed = 4,
  kBrowserFailed = 5,
  kInitialResult = 6,
};

// The matchmaking service.
inline constexpr const char* kLoginPage = "http://zeph.example/login";
inline constexpr const char* kServiceAddress = "http://zeph.example/";
// The longest login address (what fits a 1024-byte buffer with its NUL).
inline constexpr size_t kMaxAddressLength = 1023;

inline constexpr const char* kProgramCaption = "zephgo";
// The hidden window's class and title (Windows).
inline constexpr const char* kWindowClass = "MyMainWindowClass";
inline constexpr const char* kWindowTitle = "MyWindowClass window :)";
inline constexpr const char* kUnexpectedError1 =
    "Unexpected error[1].  Something's seriously wrong with \nthe system.  Try restarting Windows.";
inline constexpr const char* kUnexpectedError2 =
    "Unexpected error[2].  Something's seriously wrong with \nthe system.  Try restarting Windows.";
inline constexpr const char* kUnexpectedError3 =
    "Unexpected error[3].  Something's seriously wrong with \nthe system.  Try restarting Windows.";

inline constexpr const char* kInsertCdText = "Please put CD with ZEPH installer in CD drive";
inline constexpr const char* kNotFoundCaption = "INSTALLER NOT FOUND";
inline constexpr const char* kLookForInstallerText = "Look for installer at ";
inline constexpr const char* kArgumentCountText = "Format is: zephgo.exe <game_class_id>";
inline constexpr const char* kArgumentCountCaption = "INVALID ARGUMENT COUNT";
inline constexpr const char* kNotNumericText =
    "First argument must be a number (the game class id)";
inline constexpr const char* kNotNumericCaption = "NON NUMERIC ARGUMENT";
inline constexpr const char* kInstallFailedText = "Installation failed or was cancelled";
inline constexpr const char* kInstallFailedCaption = "INSTALL FAILURE";
inline constexpr const char* kBrowserFailedText =
    "Couldn't launch default web browser to ZEPH.  Please browse to\n";
inline constexpr const char* kBrowserFailedCaption = "ShellExecute() error";
// A game class id so long that the login address cannot hold it.
inline constexpr const char* kTooLongText =
    "The game class id is too long: the login address would have more than 1023 characters";
inline constexpr const char* kTooLongCaption = "INVALID ARGUMENT";

// The two notices.
inline constexpr const char* kSearchNotice = "Looking for ZEPH installer...";
inline constexpr const char* kBrowserNotice = "Starting default web browser to ZEPH";

}  // namespace zephgo
