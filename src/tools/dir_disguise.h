// Folder disguise: a folder's desktop.ini names a shell class, so the shell
// shows the folder as My Computer, Control Panel and the like, and the
// folder's system attribute makes the shell honour it. On Linux, where no
// shell reads desktop.ini, the lock is real: every permission bit of the
// folder is taken away (its mode kept in desktop.ini) and given back on
// restore. Plain C++ so the rules can be tested without a window.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tools {

struct DisguiseTarget {
    const char* caption;
    const char* clsid;
};

inline constexpr std::array<DisguiseTarget, 6> disguise_targets{{
    {"伪装成“我的电脑”", "{20D04FE0-3AEA-1069-A2D8-08002B30309D}"},
    {"伪装成“网上邻居”", "{208D2C60-3AEA-1069-A2D7-08002B30309D}"},
    {"伪装成“控制面板”", "{21EC2020-3AEA-1069-A2DD-08002B30309D}"},
    {"伪装成“任务计划”", "{D6277990-4C6A-11CF-8D87-00AA0060F5BF}"},
    {"伪装成“打印机”", "{2227A280-3AEA-1069-A2DE-08002B30309D}"},
    {"伪装成“网络连接”", "{992CFFA0-F557-101A-88EC-00DD010CCC48}"},
}};

namespace desktop_ini {
inline constexpr const char* file_name = "desktop.ini";
inline constexpr const char* section = ".ShellClassInfo";
inline constexpr const char* clsid = "CLSID";
inline constexpr const char* clsid_backup = "CLSID_BAK";
inline constexpr const char* mark = "CLSID_KXBZ";
inline constexpr const char* password = "CLSID_KXPASS";
// The folder's permission bits before the lock, in octal (Linux only).
inline constexpr const char* mode = "CLSID_KXMODE";
inline constexpr const char* mark_value = "Kestrane";
// desktop.ini files are a few lines; a larger one is not worth rewriting.
inline constexpr std::size_t read_limit = std::size_t{1} << 20;
}  // namespace desktop_ini

// --- Where the actions apply ------------------------------------------------

// The current folder with a separator, then the chosen entry's name and a
// separator; the current folder itself when no entry is chosen.
std::string target_folder(const std::string& current_folder, const std::string& entry_name);

// What the user is told when the chosen entry is a file, not a folder.
inline std::string not_a_folder_message(const std::string& target) {
    return "“" + target + "”不是文件夹，请选择一个文件夹！";
}
// True when `target` names a folder (a link to one counts).
bool is_folder(const std::string& target);

struct FolderEntry {
    std::string name;
    bool is_folder = false;
};
// How the content list shows an entry: a subfolder in brackets.
std::string entry_caption(const FolderEntry& entry);
// A folder's subfolders (then files, when asked), each group sorted by name
// without regard to case; hidden (dot) entries are left out. At most
// `limit` entries, so a huge folder cannot stall the dialog.
std::vector<FolderEntry> list_entries(const std::string& folder, bool with_files,
                                      std::size_t limit = 20000);
// The folders from the root down to `folder` itself, each with a separator.
std::vector<std::string> folder_chain(const std::string& folder);

// --- Folders the lock leaves alone ------------------------------------------------

// On Linux the lock takes every permission away from the folder: locking a
// folder the program or the system needs would lock them out. The folders
// of the running program:
struct KeptFolders {
    // The program's folder and its data folder: each, and every folder above it.
    std::vector<std::string> program;
    // The working folders, which every start empties and fills: each, every
    // folder above it and every folder inside it.
    std::vector<std::string> working;
    // The user's home folder, and every folder above it.
    std::string home;
};
// The folders of a run: the program folder, the data folder, the working
// folder inside the program folder, the system temporary folder with the
// working folder inside it, and $HOME.
KeptFolders kept_folders(const std::string& program_dir, const std::string& data_dir,
                         const std::string& system_temp_dir);
// The same for this process: its executable's folder (its data beside it)
// and the system temporary folder.
KeptFolders kept_folders_of_this_program();
// Why `target` may not be disguised (locked), in words for the user; empty
// when it may. Refused are the folders above, the home folder (and every
// folder above it) and the system's folders: "/", /usr, /etc, /bin and the
// like with everything in them, and /tmp, /home, /media, /mnt themselves.
// Paths are compared with every symbolic link resolved, so a link to such a
// folder is refused as the folder itself would be.
std::string lock_refusal(const std::string& target, const KeptFolders& kept);

// What the dialog says the lock does on Linux, and what it does not.
inline constexpr const char* linux_lock_note =
    "在Linux上：伪装会拿走文件夹的全部权限，恢复还原时再还给它；其间除root外谁都打不开它。"
    "这不是加密：文件夹的主人可以自己把权限改回来；已经打开的文件、在别处有硬链接的文件"
    "仍然可以读取。本软件的文件夹、主文件夹和系统文件夹不能加锁。";

// --- The restore password -----------------------------------------------------

// Kept as "pbkdf2-sha256$<rounds>$<salt hex>$<hash hex>" of the trimmed
// password, so desktop.ini never holds the password itself.
inline constexpr std::string_view verifier_prefix = "pbkdf2-sha256$";
std::string make_password_verifier(std::string_view password);
bool is_password_verifier(std::string_view stored);
// Both sides trimmed; a stored value that is no verifier is the plain text
// an older version of this tool wrote.
bool password_matches(std::string_view stored, std::string_view entered);

// --- The actions ---------------------------------------------------------------

// True when `target` is a folder whose desktop.ini carries our mark.
bool is_disguised(const std::string& target);

// Disguises `target` as `clsid`; `stored_password` goes into desktop.ini as
// it is (a verifier, or empty). Answers 1, or 0 with `error` set; on a
// failure nothing is left changed. A folder lock_refusal names is refused
// before anything is touched.
int dir_hide(const std::string& target, std::string_view clsid, std::string_view stored_password,
             const KeptFolders& kept, std::string& error);

enum class RestoreCode : int {
    failed = 0,
    done = 1,
    not_disguised = -1,
    cancelled = -2,
    wrong_password = -3,
};
// Asks for the restore password; nothing when the user cancelled.
using PasswordAsker = std::function<std::optional<std::string>()>;
// Removes the disguise of `target`, asking for the password when one is
// set. `kept_password` receives what a later dir_hide should store again
// (a plain-text password of an older desktop.ini comes back as a verifier,
// and is written as one).
RestoreCode dir_restore(const std::string& target, const PasswordAsker& ask,
                        std::string& kept_password, std::string& error);

// --- Folder modes (Linux) --------------------------------------------------------

// Parses the remembered mode: octal digits, at most 07777.
std::optional<unsigned> parse_folder_mode(std::string_view text);
// The mode a restore gives a locked folder whose remembered mode is missing
// or damaged: its owner's access, nobody else's.
inline constexpr unsigned fallback_folder_mode = 0700;

}  // namespace velmora::tools
