#pragma once

// Internal to the Windows side of the platform layer: the launcher's pieces
// that only Windows has, made by LauncherSystem-win32.cpp.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/AutoPlay.h"
#include "platform/CdDrives.h"
#include "platform/Dialogs.h"
#include "platform/LauncherSystem.h"
#include "platform/Registry.h"

namespace platform::detail {

// The system registry (RegOpenKeyExW, RegQueryValueExW). A key path begins
// with the root key's name: HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
// HKEY_CLASSES_ROOT, HKEY_USERS, HKEY_CURRENT_CONFIG, or their short forms
// HKLM, HKCU, HKCR, HKU, HKCC. A 64-bit program reads the 64-bit view.
class WindowsRegistry : public Registry {
 public:
  std::optional<RegistryValue> value(std::string_view key, std::string_view name) const override;
};

// The CD-ROM drives by letter: the letters are tried from A upwards for as
// long as the logical-drive mask (GetLogicalDrives), shifted right once per
// letter, is not zero; each drive whose type (GetDriveTypeW) is DRIVE_CDROM
// gives its root ("D:/"). A drive without a medium is listed too; reading it
// fails later without the system's "no disk" box (DirectoryEntries).
class WindowsCdDrives : public CdDrives {
 public:
  std::vector<std::string> roots() override;
};

// Message boxes (MessageBoxW, owned by the focused window) and notices:
// modeless dialogs from the program's resources (CreateDialogParamW), chosen
// by their text; a text without a dialog of its own is shown in the first
// dialog with its static text replaced. A notice belongs to the thread that
// shows it, whose messages draw it.
class WindowsDialogs : public Dialogs {
 public:
  explicit WindowsDialogs(std::vector<NoticeDialog> notices);
  void message(const std::string& text, const std::string& caption) override;
  Answer okCancel(const std::string& text, const std::string& caption) override;
  std::unique_ptr<Notice> notice(const std::string& text) override;

 private:
  std::vector<NoticeDialog> notices_;
};

// The shell's AutoRun policy of the Windows 9x family: HKEY_CURRENT_USER
// "Software\Microsoft\Windows\CurrentVersion\Policies\Explorer", value
// "NoDriveTypeAutoRun" (four bytes, REG_BINARY). Suppressing saves the value
// and, when there was one, writes 0xFF (no AutoRun on any drive type);
// without one, 149 (0x95) is saved and nothing written. Restoring writes the
// saved value back when suppressing wrote one (a value that was not there is
// not made). The key is flushed after each write. On the NT family,
// every 64-bit Windows among them, the value is never read or written: there
// the hidden window's answer to "QueryCancelAutoPlay" does the job.
class PolicyAutoPlay : public AutoPlay {
 public:
  void suppress() override;
  void restore() override;

 private:
  bool suppressed_ = false;
  bool wrote_ = false;
  uint32_t saved_ = 149;
};

// A path as the wide calls take it: UTF-16, "/" made "\".
std::wstring nativePath(const std::string& path);

}  // namespace platform::detail
